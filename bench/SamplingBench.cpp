// What one sampling tick costs against what a user would otherwise run to
// learn the same figures, on the same processes (1, 10 and 100 threads,
// real children that sleep):
//
//   PartialRefresh   SetInfoForPID, not full: the monitor's tick
//   FullRefresh      SetInfoForPID, full: when the watched process changes
//   StatFiles        open, read and close /proc/PID/stat and every
//                    /proc/PID/task/TID/stat: the least any /proc reader pays
//   Ps               ps -o %cpu=,%mem= -p PID, started and waited for
//   Top              top -b -n 1 -p PID, started and waited for
//
// Each runs several repetitions; the summary at the end gives the medians
// and the ratios, and how many thread histories the table held (it should be
// the number of live threads sampled, however long the run). Times are wall
// clock; on a busy machine the CPU time of the in-process readers (partial
// refresh against stat files) is the steadier comparison, printed too. The
// tools' CPU time is spent in their own processes, so theirs is wall only.
//
// bench/run-sampling-bench.sh builds a release tree and runs this with the
// repetitions interleaved at random, so a change of machine load spreads
// over all of them.
#include "monitor/sampling/ProcessInformation.h"
#include "platform/processes/ProcessTable.h"
#include "platform/ui/ObservableDictionary.h"
#include "tests/processes/ChildProcess.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QMap>
#include <QStandardPaths>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <array>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

extern char** environ;

using namespace corvane;
using namespace corvane::sampling;

namespace {

constexpr int kRepetitions = 10;
const std::array<int, 3> kThreadCounts = {1, 10, 100};

struct Subject {
    std::unique_ptr<fixtures::ChildProcess> child;
    std::vector<pid_t> threads;
};

std::map<int, Subject>& subjects()
{
    static std::map<int, Subject> s;
    return s;
}

const Subject& subject(int threads)
{
    return subjects().at(threads);
}

bool startSubjects()
{
    for (int n : kThreadCounts) {
        Subject s;
        s.child = fixtures::ChildProcess::load({QStringLiteral("--idle"), QString::number(n - 1)});
        if (!s.child)
            return false;
        for (const QString& tid : QDir(QStringLiteral("/proc/%1/task").arg(s.child->pid()))
                                      .entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            s.threads.push_back(tid.toInt());
        if (static_cast<int>(s.threads.size()) != n)
            return false;
        subjects()[n] = std::move(s);
    }
    return true;
}

void BM_PartialRefresh(benchmark::State& state)
{
    const Subject& s = subject(static_cast<int>(state.range(0)));
    proc::ProcessTable& table = proc::ProcessTable::shared();
    ProcessSampler sampler(table, nullptr);
    ui::ObservableDictionary dictionary;
    for (auto _ : state) {
        if (sampler.SetInfoForPID(s.child->pid(), std::nullopt, dictionary, false) != 0)
            state.SkipWithError("the process could not be sampled");
    }
    state.counters["tracked_threads"] = static_cast<double>(table.trackedThreadCount());
}

void BM_FullRefresh(benchmark::State& state)
{
    const Subject& s = subject(static_cast<int>(state.range(0)));
    ProcessSampler sampler(proc::ProcessTable::shared(), nullptr);
    ui::ObservableDictionary dictionary;
    for (auto _ : state) {
        if (sampler.SetInfoForPID(s.child->pid(), std::nullopt, dictionary, true) != 0)
            state.SkipWithError("the process could not be sampled");
    }
}

void readWhole(const char* path)
{
    char buffer[2048];
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    benchmark::DoNotOptimize(::read(fd, buffer, sizeof buffer));
    ::close(fd);
}

void BM_StatFiles(benchmark::State& state)
{
    const Subject& s = subject(static_cast<int>(state.range(0)));
    const pid_t pid = s.child->pid();
    std::vector<std::array<char, 64>> paths(s.threads.size() + 1);
    std::snprintf(paths[0].data(), 64, "/proc/%d/stat", pid);
    for (std::size_t i = 0; i < s.threads.size(); ++i)
        std::snprintf(paths[i + 1].data(), 64, "/proc/%d/task/%d/stat", pid, s.threads[i]);
    for (auto _ : state)
        for (const auto& p : paths)
            readWhole(p.data());
}

void runTool(benchmark::State& state, const char* tool, std::vector<QByteArray> arguments)
{
    const QByteArray program =
        QStandardPaths::findExecutable(QString::fromLatin1(tool)).toLocal8Bit();
    if (program.isEmpty()) {
        state.SkipWithError("not installed");
        return;
    }
    arguments.insert(arguments.begin(), program);
    arguments.push_back(QByteArray::number(subject(static_cast<int>(state.range(0))).child->pid()));
    std::vector<char*> argv;
    for (QByteArray& a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        pid_t pid = -1;
        if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            state.SkipWithError("cannot start");
            break;
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
    }
    posix_spawn_file_actions_destroy(&actions);
}

void BM_Ps(benchmark::State& state)
{
    runTool(state, "ps", {"-o", "%cpu=,%mem=", "-p"});
}

void BM_Top(benchmark::State& state)
{
    runTool(state, "top", {"-b", "-n", "1", "-p"});
}

void threadArguments(benchmark::internal::Benchmark* b)
{
    for (int n : kThreadCounts)
        b->Arg(n);
    b->Repetitions(kRepetitions)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_PartialRefresh)->Apply(threadArguments);
BENCHMARK(BM_FullRefresh)->Apply(threadArguments);
BENCHMARK(BM_StatFiles)->Apply(threadArguments);
// The tools' time is spent in their own processes: iterations are counted
// on the wall clock, not on this process's CPU time.
BENCHMARK(BM_Ps)->Apply(threadArguments)->UseRealTime()->MinTime(0.5);
BENCHMARK(BM_Top)->Apply(threadArguments)->UseRealTime()->MinTime(1.0);

// Collects the medians as the console reports them, for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    SummaryReporter() : ConsoleReporter(OO_Tabular) {}  // no colours: the output goes to files

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.aggregate_name != "median")
                continue;
            // "BM_Ps/10" -> family "BM_Ps", argument 10
            const std::string name = run.run_name.function_name;
            const int threads = std::stoi(run.run_name.args);
            medians_[name][threads] = run.GetAdjustedRealTime();  // microseconds
            cpuMedians_[name][threads] = run.GetAdjustedCPUTime();
        }
    }

    void printSummary() const
    {
        std::printf("\nMedians over %d repetitions, microseconds of wall time, and ratios:\n",
                    kRepetitions);
        std::printf("%7s %10s %10s %10s %10s %10s %8s %8s %9s %9s\n", "threads", "partial", "full",
                    "statfiles", "ps", "top", "ps/part", "top/part", "part/stat", "(cpu)");
        for (int n : kThreadCounts) {
            const double part = value(medians_, "BM_PartialRefresh", n);
            const double stat = value(medians_, "BM_StatFiles", n);
            const double ps = value(medians_, "BM_Ps", n);
            const double top = value(medians_, "BM_Top", n);
            const double cpuRatio =
                value(cpuMedians_, "BM_PartialRefresh", n) / value(cpuMedians_, "BM_StatFiles", n);
            std::printf("%7d %10.1f %10.1f %10.1f %10.1f %10.1f %8.0f %8.0f %9.2f %9.2f\n", n, part,
                        value(medians_, "BM_FullRefresh", n), stat, ps, top, ps / part, top / part,
                        part / stat, cpuRatio);
        }
    }

private:
    using Table = std::map<std::string, std::map<int, double>>;

    static double value(const Table& table, const std::string& family, int threads)
    {
        const auto f = table.find(family);
        if (f == table.end())
            return 0;
        const auto v = f->second.find(threads);
        return v == f->second.end() ? 0 : v->second;
    }

    Table medians_;
    Table cpuMedians_;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    if (!startSubjects()) {
        std::fprintf(stderr, "corvane-sampling-bench: the load children did not start\n");
        return 1;
    }
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printSummary();
    std::printf("thread histories held at the end: %zu (live threads sampled: %d)\n",
                proc::ProcessTable::shared().trackedThreadCount(), 1 + 10 + 100);
    subjects().clear();
    benchmark::Shutdown();
    return 0;
}
