#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// Everything one communication exchange shares between the transaction, the transports, the
// request builders and the dialogs that drive them: settings, flags and receive buffers. The
// application keeps one of these for the whole process; tests make their own.
namespace bdx {

struct CommState {
    // --- Settings -----------------------------------------------------------------------
    std::uint8_t ModbusID = 1;       // address put in byte 0 of every request (1..247)
    bool IsEthernet = false;         // true: TCP transport; false: serial port
    bool EthernetConnected = false;  // the socket is connected
    // Port number from the settings; bit 15 marks the USB-serial adapter. Kept for the settings
    // and dialogs: on this platform the port is opened by its device path below.
    std::uint16_t CommPort = 0;
    QString SerialPortPath;  // e.g. /dev/ttyUSB0 or a pseudo-terminal's path
    QString BaudRateText = QStringLiteral("9600");
    QString ParityText = QStringLiteral("NONE");  // only its first letter counts: N, E or O
    QString StopBitText = QStringLiteral("1");    // "1", "1.5" or "2"
    QString TcpHost = QStringLiteral("127.0.0.1");
    std::uint16_t TcpPort = 502;

    // --- Flags --------------------------------------------------------------------------
    bool ReplyReady = false;     // a complete reply is in the receive buffer
    bool ReplyTimedOut = false;  // the reply time-out fired
    bool CommCancelled = false;  // Stop buttons, port-test timer, a failed transaction
    // The user pressed Stop during a device action: every exchange of that action ends at once,
    // quietly (a failed transaction sets CommCancelled too, so that flag cannot tell).
    bool StopRequested = false;
    bool CommFailed = false;  // the last transaction ended with a failure message
    bool QuietComm = false;   // the caller reports failures itself
    bool IdSearchActive = false;
    std::uint8_t IdSearchCount = 254;  // IDs tried by the search; 254 when none runs
    bool MatchedReply = false;         // during the ID search: address and function code matched

    // --- Buffers (index from 0) ---------------------------------------------------------
    QByteArray SerialRx;
    QByteArray EthernetRx;
    QByteArray TxBuffer;

    // --- Device facts learnt by the request builders --------------------------------------
    QString FirmwareText;        // identity bytes 35..43
    std::uint8_t ModelByte = 0;  // model byte sent in the model-family check

    // --- Timing (milliseconds); tests shrink them ----------------------------------------
    int replyTimeoutMs = 3000;
    int idSearchTimeoutMs = 250;  // serial, with QuietComm and IdSearchActive both set
    int silenceMs = 80;           // what every caller passes as the silence time
    int retryPauseMs = 50;
    // How long after a timed-out or refused attempt its reply may still come: no request is sent
    // before then, and the send drops what came, so a late reply is never taken for another
    // request's (an RTU frame carries nothing that ties it to its request).
    int lateReplyGraceMs = 1000;
    // Bytes a receive buffer may hold; more is a hostile or broken peer and the reply is refused.
    int maxReplyBytes = 1024;

    // The serial line settings text: baud, parity letter, 8, stop bits, e.g. "9600,N,8,1".
    QString lineSettings() const {
        const QChar parity = ParityText.isEmpty() ? QChar(u'N') : ParityText.at(0).toUpper();
        return BaudRateText + u',' + parity + QStringLiteral(",8,") + StopBitText;
    }
    // Receive buffer of the transport in use.
    QByteArray& rxBuffer() { return IsEthernet ? EthernetRx : SerialRx; }
};

// The fixed line settings of the device-parameter exchange and the firmware update.
inline constexpr const char* kFixedLineSettings = "9600,n,8,1";

}  // namespace bdx
