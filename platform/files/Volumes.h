// Mounted volumes, read from /proc/self/mountinfo. The startup volume is the
// file system of "/".
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <optional>

namespace corvane::files {

struct Volume {
    QString mountPoint;      // absolute path
    QString source;          // the device or source the file system came from
    QString fileSystemType;  // "ext4", "tmpfs", "overlay", ...
    std::uint64_t device = 0;  // st_dev of its root, as stat reports it
    bool isStartup = false;

    // The name a user knows it by: the file-system label when there is one,
    // else the last component of its mount point; "/" is "Startup Disk".
    QString name() const;
};

// One line of /proc/self/mountinfo; nothing for a malformed line. Octal
// escapes (\040 for a space, \011, \012, \134) are decoded.
std::optional<Volume> parseMountInfoLine(const QByteArray& line);

// The mounted volumes in mount order; pseudo file systems (proc, sysfs,
// cgroup, devpts, ...) are left out. The startup volume comes first.
QList<Volume> mountedVolumes();

// The volume holding path (by the device of path itself, not following a
// final symbolic link); nothing when path does not exist.
std::optional<Volume> volumeContaining(const QString& path);

Volume startupVolume();

// Mount points of every mounted file system, pseudo ones included, as the
// kernel spells them (bytes).
QList<QByteArray> allMountPoints();

}  // namespace corvane::files
