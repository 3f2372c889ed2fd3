#include "platform/files/ApplicationSearch.h"

#include "platform/files/Volumes.h"
#include "platform/foundation/FileIO.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <unordered_set>
#include <vector>

namespace corvane::files {

namespace {

// Directory entries as getdents64 returns them.
struct LinuxDirent64 {
    std::uint64_t d_ino;
    std::int64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[1];
};

constexpr std::size_t kEntryBufferBytes = 64 * 1024;
constexpr std::uint64_t kProgressEvery = 4096;
// Deeper than this, a folder's descriptor is closed once its entries are read
// and its sub-folders are opened by path, so deep trees cannot exhaust
// descriptors.
constexpr int kKeepDescriptorsAbove = 128;

constexpr int kOpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;

// One folder being walked: its descriptor, where its path ends in the shared
// path buffer, and the names of its sub-folders still to visit.
struct Frame {
    int fd = -1;
    std::size_t pathLength = 0;
    std::string names;              // NUL-separated sub-folder names
    std::vector<std::uint32_t> starts;
    std::size_t next = 0;
};

class Walker {
public:
    Walker(QStringList& found, const SearchOptions& options) : found_(found), options_(options) {}

    SearchResult run(const QString& root)
    {
        SearchResult result;
        const QByteArray rootPath = nativePath(QDir::cleanPath(QFileInfo(root).absoluteFilePath()));
        const int fd = ::open(rootPath.constData(), kOpenFlags);
        if (fd < 0) {
            result.status = errno == ENOTDIR || errno == ELOOP ? status::dirNFErr : statusFromErrno(errno);
            return result;
        }
        noteMountPoints(rootPath);
        path_.assign(rootPath.constData(), static_cast<std::size_t>(rootPath.size()));
        if (path_.size() > 1 && path_.back() == '/')
            path_.pop_back();
        buffer_.resize(kEntryBufferBytes);

        frames_.reserve(64);
        frames_.push_back(Frame{});
        if (!readFolder(fd, frames_.back())) {
            result.status = statusFromErrno(errno);
            ::close(fd);
            frames_.clear();
            return result;
        }
        walk();
        result.totals = totals_;
        return result;
    }

private:
    void noteMountPoints(const QByteArray& rootPath)
    {
        for (const QByteArray& point : allMountPoints()) {
            const bool atOrAboveRoot = rootPath == point || point == "/" ||
                                       rootPath.startsWith(QByteArray(point + '/'));
            if (!atOrAboveRoot)
                mountPoints_.insert(point.toStdString());
        }
    }

    // Reads every entry of the folder open as fd: notes bundles, keeps the
    // names of sub-folders in the frame. Returns false when the first read
    // fails.
    bool readFolder(int fd, Frame& frame)
    {
        frame.fd = fd;
        frame.pathLength = path_.size();
        frame.names.clear();
        frame.starts.clear();
        frame.next = 0;
        ++totals_.foldersRead;
        bool first = true;
        while (true) {
            const long n = ::syscall(SYS_getdents64, fd, buffer_.data(), buffer_.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return !(n < 0 && first);
            first = false;
            for (long at = 0; at < n;) {
                const auto* entry = reinterpret_cast<const LinuxDirent64*>(buffer_.data() + at);
                at += entry->d_reclen;
                noteEntry(fd, entry);
            }
        }
    }

    void noteEntry(int fd, const LinuxDirent64* entry)
    {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            return;
        unsigned type = entry->d_type;
        if (type == DT_UNKNOWN) {
            struct stat st {};
            if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                return;
            type = S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
        }
        if (type != DT_DIR)
            return;
        const std::size_t length = std::strlen(name);
        Frame& frame = frames_.back();
        frame.starts.push_back(static_cast<std::uint32_t>(frame.names.size()));
        frame.names.append(name, length + 1);
        if (isApplicationBundleName(name, length)) {
            std::string full = path_;
            if (full != "/")
                full += '/';
            full.append(name, length);
            found_.append(QFile::decodeName(QByteArray(full.data(), static_cast<qsizetype>(full.size()))));
            ++totals_.bundlesFound;
        }
    }

    void walk()
    {
        while (!frames_.empty()) {
            Frame& top = frames_.back();
            if (top.next == top.starts.size()) {
                if (top.fd >= 0)
                    ::close(top.fd);
                path_.resize(top.pathLength);
                frames_.pop_back();
                if (!frames_.empty())
                    path_.resize(frames_.back().pathLength);
                continue;
            }
            const char* name = top.names.data() + top.starts[top.next++];
            enter(top, name);
        }
    }

    void enter(Frame& parent, const char* name)
    {
        path_.resize(parent.pathLength);
        if (path_ != "/")
            path_ += '/';
        path_ += name;
        const int depth = static_cast<int>(frames_.size());
        if (depth > options_.maxDepth || mountPoints_.count(path_))
            return;
        const int fd = parent.fd >= 0 ? ::openat(parent.fd, name, kOpenFlags)
                                      : ::open(path_.c_str(), kOpenFlags);
        if (fd < 0)
            return;  // vanished, unreadable, or a link: skipped
        if (depth > kKeepDescriptorsAbove && parent.fd >= 0) {
            ::close(parent.fd);  // deep: sub-folders of parent reopen by path
            parent.fd = -1;
        }
        frames_.emplace_back();
        readFolder(fd, frames_.back());
        if (options_.progress && totals_.foldersRead % kProgressEvery == 0)
            options_.progress(totals_);
    }

    QStringList& found_;
    const SearchOptions& options_;
    std::string path_;
    std::vector<char> buffer_;
    std::vector<Frame> frames_;
    std::unordered_set<std::string> mountPoints_;
    SearchProgress totals_;
};

}  // namespace

bool isApplicationBundleName(const char* name, std::size_t length)
{
    return length >= 5 && std::memcmp(name + length - 4, ".app", 4) == 0;
}

SearchResult findApplicationBundles(const QString& root, QStringList& found,
                                    const SearchOptions& options)
{
    return Walker(found, options).run(root);
}

}  // namespace corvane::files
