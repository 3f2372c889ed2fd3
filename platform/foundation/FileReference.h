// File references: URLs that keep pointing at the same file or folder when it
// is renamed. A reference is the item's device and inode plus the path it was
// last known at. Its path is that stored path while the item there still has
// the same device and inode; otherwise a rename inside the same folder is
// found again by a scan of that folder; otherwise the reference is broken.
//
// Bookmark data is the storable form of a reference: a binary property list
// dictionary with "path" (string), "device" and "inode" (integers).
#pragma once

#include "platform/foundation/PropertyList.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <cstdint>
#include <optional>

namespace corvane {

class FileReference {
public:
    // The reference to the item at path (not following a final symbolic
    // link), or nothing when there is no such item.
    static std::optional<FileReference> forPath(const QString& path);

    // A reference from stored parts; device and inode 0 mean "unknown", and
    // such a reference resolves by path alone.
    FileReference(const QString& path, std::uint64_t device, std::uint64_t inode)
        : path_(path), device_(device), inode_(inode)
    {
    }

    // The item's current path, or an empty string when it cannot be found.
    QString path() const;
    // Like path(), and remembers a path found by the folder scan.
    QString refresh();

    const QString& lastKnownPath() const { return path_; }
    std::uint64_t device() const { return device_; }
    std::uint64_t inode() const { return inode_; }
    bool hasIdentity() const { return device_ != 0 || inode_ != 0; }

    // A file URL of the current path (empty when broken).
    QUrl url() const;

    // Two references are equal when they name the same item: the same device
    // and inode, or for references without identity the same path.
    bool operator==(const FileReference& other) const;

private:
    QString path_;
    std::uint64_t device_ = 0;
    std::uint64_t inode_ = 0;
};

// The identity of the item at path, without following a final symbolic link.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};
std::optional<FileIdentity> identityOf(const QString& path);

// Bookmark data for the item at path; empty when there is no such item.
QByteArray bookmarkDataForPath(const QString& path);
QByteArray bookmarkData(const FileReference& reference);

// The reference stored in bookmark data, or nothing when the data is not a
// bookmark. Accepts the dictionary form above and, from settings written on
// the other system, its own bookmark format (by the stored POSIX path).
std::optional<FileReference> referenceFromBookmarkData(const QByteArray& data);

// The current path of the item the bookmark names, or an empty string.
QString resolveBookmarkData(const QByteArray& data);

}  // namespace corvane
