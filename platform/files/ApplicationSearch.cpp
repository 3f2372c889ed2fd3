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
#include <algorithm>
#include <atomic>
#include <thread>
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

// What the threads of one search share: the mount points not to enter, the
// options, and the running totals.
struct SharedSearch {
    const SearchOptions& options;
    std::unordered_set<std::string> mountPoints;
    std::atomic<std::uint64_t> foldersRead{0};
    std::atomic<std::uint64_t> bundlesFound{0};

    SharedSearch(const SearchOptions& o, const QByteArray& rootPath) : options(o)
    {
        for (const QByteArray& point : allMountPoints()) {
            const bool atOrAboveRoot = rootPath == point || point == "/" ||
                                       rootPath.startsWith(QByteArray(point + '/'));
            if (!atOrAboveRoot)
                mountPoints.insert(point.toStdString());
        }
    }
    SearchProgress totals() const { return {foldersRead.load(), bundlesFound.load()}; }
};

// Walks folders depth first on one thread, appending the bundles it finds.
class Walker {
public:
    Walker(SharedSearch& shared, QStringList& found, bool reportsProgress)
        : shared_(shared), found_(found), reportsProgress_(reportsProgress)
    {
        buffer_.resize(kEntryBufferBytes);
    }

    // Reads the folder at path (depth levels below the search's root) and
    // walks everything below it; the folder itself is not a result. Returns
    // the errno of opening or reading it, 0 when it was read.
    int walk(const std::string& path, int depth)
    {
        const int fd = ::open(path.c_str(), kOpenFlags);
        if (fd < 0)
            return errno;
        path_ = path;
        if (path_.size() > 1 && path_.back() == '/')
            path_.pop_back();
        baseDepth_ = depth;
        frames_.clear();
        frames_.push_back(Frame{});
        if (!readFolder(fd, frames_.back())) {
            const int error = errno;
            ::close(fd);
            frames_.clear();
            return error;
        }
        descend();
        return 0;
    }

    // Reads one folder and gives back the paths of its sub-folders that the
    // search may enter, without walking them.
    int list(const std::string& path, int depth, std::vector<std::string>& subFolders)
    {
        const int fd = ::open(path.c_str(), kOpenFlags);
        if (fd < 0)
            return errno;
        path_ = path;
        frames_.clear();
        frames_.push_back(Frame{});
        const bool read = readFolder(fd, frames_.back());
        const int error = read ? 0 : errno;
        ::close(fd);
        const Frame& frame = frames_.back();
        for (std::uint32_t start : frame.starts) {
            std::string child = path_ == "/" ? "/" : path_ + '/';
            child += frame.names.data() + start;
            if (depth + 1 <= shared_.options.maxDepth && !shared_.mountPoints.count(child))
                subFolders.push_back(std::move(child));
        }
        frames_.clear();
        return error;
    }

private:
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
        const std::uint64_t read = ++shared_.foldersRead;
        if (reportsProgress_ && shared_.options.progress && read >= nextReport_) {
            shared_.options.progress(shared_.totals());
            nextReport_ = (read / kProgressEvery + 1) * kProgressEvery;
        }
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
                noteEntry(fd, entry, frame);
            }
        }
    }

    void noteEntry(int fd, const LinuxDirent64* entry, Frame& frame)
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
        frame.starts.push_back(static_cast<std::uint32_t>(frame.names.size()));
        frame.names.append(name, length + 1);
        if (isApplicationBundleName(name, length)) {
            std::string full = path_;
            if (full != "/")
                full += '/';
            full.append(name, length);
            found_.append(QFile::decodeName(QByteArray(full.data(), static_cast<qsizetype>(full.size()))));
            ++shared_.bundlesFound;
        }
    }

    void descend()
    {
        while (!frames_.empty()) {
            Frame& top = frames_.back();
            if (top.next == top.starts.size()) {
                if (top.fd >= 0)
                    ::close(top.fd);
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
        const int depth = baseDepth_ + static_cast<int>(frames_.size());
        if (depth > shared_.options.maxDepth || shared_.mountPoints.count(path_))
            return;
        const int fd = parent.fd >= 0 ? ::openat(parent.fd, name, kOpenFlags)
                                      : ::open(path_.c_str(), kOpenFlags);
        if (fd < 0)
            return;  // vanished, unreadable, or a link: skipped
        if (static_cast<int>(frames_.size()) > kKeepDescriptorsAbove && parent.fd >= 0) {
            ::close(parent.fd);  // deep: sub-folders of parent reopen by path
            parent.fd = -1;
        }
        frames_.emplace_back();
        readFolder(fd, frames_.back());
    }

    SharedSearch& shared_;
    QStringList& found_;
    bool reportsProgress_;
    std::uint64_t nextReport_ = kProgressEvery;  // folders read at the next report
    int baseDepth_ = 0;
    std::string path_;
    std::vector<char> buffer_;
    std::vector<Frame> frames_;
};

// Enough sub-trees that threads finishing early find more to do.
constexpr std::size_t kSubtreesPerThread = 64;

unsigned searchThreads()
{
    return std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
}

}  // namespace

bool isApplicationBundleName(const char* name, std::size_t length)
{
    return length >= 5 && std::memcmp(name + length - 4, ".app", 4) == 0;
}

SearchResult findApplicationBundles(const QString& root, QStringList& found,
                                    const SearchOptions& options)
{
    SearchResult result;
    const QByteArray rootBytes = nativePath(QDir::cleanPath(QFileInfo(root).absoluteFilePath()));
    const std::string rootPath(rootBytes.constData(), static_cast<size_t>(rootBytes.size()));
    SharedSearch shared(options, rootBytes);
    const unsigned threads = searchThreads();

    // Breadth first, on this thread, until there are sub-trees enough to share.
    Walker lister(shared, found, true);
    std::vector<std::string> level{rootPath};
    int depth = 0;
    if (const int error = lister.list(rootPath, depth, level); error != 0) {
        result.status = error == ENOTDIR || error == ELOOP ? status::dirNFErr : statusFromErrno(error);
        return result;
    }
    level.erase(level.begin());
    ++depth;
    while (!level.empty() && level.size() < threads * kSubtreesPerThread && depth < options.maxDepth) {
        std::vector<std::string> next;
        for (const std::string& folder : level)
            lister.list(folder, depth, next);
        level = std::move(next);
        ++depth;
    }

    // Then one walker per thread takes sub-trees until none is left.
    std::atomic<std::size_t> nextSubtree{0};
    std::vector<QStringList> foundByThread(threads);
    const auto work = [&](unsigned index) {
        Walker walker(shared, foundByThread[index], index == 0);
        for (std::size_t i; (i = nextSubtree++) < level.size();)
            walker.walk(level[i], depth);
    };
    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < threads && level.size() > 1; ++t)
        helpers.emplace_back(work, t);
    work(0);
    for (std::thread& t : helpers)
        t.join();
    for (const QStringList& part : foundByThread)
        found.append(part);
    result.totals = shared.totals();
    return result;
}

}  // namespace corvane::files
