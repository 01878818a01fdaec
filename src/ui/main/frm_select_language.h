#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace bdx {

struct AppSettings;

// Asks for the user-interface language at the first start. OK takes the chosen language;
// closing the dialog in any way takes whether it is to be shown again. The caller writes
// the settings afterwards.
class frmSelectLanguage : public QDialog {
    Q_OBJECT
  public:
    explicit frmSelectLanguage(AppSettings& settings, QWidget* parent = nullptr);

    QComboBox* cmbLanguage() const { return cmbLanguage_; }
    QCheckBox* chkDoNotShowAgain() const { return chkDoNotShowAgain_; }
    QPushButton* cmdOK() const { return cmdOK_; }

    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    AppSettings& settings_;
    QComboBox* cmbLanguage_;
    QCheckBox* chkDoNotShowAgain_;
    QPushButton* cmdOK_;
};

}  // namespace bdx
