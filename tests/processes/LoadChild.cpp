// A child process for the process-table tests and the sampling benchmark: it
// starts busy and idle threads, optionally holds resident memory, says
// "ready" on standard output once every thread runs, and then waits to be
// killed (it dies with its parent, too).
//
//   corvane-load-child [--busy N [--duty PERCENT]] [--idle N] [--churn] [--resident MB]
//                      [--exit-after MS] [--user UID]
//
// --busy N      N threads that spin without pause
// --duty P      busy threads spin for P % of every 10 ms and sleep the rest: a
//               load that stays steady on a crowded machine, where the
//               scheduler favours threads that sleep
// --idle N      N threads that sleep
// --churn       one thread that starts and joins short-lived threads without end
// --resident MB MB mebibytes allocated and touched, so they stay resident
// --exit-after  the process exits by itself after MS milliseconds
// --user UID    runs as that user (started by root)
#include <sys/prctl.h>
#include <time.h>
#include <unistd.h>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace {

std::atomic<unsigned long> sink{0};
int dutyPercent = 100;

constexpr long kPeriodNs = 10'000'000;

void advance(timespec& t, long ns)
{
    t.tv_nsec += ns;
    while (t.tv_nsec >= 1'000'000'000) {
        t.tv_nsec -= 1'000'000'000;
        ++t.tv_sec;
    }
}

bool before(const timespec& a, const timespec& b)
{
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

void spin()
{
    unsigned long n = 0;
    if (dutyPercent >= 100) {
        for (;;)
            sink.store(++n, std::memory_order_relaxed);
    }
    timespec period{};
    ::clock_gettime(CLOCK_MONOTONIC, &period);
    for (;;) {
        timespec busyUntil = period;
        advance(busyUntil, kPeriodNs / 100 * dutyPercent);
        timespec now{};
        do {
            sink.store(++n, std::memory_order_relaxed);
            ::clock_gettime(CLOCK_MONOTONIC, &now);
        } while (before(now, busyUntil));
        advance(period, kPeriodNs);
        ::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &period, nullptr);
    }
}

void sleepForever()
{
    for (;;)
        ::pause();
}

void churn()
{
    for (;;) {
        std::thread t([] {
            for (int i = 0; i < 1000; ++i)
                sink.fetch_add(1, std::memory_order_relaxed);
        });
        t.join();
    }
}

int argumentAfter(int& i, int argc, char** argv)
{
    if (i + 1 >= argc) {
        std::fprintf(stderr, "corvane-load-child: %s needs a number\n", argv[i]);
        std::exit(2);
    }
    return std::atoi(argv[++i]);
}

}  // namespace

int main(int argc, char** argv)
{
    const pid_t parent = ::getppid();
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent)
        return 1;

    int busy = 0, idle = 0, residentMiB = 0, exitAfterMs = -1, user = -1;
    bool churning = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--busy"))
            busy = argumentAfter(i, argc, argv);
        else if (!std::strcmp(argv[i], "--duty"))
            dutyPercent = argumentAfter(i, argc, argv);
        else if (!std::strcmp(argv[i], "--idle"))
            idle = argumentAfter(i, argc, argv);
        else if (!std::strcmp(argv[i], "--resident"))
            residentMiB = argumentAfter(i, argc, argv);
        else if (!std::strcmp(argv[i], "--exit-after"))
            exitAfterMs = argumentAfter(i, argc, argv);
        else if (!std::strcmp(argv[i], "--user"))
            user = argumentAfter(i, argc, argv);
        else if (!std::strcmp(argv[i], "--churn"))
            churning = true;
    }

    if (user >= 0 &&
        (::setgid(static_cast<gid_t>(user)) != 0 || ::setuid(static_cast<uid_t>(user)) != 0)) {
        std::perror("corvane-load-child: setuid");
        return 1;
    }
    // Changing user clears the death signal.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);

    std::vector<char> resident(static_cast<std::size_t>(residentMiB) << 20);
    for (std::size_t i = 0; i < resident.size(); i += 4096)
        resident[i] = 1;

    std::vector<std::thread> threads;
    for (int i = 0; i < busy; ++i)
        threads.emplace_back(spin);
    for (int i = 0; i < idle; ++i)
        threads.emplace_back(sleepForever);
    if (churning)
        threads.emplace_back(churn);

    std::printf("ready\n");
    std::fflush(stdout);
    if (exitAfterMs >= 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(exitAfterMs));
        std::_Exit(0);
    }
    sleepForever();
}
