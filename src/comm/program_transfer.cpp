#include "program_transfer.h"

#include <array>
#include <memory>
#include <vector>

#include "check/compiled_network.h"
#include "check/rule_checker.h"
#include "check/validate_before_run.h"
#include "comm/comm_texts.h"
#include "comm/device_image.h"
#include "comm/modbus_requests.h"
#include "comm/transport.h"
#include "shell/language_table.h"
#include "shell/prompter.h"

namespace bdx {

namespace {

enum TextId {
    SelectProperModel = 4296,
    WritingDevice = 4297,
    DataWritten = 4298,
    WriteFailed = 4299,
    ProgramDownloaded = 4300,
    DeviceDataRead = 4306,
    ReadFailed = 4307,
    SaveChangesQuestion = 4211,
    RunModeQuestion = 345,
    WritingLadder = 8140,
    WritingBlockData = 8141,
    ReadingDevice = 8142,
    ReadingLadder = 8143,
    ReadingBlockData = 8144,
    ProgramRead = 8145,
};

}  // namespace

ProgramTransfer::ProgramTransfer(ModbusSession& session, Program& program, Prompter& prompter,
                                 TransferProgress* progress)
    : session_(session),
      state_(session.state()),
      program_(program),
      prompter_(prompter),
      progress_(progress),
      steps_(session) {}

void ProgramTransfer::setHooks(TransferHooks hooks) {
    hooks_ = std::move(hooks);
    steps_.settingsChanged = hooks_.settingsChanged;
    steps_.showCommSettings = hooks_.showCommSettings;
    steps_.setStopControlsEnabled = hooks_.setRunControlsEnabled;
}

void ProgramTransfer::status(const QString& text) {
    if (progress_) {
        progress_->setStatus(text);
    }
}

void ProgramTransfer::progressValue(int value) {
    if (progress_) {
        progress_->setValue(value);
    }
}

// Every exit leaves the line closed, the quiet mode off and the bar back at its start.
void ProgramTransfer::finish() {
    state_.QuietComm = false;
    state_.MatchedReply = false;
    session_.closeIfSerial();
    progressValue(0);
}

bool ProgramTransfer::CheckProgramErrors() {
    // A copy: the checker rewrites the usage flags, which is no edit of the user's program.
    auto checked = std::make_unique<Program>(program_);
    const std::vector<ErrorRow> errors = RunRuleCheck(*checked);
    auto network = std::make_unique<CompiledNetwork>();
    return !ValidateBeforeRun(*checked, errors, *network, prompter_, QString());
}

bool ProgramTransfer::BuildProgramImage() {
    QString error;
    const std::optional<DeviceImage> image = BuildImage(program_, steps_.bigEndian, &error);
    if (!image) {
        prompter_.critical(LoadText(WriteFailed) + QLatin1Char('\n') + error);
        return false;
    }
    image_ = ImageBytes(*image);
    return true;
}

bool ProgramTransfer::CheckDeviceModel(bool adopt) {
    const std::optional<int> code = ReadDeviceIdentity(session_);
    if (!code) {
        return false;
    }
    deviceModelCode_ = *code;
    if (adopt) {
        program_.ModelIndex = static_cast<std::uint16_t>(*code);
        if (hooks_.modelChanged) {
            hooks_.modelChanged();
        }
        return true;
    }
    if (*code != program_.ModelIndex) {
        prompter_.show({MessageIcon::Information, LoadText(SelectProperModel), {Reply::Ok}});
        return false;
    }
    return true;
}

int ProgramTransfer::CheckFirmware() {
    state_.ModelByte =
        static_cast<std::uint8_t>(deviceModelCode_ < 0 ? program_.ModelIndex : deviceModelCode_);
    switch (CheckModelFamily(session_)) {
        case ModelFamilyResult::Accepted:
            return 0;
        case ModelFamilyResult::Rejected:
            if (state_.CommFailed) {
                return 3;
            }
            prompter_.show({MessageIcon::Critical, FirmwareNotSupportedMessage(), {Reply::Ok, Reply::Help}});
            return 1;
        case ModelFamilyResult::NoReply:
            break;
    }
    // The transaction reports a silent device itself; only an exchange that ended without a
    // word is reported here.
    if (state_.CommFailed) {
        return 3;
    }
    prompter_.critical(session_.transport().isEthernet() ? EthernetNoReplyMessage() : SerialNoReplyMessage());
    return 2;
}

void ProgramTransfer::cmd_stop_Click() {
    state_.CommCancelled = true;
    state_.IdSearchCount = 254;
    session_.closeIfSerial();
}

bool ProgramTransfer::pc_to_leg_Click() {
    state_.CommFailed = false;
    if (progress_) {
        progress_->setRange(0, kTransferProgressMax);
    }
    progressValue(0);
    if (!CheckProgramErrors() || !BuildProgramImage() || !ConfirmLeaveRun() || !CheckCommPort()) {
        finish();
        return false;
    }
    state_.CommCancelled = false;
    const bool ok = ProbeDevice() && !state_.CommFailed && CheckDevicePassword() && StopDevice() &&
                    CheckDeviceModel(false) && writeChain();
    finish();
    return ok;
}

bool ProgramTransfer::writeChain() {
    const std::optional<int> code = ReadDeviceIdentity(session_);
    if (!code) {
        return false;
    }
    deviceModelCode_ = *code;
    status(LoadText(WritingDevice));
    std::optional<QByteArray> record = ReadConfigRecord(session_, ConfigRecordSize(*code));
    if (!record) {
        return false;
    }
    SwapConfigRecord(*record, steps_.bigEndian);
    if (CheckFirmware() != 0) {
        return false;
    }

    // From here on the device's memory changes: a failure is reported as a failed write.
    status(LoadText(WritingLadder));
    bool written = WriteDeviceArea(session_, Area::ProgramCode, image_.left(kProgramCodeSize),
                                   [this](int, int, int bytes) { progressValue(bytes); });
    if (written) {
        status(LoadText(WritingBlockData));
        written = WriteDeviceArea(session_, Area::BlockData, image_.mid(kProgramCodeSize),
                                  [this](int, int, int bytes) { progressValue(kProgramCodeSize + bytes); });
    }
    if (written) {
        SetExtensionFlags(*record, program_);
        SwapConfigRecord(*record, steps_.bigEndian);
        written = WriteConfigRecord(session_, *record);
    }
    if (!written) {
        status(LoadText(WriteFailed));
        prompter_.critical(LoadText(WriteFailed));
        return false;
    }
    progressValue(kTransferProgressMax);
    status(LoadText(DataWritten));
    prompter_.inform(LoadText(ProgramDownloaded));
    if (prompter_.askYesNo(LoadText(RunModeQuestion))) {
        RunDevice();
    }
    return true;
}

bool ProgramTransfer::leg_to_pc_Click() {
    state_.CommFailed = false;
    if (progress_) {
        progress_->setRange(0, kTransferProgressMax);
    }
    progressValue(0);
    if (!CheckCommPort() || !ConfirmLeaveRun()) {
        finish();
        return false;
    }
    state_.CommCancelled = false;
    bool ok = ProbeDevice() && !state_.CommFailed && CheckDevicePassword() && StopDevice() &&
              CheckDeviceModel(true);
    if (ok) {
        status(LoadText(ReadingDevice));
        const std::optional<int> code = ReadDeviceIdentity(session_);
        ok = code && CheckFirmware() == 0;
    }
    if (ok && program_.ProgramModified) {
        const Reply answer = prompter_.askYesNoCancel(LoadText(SaveChangesQuestion));
        ok = answer == Reply::No || (answer == Reply::Yes && (!hooks_.saveChanges || hooks_.saveChanges()));
    }
    if (ok) {
        ok = readAreas();
    }
    finish();
    return ok;
}

bool ProgramTransfer::readAreas() {
    const auto model = static_cast<std::uint16_t>(deviceModelCode_);
    ResetProgram(program_);
    program_.ModelIndex = model;
    if (hooks_.programReplaced) {
        hooks_.programReplaced();
    }

    const auto fail = [this] {
        status(LoadText(ReadFailed));
        prompter_.critical(LoadText(ReadFailed));
        return false;
    };
    status(LoadText(ReadingLadder));
    QByteArray code;
    if (ReadDeviceArea(session_, Area::ProgramCode, code,
                       [this](int, int, int bytes) { progressValue(bytes); }) != kProgramCodeSize) {
        return fail();
    }
    status(LoadText(ReadingBlockData));
    QByteArray blocks;
    if (ReadDeviceArea(session_, Area::BlockData, blocks, [this](int, int, int bytes) {
            progressValue(kProgramCodeSize + bytes);
        }) != kBlockDataSize) {
        return fail();
    }
    const std::optional<DeviceImage> image = ImageFromBytes(code + blocks);
    std::optional<QByteArray> record = ReadConfigRecord(session_, ConfigRecordSize(model));
    if (!image || !record) {
        return fail();
    }
    ReadImage(*image, steps_.bigEndian, program_);
    SwapConfigRecord(*record, steps_.bigEndian);
    // The record carries which extension modules the program was written for.
    const auto flags = static_cast<std::uint8_t>(record->at(ConfigLayout::FlagsByte));
    for (int module = 0; module < kExtensionModules; ++module) {
        program_.ExtensionModules[static_cast<std::size_t>(module)] = (flags >> module) & 1;
    }
    program_.ModelIndex = model;
    if (hooks_.programReplaced) {
        hooks_.programReplaced();
    }
    progressValue(kTransferProgressMax);
    status(LoadText(DeviceDataRead));
    prompter_.inform(LoadText(ProgramRead));
    return true;
}

}  // namespace bdx
