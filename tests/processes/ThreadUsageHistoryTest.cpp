// The decayed usage average against loads whose true figure is known: a steady
// load, a load that stops, a load that starts, read at different intervals.
#include "platform/processes/ThreadUsageHistory.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace corvane::proc;

namespace {

// A thread whose load (fraction of one processor) is given by a function of
// time; cpuTime integrates it finely, as the kernel's counter would.
struct SimulatedThread {
    double start = 0;
    double (*load)(double t) = nullptr;

    double cpuTime(double t) const
    {
        double sum = 0;
        const double step = 0.001;
        for (double s = start; s < t; s += step)
            sum += load(s) * std::min(step, t - s);
        return sum;
    }
    ThreadReading at(double t) const { return {start, cpuTime(t), t}; }
};

// Reads thread 7 of process 1 every interval from first to last; the last figure.
std::int32_t readEvery(ThreadUsageHistory& h, const SimulatedThread& th, double first, double last,
                       double interval)
{
    std::int32_t figure = -1;
    for (double t = first; t <= last + 1e-9; t += interval)
        figure = h.update(1, 7, th.at(t));
    return figure;
}

}  // namespace

TEST(ThreadUsageHistory, SteadyLoadReadsTheSameAtAnyInterval)
{
    const SimulatedThread th{0, [](double) { return 0.6; }};
    for (double interval : {0.25, 0.5, 1.0, 2.0, 5.0}) {
        ThreadUsageHistory h;
        EXPECT_NEAR(readEvery(h, th, 10, 30, interval), 600, 1) << "interval " << interval;
    }
}

TEST(ThreadUsageHistory, StoppedLoadDecaysByFiveEighthsPerSecond)
{
    // Busy until t = 20, idle after.
    const SimulatedThread th{0, [](double t) { return t < 20 ? 1.0 : 0.0; }};
    for (double interval : {0.5, 1.0}) {
        ThreadUsageHistory h;
        ASSERT_NEAR(readEvery(h, th, 5, 20, interval), 1000, 1);
        for (int k = 1; k <= 4; ++k) {
            EXPECT_NEAR(readEvery(h, th, 20 + k - 1 + interval, 20 + k, interval),
                        1000 * std::pow(5.0 / 8.0, k), 1.5)
                << k << " s after the load stopped, reading every " << interval << " s";
        }
    }
}

TEST(ThreadUsageHistory, LoadThatStartsRisesAsTheSchedulersAverageDoes)
{
    // Idle for 60 s, then fully busy: after one second the average holds 3/8
    // of the new load, after two 1 - (5/8)^2.
    const SimulatedThread th{0, [](double t) { return t < 60 ? 0.0 : 1.0; }};
    ThreadUsageHistory h;
    readEvery(h, th, 59, 60, 0.5);
    EXPECT_NEAR(readEvery(h, th, 60.5, 61, 0.5), 375, 2);
    EXPECT_NEAR(readEvery(h, th, 61.5, 62, 0.5), 609, 2);
    EXPECT_NEAR(readEvery(h, th, 62.5, 70, 0.5), 1000 * (1 - std::pow(5.0 / 8.0, 10)), 2);
}

TEST(ThreadUsageHistory, FirstReadingIsTheLifetimeAverage)
{
    ThreadUsageHistory h;
    // Started at 100 s, 2.5 s of CPU time by 110 s: a quarter of a processor.
    EXPECT_EQ(h.update(1, 7, {100, 2.5, 110}), 250);
    // A thread younger than the shortest span has no average yet.
    EXPECT_EQ(h.update(1, 8, {110, 0.01, 110.001}), 0);
    // Counters beyond what the span allows are clamped to one processor.
    EXPECT_EQ(h.update(1, 9, {100, 50, 110}), 1000);
}

TEST(ThreadUsageHistory, ReadingsCloseTogetherDoNotMeasureTickNoise)
{
    ThreadUsageHistory h;
    ASSERT_EQ(h.update(1, 7, {0, 5, 10}), 500);
    // One 10 ms tick counted 1 ms later would be a rate of ten processors.
    EXPECT_EQ(h.update(1, 7, {0, 5.01, 10.001}), 500);
    // Measured over the whole span once it is long enough: 0.01 s in 0.5 s.
    EXPECT_NEAR(h.update(1, 7, {0, 5.01, 10.5}),
                500 * std::pow(5.0 / 8.0, 0.5) + 20 * (1 - std::pow(5.0 / 8.0, 0.5)), 1);
}

TEST(ThreadUsageHistory, ReusedIdentifierStartsAgain)
{
    ThreadUsageHistory h;
    ASSERT_EQ(h.update(1, 7, {0, 10, 10}), 1000);  // busy all its life, idle from now on
    EXPECT_EQ(h.update(1, 7, {0, 10, 10.5}), 791);
    // Another thread with the same identifier, started later and idle.
    EXPECT_EQ(h.update(1, 7, {10.2, 0, 11}), 0);
    // A counter that goes backwards cannot be the same thread either.
    h.update(1, 9, {0, 8, 10});
    EXPECT_EQ(h.update(1, 9, {0, 1, 12}), 83);
}

TEST(ThreadUsageHistory, EndedThreadsAndProcessesAreForgotten)
{
    ThreadUsageHistory h;
    for (pid_t tid : {11, 12, 13})
        h.update(1, tid, {0, 1, 10});
    h.update(2, 21, {0, 1, 10});
    ASSERT_EQ(h.threadCount(), 4u);

    const std::vector<pid_t> live{13, 11};  // any order
    h.keepOnly(1, live);
    EXPECT_EQ(h.threadCount(), 3u);
    h.keepOnly(1, {});
    EXPECT_EQ(h.threadCount(), 1u);
    EXPECT_EQ(h.processCount(), 1u) << "a process without threads is dropped";

    h.forget(2);
    EXPECT_EQ(h.threadCount(), 0u);
    EXPECT_EQ(h.processCount(), 0u);
}

TEST(ThreadUsageHistory, ThreadsNotReadForHalfAMinuteExpire)
{
    ThreadUsageHistory h;
    h.update(1, 11, {0, 1, 10});
    h.update(2, 21, {0, 1, 25});
    h.expire(39);
    EXPECT_EQ(h.threadCount(), 2u);
    h.expire(41);
    EXPECT_EQ(h.threadCount(), 1u) << "read at 10 s, gone at 41 s";
    EXPECT_EQ(h.processCount(), 1u);
    h.expire(56);
    EXPECT_EQ(h.threadCount(), 0u);
}
