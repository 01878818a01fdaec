#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "comm/device_protocol.h"
#include "comm/modbus_transaction.h"

// One function per device operation. Each builds its request, runs it through the session's
// one transaction (so retries and failure messages are the same everywhere) and, on the serial
// transport, opens the port before and closes it after. The frame builders and reply parsers
// are pure functions, usable without a transport.
namespace bdx {

// Called after each packet: packets done, packets in all, bytes moved so far.
using PacketProgress = std::function<void(int packet, int packets, int bytes)>;

// --- Frame builders: every frame ends in two zero CRC slots the transaction fills ----------

QByteArray MakeRequest(std::uint8_t address, std::uint8_t function, const QByteArray& body);
// Function 100, sub-command 0: byte 4 of the reply is the area's packet count, or the area's
// data follows from byte 6. `extra` is appended after the area number (area 13 takes two zeros).
QByteArray AreaQueryRequest(std::uint8_t address, int area, const QByteArray& extra = {});
// Function 100, sub-command 4 (first packet), 1 (next) or 2 (repeat).
QByteArray AreaPacketReadRequest(std::uint8_t address, std::uint8_t subCommand, int area);
// Function 101: sub-command, area, packet number, data length, data (at most 200 bytes).
QByteArray AreaPacketWriteRequest(std::uint8_t address, std::uint8_t subCommand, int area, int packet,
                                  const QByteArray& data);
// Function 101, sub-command 0, area, then the item bytes as they are.
QByteArray ItemWriteRequest(std::uint8_t address, int area, const QByteArray& item);
// Function 3 or 4: start and quantity, high byte first.
QByteArray ReadRegistersRequest(std::uint8_t address, std::uint8_t function, int start, int count);
// Function 16: start, quantity, byte count, values high byte first.
QByteArray WriteRegistersRequest(std::uint8_t address, int start, const std::vector<std::uint16_t>& values);
// Function 2: start, quantity.
QByteArray ReadDiscreteInputsRequest(std::uint8_t address, int start, int count);
// Function 15: start, quantity, byte count, the coil bytes (bit 0 of byte 0 = first coil).
QByteArray WriteCoilsRequest(std::uint8_t address, int start, int count, const QByteArray& bits);
// Function 17, no data.
QByteArray IdentityRequest(std::uint8_t address);
// Function 100: address, 100, 1, 14, 0, 4, 1, model byte, 1, 0.
QByteArray ModelFamilyRequest(std::uint8_t address, std::uint8_t modelByte);

// --- Reply parsers: nothing for a reply too short or inconsistent for what it claims -------

struct AreaPacket {
    int subCommand = 0;  // 3 on the last packet
    int area = 0;
    int packet = 0;
    QByteArray data;  // at most 200 bytes, all inside the frame
};
std::optional<AreaPacket> ParseAreaPacket(const QByteArray& reply);
// Byte 4 of an area query reply.
std::optional<int> ParsePacketCount(const QByteArray& reply);
// The item data of an area query reply: bytes 6 up to the CRC.
std::optional<QByteArray> ParseItemData(const QByteArray& reply);
// Function 3/4 reply: byte count in byte 2 (must be 2 × count), values high byte first.
std::optional<std::vector<std::uint16_t>> ParseRegisters(const QByteArray& reply, int count);
// Function 1/2 reply: byte count in byte 2, at least `bytes` data bytes.
std::optional<QByteArray> ParseBits(const QByteArray& reply, int bytes);

struct DeviceIdentity {
    QString firmware;    // reply bytes 35..43
    int modelCode = -1;  // two ASCII digits, bytes 46..47
};
// Nothing when the reply is too short or the model bytes are not digits.
std::optional<DeviceIdentity> ParseIdentity(const QByteArray& reply);

// The model-family check's verdict on a reply to ModelFamilyRequest.
bool ModelFamilyAccepted(const QByteArray& reply, std::uint8_t modelByte);

// Collects the packets of an area read and refuses any reply that would not fit: a data
// length beyond the frame or above 200, packets out of order, more packets than announced,
// another area than `area` (when not -1). A device repeating the packet it has just sent has
// nothing more to give: the read ends there.
class AreaReadAssembler {
  public:
    enum class Step { More, Done, Refused };
    explicit AreaReadAssembler(int packets, int area = -1);
    // Takes the reply to a packet request.
    Step accept(const QByteArray& reply);
    const QByteArray& data() const { return data_; }
    int packetsRead() const { return read_; }
    int packets() const { return packets_; }

  private:
    int packets_;
    int area_;
    int read_ = 0;
    QByteArray data_;
};

// The packets of an area write: (sub-command, packet number, offset, length) in order.
struct PacketPlan {
    std::uint8_t subCommand;
    int packet;
    int offset;
    int length;
};
std::vector<PacketPlan> PlanAreaWrite(int length);

// --- Device operations ---------------------------------------------------------------------

// Reads an area in 200-byte packets into `buffer` (resized to what was received). Returns the
// number of bytes received, or -1 when the read failed, was cancelled or a reply was refused.
int ReadDeviceArea(ModbusSession& session, int area, QByteArray& buffer, const PacketProgress& progress = {});
// Writes `data` to an area in packets (4 first, 1 next, 3 last). True when every packet was
// accepted; stops at the first failure or when CommCancelled is set.
bool WriteDeviceArea(ModbusSession& session, int area, const QByteArray& data,
                     const PacketProgress& progress = {});

// The configuration record (area 4) in one packet of `size` bytes (8 or 11).
std::optional<QByteArray> ReadConfigRecord(ModbusSession& session, int size);
bool WriteConfigRecord(ModbusSession& session, const QByteArray& record);

// Function 17. The model code (0..15) and the firmware text in CommState::FirmwareText.
// Failure shows message 521; a model code of 16 or more shows 520.
std::optional<int> ReadDeviceIdentity(ModbusSession& session);

// Function 3 (holding) or 4 (input) registers. `address` 0 means CommState::ModbusID.
std::optional<std::vector<std::uint16_t>> ReadRegisters(ModbusSession& session, std::uint8_t function,
                                                        int start, int count, std::uint8_t address = 0);
// Function 16.
bool WriteRegisters(ModbusSession& session, int start, const std::vector<std::uint16_t>& values,
                    std::uint8_t address = 0);
// Function 2, start 0, quantity 40: the 5 input bytes.
std::optional<QByteArray> ReadDiscreteInputs(ModbusSession& session);
// Function 15, start 0, quantity 16: bit k of `outputs` is coil k.
bool WriteCoils(ModbusSession& session, std::uint16_t outputs);

// Function 100 sub-command 0: the whole reply frame (CRC included).
std::optional<QByteArray> QueryDeviceArea(ModbusSession& session, int area, const QByteArray& extra = {});
// The same for a small area: the item bytes (from reply byte 6).
std::optional<QByteArray> ReadDeviceItem(ModbusSession& session, int area, const QByteArray& extra = {});
// Function 101 sub-command 0 on a small area.
bool WriteDeviceItem(ModbusSession& session, int area, const QByteArray& item);

// The clock as items: date (day, month, year % 100) and time (hour, minute, second).
std::optional<QByteArray> ReadDeviceDate(ModbusSession& session);
std::optional<QByteArray> ReadDeviceTime(ModbusSession& session);
bool WriteDeviceDate(ModbusSession& session, int day, int month, int year);
bool WriteDeviceTime(ModbusSession& session, int hour, int minute, int second);
// Area 8: a device command without data.
bool SendDeviceCommand(ModbusSession& session, int area = Area::Command);
// Area 9: a one-byte device setting (run mode: 1 run, 3 stop).
bool WriteDeviceSetting(ModbusSession& session, std::uint8_t value);
// Area 13 with two zero bytes: the whole status reply (byte 4 not 0: the device reports an error).
std::optional<QByteArray> ReadMonitorStatus(ModbusSession& session);

enum class ModelFamilyResult { Accepted, Rejected, NoReply };
// Area 14 with CommState::ModelByte, silence 50 ms.
ModelFamilyResult CheckModelFamily(ModbusSession& session);

}  // namespace bdx
