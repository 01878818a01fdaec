#pragma once

#include <QString>

#include "shell/language_table.h"

// Language-table ids of the messages the device communication shows. A message made of
// several sentences or numbered reasons is put together from its pieces, so every language
// gets the same layout.
namespace bdx::CommText {

enum : int {
    InvalidResponse = 8776,
    NoReplyBecause = 8777,         // "...unsuccessful because ", then the numbered reasons
    SerialCableReasonOr = 8778,    // "... OR "
    EthernetCableReasonOr = 8779,  // "... OR "
    NotPoweredReason = 8780,       // "2. ... powered ON."
    VerifyConnection = 8781,
    VerifyModbusId = 8782,
    ReplyOverlong = 8783,
    ReplyTooShort = 8784,  // %1 bytes
    ReplyBadCrc = 8785,
    ReplyWrongAddress = 8786,  // %1 from, %2 asked
    ReplyException = 8787,     // %1 exception code
    ReplyOtherFamily = 8788,
    DialogSerialCableReason = 8789,  // the communication-error dialog's own wording: "... or "
    DialogEthernetCableReason = 8790,
    DialogNotPoweredReason = 8791,
    DialogScanHint = 8792,
    ModbusIdModified = 8793,
    DeviceModbusIdIs = 8794,
    FirmwareNotSupported = 8795,
    SeeHelp = 8796,
    ModbusIdRange = 8797,
    EthernetConnectToRead = 8798,
    EthernetConnectToWrite = 8799,
    EthernetMayNotBeConnected = 8800,
    CheckIpAndPort = 8801,
    EnterIpAndPort = 8802,
    IpFirstPartRange = 8803,
    IpMiddlePartRange = 8804,
    IpLastPartRange = 8805,
    PortNumberRange = 8806,
    InvalidBaudRate = 8807,
    ConfigureBaudRate = 8808,
    InvalidPackage = 8809,
    FixedLineSettingsNeeded = 8810,
    PackageVersionUnsupported = 8811,  // %1 package version
    Connecting = 8812,
    PackageTypesDiffer = 8813,
    WillOverwriteFirmware = 8814,  // %1 package version
    ReleaseOkAndPressYes = 8815,
    PackageTypeDiffers = 8816,
    FirmwareIncompatible = 8817,
    DeviceFirmwareIncompatible = 8818,  // %1 device version, %2 package version
    SelectProperPackage = 8819,
    DeviceFirmwareHigher = 8820,
    DeviceFirmwareSame = 8821,
    StillContinue = 8822,
    HoldRunStopKey = 8823,
    CannotConfirmDevice = 8824,
    VerifyOkKeyPressed = 8825,
    UpdatingFirmware = 8826,
    EraseFailed = 8827,
    WriteMemoryFailed = 8828,
    ReadMemoryFailed = 8829,
    VerifyFailed = 8830,
    RebootFailed = 8831,
    Successful = 8832,
    FirmwareUpdateFailed = 8833,
    ExtensionNotInDevice = 8834,  // %1 module letter
    NoPortChosen = 8835,
    NotASerialPort = 8836,
    SerialPortLost = 8837,  // %1 port
    SocketRefused = 8838,
    PortBusy = 8839,
    EnterAvailablePort = 8840,
    EthernetNotEstablished = 8841,  // "...because ", then the three reasons
    IpReason = 8842,
    CommCableReason = 8843,
    EthernetCableReason = 8844,
    TcpLinkLost = 8845,       // %1 host, %2 port
    SettingsNotSaved = 8846,  // %1 path, %2 error
    NoDeviceCode = 8847,      // %1 line, %2 word, %3 grid code
    ReplySize = 8848,         // %1 length, %2 expected
    RequestWithoutQuantity = 8849,
    ReplyBitCount = 8850,  // %1 counted, %2 asked, %3 expected
    ReplyRegisterCount = 8851,
    ReplyEchoAddress = 8852,  // %1 confirmed, %2 written
    ReplyEchoValue = 8853,
    ReplyEchoQuantity = 8854,
    ReplyAreaTooShort = 8855,     // %1 length
    ReplyAreaLength = 8856,       // %1 announced, %2 carried
    ReplyOtherArea = 8857,        // %1 answered, %2 asked
    ReplyOtherSubCommand = 8858,  // %1 answered, %2 asked
    ReplyEchoSubCommand = 8859,   // %1 confirmed, %2 sent
    ReplyEchoArea = 8860,
    ReplyEchoPacket = 8861,
    ReplyEchoLength = 8862,
    ReplyNoFunction = 8863,
    ReplyOtherException = 8864,  // %1 answered, %2 asked
    ReplyExceptionSize = 8865,   // %1 length, %2 expected
    ReplyOtherFunction = 8866,   // %1 answered, %2 asked
};

}  // namespace bdx::CommText

namespace bdx {

// The refusal of a device whose firmware this software cannot serve, with the pointer to help.
inline QString FirmwareNotSupportedMessage() {
    return LoadText(CommText::FirmwareNotSupported) + QStringLiteral("\n\n") + LoadText(CommText::SeeHelp);
}

}  // namespace bdx
