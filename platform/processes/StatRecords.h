// Reading the stat records of threads and listing task folders under a proc
// root, as cheaply as the root allows.
//
// On a live proc file system the records of threads read recently stay open
// (at most kMostOpen descriptors, the least recently read closed first) and
// are read again in place, from their start: one system call per record
// instead of three. The last task folder listed stays open too and is listed
// again from its start. A record or folder kept open belongs to the task it
// was opened for, not to its number: once that task has ended, reading it
// fails with ESRCH even when a new process has taken the number.
//
// Under any other root (a test fixture) every read opens the file anew, so
// a file that was removed is a record that is gone.
//
// Descriptors are closed when the owner says a thread or process has ended
// (keepOnly, forgetProcess), when it asks (keepIf), and with the object.
// Not thread-safe.
#pragma once

#include "platform/processes/ProcFiles.h"
#include "platform/processes/ProcStat.h"

#include <QByteArray>

#include <sys/types.h>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <span>
#include <unordered_map>
#include <vector>

namespace corvane::proc {

class StatRecords {
public:
    static constexpr std::size_t kMostOpen = 128;

    explicit StatRecords(const QByteArray& root);
    ~StatRecords();
    StatRecords(const StatRecords&) = delete;
    StatRecords& operator=(const StatRecords&) = delete;

    // The record of thread tid of process pid (tid == pid: the main thread,
    // whose record also holds the process's thread count and resident size).
    // error: ENOENT when the file is not there (the caller decides whether
    // the thread or the process is gone), ESRCH when the task whose record
    // was open has ended, EBADMSG for a malformed record, or another error
    // number of a failed read.
    StatReading readThread(pid_t pid, pid_t tid);

    struct Listing {
        std::vector<pid_t> threads;  // in the folder's order
        bool complete = true;        // false: more threads than capacity
        int error = 0;               // ENOENT: no such folder; ESRCH: the process
                                     // whose folder was open has ended
    };
    // Lists the task folder of pid, at most capacity identifiers.
    Listing listThreads(pid_t pid, std::size_t capacity);

    void forgetProcess(pid_t pid);
    // Closes the records of pid's threads that are not among liveThreads.
    void keepOnly(pid_t pid, std::span<const pid_t> liveThreads);
    // Closes every record for which keep(pid, tid) is false.
    void keepIf(const std::function<bool(pid_t pid, pid_t tid)>& keep);

    bool keepsRecordsOpen() const { return liveProcFileSystem_; }
    std::size_t openRecordCount() const { return open_.size(); }

private:
    using Key = std::uint64_t;
    struct Open {
        Key key;
        int fd;
    };
    static Key keyOf(pid_t pid, pid_t tid);
    static pid_t pidOf(Key key) { return static_cast<pid_t>(key >> 32); }
    static pid_t tidOf(Key key) { return static_cast<pid_t>(key & 0xffffffffu); }

    StatReading readOpenRecord(std::list<Open>::iterator it);
    StatReading openAndRead(pid_t pid, pid_t tid);
    void close(std::list<Open>::iterator it);
    void closeFolder();
    int openFolder(pid_t pid, int& error);

    ProcPath path_;
    bool liveProcFileSystem_ = false;
    std::list<Open> open_;  // most recently read first
    std::unordered_map<Key, std::list<Open>::iterator> index_;
    int folder_ = -1;  // the task folder of folderPid_
    pid_t folderPid_ = 0;
};

}  // namespace corvane::proc
