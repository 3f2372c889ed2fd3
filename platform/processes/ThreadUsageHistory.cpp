#include "platform/processes/ThreadUsageHistory.h"

#include <algorithm>
#include <cmath>

namespace corvane::proc {

namespace {

double clampFraction(double f)
{
    return std::isfinite(f) ? std::clamp(f, 0.0, 1.0) : 0.0;
}

std::int32_t scaled(double fraction)
{
    return static_cast<std::int32_t>(std::lround(fraction * ThreadUsageHistory::kOneProcessor));
}

}  // namespace

ThreadUsageHistory::Entry ThreadUsageHistory::firstEntry(const ThreadReading& reading)
{
    Entry e;
    e.startTime = reading.startTime;
    e.cpuTime = reading.cpuTime;
    e.time = reading.now;
    e.lastRead = reading.now;
    // The lifetime average; a thread younger than a clock tick has none yet.
    const double age = reading.now - reading.startTime;
    e.average = age > kShortestSpan ? clampFraction(reading.cpuTime / age) : 0.0;
    return e;
}

std::int32_t ThreadUsageHistory::update(pid_t pid, pid_t tid, const ThreadReading& reading)
{
    Threads& threads = processes_[pid];
    auto it = threads.find(tid);
    if (it == threads.end() || it->second.startTime != reading.startTime ||
        reading.cpuTime < it->second.cpuTime || reading.now < it->second.time) {
        const Entry e = firstEntry(reading);
        threads.insert_or_assign(tid, e);
        return scaled(e.average);
    }
    Entry& e = it->second;
    e.lastRead = reading.now;
    const double span = reading.now - e.time;
    if (span >= kShortestSpan) {
        // Exponential decay by 5/8 per second: the weight of the old average
        // after span seconds; the rest goes to the rate over the span.
        const double keep = std::pow(kDecayPerSecond, span);
        const double rate = clampFraction((reading.cpuTime - e.cpuTime) / span);
        e.average = clampFraction(e.average * keep + rate * (1.0 - keep));
        e.cpuTime = reading.cpuTime;
        e.time = reading.now;
    }
    return scaled(e.average);
}

void ThreadUsageHistory::keepOnly(pid_t pid, std::span<const pid_t> liveThreads)
{
    auto process = processes_.find(pid);
    if (process == processes_.end())
        return;
    Threads& threads = process->second;
    // Thread lists come sorted from the kernel, but a caller's may not be.
    const bool sorted = std::is_sorted(liveThreads.begin(), liveThreads.end());
    std::erase_if(threads, [&](const auto& entry) {
        return sorted ? !std::binary_search(liveThreads.begin(), liveThreads.end(), entry.first)
                      : std::find(liveThreads.begin(), liveThreads.end(), entry.first) ==
                            liveThreads.end();
    });
    if (threads.empty())
        processes_.erase(process);
}

void ThreadUsageHistory::forget(pid_t pid)
{
    processes_.erase(pid);
}

void ThreadUsageHistory::expire(double now)
{
    const double cutoff = now - kForgetAfterSeconds;
    for (auto it = processes_.begin(); it != processes_.end();) {
        std::erase_if(it->second,
                      [cutoff](const auto& entry) { return entry.second.lastRead < cutoff; });
        it = it->second.empty() ? processes_.erase(it) : std::next(it);
    }
}

bool ThreadUsageHistory::contains(pid_t pid, pid_t tid) const
{
    const auto process = processes_.find(pid);
    return process != processes_.end() && process->second.contains(tid);
}

std::size_t ThreadUsageHistory::threadCount() const
{
    std::size_t n = 0;
    for (const auto& [pid, threads] : processes_)
        n += threads.size();
    return n;
}

}  // namespace corvane::proc
