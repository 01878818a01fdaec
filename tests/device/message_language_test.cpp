// The communication messages in the user's language: failing device flows run once in English
// and once in Polish, and no English may be left in what the Polish run shows: neither a line
// that is still an English literal nor an untranslated piece of a message put together from
// pieces.

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <functional>
#include <optional>

#include "../comm/fake_transport.h"
#include "comm/comm_link.h"
#include "comm/comm_settings.h"
#include "comm/device_utilities.h"
#include "comm/firmware_update.h"
#include "comm/modbus_requests.h"
#include "comm/online_monitoring.h"
#include "comm/program_transfer.h"
#include "pc_link.h"
#include "shell/language_table.h"

namespace bdx {
namespace {

// The lines of what the user read: the box texts and their details, in order.
QStringList shownLines(const ScriptedPrompter& prompter) {
    static const QRegularExpression breaks(QStringLiteral("[\r\n]+"));
    QStringList lines;
    for (const Message& m : prompter.messages()) {
        lines << m.text.split(breaks, Qt::SkipEmptyParts) << m.details.split(breaks, Qt::SkipEmptyParts);
    }
    return lines;
}

// English still in a Polish line: the whole line when it is short, else any run of four of its
// words (a piece of a message put together from several).
std::optional<QString> EnglishLeft(const QString& en, const QString& pl) {
    constexpr int kRun = 4;
    const QStringList words = en.split(u' ', Qt::SkipEmptyParts);
    if (words.size() < kRun) {
        return pl == en ? std::optional(en) : std::nullopt;
    }
    const QString line = pl.simplified();
    for (qsizetype i = 0; i + kRun <= words.size(); ++i) {
        const QString run = words.mid(i, kRun).join(u' ');
        if (line.contains(run)) {
            return run;
        }
    }
    return std::nullopt;
}

// A port on 127.0.0.1 that nothing listens on.
quint16 ClosedPort() {
    QTcpServer server;
    EXPECT_TRUE(server.listen(QHostAddress::LocalHost));
    return server.serverPort();
}

struct Flow {
    const char* name;
    std::function<QStringList()> run;  // a failing flow; the lines it showed
};

QStringList NoReply(bool ethernet) {
    test::DeviceLink link(test::DeviceOptions(), ethernet);
    link.silent = true;
    EXPECT_FALSE(ReadDeviceIdentity(link.session));
    return shownLines(link.prompter);
}

std::array<QString, 4> Ip(const char* a, const char* b, const char* c, const char* d) {
    return {QString::fromLatin1(a), QString::fromLatin1(b), QString::fromLatin1(c), QString::fromLatin1(d)};
}

const Flow kFlows[] = {
    {"no reply, serial", [] { return NoReply(false); }},
    {"no reply, ethernet", [] { return NoReply(true); }},
    {"invalid reply",
     [] {
         ScriptedPrompter out;
         CommState state;
         state.replyTimeoutMs = 20;
         state.retryPauseMs = 0;
         state.lateReplyGraceMs = 0;
         const QByteArray badCrc = test::hex("0111050000");
         test::FakeTransport transport(state, test::Replies({badCrc, badCrc, badCrc}));
         ModbusSession session(state, transport, out);
         EXPECT_FALSE(ReadDeviceIdentity(session));
         return shownLines(out);
     }},
    {"no serial port",
     [] {
         ScriptedPrompter out;
         CommLink link(out);
         link.state().SerialPortPath.clear();
         EXPECT_FALSE(ReadDeviceIdentity(link.session()));
         return shownLines(out);
     }},
    {"socket refused",
     [] {
         ScriptedPrompter out;
         CommLink link(out);
         link.state().TcpHost = QStringLiteral("127.0.0.1");
         link.state().TcpPort = ClosedPort();
         const CommLink::Action action(link);
         EXPECT_FALSE(link.connectEthernet(5000));
         return shownLines(out);
     }},
    {"wrong password",
     [] {
         test::DeviceLink link(test::DeviceOptions(8, 1, "QX2 V2.10", "0042"), true);
         Program program = test::Example("motor_start_stop.h53");
         ProgramTransfer transfer(link.session, program, link.prompter);
         transfer.setStopDelayMs(0);
         link.answer({Reply::Yes});
         link.prompter.queuePassword(QStringLiteral("4200"));
         EXPECT_FALSE(transfer.pc_to_leg_Click());
         return shownLines(link.prompter);
     }},
    {"firmware packages",
     [] {
         QTemporaryDir folder;
         test::DeviceLink link;
         FirmwareUpdate update(link.session, folder.path());
         const auto package = [&](const TestPackageOptions& options) {
             const QString path = folder.filePath(QStringLiteral("fw.qvex"));
             EXPECT_TRUE(writeFile(path, BuildTestFirmwarePackage(options)));
             return path;
         };
         TestPackageOptions unsupported;
         unsupported.format = 7;
         EXPECT_FALSE(update.selectPackage(package(unsupported)));
         EXPECT_EQ(update.run(false), FirmwareResult::Refused);  // no usable package
         TestPackageOptions tooNew;
         tooNew.version = QStringLiteral("QX2 V3.00");
         tooNew.minimumMainVersion = 3;
         EXPECT_TRUE(update.selectPackage(package(tooNew)));
         link.answer({Reply::Ok});
         EXPECT_EQ(update.run(false), FirmwareResult::Refused);
         link.state.BaudRateText = QStringLiteral("4800");
         EXPECT_EQ(update.run(false), FirmwareResult::Refused);
         return shownLines(link.prompter);
     }},
    {"settings and warnings",
     [] {
         ScriptedPrompter out;
         out.warn(CheckModbusId(QStringLiteral("248")).value_or(QString()));
         for (const auto& ip : {Ip("", "0", "0", "1"), Ip("224", "0", "0", "1"), Ip("10", "256", "0", "1"),
                                Ip("10", "0", "0", "255")}) {
             out.warn(CheckEthernetFields(ip, QStringLiteral("502")).value_or(EthernetFieldError{}).message);
         }
         out.warn(CheckEthernetFields(Ip("10", "0", "0", "1"), QStringLiteral("65536"))
                      .value_or(EthernetFieldError{})
                      .message);
         out.warn(CommunicationErrorText(false));
         out.warn(CommunicationErrorText(true));
         Program program;
         program.ExtensionModules[1] = 1;
         out.warn(ExtensionModuleWarning(program, 0));
         return shownLines(out);
     }},
};

TEST(MessageLanguage, EveryLineShownChangesWithTheLanguage) {
    for (const Flow& flow : kFlows) {
        SCOPED_TRACE(flow.name);
        SetLanguageOffset(English);
        const QStringList en = flow.run();
        SetLanguageOffset(Polish);
        const QStringList pl = flow.run();
        SetLanguageOffset(English);

        ASSERT_FALSE(en.isEmpty());
        ASSERT_EQ(pl.size(), en.size()) << pl.join(u'|').toStdString();
        for (qsizetype i = 0; i < en.size(); ++i) {
            EXPECT_EQ(EnglishLeft(en[i], pl[i]), std::nullopt) << pl[i].toStdString();
        }
    }
}

}  // namespace
}  // namespace bdx
