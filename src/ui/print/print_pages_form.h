#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QSpinBox;

namespace bdx {

// Chooses the pages of a printout and what to do with them: preview, print or export as PDF.
// The dialog only asks; the caller acts on choice() and the range once it has been accepted.
class print_pages_form : public QDialog {
    Q_OBJECT
  public:
    enum class Choice { None, Preview, Print, ExportPdf };

    // `pageCount` >= 1; `titleId` names the printout in the title bar.
    print_pages_form(int pageCount, int titleId, QWidget* parent = nullptr);

    Choice choice() const { return choice_; }
    int firstPage() const;
    int lastPage() const;
    void setRange(int first, int last);

    QSpinBox* fromBox() const { return spnFrom_; }
    QSpinBox* toBox() const { return spnTo_; }
    QPushButton* button(Choice choice) const;

  private:
    void choose(Choice choice);

    int pageCount_;
    Choice choice_ = Choice::None;
    QLabel* lblPageCount_ = nullptr;
    QSpinBox* spnFrom_ = nullptr;
    QSpinBox* spnTo_ = nullptr;
    QPushButton* cmdPreview_ = nullptr;
    QPushButton* cmdPrint_ = nullptr;
    QPushButton* cmdExportPdf_ = nullptr;
};

}  // namespace bdx
