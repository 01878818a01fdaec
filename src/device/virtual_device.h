#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>

#include "comm/comm_settings.h"
#include "comm/device_image.h"
#include "comm/device_protocol.h"

// The virtual device: the memory, registers and modes of a small programmable relay, answering
// Modbus RTU request frames as the real device does, and running the program stored in it.
// No transport here: the server process and the emulation library put frames and panel
// actions in and take replies and outputs out.
namespace bdx {

class Clock;
struct DeviceCore;

struct VirtualDeviceOptions {
    int model = 9;                                   // device model code 0..15
    int id = 1;                                      // Modbus address 1..247
    QString firmware = QStringLiteral("QX2 V2.10");  // up to 9 characters, in the identity reply
    QString password;                                // four digits, empty for none
    // Byte order of the image and the configuration record as the device keeps them; the
    // program's BigEndian setting must match it.
    bool bigEndian = true;
};

// Device error codes of the status block.
namespace DeviceError {
inline constexpr int None = 0;
inline constexpr int ProgramInvalid = 1;  // the stored image does not translate or compile
inline constexpr int ProgramEnded = 2;    // the program stopped itself
inline constexpr int External = 3;        // raised from outside (fault injection)
}  // namespace DeviceError

class VirtualDevice {
  public:
    VirtualDevice(VirtualDeviceOptions options, const Clock& clock);
    ~VirtualDevice();

    // One request frame in (CRC included); the reply frame out, CRC included. Empty when the
    // device stays silent: bad CRC, another address, a frame too short to be one.
    QByteArray handleFrame(const QByteArray& request);

    // The front panel. Module 0..3 (base, A, B, C), input or output 1..8 / 1..4.
    void setInput(int module, int n, bool on);
    bool input(int module, int n) const;
    // Analog input channel 0..7 (inputs 7 and 8 of each module) in hundredths of a volt.
    void setVoltage(int channel, int hundredths);
    void setKey(int z, bool pressed);  // Z1..Z4
    bool output(int module, int n) const;
    std::uint8_t outputByte(int module) const;

    // Advances the device: in run mode one scan of the stored program on the device's clock.
    void tick();
    bool running() const;
    bool pcControl() const;  // online monitoring: outputs set by the PC
    int mode() const;        // DeviceMode
    // The run and stop commands as the panel's RUN/STOP key gives them.
    void run();
    void stop();

    int voltage(int channel) const;
    bool key(int z) const;

    int model() const;
    int id() const;                           // the Modbus address it answers to
    DeviceCommParams commParameters() const;  // holding registers 1000..1003
    QString firmware() const;
    int deviceError() const;
    void setDeviceError(int error);
    // The device's calendar: the clock's, moved by what the program last set.
    QDateTime dateTime() const;

    // Counts every change that saveState keeps (image, record, registers, mode, firmware...),
    // so that a server knows when to save.
    int stateRevision() const;

    // The stored image and configuration record, as the program last wrote them.
    const DeviceImage& image() const;
    const QByteArray& configRecord() const;
    // Loads an image directly (the emulation library's image file), with the configuration
    // record when one is given, and starts running it. False when it cannot scan.
    bool loadImage(const DeviceImage& image, bool bigEndian, const QByteArray& configRecord = {});

    // Memory kept between runs of the server (--state DIR), in one file written atomically.
    // Loading a folder without a kept state changes nothing and succeeds.
    bool saveState(const QString& folder, QString* error = nullptr) const;
    bool loadState(const QString& folder, QString* error = nullptr);

    // A readable summary of inputs, outputs, mode and clock, for the line protocol's dump.
    QString dump() const;

  private:
    std::unique_ptr<DeviceCore> d_;
};

}  // namespace bdx
