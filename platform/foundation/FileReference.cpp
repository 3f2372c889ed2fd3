#include "platform/foundation/FileReference.h"

#include "platform/foundation/FileIO.h"
#include "platform/foundation/ForeignBookmark.h"
#include "platform/foundation/PropertyListIO.h"

#include <QDir>
#include <QFileInfo>

#include <dirent.h>
#include <sys/stat.h>

namespace corvane {

namespace {

const QString kPathKey = QStringLiteral("path");
const QString kDeviceKey = QStringLiteral("device");
const QString kInodeKey = QStringLiteral("inode");

// Looks in the folder of the last known path for an entry with the inode,
// and returns its path when it is the same item.
QString findRenamedInFolder(const FileReference& ref)
{
    const QString folder = QFileInfo(ref.lastKnownPath()).absolutePath();
    DIR* dir = ::opendir(nativePath(folder).constData());
    if (!dir)
        return {};
    QString found;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_ino != ref.inode())
            continue;
        const QString candidate = QDir(folder).filePath(QFile::decodeName(entry->d_name));
        const auto id = identityOf(candidate);
        if (id && id->device == ref.device() && id->inode == ref.inode()) {
            found = candidate;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

}  // namespace

std::optional<FileIdentity> identityOf(const QString& path)
{
    struct stat st {};
    if (path.isEmpty() || ::lstat(nativePath(path).constData(), &st) != 0)
        return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino)};
}

std::optional<FileReference> FileReference::forPath(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const auto id = identityOf(absolute);
    if (!id)
        return std::nullopt;
    return FileReference(absolute, id->device, id->inode);
}

QString FileReference::path() const
{
    const auto id = identityOf(path_);
    if (!hasIdentity())
        return id ? path_ : QString();
    if (id && id->device == device_ && id->inode == inode_)
        return path_;
    return findRenamedInFolder(*this);
}

QString FileReference::refresh()
{
    const QString current = path();
    if (!current.isEmpty())
        path_ = current;
    return current;
}

QUrl FileReference::url() const
{
    const QString p = path();
    return p.isEmpty() ? QUrl() : QUrl::fromLocalFile(p);
}

bool FileReference::operator==(const FileReference& other) const
{
    if (hasIdentity() || other.hasIdentity())
        return device_ == other.device_ && inode_ == other.inode_;
    return path_ == other.path_;
}

QByteArray bookmarkData(const FileReference& reference)
{
    plist::Dictionary d{
        {kPathKey, reference.lastKnownPath()},
        {kDeviceKey, plist::Value(plist::Integer::fromUnsigned(reference.device()))},
        {kInodeKey, plist::Value(plist::Integer::fromUnsigned(reference.inode()))},
    };
    return plist::serialize(plist::Value(d), plist::Format::Binary).value_or(QByteArray());
}

QByteArray bookmarkDataForPath(const QString& path)
{
    const auto ref = FileReference::forPath(path);
    return ref ? bookmarkData(*ref) : QByteArray();
}

std::optional<FileReference> referenceFromBookmarkData(const QByteArray& data)
{
    plist::Limits limits;
    limits.maxBytes = 1024 * 1024;
    limits.maxDepth = 4;
    const plist::ReadResult r = plist::parse(data, limits);
    if (!r) {
        const auto foreign = pathFromForeignBookmark(data);
        return foreign ? std::optional(FileReference(*foreign, 0, 0)) : std::nullopt;
    }
    const plist::Value* path = r.value->find(kPathKey);
    if (!path || !path->isString() || path->string()->isEmpty())
        return std::nullopt;
    const auto number = [&](const QString& key) -> std::uint64_t {
        const plist::Value* v = r.value->find(key);
        return v && v->isInteger() ? v->integer()->bits : 0;
    };
    return FileReference(*path->string(), number(kDeviceKey), number(kInodeKey));
}

QString resolveBookmarkData(const QByteArray& data)
{
    const auto ref = referenceFromBookmarkData(data);
    return ref ? ref->path() : QString();
}

}  // namespace corvane
