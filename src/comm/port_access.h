#pragma once

#include <sys/types.h>

#include <QList>
#include <QString>

namespace bdx {

// Who is asking to open a port: the process's user and groups, and the groups the system lists
// for that user (they differ after `usermod -aG` until the user logs in again).
struct PortUser {
    uid_t uid = 0;
    QList<gid_t> sessionGroups;  // effective and supplementary groups of this process
    QList<gid_t> listedGroups;   // the user's groups in the group database
};
PortUser CurrentPortUser();

enum class PortAccessState { Ok, Missing, NoPermission };

struct PortAccess {
    PortAccessState state = PortAccessState::Missing;
    QString path;
    QString group;                // the group owning the device, by name (its number when unnamed)
    unsigned mode = 0;            // permission bits of the device
    bool inGroupSession = false;  // this session already has the device's group
    bool inGroupListed = false;   // the group database lists the user in it
};

// Whether `user` may read and write `path`, by its owner, group and mode bits (root may always).
PortAccess CheckPortAccess(const QString& path, const PortUser& user);
PortAccess CheckPortAccess(const QString& path);

// The reason in the user's words and how to fix it (the usermod command, logging in again, the
// udev rule); empty when the port may be opened.
QString PortAccessMessage(const PortAccess& access);

}  // namespace bdx
