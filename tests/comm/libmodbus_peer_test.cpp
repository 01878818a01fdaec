// Our transaction over a real serial port against libmodbus, an RTU server nobody here wrote:
// both ends of a pseudo-terminal, libmodbus on the master side, SerialTransport on the slave.
#include <gtest/gtest.h>
#include <modbus.h>

#include <atomic>
#include <thread>

#include "comm/comm_state.h"
#include "comm/modbus_requests.h"
#include "comm/transport.h"
#include "fake_transport.h"
#include "shell/scripted_prompter.h"

namespace bdx {
namespace {

class LibmodbusPeerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        map_ = modbus_mapping_new(16, 40, 1004, 72);
        ASSERT_NE(map_, nullptr);
        // libmodbus opens a device path itself; give it the master side we already hold.
        ctx_ = modbus_new_rtu("/dev/null", 9600, 'N', 8, 1);
        ASSERT_NE(ctx_, nullptr);
        modbus_set_slave(ctx_, 1);
        modbus_set_socket(ctx_, pty_.master);
        modbus_set_indication_timeout(ctx_, 0, 50000);

        state_.SerialPortPath = pty_.path;
        state_.silenceMs = 20;
        state_.replyTimeoutMs = 1000;
        state_.retryPauseMs = 0;
        state_.lateReplyGraceMs = 0;
    }

    void startServer() {
        server_ = std::thread([this] {
            std::uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
            while (!stop_) {
                const int length = modbus_receive(ctx_, query);
                if (length > 0) {
                    modbus_reply(ctx_, query, length, map_);
                }
            }
        });
    }

    void stopServer() {
        stop_ = true;
        if (server_.joinable()) {
            server_.join();
        }
    }

    void TearDown() override {
        stopServer();
        if (ctx_ != nullptr) {
            modbus_free(ctx_);  // not modbus_close: the descriptor is ours
        }
        if (map_ != nullptr) {
            modbus_mapping_free(map_);
        }
    }

    test::PtyPair pty_;
    modbus_t* ctx_ = nullptr;
    modbus_mapping_t* map_ = nullptr;
    std::thread server_;
    std::atomic<bool> stop_{false};
    CommState state_;
    ScriptedPrompter prompter_;
};

TEST_F(LibmodbusPeerTest, StandardFunctionsAgree) {
    const std::uint16_t clock[6] = {2026, 6, 5, 8, 30, 59};
    std::copy(std::begin(clock), std::end(clock), map_->tab_registers + kClockRegister);
    for (int i = 0; i < 8; ++i) {
        map_->tab_input_registers[64 + i] = static_cast<std::uint16_t>(1000 * i + 7);
    }
    for (int i = 0; i < 40; ++i) {
        map_->tab_input_bits[i] = (i % 3 == 0) ? 1 : 0;
    }
    startServer();

    SerialTransport serial(state_);
    ModbusSession session(state_, serial, prompter_);

    const auto holding = ReadRegisters(session, 3, kClockRegister, kClockRegisterCount);
    ASSERT_TRUE(holding);
    EXPECT_EQ(*holding, std::vector<std::uint16_t>(std::begin(clock), std::end(clock)));
    EXPECT_FALSE(serial.isOpen());  // closed after each operation

    const auto input = ReadRegisters(session, 4, 64, 8);
    ASSERT_TRUE(input);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ((*input)[i], 1000 * i + 7);
    }

    const auto inputs = ReadDiscreteInputs(session);
    ASSERT_TRUE(inputs);
    ASSERT_EQ(inputs->size(), 5);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ((static_cast<std::uint8_t>(inputs->at(i / 8)) >> (i % 8)) & 1, i % 3 == 0 ? 1 : 0) << i;
    }

    ASSERT_TRUE(WriteCoils(session, 0xA55A));
    std::vector<std::uint16_t> dst(kDstRegisterCount);
    for (int i = 0; i < kDstRegisterCount; ++i) {
        dst[i] = static_cast<std::uint16_t>(0x0101 * i);
    }
    ASSERT_TRUE(WriteRegisters(session, kDstRegister, dst));
    EXPECT_TRUE(prompter_.messages().empty());

    stopServer();
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(map_->tab_bits[i], (0xA55A >> i) & 1) << i;
    }
    for (int i = 0; i < kDstRegisterCount; ++i) {
        EXPECT_EQ(map_->tab_registers[kDstRegister + i], dst[i]) << i;
    }
}

}  // namespace
}  // namespace bdx
