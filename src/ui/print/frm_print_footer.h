#pragma once

#include <QDialog>
#include <array>

#include "ladder/program.h"

class QLineEdit;

namespace bdx {

// The texts printed in the header of every page: project, author, version, approved by, date.
// The dialog edits a copy; the caller stores texts() when it is accepted.
class frmPrintFooter : public QDialog {
    Q_OBJECT
  public:
    using Texts = std::array<QString, kPrintInfoTexts>;

    explicit frmPrintFooter(const Texts& texts, QWidget* parent = nullptr);

    // The texts as given, with the five edited ones replaced (line breaks become spaces: each
    // is one line of the program file).
    Texts texts() const;
    // The field of a PrintInfoText index.
    QLineEdit* field(int index) const;

  private:
    Texts texts_;
    std::array<QLineEdit*, kPrintInfoTexts> fields_{};
};

}  // namespace bdx
