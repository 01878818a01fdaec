#pragma once

#include <memory>

#include "block_dialog.h"
#include "ui/main/app_context.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace bdx {

class SoftTextEditor;
class SoftTextGrid;
class SoftTextPreview;

// The soft text dialog: message X1..X16 chosen in cmbMessage, its three lines of twelve
// characters edited in the message grid, embedded values inserted through
// dlgSoftMsgEmbeddedData, and the X comment. Save checks the message and stores text and comment
// as one edit; Cancel leaves the program as it was. During a run the dialog also shows the
// message as the display shows it now and whether it is active.
class soft_text_form : public BlockDialog {
    Q_OBJECT
  public:
    // `message` is 0-based; `runDialog` runs the insert dialog; `run` as for BlockDialog.
    soft_text_form(LadderEditor& editor, Prompter& prompter, int message, DialogRunner runDialog,
                   PcSimulationRunner* run = nullptr, QWidget* parent = nullptr);
    ~soft_text_form() override;

    int message() const { return number(); }
    QComboBox* cmbMessage() const { return cmbMessage_; }
    SoftTextEditor* grdText() const { return grdText_; }
    QPushButton* cmdInsertData() const { return cmdInsertData_; }
    QLineEdit* txtComment() const { return txtComment_; }
    SoftTextGrid* grdDisplay() const { return grdDisplay_; }
    QLabel* lblDisplay() const { return lblDisplay_; }
    QLabel* lblActive() const { return lblActive_; }
    QPushButton* cmdSave() const { return saveButton(); }
    QPushButton* cmdCancel() const { return closeButton(); }

  private:
    QWidget* buildTextFrame();
    QWidget* buildDisplayFrame();
    void Form_Activate();
    void cmbMessage_Click(int index);
    void cmdInsertData_Click();
    bool save() override;
    void refreshLive() override;

    DialogRunner runDialog_;
    std::unique_ptr<SoftTextPreview> preview_;
    QComboBox* cmbMessage_;
    SoftTextEditor* grdText_;
    QPushButton* cmdInsertData_;
    QLineEdit* txtComment_;
    SoftTextGrid* grdDisplay_ = nullptr;
    QLabel* lblDisplay_ = nullptr;
    QLabel* lblActive_ = nullptr;
};

}  // namespace bdx
