#pragma once

#include <QObject>
#include <functional>

#include "printout.h"

class QWidget;

namespace bdx {

class AppContext;
class frmMain;

// Runs a printout the way every print command does: the page range form, then the preview, the
// printer or a PDF file. Every failure ends in one message; nothing of the program changes.
void RunPrintout(AppContext& context, QWidget* parent, const Printout& printout);

// The print commands of the File menu and of the toolbar's print drop-down, and the footer texts.
class PrintController : public QObject {
    Q_OBJECT
  public:
    PrintController(AppContext& context, frmMain& frame);

    // Makes a printout's menu command and toolbar entry live. `make` builds the printout when the
    // command runs, so it sees the program and display style of that moment.
    void addPrintout(const char* menuCommand, const char* toolbarCommand, std::function<Printout()> make);

  private:
    void editFooter();

    AppContext& context_;
    frmMain& frame_;
};

}  // namespace bdx
