#include "comm/firmware_update.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <utility>

#include "blocks/device_model.h"
#include "comm/byte_reader.h"
#include "comm/comm_texts.h"
#include "comm/device_steps.h"
#include "comm/modbus_crc.h"
#include "comm/modbus_requests.h"
#include "comm/transport.h"
#include "shell/language_table.h"
#include "shell/prompter.h"

namespace bdx {

namespace {

constexpr int kTextHoldOkKey = 328;
constexpr int kTextPackageCannotOpen = 8170;
constexpr int kTextImageCannotWrite = 8171;
constexpr int kLoaderAttempts = 3;

QByteArray withCrcSlots(QByteArray body) {
    body.append(2, '\0');
    return body;
}

void appendAddress(QByteArray& frame, int address) {
    frame.append(static_cast<char>(address >> 16 & 0xFF));
    frame.append(static_cast<char>(address >> 8 & 0xFF));
    frame.append(static_cast<char>(address & 0xFF));
}

// Byte 1 of a loader reply is its status: 0 for done.
template <typename Reply>
bool loaderAccepted(const Reply& reply) {
    return reply.body && ByteReader(*reply.body).u8(1) == 0;
}

QString joinLines(const QString& first, const QString& second) {
    return first + u'\n' + second;
}

// Puts the serial line on the fixed firmware settings for the update and back afterwards.
class FixedLineScope {
  public:
    explicit FixedLineScope(Transport& transport) : serial_(dynamic_cast<SerialTransport*>(&transport)) {
        if (serial_ != nullptr) {
            serial_->setLineSettingsOverride(QString::fromLatin1(kFixedLineSettings));
        }
    }
    ~FixedLineScope() {
        if (serial_ != nullptr) {
            serial_->setLineSettingsOverride({});
        }
    }
    FixedLineScope(const FixedLineScope&) = delete;
    FixedLineScope& operator=(const FixedLineScope&) = delete;

  private:
    SerialTransport* serial_;
};

// The loader frames are exchanged on one open port.
class OpenPortScope {
  public:
    explicit OpenPortScope(ModbusSession& session) : session_(session) { session_.openIfSerial(); }
    ~OpenPortScope() { session_.closeIfSerial(); }
    OpenPortScope(const OpenPortScope&) = delete;
    OpenPortScope& operator=(const OpenPortScope&) = delete;

  private:
    ModbusSession& session_;
};

}  // namespace

QByteArray LoaderRequest(std::uint8_t command) {
    QByteArray frame(1, static_cast<char>(command));
    frame.append('\0');
    return withCrcSlots(frame);
}

QByteArray LoaderWriteRequest(int address, const QByteArray& data) {
    QByteArray frame(1, static_cast<char>(LoaderCommand::Write));
    appendAddress(frame, address);
    frame.append(static_cast<char>(data.size()));
    frame.append(data);
    return withCrcSlots(frame);
}

QByteArray LoaderReadRequest(int address, int length) {
    QByteArray frame(1, static_cast<char>(LoaderCommand::Read));
    appendAddress(frame, address);
    frame.append(static_cast<char>(length));
    return withCrcSlots(frame);
}

int LoaderBlockSize(int loaderType) {
    return loaderType == 1 ? kPacketSize : kLoaderBlockSize;
}

QString InvalidPackageMessage() {
    return LoadText(CommText::InvalidPackage);
}

QString LineSettingsMessage() {
    return LoadText(CommText::FixedLineSettingsNeeded);
}

QString UnsupportedPackageMessage(const QString& version) {
    return joinLines(LoadText(CommText::PackageVersionUnsupported).arg(version), LoadText(CommText::SeeHelp));
}

FirmwareUpdate::FirmwareUpdate(ModbusSession& session, QString imageFolder, FirmwareProgress* progress)
    : session_(session), imageFolder_(std::move(imageFolder)), progress_(progress) {}

QString FirmwareUpdate::imagePath() const {
    return QDir(imageFolder_).filePath(QString::fromLatin1(kFirmwareImageName));
}

bool FirmwareUpdate::selectPackage(const QString& path) {
    Prompter& prompter = session_.prompter();
    ready_ = false;
    package_.reset();
    PackageReadResult read = ReadFirmwarePackage(path);
    if (read.error == PackageError::CannotOpen) {
        prompter.critical(LoadText(kTextPackageCannotOpen));
        return false;
    }
    if (!read.package) {
        prompter.critical(InvalidPackageMessage());
        return false;
    }
    package_ = std::move(read.package);
    if (!package_->supported()) {
        prompter.show(
            {MessageIcon::Critical, UnsupportedPackageMessage(package_->version), {Reply::Ok, Reply::Help}});
        return false;
    }
    if (!QDir().mkpath(imageFolder_) || !WriteFirmwareImage(package_->image, imagePath())) {
        prompter.critical(LoadText(kTextImageCannotWrite));
        return false;
    }
    ready_ = true;
    return true;
}

void FirmwareUpdate::stop() {
    stopRequested_ = true;
    session_.state().CommCancelled = true;
}

FirmwareResult FirmwareUpdate::run(bool verify) {
    Prompter& prompter = session_.prompter();
    CommState& state = session_.state();
    DeviceSteps steps(session_);
    steps.showCommSettings = showCommSettings;
    if (!steps.CheckCommPort()) {
        return FirmwareResult::Refused;
    }
    if (!session_.transport().isEthernet() &&
        state.lineSettings().compare(QString::fromLatin1(kFixedLineSettings), Qt::CaseInsensitive) != 0) {
        prompter.warn(LineSettingsMessage());
        return FirmwareResult::Refused;
    }
    // The update writes what was unpacked, not what is in memory: the image file is the one
    // truth between choosing the package and starting.
    QByteArray image;
    if (packageReady()) {
        QFile file(imagePath());
        if (file.open(QIODevice::ReadOnly)) {
            image = file.read(kFirmwareMemorySize + 1);
        }
    }
    if (image.isEmpty() || image.size() > kFirmwareMemorySize) {
        prompter.critical(InvalidPackageMessage());
        return FirmwareResult::Refused;
    }
    stopRequested_ = false;
    state.CommCancelled = false;
    FixedLineScope line(session_.transport());
    const FirmwareResult result = runChecked(verify, image);
    stage_ = FirmwareStage::Idle;
    return result;
}

FirmwareResult FirmwareUpdate::runChecked(bool verify, const QByteArray& image) {
    Prompter& prompter = session_.prompter();
    CommState& state = session_.state();
    stage_ = FirmwareStage::Connecting;
    if (progress_ != nullptr) {
        progress_->setStatus(LoadText(CommText::Connecting));
    }
    const std::optional<int> model = ReadDeviceIdentity(session_);
    if (!model) {
        return stopRequested_ ? FirmwareResult::Stopped : FirmwareResult::Failed;
    }
    state.ModelByte = static_cast<std::uint8_t>(*model);
    switch (CheckModelFamily(session_)) {
        case ModelFamilyResult::NoReply:
            return stopRequested_ ? FirmwareResult::Stopped : FirmwareResult::Failed;
        case ModelFamilyResult::Rejected:
            prompter.critical(LoadText(CommText::PackageTypesDiffer));
            return FirmwareResult::Refused;
        case ModelFamilyResult::Accepted:
            break;
    }
    if (const FirmwareResult checked = checkDevice(*model); checked != FirmwareResult::Updated) {
        return checked;
    }
    stage_ = FirmwareStage::Confirmed;
    if (!prompter.askYesNo(joinLines(LoadText(CommText::WillOverwriteFirmware).arg(package_->version),
                                     LoadText(CommText::ReleaseOkAndPressYes)))) {
        return FirmwareResult::Declined;
    }
    if (stopRequested_) {
        return FirmwareResult::Stopped;  // a transaction clears CommCancelled; our own flag remembers
    }
    int loaderType = 0;
    if (const FirmwareResult entered = enterLoader(*model, loaderType); entered != FirmwareResult::Updated) {
        return entered;
    }
    return program(image, loaderType, verify);
}

FirmwareResult FirmwareUpdate::checkDevice(int model) {
    Prompter& prompter = session_.prompter();
    const FirmwarePackage& package = *package_;
    if (package.family() != ModelFamilyTable[static_cast<std::size_t>(model)]) {
        prompter.critical(LoadText(CommText::PackageTypesDiffer));
        return FirmwareResult::Refused;
    }
    if (package.model() != kQvexAnyModel && package.model() != model) {
        prompter.critical(LoadText(CommText::PackageTypeDiffers));
        return FirmwareResult::Refused;
    }
    const QString deviceText = session_.state().FirmwareText.trimmed();
    const std::optional<QList<int>> device = FirmwareVersionNumbers(deviceText);
    if (!device) {
        prompter.critical(LoadText(CommText::FirmwareNotSupported));
        return FirmwareResult::Refused;
    }
    const std::optional<QList<int>> offered = FirmwareVersionNumbers(package.version);
    if (!offered) {
        prompter.critical(LoadText(CommText::FirmwareIncompatible));
        return FirmwareResult::Refused;
    }
    if (device->front() < package.minimumMainVersion()) {
        prompter.show(
            {MessageIcon::Critical,
             joinLines(LoadText(CommText::DeviceFirmwareIncompatible).arg(deviceText, package.version),
                       LoadText(CommText::SelectProperPackage)),
             {Reply::Ok, Reply::Help}});
        return FirmwareResult::Refused;
    }
    const int order = CompareFirmwareVersions(*device, *offered);
    if (order >= 0) {
        const QString fact =
            LoadText(order > 0 ? CommText::DeviceFirmwareHigher : CommText::DeviceFirmwareSame);
        if (!prompter.askYesNo(joinLines(fact, LoadText(CommText::StillContinue)))) {
            return FirmwareResult::Declined;
        }
    }
    return FirmwareResult::Updated;
}

FirmwareResult FirmwareUpdate::enterLoader(int model, int& loaderType) {
    Prompter& prompter = session_.prompter();
    stage_ = FirmwareStage::Loader;
    // Any item switches the running firmware to its loader; the device answers first.
    if (!WriteDeviceItem(session_, Area::Loader, QByteArray("\x01\x5A", 2))) {
        return stopRequested_ ? FirmwareResult::Stopped : FirmwareResult::Failed;
    }
    prompter.inform(LoadText(HasDisplay(model) ? kTextHoldOkKey : int(CommText::HoldRunStopKey)));
    OpenPortScope port(session_);
    const LoaderReply identity = loaderExchange(LoaderRequest(LoaderCommand::Identify));
    if (identity.cancelled) {
        return FirmwareResult::Stopped;
    }
    const ByteReader identified(identity.body.value_or(QByteArray()));
    if (identified.size() < 3 || identified.u8(1) != model) {
        prompter.critical(
            joinLines(LoadText(CommText::CannotConfirmDevice), LoadText(CommText::VerifyOkKeyPressed)));
        return FirmwareResult::Failed;
    }
    loaderType = *identified.u8(2);
    return FirmwareResult::Updated;
}

FirmwareResult FirmwareUpdate::program(const QByteArray& image, int loaderType, bool verify) {
    OpenPortScope port(session_);
    stage_ = FirmwareStage::Erasing;
    if (progress_ != nullptr) {
        progress_->setStatus(LoadText(CommText::UpdatingFirmware));
    }
    const QString eraseFailed = LoadText(CommText::EraseFailed);
    const LoaderReply erased = loaderExchange(LoaderRequest(LoaderCommand::Erase));
    if (erased.cancelled) {
        return FirmwareResult::Stopped;  // nothing erased yet: the old firmware still runs after a reset
    }
    if (!loaderAccepted(erased)) {
        return fail(eraseFailed);
    }

    const int block = LoaderBlockSize(loaderType);
    const int blocks = static_cast<int>((image.size() + block - 1) / block);
    stage_ = FirmwareStage::Writing;
    const QString writeFailed = LoadText(CommText::WriteMemoryFailed);
    if (progress_ != nullptr) {
        progress_->setRange(0, blocks);
        progress_->setValue(0);
    }
    for (int i = 0; i < blocks; ++i) {
        if (stopRequested()) {
            fail(writeFailed);
            return FirmwareResult::Stopped;
        }
        const QByteArray data = image.mid(static_cast<qsizetype>(i) * block, block);
        const LoaderReply written = loaderExchange(LoaderWriteRequest(i * block, data));
        if (written.cancelled) {
            fail(writeFailed);
            return FirmwareResult::Stopped;
        }
        if (!loaderAccepted(written)) {
            return fail(writeFailed);
        }
        if (progress_ != nullptr) {
            progress_->setValue(i + 1);
        }
    }

    if (verify) {
        stage_ = FirmwareStage::Verifying;
        const QString readFailed = LoadText(CommText::ReadMemoryFailed);
        if (progress_ != nullptr) {
            progress_->setRange(0, blocks);
            progress_->setValue(0);
        }
        for (int i = 0; i < blocks; ++i) {
            if (stopRequested()) {
                fail(readFailed);
                return FirmwareResult::Stopped;
            }
            const QByteArray expected = image.mid(static_cast<qsizetype>(i) * block, block);
            const LoaderReply read =
                loaderExchange(LoaderReadRequest(i * block, static_cast<int>(expected.size())));
            if (read.cancelled) {
                fail(readFailed);
                return FirmwareResult::Stopped;
            }
            if (!read.body || ByteReader(*read.body).u8(1) != expected.size() ||
                read.body->size() != expected.size() + 2) {
                return fail(readFailed);
            }
            if (read.body->mid(2) != expected) {
                return fail(LoadText(CommText::VerifyFailed));
            }
            if (progress_ != nullptr) {
                progress_->setValue(i + 1);
            }
        }
    }

    stage_ = FirmwareStage::Rebooting;
    const LoaderReply rebooted = loaderExchange(LoaderRequest(LoaderCommand::Reboot));
    if (!loaderAccepted(rebooted)) {
        return fail(LoadText(CommText::RebootFailed));
    }
    session_.prompter().inform(LoadText(CommText::Successful));
    return FirmwareResult::Updated;
}

FirmwareUpdate::LoaderReply FirmwareUpdate::loaderExchange(QByteArray request) {
    CommState& state = session_.state();
    Transport& transport = session_.transport();
    transport.setSilenceInterval(SilenceInterval(state.silenceMs, QStringLiteral("9600")));
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, [&state] { state.ReplyTimedOut = true; });
    for (int attempt = 0; attempt < kLoaderAttempts; ++attempt) {
        if (stopRequested()) {
            return {std::nullopt, true};
        }
        AppendCrc(request);
        state.ReplyTimedOut = false;
        if (transport.sendFrame(request)) {
            timeout.start(state.replyTimeoutMs);
            QByteArray reply;
            const int waited = session_.WaitForReply(reply);
            timeout.stop();
            if (waited == WaitResult::Cancelled) {
                return {std::nullopt, true};
            }
            // Loader replies carry no address: the command byte comes back first.
            if (waited == WaitResult::Reply && reply.size() >= 4 && reply.size() <= state.maxReplyBytes &&
                HasValidCrc(reply) && reply.at(0) == request.at(0)) {
                return {reply.chopped(2), false};
            }
        }
        PauseWithEvents(state.retryPauseMs);
    }
    return {};
}

FirmwareResult FirmwareUpdate::fail(const QString& stepMessage) {
    session_.prompter().show({MessageIcon::Critical,
                              joinLines(joinLines(stepMessage, LoadText(CommText::FirmwareUpdateFailed)),
                                        LoadText(CommText::SeeHelp)),
                              {Reply::Ok, Reply::Help}});
    return FirmwareResult::Failed;
}

}  // namespace bdx
