#include "virtual_device.h"

#include <algorithm>

#include "comm/byte_reader.h"
#include "comm/modbus_crc.h"
#include "device/device_core.h"

namespace bdx {

namespace {

// The device-key letter the scan engine knows by element code.
constexpr std::uint16_t kKeyCode = 'Z';
constexpr int kMaxVoltage = 1000;

// Address 1 reaches the communication registers whatever the device's own address, so that a
// device with a forgotten address can still be set up.
bool reachesServiceRegisters(const ByteReader& body) {
    const std::uint8_t function = body.u8(1).value_or(0);
    const int start = body.u16be(2).value_or(-1);
    return body.u8(0) == DeviceAddress::Service &&
           (function == FunctionCode::ReadHoldingRegisters || function == FunctionCode::WriteRegisters ||
            function == FunctionCode::WriteRegister) &&
           start >= kCommParamRegister && start < kCommParamRegister + kCommParamCount;
}

}  // namespace

VirtualDevice::VirtualDevice(VirtualDeviceOptions options, const Clock& clock)
    : d_(std::make_unique<DeviceCore>(std::move(options), clock)) {
    DeviceCore& s = *d_;
    DeviceMemory& m = s.memory;
    s.options.model = m.model();
    s.options.id = std::clamp(s.options.id, int(DeviceAddress::FirstId), int(DeviceAddress::LastId));
    m.comm.modbusId = s.options.id;
    m.firmware = s.options.firmware.left(kFirmwareTextLength);
    std::fill(m.image.begin(), m.image.begin() + kProgramCodeSize, std::uint8_t(CellEmpty));
    bool ok = false;
    const int password = s.options.password.toInt(&ok);
    if (ok && password >= 1 && password <= kMaxPassword) {
        m.setRecordWord(ConfigLayout::Level1Password, password);
        m.config[ConfigLayout::PasswordByte] = char(ConfigLayout::PasswordActive);
    }
}

VirtualDevice::~VirtualDevice() = default;

QByteArray VirtualDevice::handleFrame(const QByteArray& request) {
    DeviceCore& s = *d_;
    if (request.size() < kMinFrameBytes || !HasValidCrc(request)) {
        return {};
    }
    const QByteArray body = request.left(request.size() - kCrcBytes);
    if (s.mode == DeviceMode::Loader) {
        const FirmwareLoader::Answer answer = s.loader.answer(body, s.model());
        if (answer.rebooted) {
            if (answer.firmware) {
                s.memory.firmware = *answer.firmware;
            }
            s.mode = DeviceMode::Stop;
            s.error = DeviceError::None;
            s.changed();
        }
        return answer.reply.isEmpty() ? answer.reply : WithCrc(answer.reply);
    }
    const ByteReader r(body);
    const std::uint8_t address = *r.u8(0);
    const bool own = address == s.memory.comm.modbusId || address == DeviceAddress::PointToPoint;
    const bool broadcast = address == DeviceAddress::Broadcast;
    if (!own && !broadcast && !reachesServiceRegisters(r)) {
        return {};
    }
    const QByteArray reply = AnswerRequest(s, body);
    if (broadcast || reply.isEmpty()) {
        return {};
    }
    return WithCrc(reply);
}

void VirtualDevice::setInput(int module, int n, bool on) {
    if (module >= 0 && module < kDeviceModules && n >= 1 && n <= kInputsPerModule) {
        d_->inputs[module][n - 1] = on;
    }
}

bool VirtualDevice::input(int module, int n) const {
    return module >= 0 && module < kDeviceModules && n >= 1 && n <= kInputsPerModule &&
           d_->inputs[module][n - 1];
}

void VirtualDevice::setVoltage(int channel, int hundredths) {
    DeviceCore& s = *d_;
    if (channel < 0 || channel >= kAnalogChannels) {
        return;
    }
    const int value = std::clamp(hundredths, 0, kMaxVoltage);
    if (value == s.voltages[channel]) {
        return;  // the same value again must not undo a ticked input
    }
    s.voltages[channel] = value;
    if (HasAnalog(s.model())) {
        // Inputs 7 and 8 share their terminal with the analog channel: the same thresholds
        // as the simulation's sliders.
        bool& twin = s.inputs[channel / 2][6 + channel % 2];
        if (value >= kSliderDigitalOn) {
            twin = true;
        } else if (value < kSliderDigitalOff) {
            twin = false;
        }
    }
}

int VirtualDevice::voltage(int channel) const {
    return channel >= 0 && channel < kAnalogChannels ? d_->voltages[channel] : 0;
}

void VirtualDevice::setKey(int z, bool pressed) {
    if (z >= 1 && z <= kDeviceKeys) {
        d_->keys[z - 1] = pressed;
    }
}

bool VirtualDevice::key(int z) const {
    return z >= 1 && z <= kDeviceKeys && d_->keys[z - 1];
}

bool VirtualDevice::output(int module, int n) const {
    return d_->outputOn(module, n);
}

std::uint8_t VirtualDevice::outputByte(int module) const {
    std::uint8_t byte = 0;
    for (int n = 1; n <= kOutputsPerModule; ++n) {
        byte = static_cast<std::uint8_t>(byte | (d_->outputOn(module, n) ? 1 << (n - 1) : 0));
    }
    return byte;
}

void VirtualDevice::tick() {
    DeviceCore& s = *d_;
    if (s.mode != DeviceMode::Run || !s.scanning) {
        return;
    }
    ScanEngine& engine = s.sim.engine();
    for (int m = 0; m < kDeviceModules; ++m) {
        for (int k = 0; k < kInputsPerModule; ++k) {
            engine.setInput(kInputLetters[m], k + 1, s.inputs[m][k]);
        }
    }
    for (int z = 0; z < kDeviceKeys; ++z) {
        engine.setOperand(kKeyCode, z + 1, s.keys[z]);
    }
    for (int c = 0; c < kAnalogChannels; ++c) {
        s.sim.blocks().analog.setSlider(c, s.voltages[c]);
    }
    if (s.sim.ScanOnce() != 2) {
        s.sim.EndSimulation();
        s.scanning = false;
        s.error = DeviceError::ProgramEnded;
        s.changed();
    }
}

bool VirtualDevice::running() const {
    return d_->mode == DeviceMode::Run;
}
bool VirtualDevice::pcControl() const {
    return d_->mode == DeviceMode::PcControl;
}
int VirtualDevice::mode() const {
    return d_->mode;
}
void VirtualDevice::run() {
    if (d_->mode != DeviceMode::Loader) {
        d_->startRun();
    }
}
void VirtualDevice::stop() {
    if (d_->mode != DeviceMode::Loader) {
        d_->stop();
    }
}
int VirtualDevice::model() const {
    return d_->model();
}
int VirtualDevice::id() const {
    return d_->memory.comm.modbusId;
}
DeviceCommParams VirtualDevice::commParameters() const {
    return d_->memory.comm;
}
QString VirtualDevice::firmware() const {
    return d_->memory.firmware;
}
int VirtualDevice::deviceError() const {
    return d_->error;
}
void VirtualDevice::setDeviceError(int error) {
    d_->error = error;
}
QDateTime VirtualDevice::dateTime() const {
    return d_->memory.clock.dateTime();
}
int VirtualDevice::stateRevision() const {
    return d_->revision;
}
const DeviceImage& VirtualDevice::image() const {
    return d_->memory.image;
}
const QByteArray& VirtualDevice::configRecord() const {
    return d_->memory.config;
}

bool VirtualDevice::loadImage(const DeviceImage& image, bool bigEndian, const QByteArray& configRecord) {
    DeviceCore& s = *d_;
    if (s.mode == DeviceMode::Loader) {
        return false;
    }
    DeviceMemory& m = s.memory;
    m.image = image;
    m.imageBigEndian = bigEndian;
    if (!configRecord.isEmpty()) {
        QByteArray record = configRecord.left(m.recordSize());
        record.append(m.recordSize() - record.size(), '\0');
        m.config = record;
    }
    s.startRun();
    return s.scanning;
}

}  // namespace bdx
