#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

#include "comm/firmware_package.h"
#include "comm/modbus_transaction.h"

// Replacing the device's firmware with the image of a ".qvex" package: the checks against the
// connected device, the switch into the device's loader and the loader's erase, block write,
// read-back and reboot. Talks to the user only through the session's Prompter and a progress
// sink; a Stop sets CommCancelled.
namespace bdx {

// What a progress bar and status line of the caller show. Every member may be left as is.
class FirmwareProgress {
  public:
    virtual ~FirmwareProgress() = default;
    virtual void setRange(int /*minimum*/, int /*maximum*/) {}
    virtual void setValue(int /*value*/) {}
    virtual void setStatus(const QString& /*text*/) {}
};

// Loader frames (CRC slots included, to be filled by AppendCrc).
QByteArray LoaderRequest(std::uint8_t command);  // command, 0
QByteArray LoaderWriteRequest(int address, const QByteArray& data);
QByteArray LoaderReadRequest(int address, int length);

// Block size of a loader type: 200 bytes for type 1, 128 otherwise.
int LoaderBlockSize(int loaderType);

enum class FirmwareStage { Idle, Connecting, Confirmed, Loader, Erasing, Writing, Verifying, Rebooting };

enum class FirmwareResult {
    Updated,
    Refused,   // a check failed before the device was touched
    Declined,  // the user answered No
    Failed,    // a step failed (after erasing the device has no working firmware)
    Stopped,   // Stop during the update
};

// The user-facing texts that tests and other front ends compare against.
QString InvalidPackageMessage();
QString LineSettingsMessage();
QString UnsupportedPackageMessage(const QString& version);

class FirmwareUpdate {
  public:
    // `imageFolder` receives the unpacked image (the application folder in the program).
    FirmwareUpdate(ModbusSession& session, QString imageFolder, FirmwareProgress* progress = nullptr);

    // Choosing a package: reads it, shows its version and build time (version(), dateTime()),
    // refuses an unsupported one and unpacks the image file. False, with the message shown,
    // when the package cannot be used.
    bool selectPackage(const QString& path);
    bool packageReady() const { return package_.has_value() && ready_; }
    QString version() const { return package_ ? package_->version : QString(); }
    QString dateTime() const { return package_ ? package_->dateTimeText() : QString(); }
    QString imagePath() const;

    // The whole update; every failure is reported before it returns. It starts with the port
    // check of the transfer (the USB cable looked up, the settings shown when no port is set).
    FirmwareResult run(bool verify);
    // No serial port chosen: show the communication settings modally.
    std::function<void()> showCommSettings;
    // The Stop button: the block loop ends at its next check.
    void stop();

    FirmwareStage stage() const { return stage_; }
    bool running() const { return stage_ != FirmwareStage::Idle; }

  private:
    struct LoaderReply {
        std::optional<QByteArray> body;  // reply without CRC; nothing when no valid reply came
        bool cancelled = false;
    };
    FirmwareResult runChecked(bool verify, const QByteArray& image);
    FirmwareResult checkDevice(int model);
    FirmwareResult enterLoader(int model, int& loaderType);
    FirmwareResult program(const QByteArray& image, int loaderType, bool verify);
    LoaderReply loaderExchange(QByteArray request);
    FirmwareResult fail(const QString& stepMessage);
    bool stopRequested() const { return stopRequested_ || session_.state().CommCancelled; }

    ModbusSession& session_;
    QString imageFolder_;
    FirmwareProgress* progress_;
    std::optional<FirmwarePackage> package_;
    bool ready_ = false;
    bool stopRequested_ = false;
    FirmwareStage stage_ = FirmwareStage::Idle;
};

}  // namespace bdx
