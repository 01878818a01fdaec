#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>

#include "ladder/operands.h"
#include "shell/prompter.h"

class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QPushButton;
class QRadioButton;

namespace bdx {

class LadderEditor;
class PcSimulationRunner;
struct Program;

// What the block dialogs share. Outside a run a dialog is modal: its save button stores the
// block as one edit (one undo point) and Cancel leaves the program as it was. During a run it is
// modeless, its buttons read "&Update" and "&Close", it refreshes its live values after every
// scan, and a save also hands the block to the running simulation. It closes when the run ends.
class BlockDialog : public QDialog {
    Q_OBJECT
  public:
    // `run` is the simulation runner while a run is going, nullptr otherwise.
    BlockDialog(LadderEditor& editor, Prompter& prompter, PcSimulationRunner* run, QWidget* parent);

    bool duringRun() const { return run_ != nullptr; }
    // The block the dialog shows (number 0-based).
    Operand kind() const { return kind_; }
    int number() const { return number_; }
    bool edited() const { return edited_; }

  protected:
    // The save and close buttons under their object names. Their captions: `saveTextId` and
    // `closeTextId` outside a run, "&Update" (4105) and "&Close" (4086) during one. The save
    // button runs save(); a true result closes the dialog unless `staysOpenDuringRun`.
    QHBoxLayout* makeButtons(const char* saveName, int saveTextId, const char* closeName, int closeTextId,
                             bool staysOpenDuringRun = false);
    QPushButton* saveButton() const { return saveButton_; }
    QPushButton* closeButton() const { return closeButton_; }

    // The block number list `name`: `prefix` + 1..`count` ("T1".."T16"), showing this block.
    QComboBox* makeNumberList(const char* name, const char* prefix, int count, QWidget* parent);

    // The "Locked" frame with its two option buttons (first = locked), `optLocked` and
    // `optNotLocked`; clicking either marks the dialog edited.
    QGroupBox* makeLockedFrame(QWidget* parent, QRadioButton** locked, QRadioButton** notLocked);

    // Stores `save`'s change as one edit of parameters; a refusal is shown and nothing changes.
    // During a run the running blocks take the new parameters. True when accepted.
    bool store(const std::function<Refusal(Program&)>& save);
    // Saves the fields; true when the dialog may close (or, during a run, stay on).
    virtual bool save() = 0;
    // Shows the running block's live values; called after every scan of the run.
    virtual void refreshLive() {}

    void setBlock(Operand kind, int number) {
        kind_ = kind;
        number_ = number;
    }
    void markEdited() {
        if (!loading_) {
            edited_ = true;
        }
    }
    // Wrap the loading of fields: changes made meanwhile do not count as the user's.
    void beginLoading() { loading_ = true; }
    void endLoading() {
        loading_ = false;
        edited_ = false;
    }

    // A block number change with unsaved fields asks `question` (e.g. "Save Timer 3 ?") and
    // saves on Yes. Returns false when the save was refused, so the dialog keeps the block.
    bool offerSaveBeforeSwitch(const QString& question);
    // The number `list` now shows: true when the dialog moved to block `index` and must load
    // it. A refused save puts the list back and keeps the block and its edits on screen.
    bool switchBlock(QComboBox* list, int index, const QString& question);

    LadderEditor& editor_;
    Prompter& prompter_;
    PcSimulationRunner* run_;

  private:
    void saveClicked();

    Operand kind_ = Operand::T;
    int number_ = 0;
    bool edited_ = false;
    bool loading_ = false;
    bool staysOpen_ = false;
    QPushButton* saveButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
};

// Object names for the dialogs' controls; the names are what GUI tests and automation find.
template <class Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}
// A group box with its caption from the language table.
QGroupBox* TextFrame(int textId, const char* name, QWidget* parent);
// The locale's decimal separator, for the fields that show tenths.
QChar LocaleDecimalSeparator();

}  // namespace bdx
