#include "block_dialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include "editor/ladder_editor.h"
#include "ui/sim/pc_simulation_runner.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

enum TextId {
    YesCaption = 374,
    NoCaption = 376,
    CloseDuringRun = 4086,
    UpdateCaption = 4105,
    LockedFrame = 4151,
};

}  // namespace

QGroupBox* TextFrame(int textId, const char* name, QWidget* parent) {
    auto* frame = Named(new QGroupBox(parent), name);
    SetTextId(frame, textId);
    return frame;
}

QChar LocaleDecimalSeparator() {
    const QString point = QLocale().decimalPoint();
    return point.isEmpty() ? QLatin1Char('.') : point.front();
}

BlockDialog::BlockDialog(LadderEditor& editor, Prompter& prompter, PcSimulationRunner* run, QWidget* parent)
    : QDialog(parent), editor_(editor), prompter_(prompter), run_(run) {
    setModal(!run_);
    if (run_) {
        connect(run_, &PcSimulationRunner::scanned, this, &BlockDialog::refreshLive);
        connect(run_, &PcSimulationRunner::ended, this, &QDialog::close);
    }
}

QHBoxLayout* BlockDialog::makeButtons(const char* saveName, int saveTextId, const char* closeName,
                                      int closeTextId, bool staysOpenDuringRun) {
    staysOpen_ = staysOpenDuringRun;
    saveButton_ = Named(new QPushButton(this), saveName);
    SetTextId(saveButton_, run_ ? UpdateCaption : saveTextId);
    saveButton_->setDefault(true);
    closeButton_ = Named(new QPushButton(this), closeName);
    SetTextId(closeButton_, run_ ? CloseDuringRun : closeTextId);
    closeButton_->setAutoDefault(false);
    connect(saveButton_, &QPushButton::clicked, this, &BlockDialog::saveClicked);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(saveButton_);
    row->addWidget(closeButton_);
    return row;
}

QComboBox* BlockDialog::makeNumberList(const char* name, const char* prefix, int count, QWidget* parent) {
    auto* list = Named(new QComboBox(parent), name);
    for (int n = 1; n <= count; ++n) {
        list->addItem(QLatin1String(prefix) + QString::number(n));
    }
    list->setCurrentIndex(number_);
    return list;
}

QGroupBox* BlockDialog::makeLockedFrame(QWidget* parent, QRadioButton** locked, QRadioButton** notLocked) {
    QGroupBox* frame = TextFrame(LockedFrame, "fraLocked", parent);
    *locked = Named(new QRadioButton(frame), "optLocked");
    SetTextId(*locked, YesCaption);
    *notLocked = Named(new QRadioButton(frame), "optNotLocked");
    SetTextId(*notLocked, NoCaption);
    auto* layout = new QHBoxLayout(frame);
    layout->addWidget(*locked);
    layout->addWidget(*notLocked);
    layout->addStretch();
    for (QRadioButton* option : {*locked, *notLocked}) {
        connect(option, &QRadioButton::clicked, this, &BlockDialog::markEdited);
    }
    return frame;
}

bool BlockDialog::store(const std::function<Refusal(Program&)>& save) {
    if (!editor_.applySave(save, EditScope::Parameters)) {
        return false;
    }
    edited_ = false;
    if (run_ && run_->running()) {
        run_->simulation().blocks().ParametersStored(editor_.program(), kind_, number_);
        refreshLive();
    }
    return true;
}

bool BlockDialog::offerSaveBeforeSwitch(const QString& question) {
    if (!edited_ || !prompter_.askYesNo(question)) {
        return true;
    }
    return save();
}

bool BlockDialog::switchBlock(QComboBox* list, int index, const QString& question) {
    if (index < 0 || index == number_) {
        return false;
    }
    if (!offerSaveBeforeSwitch(question)) {
        const QSignalBlocker quiet(list);
        list->setCurrentIndex(number_);
        return false;
    }
    number_ = index;
    return true;
}

void BlockDialog::saveClicked() {
    if (!save()) {
        return;
    }
    if (!(run_ && staysOpen_)) {
        accept();
    }
}

}  // namespace bdx
