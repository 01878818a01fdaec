#include "device/virtual_device.h"

#include <dlfcn.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdint>
#include <string>
#include <vector>

#include "../check/ladder_drawing.h"
#include "../comm/fake_transport.h"
#include "comm/device_image.h"
#include "comm/modbus_crc.h"
#include "comm/modbus_requests.h"
#include "device_process.h"
#include "sim/clock.h"

namespace bdx {
namespace {

using ::testing::_;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using Bytes = std::vector<int>;

using test::Frame;

Bytes ints(const QByteArray& bytes) {
    return Bytes(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                 reinterpret_cast<const std::uint8_t*>(bytes.constData()) + bytes.size());
}

class VirtualDeviceTest : public ::testing::Test {
  protected:
    explicit VirtualDeviceTest(int model = 9) : device(options(model), clock) {}

    static VirtualDeviceOptions options(int model) { return test::DeviceOptions(model, 5, "QX2 V3.07"); }

    // The reply without its CRC; empty for silence. Every reply must carry a good CRC.
    Bytes ask(const Bytes& request) {
        const QByteArray reply = device.handleFrame(Frame(request));
        if (reply.isEmpty()) {
            return {};
        }
        EXPECT_TRUE(HasValidCrc(reply));
        return ints(reply.left(reply.size() - 2));
    }

    ManualClock clock{QDateTime(QDate(2026, 1, 5), QTime(8, 0))};
    VirtualDevice device;
};

class AnalogLedDeviceTest : public VirtualDeviceTest {
  protected:
    AnalogLedDeviceTest() : VirtualDeviceTest(3) {}
};

TEST_F(VirtualDeviceTest, AnswersOnlyFramesMeantForIt) {
    const Bytes identity = {5, 17};
    QByteArray badCrc = Frame(identity);
    badCrc[2] = char(badCrc[2] ^ 1);
    EXPECT_TRUE(device.handleFrame(badCrc).isEmpty());
    EXPECT_TRUE(device.handleFrame(QByteArray("\x05\x11", 2)).isEmpty());
    EXPECT_TRUE(ask({6, 17}).empty());
    EXPECT_TRUE(ask({1, 2, 0, 0, 0, 8}).empty()) << "address 1 reaches the communication registers only";

    const Bytes pointToPoint = ask({254, 3, 3, 232, 0, 1});
    EXPECT_THAT(pointToPoint, ElementsAre(254, 3, 2, 0, 5));
    EXPECT_THAT(ask({1, 3, 3, 232, 0, 4}), ElementsAre(1, 3, 8, 0, 5, 0, 0, 0, 0, 0, 0));

    // A broadcast acts but is never answered.
    EXPECT_TRUE(ask({0, 16, 1, 134, 0, 1, 2, 0, 1}).empty());
    EXPECT_THAT(ask({5, 3, 1, 134, 0, 1}), ElementsAre(5, 3, 2, 0, 1));
}

TEST_F(VirtualDeviceTest, StandardFunctions) {
    device.setInput(0, 1, true);
    device.setInput(0, 3, true);
    device.setInput(1, 8, true);
    device.setInput(3, 2, true);
    device.setKey(2, true);
    device.setVoltage(0, 512);
    device.setVoltage(7, 1000);  // also switches L8 on
    struct Row {
        const char* what;
        Bytes request;
        Bytes reply;
    };
    const Row rows[] = {
        {"inputs I, J, K, L, Z", {5, 2, 0, 0, 0, 40}, {5, 2, 5, 0x05, 0x80, 0x00, 0x82, 0x02}},
        {"inputs from J8", {5, 2, 0, 15, 0, 3}, {5, 2, 1, 0x01}},
        {"analog values", {5, 4, 0, 64, 0, 8}, {5, 4, 16, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 232}},
        {"clock: year, month, day, hour, minute, second",
         {5, 3, 1, 128, 0, 6},
         {5, 3, 12, 7, 234, 0, 1, 0, 5, 0, 8, 0, 0, 0, 0}},
        {"outputs in stop mode", {5, 1, 0, 0, 0, 16}, {5, 1, 2, 0, 0}},
        {"unknown function", {5, 7}, {5, 135, 1}},
        {"inputs past 40", {5, 2, 0, 1, 0, 40}, {5, 130, 2}},
        {"no inputs", {5, 2, 0, 0, 0, 0}, {5, 130, 3}},
        {"analog outside 64..71", {5, 4, 0, 60, 0, 8}, {5, 132, 2}},
        {"registers across two blocks", {5, 3, 1, 128, 0, 100}, {5, 131, 2}},
        {"coils outside PC control", {5, 15, 0, 0, 0, 16, 2, 1, 0}, {5, 143, 6}},
        {"coil byte count wrong", {5, 15, 0, 0, 0, 16, 1, 1}, {5, 143, 3}},
        {"daylight-saving week 5", {5, 16, 1, 135, 0, 1, 2, 0, 5}, {5, 144, 3}},
        {"clock on 30 February", {5, 16, 1, 128, 0, 3, 6, 7, 234, 0, 2, 0, 30}, {5, 144, 3}},
        {"Modbus ID 248", {5, 6, 3, 232, 0, 248}, {5, 134, 3}},
    };
    for (const Row& row : rows) {
        EXPECT_THAT(ask(row.request), ElementsAreArray(row.reply)) << row.what;
    }

    const Bytes id = ask({5, 17});  // firmware text and model: the device server's test
    ASSERT_EQ(id.size(), 50u);
    EXPECT_EQ(id[2], 47);
    EXPECT_EQ(id[4], 0x00) << "not running";
}

TEST_F(AnalogLedDeviceTest, VoltageMovesItsDigitalTwinOnlyWhenItChanges) {
    device.setInput(0, 7, true);
    device.setVoltage(0, 0);  // unchanged: the ticked input stays
    EXPECT_TRUE(device.input(0, 7));
    device.setVoltage(0, 300);
    EXPECT_FALSE(device.input(0, 7));
    device.setVoltage(0, 600);  // between the thresholds: unchanged
    EXPECT_FALSE(device.input(0, 7));
    device.setVoltage(0, 820);
    EXPECT_TRUE(device.input(0, 7));
}

// Setting and reading the clock, the daylight-saving block and the communication parameters
// are the device utilities' and settings' tests against this device: here what they leave out.
TEST_F(VirtualDeviceTest, ClockItemsRefusalsAndBacklight) {
    clock.advance(3100);  // 31 s: the device clock runs on
    EXPECT_THAT(ask({5, 100, 0, 5}), ElementsAre(5, 100, 0, 5, 1, 3, 5, 1, 26));
    EXPECT_THAT(ask({5, 100, 0, 6}), ElementsAre(5, 100, 0, 6, 1, 3, 8, 0, 31));
    EXPECT_THAT(ask({5, 101, 0, 6, 12, 34, 56}), ElementsAre(5, 101, 0, 6, 0, 3)) << "item without length";
    EXPECT_EQ(device.dateTime(), QDateTime(QDate(2026, 1, 5), QTime(12, 34, 56), Qt::UTC));
    EXPECT_THAT(ask({5, 101, 0, 6, 3, 24, 0, 0}), ElementsAre(5, 229, 3));

    EXPECT_THAT(ask({5, 101, 0, 7, 1, 2}), ElementsAre(5, 101, 0, 7, 0, 1));
    EXPECT_THAT(ask({5, 100, 0, 7}), ElementsAre(5, 100, 0, 7, 1, 1, 2));
    EXPECT_THAT(ask({5, 101, 0, 7, 1, 3}), ElementsAre(5, 229, 3));
}

// Whole areas written and read back are the program transfer's test against this device.
TEST_F(VirtualDeviceTest, AreaPacketsAndTheirRefusals) {
    test::DeviceLink link(options(9));
    link.state.ModbusID = 5;
    const QByteArray code(3000, char(0x11));
    ASSERT_TRUE(WriteDeviceArea(link.session, Area::ProgramCode, code));
    EXPECT_THAT(ints(link.device.handleFrame(Frame({5, 100, 0, 2}))), ElementsAre(5, 100, 0, 2, 15, 0, _, _));
    // Two packets of 200 bytes change only the head of the area.
    const QByteArray head(400, char(0x5A));
    ASSERT_TRUE(WriteDeviceArea(link.session, Area::ProgramCode, head));
    QByteArray back;
    EXPECT_EQ(ReadDeviceArea(link.session, Area::ProgramCode, back), 3000);
    EXPECT_EQ(back, head + code.mid(400));
    // A retried "next" comes as "repeat" and gives the same packet again.
    ask({5, 100, 4, 2});
    Bytes second = ask({5, 100, 1, 2});
    Bytes again = ask({5, 100, 2, 2});
    ASSERT_EQ(again.size(), 206u);
    EXPECT_EQ(again[4], 2);
    second[2] = again[2] = 0;
    EXPECT_EQ(again, second);

    // The 11-byte configuration record in a single packet, the last.
    EXPECT_THAT(ask({5, 101, 4, 4, 1, 11, 1, 2, 0, 0, 5, 0, 0, 9, 0, 0, 0}),
                ElementsAre(5, 101, 4, 4, 1, 11));
    EXPECT_THAT(ask({5, 100, 4, 4}), ElementsAre(5, 100, 3, 4, 1, 11, 1, 2, 0, 0, 5, 0, 0, 9, 0, 0, 0));

    struct Row {
        const char* what;
        Bytes request;
        Bytes reply;
    };
    const Row refused[] = {
        {"unknown area", {5, 100, 0, 12}, {5, 228, 2}},
        {"next without a first", {5, 100, 1, 3}, {5, 228, 2}},
        {"unknown sub-command", {5, 100, 7, 2}, {5, 228, 3}},
        {"record of the wrong size", {5, 101, 4, 4, 1, 8, 0, 0, 0, 0, 0, 0, 0, 0}, {5, 229, 3}},
        {"area 5 in packets", {5, 101, 4, 5, 1, 3, 1, 1, 1}, {5, 229, 2}},
        {"read-only area", {5, 101, 0, 1, 1, 0}, {5, 229, 2}},
    };
    for (const Row& row : refused) {
        EXPECT_THAT(ask(row.request), ElementsAreArray(row.reply)) << row.what;
    }
    Bytes pastTheEnd = {5, 101, 3, 3, 6, 200};  // 1000 + 200 > 1190
    pastTheEnd.resize(pastTheEnd.size() + 200, 0);
    EXPECT_THAT(ask(pastTheEnd), ElementsAre(5, 229, 3));
    // The run command is taken; the program area is then closed to writes.
    ask({5, 101, 0, 9, 1, 1});
    EXPECT_THAT(ask({5, 101, 4, 2, 1, 1, 0}), ElementsAre(5, 229, 6));
}

TEST_F(VirtualDeviceTest, ModelFamilyCheck) {
    const Bytes wrongFamily = ask({5, 100, 1, 14, 0, 4, 1, 0, 1, 0});
    EXPECT_THAT(wrongFamily, ElementsAre(5, 228, 1, 14, 0, 4, 1, 9, 2, 0));
    EXPECT_THAT(ask({5, 100, 1, 14, 0, 4, 1, 9, 2, 0}), ElementsAre(5, 100, 1, 14, 0, 4, 1, 9, 2, 0));
    EXPECT_THAT(ask({5, 100, 1, 14, 0, 4, 1, 12, 2, 0}), ElementsAre(5, 100, 1, 14, 0, 4, 1, 12, 2, 0))
        << "another model of the same family";
    EXPECT_THAT(ask({5, 100, 1, 14, 0, 4, 1, 3, 2, 0}), ElementsAre(5, 228, 1, 14, 0, 4, 1, 9, 2, 0));
}

TEST_F(VirtualDeviceTest, ModesCommandsAndStatus) {
    EXPECT_THAT(ask({5, 100, 0, 1}), ElementsAre(5, 100, 0, 1, 1, 14, 'Q', 'X', '2', ' ', 'V', '3', '.', '0',
                                                 '7', 9, 0, 0x03, 0x07, 0));
    EXPECT_THAT(ask({5, 100, 0, 13, 0, 0}), ElementsAre(5, 100, 0, 13, 0, 3, 3, 0, 0));

    // PC control: outputs as the PC writes them, inputs read as always.
    EXPECT_THAT(ask({5, 101, 0, 8}), ElementsAre(5, 101, 0, 8, 0, 0));
    EXPECT_TRUE(device.pcControl());
    EXPECT_THAT(ask({5, 15, 0, 0, 0, 16, 2, 0x25, 0x81}), ElementsAre(5, 15, 0, 0, 0, 16));
    EXPECT_EQ((Bytes{device.outputByte(0), device.outputByte(1), device.outputByte(2), device.outputByte(3)}),
              (Bytes{0x05, 0x02, 0x01, 0x08}));
    EXPECT_THAT(ask({5, 5, 0, 1, 0xFF, 0}), ElementsAre(5, 5, 0, 1, 0xFF, 0));
    EXPECT_EQ(device.outputByte(0), 0x07);
    EXPECT_THAT(ask({5, 1, 0, 0, 0, 16}), ElementsAre(5, 1, 2, 0x27, 0x81));
    EXPECT_THAT(ask({5, 100, 0, 13, 0, 0}), ElementsAre(5, 100, 0, 13, 0, 3, 2, 0, 0));

    // Stop leaves PC control with the outputs off; an empty program runs with a device error.
    EXPECT_THAT(ask({5, 101, 0, 9, 1, 3}), ElementsAre(5, 101, 0, 9, 0, 1));
    EXPECT_EQ(device.outputByte(0), 0);
    EXPECT_THAT(ask({5, 101, 0, 9, 1, 2}), ElementsAre(5, 229, 3));
    EXPECT_THAT(ask({5, 101, 0, 8, 1, 7}), ElementsAre(5, 229, 3));
    ask({5, 101, 0, 9, 1, 1});
    EXPECT_TRUE(device.running());
    EXPECT_THAT(ask({5, 100, 0, 13, 0, 0}), ElementsAre(5, 100, 0, 13, 1, 3, 1, 1, 0));
    EXPECT_EQ(ask({5, 17})[4], 0xFF);
}

// Written through frames and run: the program transfer's test against this device. Here the
// keys and a timer on the device's clock.
TEST_F(VirtualDeviceTest, StoredProgramRunsOnTheDevicesClock) {
    Ladder l(9);
    l.rung(1, 'I', 1, 'Q', 1).rung(2, 'Z', 1, 'Q', 2).rung(3, 'I', 2, 'T', 1);
    l.rung(4, 'T', 1, 'Q', 3);
    l.p.TimerParams[0][TimerField::OnTime + 2] = 1;  // type A, 1.0 s
    ASSERT_TRUE(device.loadImage(BuildImage(l.p, true).value(), true));
    ASSERT_TRUE(device.running());
    ASSERT_EQ(device.deviceError(), 0);

    device.setKey(1, true);
    device.tick();
    EXPECT_THAT(ask({5, 1, 0, 0, 0, 4}), ElementsAre(5, 1, 1, 0x02));
    device.setInput(0, 2, true);
    device.tick();
    clock.advance(150);
    device.tick();
    device.tick();
    EXPECT_TRUE(device.output(0, 3));

    EXPECT_THAT(device.dump().toStdString(), ::testing::HasSubstr("Q 0110"));
    ask({5, 101, 0, 9, 1, 3});
    EXPECT_EQ(device.outputByte(0), 0);
}

TEST_F(VirtualDeviceTest, Passwords) {
    const auto password = [&](int op, int level, int old, int fresh) {
        const Bytes r = ask({5, 101, 0, 10, 6, op, level, old >> 8, old & 255, fresh >> 8, fresh & 255});
        return r.size() == 6 ? r[4] : -1;
    };
    EXPECT_EQ(password(3, 1, 0, 0), 2) << "nothing to check";
    EXPECT_EQ(password(1, 1, 0, 1234), 0);
    EXPECT_EQ(ints(device.configRecord().left(3)), (Bytes{0x04, 0xD2, 0x02}));
    EXPECT_EQ(password(1, 1, 1111, 4321), 1);
    EXPECT_EQ(password(3, 1, 1234, 0), 0);
    EXPECT_EQ(password(1, 2, 0, 10000), 4);
    EXPECT_EQ(password(1, 2, 0, 99), 0);
    EXPECT_THAT(ask({5, 100, 0, 10}), ElementsAre(5, 100, 0, 10, 1, 1, 7));

    ask({5, 101, 0, 4, 11, 0x04, 0xD2, 0x02, 0, 0xC0, 0, 0, 99, 0, 0, 0});
    EXPECT_EQ(password(2, 1, 1234, 0), 0);
    EXPECT_EQ(ints(device.configRecord().left(5)), (Bytes{0, 0, 0, 0, 0x40})) << "its Reset bit goes with it";
    EXPECT_EQ(password(2, 1, 1234, 0), 2);
    EXPECT_EQ(password(9, 1, 0, 0), 5);
}

TEST_F(AnalogLedDeviceTest, EightByteRecordHasNoLevel2Password) {
    EXPECT_EQ(device.configRecord().size(), 8);
    EXPECT_THAT(ask({5, 101, 0, 10, 6, 1, 2, 0, 0, 0, 99}), ElementsAre(5, 101, 0, 10, 3, 6));
}

TEST_F(VirtualDeviceTest, FirmwareLoader) {
    EXPECT_THAT(ask({5, 101, 0, 11, 1, 0x5A}), ElementsAre(5, 101, 0, 11, 0, 1));
    EXPECT_EQ(device.mode(), DeviceMode::Loader);
    EXPECT_TRUE(ask({5, 17}).empty()) << "the loader answers its own frames only";

    EXPECT_THAT(ask({13, 0}), ElementsAre(13, 9, 0));
    EXPECT_THAT(ask({32, 0, 0, 0, 1, 65}), ElementsAre(32, 1)) << "nothing written before an erase";
    EXPECT_THAT(ask({14, 0}), ElementsAre(14, 0));
    EXPECT_THAT(ask({35, 0}), ElementsAre(35, 1)) << "an erased device has no firmware to start";

    // Blocks written and read back whole are the firmware update's test against this device.
    EXPECT_THAT(ask({32, 0, 0, 0, 10, 'Q', 'X', '3', ' ', 'V', '4', '.', '0', '1', 0xC3}),
                ElementsAre(32, 0));
    EXPECT_EQ(ask({33, 0, 0, 9, 2}), (Bytes{33, 2, 0xC3, 0xFF})) << "past the image: erased";
    EXPECT_THAT(ask({32, 1, 255, 255, 2, 0, 0}), ElementsAre(32, 1)) << "past the memory";

    EXPECT_THAT(ask({35, 0}), ElementsAre(35, 0));
    EXPECT_EQ(device.mode(), DeviceMode::Stop);
    EXPECT_EQ(device.firmware(), QStringLiteral("QX3 V4.01"));
    const Bytes info = ask({5, 100, 0, 1});
    ASSERT_EQ(info.size(), 20u);
    EXPECT_EQ(info[17], 4);
    EXPECT_EQ(info[18], 1);
}

TEST_F(VirtualDeviceTest, StateSurvivesSaveAndLoad) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("state"));
    ask({5, 101, 4, 2, 1, 3, 1, 2, 3});
    ask({5, 101, 0, 10, 6, 1, 1, 0, 0, 0x10, 0x00});
    ask({5, 16, 1, 134, 0, 2, 4, 0, 1, 0, 3});
    ask({5, 16, 1, 128, 0, 1, 2, 0x07, 0xEE});  // year 2030
    ask({5, 101, 0, 9, 1, 1});
    QString error;
    ASSERT_TRUE(device.saveState(folder, &error)) << error.toStdString();

    VirtualDevice other(options(9), clock);
    EXPECT_TRUE(other.loadState(dir.filePath(QStringLiteral("none")), &error)) << "nothing kept yet";
    ASSERT_TRUE(other.loadState(folder, &error)) << error.toStdString();
    EXPECT_EQ(other.image(), device.image());
    EXPECT_EQ(other.configRecord(), device.configRecord());
    EXPECT_EQ(other.dateTime().date().year(), 2030);
    EXPECT_TRUE(other.running());
    EXPECT_THAT(ints(other.handleFrame(Frame({5, 3, 1, 134, 0, 2})).left(7)),
                ElementsAre(5, 3, 4, 0, 1, 0, 3));

    VirtualDevice otherModel(options(3), clock);
    EXPECT_FALSE(otherModel.loadState(folder, &error));
    QFile file(QDir(folder).filePath(QStringLiteral("virtual-device.json")));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.resize(file.size() / 2);
    file.close();
    EXPECT_FALSE(other.loadState(folder, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(other.image(), device.image()) << "a damaged state changes nothing";
}

// Hostile frames with good CRCs, in every mode: never a crash, never a reply that is not a
// well-formed RTU frame.
TEST_F(VirtualDeviceTest, RandomFramesGetWellFormedRepliesOrSilence) {
    QRandomGenerator random(1234);
    const int addresses[] = {5, 254, 0, 1, 13, 14, 32, 33, 35};  // and the loader's commands
    const int functions[] = {1, 2, 3, 4, 5, 6, 15, 16, 17, 100, 101, 13, 14, 32, 33, 35};
    for (int i = 0; i < 20000; ++i) {
        if (i % 2000 == 0) {
            if (device.mode() == DeviceMode::Loader) {  // a firmware update to get out again
                ask({14, 0});
                ask({32, 0, 0, 0, 1, 'Q'});
                ask({35, 0});
            }
            ask({5, 101, 0, 9, 1, 1});
        }
        Bytes request = {addresses[random.bounded(9)], functions[random.bounded(16)]};
        const int length = int(random.bounded(12)) + (random.bounded(8) == 0 ? 200 : 0);
        for (int k = 0; k < length; ++k) {
            request.push_back(int(random.bounded(k < 2 ? 16 : 256)));
        }
        const QByteArray reply = device.handleFrame(Frame(request));
        ASSERT_TRUE(reply.isEmpty() || (HasValidCrc(reply) && reply.size() <= 256)) << i;
        device.tick();
    }
}

// The library as the device simulator window sees it: loaded at run time, every operation
// looked up by name in the variant of the model.
class EmulationLibrary {
  public:
    explicit EmulationLibrary(bool advanced) : suffix_(advanced ? "_New_TimeSwitch" : "") {
        handle_ = dlopen(BDX_PANELSIM_PATH, RTLD_NOW | RTLD_LOCAL);
    }
    ~EmulationLibrary() {
        if (handle_ != nullptr) {
            dlclose(handle_);
        }
    }
    bool loaded() const { return handle_ != nullptr; }

    template <typename F>
    F* get(const char* name) {
        void* symbol = dlsym(handle_, (name + suffix_).c_str());
        EXPECT_NE(symbol, nullptr) << name << suffix_;
        return reinterpret_cast<F*>(symbol);
    }

  private:
    void* handle_ = nullptr;
    std::string suffix_;
};

using Init = void(const char*);
using NoArgs = void();
using Loop = std::uint8_t(std::int32_t, std::int16_t);
using ByteIn = void(std::uint8_t);
using ByteOut = std::uint8_t();
using Volts = void(std::int32_t, std::int32_t);

struct Variant {
    bool advanced;
    int model;
};

class EmulationLibraryTest : public ::testing::TestWithParam<Variant> {};

TEST_P(EmulationLibraryTest, RunsTheImageFileAgainstItsPanel) {
    const Variant v = GetParam();
    EmulationLibrary lib(v.advanced);
    ASSERT_TRUE(lib.loaded()) << dlerror();
    for (const char* name :
         {"UpdateInputs_ExtA", "UpdateInputs_ExtB", "UpdateInputs_ExtC", "UpdateVoltage_ExtA",
          "UpdateVoltage_ExtB", "UpdateOutputs_ExtB", "UpdateOutputs_ExtC"}) {
        lib.get<void>(name);
    }

    // I1 drives Q1, Z1 (the Left key) drives Q2 on display models, J1 drives U1 on extension A,
    // and A1 (V1 above 5.00 V) drives Q3 on analog models.
    Ladder l(v.model);
    l.p.ExtensionModules[0] = 1;
    l.rung(1, 'I', 1, 'Q', 1).rung(2, 'Z', 1, 'Q', 2).rung(3, 'J', 1, 'U', 1).rung(4, 'A', 1, 'Q', 3);
    l.p.AnalogParams[0][AnalogField::RefHigh] = 500 / 256;
    l.p.AnalogParams[0][AnalogField::RefLow] = 500 % 256;
    l.p.AnalogParams[0][AnalogField::Operands] = 0 * 2 + 8 * 16;  // V1 > VREF
    l.p.AnalogScalingParams[0][AnalogScalingField::Max + 1] = 1;  // V1 scaled 0..1000
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("LAD.LAD"));
    ASSERT_TRUE(BuildImageFile(l.p, false, v.model, path));

    lib.get<Init>("InitialiseDLL")(path.toLocal8Bit().constData());
    auto run = lib.get<Loop>("RunInfiniteLoopFunction");
    auto outputs = lib.get<ByteOut>("UpdateOutputs_Base");
    auto inputs = lib.get<ByteIn>("UpdateInputs_Base");
    EXPECT_EQ(run(1, 0), 0) << "no scans before the timer starts";

    lib.get<NoArgs>("StartDLLTimer")();
    inputs(1);
    EXPECT_EQ(run(1, 0) & 1, 1);
    EXPECT_EQ(outputs(), 0x01);
    lib.get<ByteIn>("SetNewKeyCode")(5);
    lib.get<ByteIn>("UpdateInputs_ExtA")(1);
    lib.get<Volts>("UpdateVoltage_Base")(700, 0);
    run(2, 0);
    EXPECT_EQ(outputs(), 0x07);
    EXPECT_EQ(lib.get<ByteOut>("UpdateOutputs_ExtA")(), 0x01);
    lib.get<ByteIn>("ResetNewKeyCode")(5);
    inputs(0);
    run(2, 0);
    EXPECT_EQ(outputs(), 0x04);

    EXPECT_EQ(run(1, 1), 0) << "supply off";
    EXPECT_EQ(outputs(), 0);
    lib.get<NoArgs>("EndDLLTimer")();
    EXPECT_EQ(run(1, 0), 0);
}

INSTANTIATE_TEST_SUITE_P(BothVariants, EmulationLibraryTest,
                         ::testing::Values(Variant{false, 6}, Variant{true, 9}),
                         [](const auto& info) { return info.param.advanced ? "NewTimeSwitch" : "Plain"; });

}  // namespace
}  // namespace bdx
