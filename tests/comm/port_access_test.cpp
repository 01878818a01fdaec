#include "comm/port_access.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>

#include "shell/language_table.h"

namespace bdx {
namespace {

// A stand-in device node: a temporary file whose mode the case sets. Users are built relative to
// the file's real owner and group, so the cases hold whoever runs the tests (root included).
class PortAccessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("ttyUSB0"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.close();
        if (::geteuid() == 0) {  // root may open anything: the file gets an ordinary owner
            ASSERT_EQ(::chown(path.toLocal8Bit().constData(), 4240, static_cast<gid_t>(-1)), 0);
        }
        struct stat info {};
        ASSERT_EQ(::stat(path.toLocal8Bit().constData(), &info), 0);
        owner = info.st_uid;
        group = info.st_gid;
    }
    void setMode(mode_t mode) { ASSERT_EQ(::chmod(path.toLocal8Bit().constData(), mode), 0); }
    // Someone other than the owner (and not root).
    PortUser stranger() const {
        PortUser user;
        user.uid = owner == 4242 ? 4243 : 4242;
        return user;
    }

    QTemporaryDir dir;
    QString path;
    uid_t owner = 0;
    gid_t group = 0;
};

TEST_F(PortAccessTest, ModeBitsDecideByOwnerThenGroupThenOthers) {
    PortUser member = stranger();
    member.sessionGroups = {group};
    member.listedGroups = {group};
    PortUser self = stranger();
    self.uid = owner;
    PortUser root;
    root.uid = 0;
    struct Case {
        mode_t mode;
        const char* who;
        PortUser user;
        PortAccessState expected;
    };
    const Case cases[] = {
        {0660, "member", member, PortAccessState::Ok},
        {0660, "stranger", stranger(), PortAccessState::NoPermission},
        {0640, "member, read only", member, PortAccessState::NoPermission},
        {0606, "member: group bits apply, not the others' bits", member, PortAccessState::NoPermission},
        {0606, "stranger", stranger(), PortAccessState::Ok},
        {0066, "owner: owner bits apply", self, PortAccessState::NoPermission},
        {0000, "root", root, PortAccessState::Ok},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.who);
        setMode(c.mode);
        const PortAccess access = CheckPortAccess(path, c.user);
        EXPECT_EQ(access.state, c.expected);
        EXPECT_EQ(access.mode, static_cast<unsigned>(c.mode));
        EXPECT_EQ(PortAccessMessage(access).isEmpty(), c.expected == PortAccessState::Ok);
    }
}

// The message names what to do: plug in, run usermod for the device's group, log in again, or
// look at the udev rule; in the language of the user interface.
TEST_F(PortAccessTest, MessageGivesTheFixThatApplies) {
    setMode(0660);
    const PortAccess denied = CheckPortAccess(path, stranger());
    ASSERT_FALSE(denied.group.isEmpty());
    const QString usermod = QStringLiteral("sudo usermod -aG %1 $USER").arg(denied.group);
    EXPECT_TRUE(PortAccessMessage(denied).contains(usermod)) << PortAccessMessage(denied).toStdString();
    EXPECT_TRUE(PortAccessMessage(denied).contains(path));

    PortUser addedLater = stranger();
    addedLater.listedGroups = {group};
    const QString relog = PortAccessMessage(CheckPortAccess(path, addedLater));
    EXPECT_FALSE(relog.contains(QStringLiteral("usermod")));
    EXPECT_TRUE(relog.contains(denied.group));

    PortUser member = stranger();
    member.sessionGroups = {group};
    setMode(0600);
    const QString mode = PortAccessMessage(CheckPortAccess(path, member));
    EXPECT_TRUE(mode.contains(QStringLiteral("0600"))) << mode.toStdString();
    EXPECT_TRUE(mode.contains(QStringLiteral("0660")));

    const QString gone = dir.filePath(QStringLiteral("ttyUSB9"));
    const PortAccess missing = CheckPortAccess(gone, stranger());
    EXPECT_EQ(missing.state, PortAccessState::Missing);
    EXPECT_TRUE(PortAccessMessage(missing).contains(gone));
    EXPECT_EQ(CheckPortAccess(QString(), stranger()).state, PortAccessState::Missing);

    SetLanguageOffset(Portuguese);
    const QString translated = PortAccessMessage(denied);
    SetLanguageOffset(English);
    EXPECT_TRUE(translated.contains(usermod));
    EXPECT_NE(translated, PortAccessMessage(denied));
}

}  // namespace
}  // namespace bdx
