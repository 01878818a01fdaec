#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QRadioButton;

namespace bdx {

class Prompter;

// The level of the password to change or remove, asked before the boxes open on models that
// have a level-2 password.
class frmPasswordSelection : public QDialog {
    Q_OBJECT
  public:
    explicit frmPasswordSelection(QWidget* parent = nullptr);

    // 1 or 2.
    int level() const;
    void setLevel(int level);

  private:
    QRadioButton* optLevel1_;
    QRadioButton* optLevel2_;
};

// The device's program password: digits only, and OK only with exactly four of them.
class frmPasswordCheck : public QDialog {
    Q_OBJECT
  public:
    // `prompter` tells the user why OK was refused.
    frmPasswordCheck(Prompter& prompter, const QString& prompt, QWidget* parent = nullptr);

    QString password() const;
    bool cancelled() const { return cancelled_; }

    void cmdOK_Click();
    void reject() override;

  private:
    Prompter& prompter_;
    QLineEdit* Text1_;
    bool cancelled_ = false;
};

}  // namespace bdx
