// The process table on real child processes: paths as the file system spells
// them, figures that agree with the kernel's own, threads and processes that
// end, and another user's process.
#include "platform/processes/ProcStat.h"
#include "platform/processes/ProcessTable.h"
#include "platform/processes/StatRecords.h"
#include "tests/processes/ChildProcess.h"
#include "tests/processes/KernelAverage.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <sys/sysinfo.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <iostream>
#include <numeric>

using namespace corvane;
using namespace corvane::proc;
using corvane::fixtures::ChildProcess;

namespace {

constexpr uid_t kNobody = 65534;

// VmRSS of /proc/<pid>/status, in bytes.
std::uint64_t statusResidentBytes(pid_t pid)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toULongLong() * 1024;
    return 0;
}

QString copyOfLoadChild(const QString& folder, const QString& name)
{
    QDir().mkpath(folder);
    const QString path = folder + u'/' + name;
    if (!QFile::copy(fixtures::loadChildProgram(), path))
        return {};
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
    return path;
}

}  // namespace

TEST(ProcessTable, ExecutablePathsAreSpelledAsTheFileSystemSpellsThem)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/Dossier d'été \"x\" ünï");
    const QString path = copyOfLoadChild(folder, QStringLiteral("load child.bin"));
    ASSERT_FALSE(path.isEmpty());
    auto child = ChildProcess::start(path);
    ASSERT_TRUE(child);
    ProcessTable table;
    QueryError why;
    EXPECT_EQ(table.executablePath(child->pid(), why), QFile::encodeName(path));

    // Deleted while it runs: the kernel marks the link, the table does not.
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_EQ(table.executablePath(child->pid(), why), QFile::encodeName(path));

    // A file that is really named that way keeps its name.
    const QString marked = copyOfLoadChild(folder, QStringLiteral("tool (deleted)"));
    auto second = ChildProcess::start(marked);
    ASSERT_TRUE(second);
    EXPECT_EQ(table.executablePath(second->pid(), why), QFile::encodeName(marked));
}

TEST(ProcessTable, ExitedProcessesAnswerNoSuchProcess)
{
    auto child = ChildProcess::load({QStringLiteral("--idle"), QStringLiteral("3")});
    ASSERT_TRUE(child);
    const pid_t pid = child->pid();
    ProcessTable table;
    QueryError why;
    ASSERT_TRUE(table.taskInfo(pid, false, why));

    child->kill(/*keepZombie=*/true);
    EXPECT_FALSE(table.executablePath(pid, why));
    EXPECT_EQ(why.error, ENOENT) << "a zombie still has an entry, but no executable";
    EXPECT_FALSE(table.taskInfo(pid, false, why));
    EXPECT_EQ(why.error, ESRCH) << "a zombie has exited";

    child->kill();  // reaped
    EXPECT_FALSE(table.executablePath(pid, why));
    EXPECT_EQ(why.error, ESRCH);
    EXPECT_FALSE(table.taskInfo(pid, false, why));
    EXPECT_EQ(why.error, ESRCH);
    EXPECT_FALSE(table.threadList(pid, 32, why));
    EXPECT_EQ(why.error, ESRCH);
    EXPECT_FALSE(table.threadUsage(pid, pid, why));
    EXPECT_EQ(why.error, ESRCH);
    for (pid_t nonsense : {0, -1}) {
        EXPECT_FALSE(table.taskInfo(nonsense, false, why));
        EXPECT_EQ(why.error, ESRCH);
    }
}

TEST(ProcessTable, TaskFiguresAgreeWithTheKernelsStatus)
{
    auto child = ChildProcess::load({QStringLiteral("--idle"), QStringLiteral("9"),
                                     QStringLiteral("--resident"), QStringLiteral("64")});
    ASSERT_TRUE(child);
    ProcessTable table;
    QueryError why;
    const auto info = table.taskInfo(child->pid(), true, why);
    ASSERT_TRUE(info) << why.error;
    EXPECT_EQ(info->threadCount, 10);
    EXPECT_GE(info->residentBytes, 64u << 20);
    const double status = static_cast<double>(statusResidentBytes(child->pid()));
    EXPECT_NEAR(static_cast<double>(info->residentBytes), status, status * 0.02);
    EXPECT_EQ(info->wordSize, sizeof(void*) == 8 ? WordSize::Bits64 : WordSize::Bits32);
    EXPECT_EQ(table.taskInfo(child->pid(), false, why)->wordSize, WordSize::Unknown)
        << "the executable is read only when the word size is asked for";

    struct sysinfo si {};
    ASSERT_EQ(::sysinfo(&si), 0);
    EXPECT_EQ(table.physicalMemory(), static_cast<std::uint64_t>(si.totalram) * si.mem_unit);
}

TEST(ProcessTable, ThreadListHoldsEveryThreadUpToItsCapacity)
{
    auto child = ChildProcess::load({QStringLiteral("--idle"), QStringLiteral("9")});
    ASSERT_TRUE(child);
    ProcessTable table;
    QueryError why;
    const auto all = table.threadList(child->pid(), 64, why);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->size(), 10u);
    EXPECT_NE(std::find(all->begin(), all->end(), child->pid()), all->end())
        << "the main thread is listed under the process identifier";
    const auto four = table.threadList(child->pid(), 4, why);
    ASSERT_TRUE(four);
    EXPECT_EQ(*four, std::vector<pid_t>(all->begin(), all->begin() + 4));
    EXPECT_TRUE(table.threadList(child->pid(), 0, why)->empty());

    for (pid_t tid : *all)
        EXPECT_TRUE(table.threadUsage(child->pid(), tid, why)) << tid;
    // Not a thread of the child (our own process): the thread query fails,
    // but says that the process itself lives.
    EXPECT_FALSE(table.threadUsage(child->pid(), ::getpid(), why));
    EXPECT_EQ(why.error, EINVAL);
}

TEST(ProcessTable, BusyAndIdleThreadsReadAsTheyRun)
{
    auto child = ChildProcess::load({QStringLiteral("--busy"), QStringLiteral("2"),
                                     QStringLiteral("--idle"), QStringLiteral("2")});
    ASSERT_TRUE(child);
    // Lifetime averages of threads a few milliseconds old are all tick noise:
    // let them run first.
    QThread::msleep(1000);
    ProcessTable table;
    QueryError why;
    fixtures::KernelAverage kernel(child->pid());
    std::vector<std::int32_t> usage;
    double expected = 0;
    for (int tick = 0; tick < 12; ++tick) {
        usage.clear();
        const auto threads = table.threadList(child->pid(), 64, why);
        ASSERT_TRUE(threads);
        for (pid_t tid : *threads)
            usage.push_back(table.threadUsage(child->pid(), tid, why).value_or(-1));
        expected = kernel.sample() * 10;  // per mille, as thread figures are
        QThread::msleep(250);
    }
    std::sort(usage.begin(), usage.end());
    ASSERT_EQ(usage.size(), 5u);
    EXPECT_LE(usage[2], 20) << "the three idle threads read near 0";
    EXPECT_GE(usage[3], 150) << "a busy thread reads well above idle";
    const double sum = std::accumulate(usage.begin(), usage.end(), 0.0);
    EXPECT_NEAR(sum, expected, std::max(30.0, expected * 0.05))
        << "busy threads " << usage[3] << " + " << usage[4]
        << ", the kernel's count of the whole process averaged alike " << expected;
}

TEST(ProcessTable, HistoryIsDroppedWhenThreadsAndProcessesEnd)
{
    // Thousands of short-lived threads a second: the history must follow
    // the live ones, not accumulate the dead.
    auto child = ChildProcess::load({QStringLiteral("--churn")});
    ASSERT_TRUE(child);
    ProcessTable table;
    QueryError why;
    std::size_t mostTracked = 0;
    int samplesFailedOnEndedThread = 0;
    for (int i = 0; i < 150; ++i) {
        const auto threads = table.threadList(child->pid(), 64, why);
        ASSERT_TRUE(threads);
        for (pid_t tid : *threads)
            if (!table.threadUsage(child->pid(), tid, why))
                samplesFailedOnEndedThread += why.error == EINVAL;
        mostTracked = std::max(mostTracked, table.trackedThreadCount());
        QThread::msleep(10);
    }
    EXPECT_LE(mostTracked, 4u);
    EXPECT_LE(table.openRecordCount(), 4u) << "records of ended threads are closed";
    std::cout << "thread reads that found their thread gone: " << samplesFailedOnEndedThread
              << "\n";

    child->kill();
    EXPECT_FALSE(table.taskInfo(child->pid(), false, why));
    EXPECT_EQ(table.trackedThreadCount(), 0u);
    EXPECT_EQ(table.trackedProcessCount(), 0u);
    EXPECT_EQ(table.openRecordCount(), 0u);
}

TEST(ProcessTable, ProcessListHoldsEveryProcessOnce)
{
    auto child = ChildProcess::load();
    ASSERT_TRUE(child);
    ProcessTable table;
    QueryError why;
    const auto all = table.processIdentifiers(std::nullopt, why);
    ASSERT_TRUE(all);
    EXPECT_TRUE(std::is_sorted(all->begin(), all->end()));
    EXPECT_EQ(std::adjacent_find(all->begin(), all->end()), all->end());
    EXPECT_TRUE(std::binary_search(all->begin(), all->end(), ::getpid()));
    EXPECT_TRUE(std::binary_search(all->begin(), all->end(), child->pid()));
    const auto mine = table.processIdentifiers(::geteuid(), why);
    ASSERT_TRUE(mine);
    EXPECT_TRUE(std::binary_search(mine->begin(), mine->end(), ::getpid()));
    EXPECT_LE(mine->size(), all->size());
}

TEST(ProcessTable, ProcessListOfOneUser)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "starting a process as another user needs root";
    auto nobody = ChildProcess::load({QStringLiteral("--user"), QString::number(kNobody)});
    ASSERT_TRUE(nobody);
    ProcessTable table;
    QueryError why;
    const auto theirs = table.processIdentifiers(kNobody, why);
    const auto mine = table.processIdentifiers(0, why);
    ASSERT_TRUE(theirs && mine);
    EXPECT_TRUE(std::binary_search(theirs->begin(), theirs->end(), nobody->pid()));
    EXPECT_FALSE(std::binary_search(theirs->begin(), theirs->end(), ::getpid()));
    EXPECT_TRUE(std::binary_search(mine->begin(), mine->end(), ::getpid()));
    EXPECT_FALSE(std::binary_search(mine->begin(), mine->end(), nobody->pid()));
}

TEST(ProcessTable, AnotherUsersExecutableIsRefusedButItsFiguresAreNot)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "looking at a process as another user needs root to become one";
    // A child that becomes nobody looks at this (root) process and reports.
    const pid_t observed = ::getpid();
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t observer = ::fork();
    ASSERT_GE(observer, 0);
    if (observer == 0) {
        ::close(fds[0]);
        int report[5] = {-1, -1, -1, -1, -1};
        if (::setgid(kNobody) == 0 && ::setuid(kNobody) == 0) {
            ProcessTable table;
            QueryError why;
            report[0] = table.executablePath(observed, why) ? 0 : why.error;
            const auto info = table.taskInfo(observed, true, why);
            report[1] = info ? 0 : why.error;
            report[2] = info ? static_cast<int>(info->wordSize) : -1;
            const auto threads = table.threadList(observed, 64, why);
            report[3] = threads ? 0 : why.error;
            report[4] = threads && table.threadUsage(observed, observed, why) ? 0 : why.error;
        }
        (void)!::write(fds[1], report, sizeof report);
        ::_exit(0);
    }
    ::close(fds[1]);
    int report[5] = {};
    const ssize_t n = ::read(fds[0], report, sizeof report);
    ::close(fds[0]);
    ::waitpid(observer, nullptr, 0);
    ASSERT_EQ(n, static_cast<ssize_t>(sizeof report));
    EXPECT_EQ(report[0], EACCES) << "another user's executable is refused";
    EXPECT_EQ(report[1], 0) << "its stat record is not";
    EXPECT_EQ(report[2], static_cast<int>(WordSize::Unknown));
    EXPECT_EQ(report[3], 0);
    EXPECT_EQ(report[4], 0);
}

namespace {

// Descriptors this process holds open now.
int openDescriptors()
{
    return static_cast<int>(
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

// One sample of every thread of pid, as sampling makes it.
bool sampleAllThreads(ProcessTable& table, pid_t pid)
{
    QueryError why;
    if (!table.taskInfo(pid, false, why))
        return false;
    const auto threads = table.threadList(pid, 1024, why);
    if (!threads)
        return false;
    for (pid_t tid : *threads)
        if (!table.threadUsage(pid, tid, why))
            return false;
    return true;
}

}  // namespace

TEST(ProcessTable, RecordsStayOpenWithinABoundAndCloseWhenTheirProcessEnds)
{
    const int before = openDescriptors();
    auto small = ChildProcess::load({QStringLiteral("--idle"), QStringLiteral("9")});
    auto large = ChildProcess::load({QStringLiteral("--idle"), QStringLiteral("199")});
    ASSERT_TRUE(small && large);
    {
        ProcessTable table;
        ASSERT_TRUE(sampleAllThreads(table, small->pid()));
        EXPECT_EQ(table.openRecordCount(), 10u) << "one record per thread, read again in place";
        ASSERT_TRUE(sampleAllThreads(table, small->pid()));
        EXPECT_EQ(table.openRecordCount(), 10u);
        ASSERT_TRUE(sampleAllThreads(table, large->pid()));
        EXPECT_EQ(table.openRecordCount(), StatRecords::kMostOpen) << "the bound holds";
        EXPECT_LE(openDescriptors(), before + static_cast<int>(StatRecords::kMostOpen) + 1);

        large->kill();
        small->kill();
        QueryError why;
        EXPECT_FALSE(table.taskInfo(large->pid(), false, why));
        EXPECT_EQ(why.error, ESRCH);
        EXPECT_FALSE(table.threadList(small->pid(), 64, why));
        EXPECT_EQ(why.error, ESRCH);
        EXPECT_EQ(table.openRecordCount(), 0u);
        EXPECT_EQ(openDescriptors(), before) << "every record and folder closed";
    }
    EXPECT_EQ(openDescriptors(), before);
}

TEST(ProcessTable, RecordsOfThreadsNotReadForHalfAMinuteAreClosed)
{
    auto first = ChildProcess::load({QStringLiteral("--idle"), QStringLiteral("4")});
    auto second = ChildProcess::load();
    ASSERT_TRUE(first && second);
    double now = 1000;
    ProcessTable::Options o;
    o.clock = [&now] { return now; };
    ProcessTable table(o);
    ASSERT_TRUE(sampleAllThreads(table, first->pid()));
    EXPECT_EQ(table.openRecordCount(), 5u);
    now += ThreadUsageHistory::kForgetAfterSeconds + 10;
    ASSERT_TRUE(sampleAllThreads(table, second->pid()));
    EXPECT_EQ(table.openRecordCount(), 1u) << "only the second process's thread is left";
    EXPECT_EQ(table.trackedThreadCount(), 1u);
}

TEST(ProcessTable, FixtureTreesAreReadAnewEveryTime)
{
    QTemporaryDir dir;
    ProcessTable::Options o;
    o.root = QFile::encodeName(dir.path());
    EXPECT_FALSE(StatRecords(o.root).keepsRecordsOpen());
    EXPECT_TRUE(StatRecords("/proc").keepsRecordsOpen());
}
