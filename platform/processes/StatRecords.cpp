#include "platform/processes/StatRecords.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/statfs.h>
#include <unistd.h>
#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>

namespace corvane::proc {

namespace {

constexpr long kProcSuperMagic = 0x9fa0;

bool isLiveProcFileSystem(const QByteArray& root)
{
    struct statfs fs {};
    return ::statfs(root.constData(), &fs) == 0 && fs.f_type == kProcSuperMagic;
}

// The thread's record relative to its task folder: "<tid>/stat".
const char* relativeRecord(char (&buffer)[32], pid_t tid)
{
    char* end = std::to_chars(buffer, buffer + 16, tid).ptr;
    std::memcpy(end, "/stat", 6);
    return buffer;
}

}  // namespace

StatRecords::StatRecords(const QByteArray& root)
    : path_(root), liveProcFileSystem_(isLiveProcFileSystem(root))
{
}

StatRecords::~StatRecords()
{
    for (const Open& o : open_)
        ::close(o.fd);
    closeFolder();
}

StatRecords::Key StatRecords::keyOf(pid_t pid, pid_t tid)
{
    return (static_cast<Key>(static_cast<std::uint32_t>(pid)) << 32) |
           static_cast<std::uint32_t>(tid);
}

void StatRecords::close(std::list<Open>::iterator it)
{
    ::close(it->fd);
    index_.erase(it->key);
    open_.erase(it);
}

void StatRecords::closeFolder()
{
    if (folder_ >= 0)
        ::close(folder_);
    folder_ = -1;
    folderPid_ = 0;
}

StatReading StatRecords::readOpenRecord(std::list<Open>::iterator it)
{
    std::array<char, kStatRecordBytes> buffer;
    ssize_t n;
    do {
        n = ::pread(it->fd, buffer.data(), buffer.size(), 0);
    } while (n < 0 && errno == EINTR);
    const int error = errno;
    if (n <= 0) {
        // The task the record was opened for has ended.
        close(it);
        StatReading gone;
        gone.error = n < 0 && error != ESRCH ? error : ESRCH;
        return gone;
    }
    open_.splice(open_.begin(), open_, it);
    return parseStatRecord(QByteArrayView(buffer.data(), n));
}

StatReading StatRecords::openAndRead(pid_t pid, pid_t tid)
{
    constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    StatReading failed;
    int fd = -1;
    if (folderPid_ == pid && folder_ >= 0) {
        // Relative to the task folder: no walk from the root for every thread.
        char relative[32];
        fd = ::openat(folder_, relativeRecord(relative, tid), kFlags);
    } else if (const char* path = path_.forThread(pid, tid, "/stat")) {
        fd = ::open(path, kFlags);
    } else {
        failed.error = ENAMETOOLONG;
        return failed;
    }
    if (fd < 0) {
        failed.error = errno;
        return failed;
    }
    std::array<char, kStatRecordBytes> buffer;
    ssize_t n;
    do {
        n = ::read(fd, buffer.data(), buffer.size());
    } while (n < 0 && errno == EINTR);
    const int error = errno;
    if (n <= 0 || !liveProcFileSystem_) {
        ::close(fd);
    } else {
        open_.push_front({keyOf(pid, tid), fd});
        index_[keyOf(pid, tid)] = open_.begin();
        if (open_.size() > kMostOpen)
            close(std::prev(open_.end()));
    }
    if (n < 0) {
        failed.error = error;
        return failed;
    }
    return parseStatRecord(QByteArrayView(buffer.data(), n));
}

StatReading StatRecords::readThread(pid_t pid, pid_t tid)
{
    const auto it = index_.find(keyOf(pid, tid));
    if (it != index_.end())
        return readOpenRecord(it->second);
    return openAndRead(pid, tid);
}

int StatRecords::openFolder(pid_t pid, int& error)
{
    if (folderPid_ == pid && folder_ >= 0 && liveProcFileSystem_) {
        if (::lseek(folder_, 0, SEEK_SET) == 0)
            return folder_;
        closeFolder();
        error = ESRCH;
        return -1;
    }
    closeFolder();
    const char* folder = path_.forProcess(pid, "/task");
    const int fd = folder ? ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
    if (fd < 0) {
        error = folder ? errno : ENAMETOOLONG;
        return -1;
    }
    folder_ = fd;
    folderPid_ = pid;
    return fd;
}

StatRecords::Listing StatRecords::listThreads(pid_t pid, std::size_t capacity)
{
    Listing listing;
    const bool wasOpen = folderPid_ == pid && folder_ >= 0;
    const int fd = openFolder(pid, listing.error);
    if (fd < 0)
        return listing;
    listing.threads.reserve(std::min<std::size_t>(capacity, 4096));
    alignas(dirent64) char entries[8192];
    for (;;) {
        const ssize_t n = ::getdents64(fd, entries, sizeof entries);
        if (n < 0 && wasOpen && (errno == ENOENT || errno == ESRCH)) {
            closeFolder();
            listing.threads.clear();
            listing.error = ESRCH;  // the process listed before has ended
            return listing;
        }
        if (n <= 0)
            break;  // the end, or the process ended while it was listed
        for (ssize_t offset = 0; offset < n;) {
            const auto* entry = reinterpret_cast<const dirent64*>(entries + offset);
            if (entry->d_reclen == 0 || offset + entry->d_reclen > n)
                break;
            offset += entry->d_reclen;
            const std::optional<pid_t> tid = identifierFromName(entry->d_name);
            if (!tid)
                continue;
            if (listing.threads.size() == capacity) {
                listing.complete = false;
                return listing;
            }
            listing.threads.push_back(*tid);
        }
    }
    return listing;
}

void StatRecords::forgetProcess(pid_t pid)
{
    keepIf([pid](pid_t p, pid_t) { return p != pid; });
    if (folderPid_ == pid)
        closeFolder();
}

void StatRecords::keepOnly(pid_t pid, std::span<const pid_t> liveThreads)
{
    const bool sorted = std::is_sorted(liveThreads.begin(), liveThreads.end());
    keepIf([&](pid_t p, pid_t tid) {
        if (p != pid)
            return true;
        return sorted ? std::binary_search(liveThreads.begin(), liveThreads.end(), tid)
                      : std::find(liveThreads.begin(), liveThreads.end(), tid) != liveThreads.end();
    });
}

void StatRecords::keepIf(const std::function<bool(pid_t pid, pid_t tid)>& keep)
{
    for (auto it = open_.begin(); it != open_.end();) {
        const auto next = std::next(it);
        if (!keep(pidOf(it->key), tidOf(it->key)))
            close(it);
        it = next;
    }
}

}  // namespace corvane::proc
