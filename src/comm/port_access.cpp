#include "port_access.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "shell/language_table.h"

namespace bdx {

namespace {

enum TextId {
    PortMissing = 8204,  // %1 path
    NotInGroup = 8205,   // %1 path, %2 group
    UsermodFix = 8206,   // followed by the command line
    LogInAgain = 8207,   // %1 group
    ModeForbids = 8208,  // %1 path, %2 mode
};

QString groupName(gid_t gid) {
    if (const group* entry = ::getgrgid(gid)) {
        return QString::fromLocal8Bit(entry->gr_name);
    }
    return QString::number(gid);
}

}  // namespace

PortUser CurrentPortUser() {
    PortUser user;
    user.uid = ::geteuid();
    user.sessionGroups.append(::getegid());
    const int count = ::getgroups(0, nullptr);
    if (count > 0) {
        std::vector<gid_t> groups(static_cast<std::size_t>(count));
        const int got = ::getgroups(count, groups.data());
        for (int i = 0; i < got; ++i) {
            user.sessionGroups.append(groups[static_cast<std::size_t>(i)]);
        }
    }
    if (const passwd* self = ::getpwuid(user.uid)) {
        int listed = 64;
        std::vector<gid_t> groups(static_cast<std::size_t>(listed));
        if (::getgrouplist(self->pw_name, self->pw_gid, groups.data(), &listed) < 0 && listed > 0) {
            groups.resize(static_cast<std::size_t>(listed));
            ::getgrouplist(self->pw_name, self->pw_gid, groups.data(), &listed);
        }
        for (int i = 0; i < listed && i < static_cast<int>(groups.size()); ++i) {
            user.listedGroups.append(groups[static_cast<std::size_t>(i)]);
        }
    }
    return user;
}

PortAccess CheckPortAccess(const QString& path, const PortUser& user) {
    PortAccess access;
    access.path = path;
    // A bare name is a device under /dev, as the serial port takes it.
    const QString device = path.contains(u'/') ? path : QStringLiteral("/dev/") + path;
    struct stat info {};
    if (path.isEmpty() || ::stat(device.toLocal8Bit().constData(), &info) != 0) {
        return access;
    }
    access.mode = info.st_mode & 07777U;
    access.group = groupName(info.st_gid);
    access.inGroupSession = user.sessionGroups.contains(info.st_gid);
    access.inGroupListed = user.listedGroups.contains(info.st_gid);
    // The kernel's order: owner bits for the owner, else group bits for a member, else the rest.
    unsigned needed = S_IROTH | S_IWOTH;
    if (info.st_uid == user.uid) {
        needed = S_IRUSR | S_IWUSR;
    } else if (access.inGroupSession) {
        needed = S_IRGRP | S_IWGRP;
    }
    const bool allowed = user.uid == 0 || (info.st_mode & needed) == needed;
    access.state = allowed ? PortAccessState::Ok : PortAccessState::NoPermission;
    return access;
}

PortAccess CheckPortAccess(const QString& path) {
    return CheckPortAccess(path, CurrentPortUser());
}

QString PortAccessMessage(const PortAccess& access) {
    switch (access.state) {
        case PortAccessState::Ok:
            return QString();
        case PortAccessState::Missing:
            return LoadText(PortMissing).arg(access.path);
        case PortAccessState::NoPermission:
            break;
    }
    if (access.inGroupSession) {
        return LoadText(ModeForbids)
            .arg(access.path, QString::number(access.mode, 8).rightJustified(4, u'0'));
    }
    if (access.inGroupListed) {
        return LoadText(LogInAgain).arg(access.group);
    }
    return LoadText(NotInGroup).arg(access.path, access.group) + u'\n' + LoadText(UsermodFix) +
           QStringLiteral("\n\n    sudo usermod -aG %1 $USER").arg(access.group);
}

}  // namespace bdx
