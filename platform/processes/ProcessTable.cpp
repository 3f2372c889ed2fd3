#include "platform/processes/ProcessTable.h"

#include "platform/processes/ProcStat.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <ctime>
#include <limits>

namespace corvane::proc {

namespace {

constexpr QByteArrayView kDeletedMark = " (deleted)";
constexpr double kExpiryEvery = 5.0;

// A directory stream that closes itself.
class Directory {
public:
    explicit Directory(const char* path)
    {
        if (!path) {
            error_ = ENAMETOOLONG;
            return;
        }
        const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            error_ = errno;
            return;
        }
        dir_ = ::fdopendir(fd);
        if (!dir_) {
            error_ = errno;
            ::close(fd);
        }
    }
    ~Directory()
    {
        if (dir_)
            ::closedir(dir_);
    }
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;

    bool isOpen() const { return dir_ != nullptr; }
    int error() const { return error_; }
    // The next entry's name, or nullptr at the end.
    const char* next()
    {
        const dirent* entry = ::readdir(dir_);
        return entry ? entry->d_name : nullptr;
    }

private:
    DIR* dir_ = nullptr;
    int error_ = 0;
};

bool hasExited(const StatFields& f)
{
    // A zombie whose threads have all gone; a process whose main thread
    // alone has exited shows 'Z' too but still counts its live threads.
    return (f.state == 'Z' || f.state == 'X') && f.threadCount <= 1;
}

std::uint64_t saturatingProduct(std::int64_t count, long unit)
{
    if (count <= 0 || unit <= 0)
        return 0;
    const auto c = static_cast<std::uint64_t>(count);
    const auto u = static_cast<std::uint64_t>(unit);
    return c > std::numeric_limits<std::uint64_t>::max() / u
               ? std::numeric_limits<std::uint64_t>::max()
               : c * u;
}

double bootClockNow()
{
    timespec ts{};
    ::clock_gettime(CLOCK_BOOTTIME, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

}  // namespace

ProcessTable::ProcessTable() : ProcessTable(Options{}) {}

ProcessTable::ProcessTable(Options options)
    : options_(std::move(options)), path_(options_.root), records_(options_.root)
{
    if (options_.ticksPerSecond <= 0)
        options_.ticksPerSecond = ::sysconf(_SC_CLK_TCK);
    if (options_.ticksPerSecond <= 0)
        options_.ticksPerSecond = 100;
    if (options_.pageSize <= 0)
        options_.pageSize = ::sysconf(_SC_PAGESIZE);
    if (!options_.clock)
        options_.clock = bootClockNow;
}

ProcessTable::~ProcessTable() = default;

ProcessTable& ProcessTable::shared()
{
    static ProcessTable table;
    return table;
}

double ProcessTable::now() const
{
    return options_.clock();
}

bool ProcessTable::processExists(pid_t pid)
{
    const char* p = path_.forProcess(pid, "");
    return p && ::access(p, F_OK) == 0;
}

int ProcessTable::processError(pid_t pid, int error)
{
    // ESRCH comes from a record or folder of the process itself; a missing
    // file may be the process's or only the thread's.
    if (error == ESRCH || (error == ENOENT && !processExists(pid))) {
        noteEnded(pid);
        return ESRCH;
    }
    return error;
}

void ProcessTable::noteEnded(pid_t pid)
{
    history_.forget(pid);
    records_.forgetProcess(pid);
    if (mainThread_ && mainThread_->pid == pid)
        mainThread_.reset();
}

std::optional<QByteArray> ProcessTable::executablePath(pid_t pid, QueryError& why)
{
    why = {};
    if (pid <= 0) {
        why.error = ESRCH;
        return std::nullopt;
    }
    const char* link = path_.forProcess(pid, "/exe");
    std::array<char, PATH_MAX + 1> target;
    const ssize_t n = link ? ::readlink(link, target.data(), target.size()) : -1;
    if (n < 0) {
        why.error = processError(pid, link ? errno : ENAMETOOLONG);
        return std::nullopt;
    }
    if (n == 0 || static_cast<std::size_t>(n) >= target.size()) {
        why.error = n == 0 ? ENOENT : ENAMETOOLONG;
        return std::nullopt;
    }
    QByteArray path(target.data(), n);
    if (path.endsWith(kDeletedMark)) {
        // The mark is the kernel's only when the file it names is gone; a
        // file may be named that way too.
        struct stat st {};
        if (::stat(link, &st) == 0 && st.st_nlink == 0)
            path.chop(kDeletedMark.size());
    }
    return path;
}

std::optional<TaskInfo> ProcessTable::taskInfo(pid_t pid, bool withWordSize, QueryError& why)
{
    why = {};
    if (pid <= 0) {
        why.error = ESRCH;
        return std::nullopt;
    }
    // The main thread's record holds the process's thread count and resident
    // size, and its own CPU time, which its usage query will want next.
    const StatReading stat = records_.readThread(pid, pid);
    if (!stat.fields) {
        why.error = stat.error == EBADMSG ? EBADMSG : processError(pid, stat.error);
        why.expectedFields = kStatFieldsNeeded;
        why.foundFields = stat.fieldsFound;
        return std::nullopt;
    }
    mainThread_ = MainThreadReading{pid, *stat.fields, now()};
    if (hasExited(*stat.fields)) {
        noteEnded(pid);
        why.error = ESRCH;
        return std::nullopt;
    }
    TaskInfo info;
    info.threadCount = stat.fields->threadCount;
    info.residentBytes = saturatingProduct(stat.fields->residentPages, options_.pageSize);
    if (withWordSize) {
        std::array<char, 16> head;
        const ReadOutcome r = readProcFile(path_.forProcess(pid, "/exe"), head.data(), head.size());
        if (r.ok())
            info.wordSize = wordSizeFromElfIdentification(QByteArrayView(head.data(), r.size));
    }
    return info;
}

std::optional<std::vector<pid_t>> ProcessTable::threadList(pid_t pid, std::size_t capacity,
                                                           QueryError& why)
{
    why = {};
    if (pid <= 0) {
        why.error = ESRCH;
        return std::nullopt;
    }
    StatRecords::Listing listing = records_.listThreads(pid, capacity);
    if (listing.error != 0) {
        why.error = processError(pid, listing.error);
        return std::nullopt;
    }
    if (listing.complete) {
        history_.keepOnly(pid, listing.threads);
        records_.keepOnly(pid, listing.threads);
    }
    expireHistory(pid, now());
    return std::move(listing.threads);
}

std::optional<std::int32_t> ProcessTable::threadUsage(pid_t pid, pid_t tid, QueryError& why)
{
    why = {};
    if (pid <= 0) {
        why.error = ESRCH;
        return std::nullopt;
    }
    if (tid <= 0) {
        why.error = EINVAL;
        return std::nullopt;
    }
    if (tid == pid && mainThread_ && mainThread_->pid == pid &&
        now() - mainThread_->time < kReuseSeconds) {
        const MainThreadReading reading = *mainThread_;
        mainThread_.reset();
        return usageFrom(pid, tid, reading.fields, reading.time);
    }
    const StatReading stat = records_.readThread(pid, tid);
    if (!stat.fields) {
        if (stat.error == EBADMSG) {
            why = {EBADMSG, kStatFieldsNeeded, stat.fieldsFound};
        } else if (stat.error == ENOENT || stat.error == ESRCH) {
            // The thread has ended; whether the process has too, its folder says.
            if (processExists(pid)) {
                why.error = EINVAL;
            } else {
                noteEnded(pid);
                why.error = ESRCH;
            }
        } else {
            why.error = stat.error;
        }
        return std::nullopt;
    }
    return usageFrom(pid, tid, *stat.fields, now());
}

std::optional<std::int32_t> ProcessTable::usageFrom(pid_t pid, pid_t tid, const StatFields& fields,
                                                    double time)
{
    const double tick = static_cast<double>(options_.ticksPerSecond);
    ThreadReading reading;
    reading.startTime = static_cast<double>(fields.startTicks) / tick;
    reading.cpuTime =
        (static_cast<double>(fields.userTicks) + static_cast<double>(fields.systemTicks)) / tick;
    reading.now = time;
    return history_.update(pid, tid, reading);
}

std::uint64_t ProcessTable::physicalMemory()
{
    if (!physicalMemoryRead_) {
        std::array<char, 8192> buffer;
        const ReadOutcome r = readProcFile(path_.forRoot("/meminfo"), buffer.data(), buffer.size());
        if (r.ok()) {
            const auto total = parseMemTotal(QByteArrayView(buffer.data(), r.size));
            physicalMemory_ = total.value_or(0);
            physicalMemoryRead_ = total.has_value();
        }
    }
    return physicalMemory_;
}

std::optional<std::vector<pid_t>> ProcessTable::processIdentifiers(std::optional<uid_t> user,
                                                                   QueryError& why)
{
    why = {};
    Directory root(path_.forRoot(""));
    if (!root.isOpen()) {
        why.error = root.error();
        return std::nullopt;
    }
    std::vector<pid_t> pids;
    while (const char* name = root.next()) {
        const std::optional<pid_t> pid = identifierFromName(name);
        if (!pid)
            continue;
        if (user) {
            // The Uid line is near the top: the first 4 KiB hold it even
            // when a long Groups line follows.
            std::array<char, 4096> buffer;
            const ReadOutcome r =
                readProcFile(path_.forProcess(*pid, "/status"), buffer.data(), buffer.size());
            if (!r.ok() || parseEffectiveUid(QByteArrayView(buffer.data(), r.size)) != user)
                continue;
        }
        pids.push_back(*pid);
    }
    std::sort(pids.begin(), pids.end());
    return pids;
}

void ProcessTable::expireHistory(pid_t current, double time)
{
    if (time - lastExpiry_ < kExpiryEvery && time >= lastExpiry_)
        return;
    lastExpiry_ = time;
    history_.expire(time);
    // The current process's records are kept by its thread list, not by its
    // history (its main thread's record may be read before its history is).
    records_.keepIf([this, current](pid_t pid, pid_t tid) {
        return pid == current || history_.contains(pid, tid);
    });
}

}  // namespace corvane::proc
