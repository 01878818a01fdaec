#pragma once

#include <QDialog>
#include <QString>

#include "blocks/soft_text_record.h"
#include "shell/prompter.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace bdx {

// Insert embedded data: the source (timer, counter, hour meter, analog input, date, time), its
// number and the value shown. OK builds the token the message editor inserts at its cursor, or
// says what is missing and stays open.
class dlgSoftMsgEmbeddedData : public QDialog {
    Q_OBJECT
  public:
    dlgSoftMsgEmbeddedData(const Program& program, Prompter& prompter, QWidget* parent = nullptr);

    // The token OK built; empty before.
    const QString& token() const { return token_; }

    QRadioButton* source(EmbeddedChoice choice) const;
    QComboBox* numberList(EmbeddedChoice choice) const;
    // The parameter buttons "SP", "PV", "SP ON", "SP OFF", "MT", "OT", by object name.
    QRadioButton* parameterButton(const char* name) const;
    QLabel* lblTimerType() const { return lblTimerType_; }
    QPushButton* OKButton() const { return OKButton_; }
    QPushButton* CancelButton() const { return CancelButton_; }

  private:
    EmbeddedChoice choice() const;
    int chosenParameter() const;
    void sourceChanged();
    void showParameters();
    void clearParameter();
    void OKButton_Click();

    const Program& program_;
    Prompter& prompter_;
    QString token_;
    QButtonGroup* sources_;
    QButtonGroup* parameters_;
    QComboBox* cmbTimerNo_;
    QComboBox* cmbCounterNo_;
    QComboBox* cmbHourMeterNo_;
    QComboBox* cmbAnalogNo_;
    QLabel* lblTimerType_;
    QPushButton* OKButton_;
    QPushButton* CancelButton_;
};

}  // namespace bdx
