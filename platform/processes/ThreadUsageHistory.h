// Per-thread CPU usage as a decayed average, the figure a scheduler keeps for
// every thread: usage over the recent past, where each second weighs 5/8 of
// the one after it. The figure is scaled so that 1000 is one processor fully
// busy, and it does not depend on how often it is asked for: a steady load
// reads the same whether threads are read every 0.5 s or every 5 s, and a
// load that stops decays to 5/8 of its figure per second either way.
//
// The kernel keeps only each thread's CPU time consumed so far, so the
// history lives here, one entry per thread read: the thread's start time,
// its CPU time and the time of the last reading, and the average. A thread
// seen for the first time starts from its lifetime average (CPU time over
// age, the figure ps shows); later readings decay towards the rate measured
// between readings.
//
// Memory stays bounded over any length of sampling: the owner reports which
// threads of a process are still alive (keepOnly) and which processes have
// ended (forget), and entries not read for kForgetAfterSeconds are dropped
// (by then their weight in the average is below one part in a million).
//
// Not thread-safe: one thread at a time (the sampling runs on the main
// thread).
#pragma once

#include <sys/types.h>
#include <cstddef>
#include <cstdint>
#include <span>
#include <unordered_map>

namespace corvane::proc {

// One reading of a thread, all in seconds on the boot-time clock.
struct ThreadReading {
    double startTime = 0;  // when the thread started, after boot
    double cpuTime = 0;    // user plus system time consumed so far
    double now = 0;        // when the reading was taken, after boot
};

class ThreadUsageHistory {
public:
    static constexpr double kDecayPerSecond = 5.0 / 8.0;
    static constexpr double kForgetAfterSeconds = 30.0;
    // Readings closer together than this keep the average as it is and
    // measure the next rate over the longer span: the kernel counts CPU time
    // in clock ticks, too coarse for a rate over a few milliseconds.
    static constexpr double kShortestSpan = 0.02;
    static constexpr std::int32_t kOneProcessor = 1000;

    // Feeds one reading of thread tid of process pid and returns its usage,
    // 0 to kOneProcessor. A reading whose start time differs from the
    // stored one is another thread that reuses the identifier: its history
    // starts again.
    std::int32_t update(pid_t pid, pid_t tid, const ThreadReading& reading);

    // Drops the threads of pid that are not among liveThreads (they ended).
    void keepOnly(pid_t pid, std::span<const pid_t> liveThreads);
    // Drops every thread of pid (the process ended).
    void forget(pid_t pid);
    // Drops threads not read since now - kForgetAfterSeconds.
    void expire(double now);

    bool contains(pid_t pid, pid_t tid) const;
    std::size_t threadCount() const;
    std::size_t processCount() const { return processes_.size(); }

private:
    struct Entry {
        double startTime = 0;
        double cpuTime = 0;  // at the last reading folded into the average
        double time = 0;     // of that reading
        double average = 0;  // fraction of one processor, 0 to 1
        double lastRead = 0;
    };
    using Threads = std::unordered_map<pid_t, Entry>;

    static Entry firstEntry(const ThreadReading& reading);

    std::unordered_map<pid_t, Threads> processes_;
};

}  // namespace corvane::proc
