// The process table, answered from /proc: the queries process sampling makes
// of one process (its executable, its task figures, its threads and each
// thread's CPU usage), the machine's physical memory, and the list of
// processes.
//
// Every query of one process returns its answer, or nothing with a
// QueryError that says why in the error numbers sampling tells apart:
//   ESRCH    no such process, or it has exited (a zombie counts as exited)
//   EINVAL   (thread queries) the process lives but the thread has ended
//   ENOENT   (executable queries) the process has no executable: a kernel
//            thread, or one whose main thread has exited
//   EACCES   the system refused (another user's executable, a proc mount
//            that hides other users' processes)
//   EBADMSG  the record was cut short or malformed; expectedFields and
//            foundFields say how short
// and any other error number of a failed read as it came.
//
// The table keeps, per thread read, the history behind the decayed usage
// figure (ThreadUsageHistory.h). It is dropped for threads that a thread list
// no longer shows and for processes whose queries answer ESRCH, and entries
// not read for half a minute expire, so memory does not grow over days of
// sampling.
//
// A sample costs less than reading the stat records it needs anew: the task
// query reads the main thread's record (its thread count and resident size
// are the process's), which that thread's usage query then uses again if it
// comes within kReuseSeconds; on a live proc file system records stay open
// between samples and are read again in place (StatRecords.h: at most
// StatRecords::kMostOpen descriptors, closed as threads and processes end).
// A record kept open also tells a process that ended from a new one that
// took its number: the ended one's queries answer ESRCH.
//
// The queries are virtual so that a test can wrap the real table and end a
// real process between two of them. Not thread-safe: use a table from one
// thread at a time (sampling uses the shared one on the main thread).
#pragma once

#include "platform/processes/ProcFiles.h"
#include "platform/processes/ProcStat.h"
#include "platform/processes/StatRecords.h"
#include "platform/processes/ThreadUsageHistory.h"

#include <QByteArray>

#include <sys/types.h>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace corvane::proc {

struct QueryError {
    int error = 0;
    int expectedFields = 0;  // for EBADMSG: fields the record must hold
    int foundFields = 0;     // for EBADMSG: fields it held
};

struct TaskInfo {
    WordSize wordSize = WordSize::Unknown;  // filled only when asked for
    std::int64_t threadCount = 0;
    std::uint64_t residentBytes = 0;
};

class ProcessTable {
public:
    struct Options {
        QByteArray root = QByteArrayLiteral("/proc");  // a proc file system, or a fixture
        // Seconds since boot (CLOCK_BOOTTIME, the clock of thread start
        // times); tests that replay readings give their own.
        std::function<double()> clock;
        long ticksPerSecond = 0;  // 0: sysconf(_SC_CLK_TCK)
        long pageSize = 0;        // 0: sysconf(_SC_PAGESIZE)
    };

    ProcessTable();
    explicit ProcessTable(Options options);
    virtual ~ProcessTable();
    ProcessTable(const ProcessTable&) = delete;
    ProcessTable& operator=(const ProcessTable&) = delete;

    // The table on /proc that the program's sampling shares, created on
    // first use and kept for the life of the program.
    static ProcessTable& shared();

    // The executable's path as the file system spells it. A deleted
    // executable's path comes without the kernel's " (deleted)" mark.
    // Paths longer than PATH_MAX give ENAMETOOLONG.
    virtual std::optional<QByteArray> executablePath(pid_t pid, QueryError& why);

    // Thread count and resident size; the word size (the ELF class of the
    // executable) too when withWordSize, left Unknown when the executable
    // cannot be read (another user's) or is not ELF.
    virtual std::optional<TaskInfo> taskInfo(pid_t pid, bool withWordSize, QueryError& why);

    // The identifiers of the process's threads in the kernel's order, at most
    // capacity of them (like a fixed buffer: threads started since the
    // caller sized it are left out). Forgets the history of threads that are
    // no longer listed.
    virtual std::optional<std::vector<pid_t>> threadList(pid_t pid, std::size_t capacity,
                                                         QueryError& why);

    // The thread's decayed CPU usage, 0 to 1000 (one processor fully busy).
    virtual std::optional<std::int32_t> threadUsage(pid_t pid, pid_t tid, QueryError& why);

    // Physical memory in bytes (MemTotal), read once; 0 when unreadable.
    virtual std::uint64_t physicalMemory();

    // The identifiers of all processes, in ascending order, or of those whose
    // effective user is user. Processes that end while the list is made are
    // left out.
    std::optional<std::vector<pid_t>> processIdentifiers(std::optional<uid_t> user,
                                                         QueryError& why);

    // Threads whose usage history the table holds now, and records it holds open.
    std::size_t trackedThreadCount() const { return history_.threadCount(); }
    std::size_t openRecordCount() const { return records_.openRecordCount(); }
    std::size_t trackedProcessCount() const { return history_.processCount(); }

    const QByteArray& root() const { return options_.root; }

    // How long the task query's reading of the main thread serves its usage query.
    static constexpr double kReuseSeconds = 0.1;

private:
    struct MainThreadReading {
        pid_t pid = 0;
        StatFields fields;
        double time = 0;
    };

    bool processExists(pid_t pid);
    std::optional<std::int32_t> usageFrom(pid_t pid, pid_t tid, const StatFields& fields,
                                          double time);
    // ESRCH when the process is gone, else the error as it came.
    int processError(pid_t pid, int error);
    void noteEnded(pid_t pid);
    double now() const;
    void expireHistory(pid_t current, double time);

    Options options_;
    ProcPath path_;
    ThreadUsageHistory history_;
    std::uint64_t physicalMemory_ = 0;
    bool physicalMemoryRead_ = false;
    double lastExpiry_ = 0;
    std::optional<MainThreadReading> mainThread_;
    StatRecords records_;
};

}  // namespace corvane::proc
