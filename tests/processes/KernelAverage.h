// An oracle for CPU figures: the kernel's own count of a whole process's CPU
// time (/proc/<pid>/stat, all threads together, dead ones included), averaged
// with the decay the figures use (5/8 per second), from the process's
// lifetime average on. Sampled at the same ticks as the figure under test,
// it follows the same load changes, so the two can be held to a tight
// tolerance on a machine whose load comes and goes.
#pragma once

#include "platform/processes/ProcStat.h"
#include "platform/processes/ThreadUsageHistory.h"

#include <unistd.h>
#include <cmath>
#include <ctime>

namespace corvane::fixtures {

class KernelAverage {
public:
    explicit KernelAverage(pid_t pid) : pid_(pid) {}

    // Takes one reading; the average so far in percent of one processor, or
    // -1 when the process cannot be read.
    double sample()
    {
        const auto f = proc::readStat(pid_);
        if (!f)
            return -1;
        const double tick = static_cast<double>(::sysconf(_SC_CLK_TCK));
        const double cpu = static_cast<double>(f->userTicks + f->systemTicks) / tick;
        timespec ts{};
        ::clock_gettime(CLOCK_BOOTTIME, &ts);
        const double now = static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
        if (time_ < 0) {
            const double age = now - static_cast<double>(f->startTicks) / tick;
            average_ = age > 0 ? cpu / age : 0;
        } else if (now > time_) {
            const double keep = std::pow(proc::ThreadUsageHistory::kDecayPerSecond, now - time_);
            average_ = average_ * keep + (cpu - cpu_) / (now - time_) * (1 - keep);
        }
        cpu_ = cpu;
        time_ = now;
        return average_ * 100.0;
    }

private:
    pid_t pid_;
    double cpu_ = 0;
    double time_ = -1;
    double average_ = 0;
};

}  // namespace corvane::fixtures
