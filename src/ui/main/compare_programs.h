#pragma once

#include <QDialog>
#include <QObject>

class QPlainTextEdit;

namespace bdx {

class AppContext;
class frmMain;

// A read-only window with the differences between the open program and a program file.
class frmCompareProgram : public QDialog {
    Q_OBJECT
  public:
    frmCompareProgram(const QString& fileName, const QString& report, QWidget* parent = nullptr);
    QString report() const;

  private:
    QPlainTextEdit* text_;
};

// File / Compare With...: the open program against a file the user chooses.
class CompareController : public QObject {
    Q_OBJECT
  public:
    CompareController(AppContext& context, frmMain& frame);

  private:
    void compareWithFile();

    AppContext& context_;
    frmMain& frame_;
};

}  // namespace bdx
