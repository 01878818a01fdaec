#pragma once

#include <array>
#include <cstdint>

// The numbers of the device's Modbus protocol, for both ends of the link: the program's
// requests and the virtual device's answers spell them here and nowhere else.
namespace bdx {

// --- Framing -------------------------------------------------------------------------------

namespace FunctionCode {
inline constexpr std::uint8_t ReadCoils = 1;
inline constexpr std::uint8_t ReadDiscreteInputs = 2;
inline constexpr std::uint8_t ReadHoldingRegisters = 3;
inline constexpr std::uint8_t ReadInputRegisters = 4;
inline constexpr std::uint8_t WriteCoil = 5;
inline constexpr std::uint8_t WriteRegister = 6;
inline constexpr std::uint8_t WriteCoils = 15;
inline constexpr std::uint8_t WriteRegisters = 16;
inline constexpr std::uint8_t ReportServerId = 17;
inline constexpr std::uint8_t ReadArea = 100;   // the device's own: query and read its areas
inline constexpr std::uint8_t WriteArea = 101;  // the device's own: write areas and items
// Set in byte 1 of an exception reply.
inline constexpr std::uint8_t ExceptionFlag = 0x80;
}  // namespace FunctionCode

// Exception codes in byte 2 of an exception reply.
namespace ExceptionCode {
inline constexpr std::uint8_t IllegalFunction = 1;
inline constexpr std::uint8_t IllegalAddress = 2;
inline constexpr std::uint8_t IllegalValue = 3;
inline constexpr std::uint8_t Busy = 6;
}  // namespace ExceptionCode

namespace DeviceAddress {
inline constexpr std::uint8_t Broadcast = 0;
// Reaches the communication registers whatever the device's own address.
inline constexpr std::uint8_t Service = 1;
inline constexpr std::uint8_t FirstId = 1;
inline constexpr std::uint8_t LastId = 247;
// Reaches whatever single device is on the line.
inline constexpr std::uint8_t PointToPoint = 254;
}  // namespace DeviceAddress

// A frame is address, function, data, then two CRC bytes.
inline constexpr int kCrcBytes = 2;
inline constexpr int kMinFrameBytes = 4;

// --- Memory areas of functions 100 / 101 ---------------------------------------------------

namespace Area {
inline constexpr std::uint8_t DeviceInfo = 1;    // firmware text, model, version bytes
inline constexpr std::uint8_t ProgramCode = 2;   // image bytes 0..2999
inline constexpr std::uint8_t BlockData = 3;     // image bytes 3000..4189
inline constexpr std::uint8_t ConfigRecord = 4;  // 8 or 11 bytes
inline constexpr std::uint8_t Date = 5;          // day, month, year % 100
inline constexpr std::uint8_t Time = 6;          // hour, minute, second
inline constexpr std::uint8_t Backlight = 7;     // one byte, BacklightValue
inline constexpr std::uint8_t Command = 8;       // PC control: no byte enters it, PcCommand::Leave stops
inline constexpr std::uint8_t Setting = 9;       // run mode: DeviceMode::Run or DeviceMode::Stop
inline constexpr std::uint8_t Passwords = 10;    // PasswordOp items
inline constexpr std::uint8_t Loader = 11;       // any item switches to the firmware loader
inline constexpr std::uint8_t MonitorStatus = 13;
inline constexpr std::uint8_t ModelFamily = 14;
}  // namespace Area

// Byte 2 of function 100/101 requests.
namespace SubCommand {
inline constexpr std::uint8_t Item = 0;  // query an area / write a small item
inline constexpr std::uint8_t Next = 1;
inline constexpr std::uint8_t Repeat = 2;  // a retried Next
inline constexpr std::uint8_t Last = 3;
inline constexpr std::uint8_t First = 4;
}  // namespace SubCommand

// Area packets: address, function, sub-command, area, packet number, length, data, CRC.
namespace PacketByte {
inline constexpr int SubCommand = 2, Area = 3, Number = 4, Length = 5, Data = 6;
}
inline constexpr int kPacketSize = 200;

inline constexpr int kDeviceImageSize = 4190;
inline constexpr int kProgramCodeSize = 3000;                               // area 2
inline constexpr int kBlockDataSize = kDeviceImageSize - kProgramCodeSize;  // area 3: 1190 bytes

// --- Configuration record (area 4) ---------------------------------------------------------

namespace ConfigLayout {
inline constexpr int SmallSize = 8;        // model codes 0..7
inline constexpr int LargeSize = 11;       // model codes 8..15
inline constexpr int FirstLargeModel = 8;  // from here on: 11 bytes and a level-2 password
inline constexpr int Level1Password = 0;   // a word in the device's byte order
inline constexpr int PasswordByte = 2;
inline constexpr std::uint8_t PasswordActive = 0x02;
inline constexpr int FlagsByte = 4;
inline constexpr std::uint8_t ModuleBits = 0x07;  // extension modules A, B, C in bits 0..2
inline constexpr std::uint8_t ResetLevel1 = 0x80;
inline constexpr std::uint8_t ResetLevel2 = 0x40;
inline constexpr int Level2Password = 6;  // large record only
}  // namespace ConfigLayout

inline constexpr int kMaxPassword = 9999;

// --- Modes, commands and items -------------------------------------------------------------

// Mode codes as the device reports them; Run and Stop are also the run-mode setting's values.
namespace DeviceMode {
inline constexpr int Run = 1, PcControl = 2, Stop = 3, Loader = 4;
}

// The byte of an area-8 command (no byte at all enters PC control).
namespace PcCommand {
inline constexpr int Enter = 0, Leave = 1;
}

inline constexpr int kBacklightValues = 3;  // auto, on, off

// Area 10 items: length 6, operation, level, old password, new password (words high byte first).
namespace PasswordOp {
inline constexpr int Set = 1, Remove = 2, Check = 3;
inline constexpr int ItemLength = 6;
}  // namespace PasswordOp
// Byte 4 of the reply to an area-10 item.
namespace PasswordStatus {
inline constexpr int Done = 0, Wrong = 1, Absent = 2, NoLevel2 = 3, BadNew = 4, UnknownOp = 5;
}

// --- Identity and device information -------------------------------------------------------

inline constexpr int kFirmwareTextLength = 9;
inline constexpr int kModelCodeLimit = 16;  // model codes are 0..15

// Function 17 reply: firmware text and the model code as two ASCII digits.
namespace IdentityByte {
inline constexpr int Firmware = 35;
inline constexpr int ModelDigits = 46;
inline constexpr int Size = 50;  // CRC included
inline constexpr int ProductNameLength = 30;
}  // namespace IdentityByte

// The area-1 item: firmware text, model code, 0, main and minor version (BCD), 0.
namespace InfoByte {
inline constexpr int Model = 9;
inline constexpr int MainVersion = 11;
inline constexpr int MinorVersion = 12;
inline constexpr int Size = 14;
}  // namespace InfoByte
// From this main version on the device reports its errors in the status block.
inline constexpr int kErrorReportingVersion = 3;

// Area 13: byte 4 of the reply is the device error; the item is mode, error, module bits.
inline constexpr int kStatusErrorByte = 4;

// --- Model-family check (area 14) ----------------------------------------------------------

// Family of each model code: 1 for codes 0..7, 2 for 8..15.
inline constexpr std::array<std::uint8_t, 16> ModelFamilyTable = {1, 1, 1, 1, 1, 1, 1, 1,
                                                                  2, 2, 2, 2, 2, 2, 2, 2};
namespace ModelCheckByte {
inline constexpr int Marker = 5;  // 4 in request and answer
inline constexpr int Model = 7;
inline constexpr int Family = 8;
inline constexpr int RequestSize = 10;  // without CRC
inline constexpr int AnswerSize = 12;   // the correcting exception answer, CRC included
}  // namespace ModelCheckByte
inline constexpr std::uint8_t kModelCheckMarker = 4;
inline constexpr std::uint8_t kModelCheckAltArea = Area::ModelFamily | 0x80;  // 142
inline constexpr int kModelCheckSilenceMs = 50;

// --- Inputs, outputs and registers ---------------------------------------------------------

inline constexpr int kDiscreteInputCount = 40;  // I, J, K, L, Z1..Z4 and four spare
inline constexpr int kInputBytes = 5;           // I, J, K, L, Z keys
inline constexpr int kCoilCount = 16;           // Q, U, V, W
inline constexpr int kAnalogRegister = 64, kAnalogRegisterCount = 8;
inline constexpr int kClockRegister = 384, kClockRegisterCount = 6;  // year, month, day, h, m, s
inline constexpr int kDstRegister = 390, kDstRegisterCount = 13;
inline constexpr int kCommParamRegister = 1000, kCommParamCount = 4;  // id, baud, parity, stop bits

// Quantities one standard frame may carry.
inline constexpr int kMaxReadBits = 2000, kMaxWriteCoils = 1968;
inline constexpr int kMaxReadRegisters = 125, kMaxWriteRegisters = 123;

// The values each daylight-saving register takes, lowest and highest.
namespace DstLimit {
inline constexpr int Week = 4, Weekday = 6, Month = 11, Hour = 23, Minute = 59;
}
inline constexpr std::array<std::array<int, 2>, kDstRegisterCount> kDstRanges = {{
    {0, 1},  // enabled
    {0, DstLimit::Week},
    {0, DstLimit::Weekday},
    {0, DstLimit::Month},
    {0, DstLimit::Hour},
    {0, DstLimit::Minute},  // start
    {0, DstLimit::Week},
    {0, DstLimit::Weekday},
    {0, DstLimit::Month},
    {0, DstLimit::Hour},
    {0, DstLimit::Minute},  // end
    {0, DstLimit::Hour},
    {0, DstLimit::Minute},  // offset
}};

// The communication registers: lowest and highest value (baud 9600/4800/2400/1200, parity
// none/even/odd, one or two stop bits).
inline constexpr std::array<std::array<int, 2>, kCommParamCount> kCommParamRanges = {{
    {DeviceAddress::FirstId, DeviceAddress::LastId},
    {0, 3},
    {0, 2},
    {0, 1},
}};

// --- Firmware loader -----------------------------------------------------------------------

// The loader's own frames: no address, the command byte first.
namespace LoaderCommand {
inline constexpr std::uint8_t Identify = 13;
inline constexpr std::uint8_t Erase = 14;
inline constexpr std::uint8_t Write = 32;
inline constexpr std::uint8_t Read = 33;
inline constexpr std::uint8_t Reboot = 35;
}  // namespace LoaderCommand
inline constexpr int kLoaderBlockSize = 128;  // loader type 0; type 1 takes kPacketSize
inline constexpr int kFirmwareMemorySize = 128 * 1024;

}  // namespace bdx
