// Every failure of a sample: processes that end before or during it (real
// ones, ended between two queries), records a kernel never writes (fixture
// proc trees), and the messages each failure prints or must not print.
#include "monitor/sampling/ProcessInformation.h"
#include "monitor/sampling/ProcessKeys.h"
#include "platform/bundles/ExecutableFormats.h"
#include "platform/foundation/NullMarker.h"
#include "platform/processes/ProcessTable.h"
#include "platform/ui/ObservableDictionary.h"
#include "tests/fixtures/Executables.h"
#include "tests/monitor/sampling/SamplingSupport.h"
#include "tests/processes/ChildProcess.h"
#include "tests/processes/ProcTree.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>

using namespace corvane;
using namespace corvane::sampling;
using corvane::fixtures::ChildProcess;
using corvane::fixtures::ProcTree;

namespace {

ValueArray requesting(std::initializer_list<int> slots)
{
    ValueArray values(kValueArraySlots);
    for (int s : slots)
        values[s] = nullMarkerVariant();
    return values;
}

ValueArray everything()
{
    return ValueArray(kValueArraySlots, nullMarkerVariant());
}

QByteArray prefix()
{
    return QByteArray(programName()) + ": ";
}

// The real table, with a real process killed right after a chosen query:
// the process ends mid-sample, exactly there.
class EndingTable : public proc::ProcessTable {
public:
    enum class After { Nothing, TaskInfo, ThreadList, FirstThread };
    After after = After::Nothing;
    ChildProcess* victim = nullptr;

    std::optional<proc::TaskInfo> taskInfo(pid_t pid, bool withWordSize,
                                           proc::QueryError& why) override
    {
        auto r = ProcessTable::taskInfo(pid, withWordSize, why);
        endIf(After::TaskInfo);
        return r;
    }
    std::optional<std::vector<pid_t>> threadList(pid_t pid, std::size_t capacity,
                                                 proc::QueryError& why) override
    {
        auto r = ProcessTable::threadList(pid, capacity, why);
        endIf(After::ThreadList);
        return r;
    }
    std::optional<std::int32_t> threadUsage(pid_t pid, pid_t tid, proc::QueryError& why) override
    {
        auto r = ProcessTable::threadUsage(pid, tid, why);
        endIf(After::FirstThread);
        return r;
    }

private:
    void endIf(After point)
    {
        if (after == point && victim) {
            victim->kill();
            after = After::Nothing;
        }
    }
};

// A fixture table whose thread list answers what the test says: a kernel
// never fails to list the threads of a process whose records it shows, nor
// lists none, so only a stand-in produces those answers.
class ListingTable : public proc::ProcessTable {
public:
    using ProcessTable::ProcessTable;
    std::optional<int> listingError;  // set: the list fails with it
    bool emptyListing = false;

    std::optional<std::vector<pid_t>> threadList(pid_t pid, std::size_t capacity,
                                                 proc::QueryError& why) override
    {
        if (listingError) {
            why = {*listingError, 0, 0};
            return std::nullopt;
        }
        if (emptyListing)
            return std::vector<pid_t>{};
        return ProcessTable::threadList(pid, capacity, why);
    }
};

class FixtureSampling : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tree.isValid());
        tree.writeMeminfo(1000000);
        proc::ProcessTable::Options o;
        o.root = tree.root();
        o.ticksPerSecond = 100;
        o.pageSize = 4096;
        o.clock = [] { return 100.0; };
        table = std::make_unique<ListingTable>(o);
        sampler = std::make_unique<ProcessSampler>(*table, nullptr);
        sampler->setDiagnosticStream(diagnostics.stream());
    }

    ValueArray measure(pid_t pid, int expectedResult)
    {
        ValueArray values = requesting({kTypeSlot, kCPUSlot, kMEMSlot});
        EXPECT_EQ(sampler->CopyProcessInformationDictionaryForPID(pid, values, std::nullopt),
                  expectedResult);
        return values;
    }

    ProcTree tree;
    std::unique_ptr<ListingTable> table;
    std::unique_ptr<ProcessSampler> sampler;
    fixtures::DiagnosticCapture diagnostics;
};

}  // namespace

TEST(SamplingFailure, ProcessThatEndsMidSampleFailsItAndLeavesTheDictionaryUntouched)
{
    for (auto point : {EndingTable::After::TaskInfo, EndingTable::After::ThreadList,
                       EndingTable::After::FirstThread}) {
        auto child = ChildProcess::load({QStringLiteral("--idle"), QStringLiteral("5")});
        ASSERT_TRUE(child);
        EndingTable table;
        ProcessSampler sampler(table, nullptr);
        fixtures::DiagnosticCapture diagnostics;
        sampler.setDiagnosticStream(diagnostics.stream());
        ui::ObservableDictionary dictionary;
        ASSERT_EQ(sampler.SetInfoForPID(child->pid(), std::nullopt, dictionary, true), 0);
        const QVariantHash before = dictionary.snapshot();
        fixtures::KeyLog log(dictionary);

        table.victim = child.get();
        table.after = point;
        EXPECT_EQ(sampler.SetInfoForPID(child->pid(), std::nullopt, dictionary, false), 1)
            << "ended after query " << static_cast<int>(point);
        EXPECT_EQ(dictionary.snapshot(), before);
        EXPECT_TRUE(log.changed().isEmpty());
        EXPECT_EQ(diagnostics.text(), QByteArray()) << "an ended process is not an error";
        EXPECT_EQ(table.trackedThreadCount(), 0u) << "its history is dropped";
    }
}

TEST(SamplingFailure, ProcessesThatHaveEndedOrThatTheRegistryDoesNotKnow)
{
    fixtures::TestApplicationDirectory directory;
    proc::ProcessTable table;
    ProcessSampler sampler(table, &directory);
    fixtures::DiagnosticCapture diagnostics;
    sampler.setDiagnosticStream(diagnostics.stream());

    auto child = ChildProcess::load();
    ASSERT_TRUE(child);
    const pid_t pid = child->pid();
    const SerialNumber serial = SerialNumber::forProcess(pid);

    // A zombie: no executable, so no name, yet the identity group goes on.
    child->kill(/*keepZombie=*/true);
    ValueArray identity = requesting({kPIDSlot, kDisplayNameSlot, kExecutablePathSlot});
    EXPECT_EQ(sampler.CopyProcessInformationDictionaryForPID(pid, identity, std::nullopt), 0);
    EXPECT_EQ(identity[kPIDSlot], QVariant::fromValue<qint32>(pid));
    EXPECT_TRUE(isNullMarker(identity[kDisplayNameSlot]));
    EXPECT_TRUE(isNullMarker(identity[kExecutablePathSlot]));
    ValueArray loads = requesting({kCPUSlot, kMEMSlot});
    EXPECT_EQ(sampler.CopyProcessInformationDictionaryForPID(pid, loads, std::nullopt), 1)
        << "a zombie has exited";

    child->kill();
    ValueArray byPid = everything();
    EXPECT_EQ(sampler.CopyProcessInformationDictionaryForPID(pid, byPid, std::nullopt), 1);
    ValueArray bySerial = everything();
    EXPECT_EQ(sampler.CopyProcessInformationDictionaryForPID(0, bySerial, serial), 1);
    EXPECT_EQ(bySerial, everything()) << "nothing filled";
    ProcessSampler withoutDirectory(table, nullptr);
    EXPECT_EQ(withoutDirectory.CopyProcessInformationDictionaryForPID(0, bySerial, serial), 1);
    EXPECT_EQ(diagnostics.text(), QByteArray());
}

TEST(SamplingFailure, AnotherUsersProcessIsMeasuredWithoutItsExecutable)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "looking at a process as another user needs root to become one";
    auto root = ChildProcess::load();
    ASSERT_TRUE(root);
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t observer = ::fork();
    ASSERT_GE(observer, 0);
    if (observer == 0) {
        ::close(fds[0]);
        QByteArray report = "setuid failed";
        if (::setgid(65534) == 0 && ::setuid(65534) == 0) {
            proc::ProcessTable table;
            ProcessSampler sampler(table, nullptr);
            ValueArray values = everything();
            const int rc =
                sampler.CopyProcessInformationDictionaryForPID(root->pid(), values, std::nullopt);
            report = QByteArray::number(rc);
            for (int s : {kDisplayNameSlot, kTypeSlot, kCPUSlot, kMEMSlot})
                report += isNullMarker(values[s]) ? " null" : " value";
        }
        (void)!::write(fds[1], report.constData(), report.size());
        ::_exit(0);
    }
    ::close(fds[1]);
    char buffer[128] = {};
    const ssize_t n = ::read(fds[0], buffer, sizeof buffer - 1);
    ::close(fds[0]);
    ::waitpid(observer, nullptr, 0);
    ASSERT_GT(n, 0);
    EXPECT_EQ(QByteArray(buffer, n), QByteArray("0 null null value value"))
        << "no name or word size, but both load figures";
}

TEST_F(FixtureSampling, ShortTaskRecordPrintsTwoLinesAndFails)
{
    const QByteArray line = fixtures::statLine({.pid = 40});
    tree.writeFile(QStringLiteral("40/task/40/stat"), line.left(line.indexOf(" 4194560")));
    measure(40, 1);
    EXPECT_EQ(diagnostics.text(), prefix() +
                                      "PID 40: proc_pidinfo(PROC_PIDTASKALLINFO);\n"
                                      "      too few bytes; expected 24, got 8\n");
}

TEST_F(FixtureSampling, ShortThreadRecordPrintsTwoLinesAndFails)
{
    tree.writeProcess({.pid = 41, .threads = 2});
    tree.writeFile(QStringLiteral("41/task/42/stat"), "42 (worker) S 1 1 1");
    measure(41, 1);
    EXPECT_EQ(diagnostics.text(), prefix() +
                                      "PID 41: proc_pidinfo(PROC_PIDTHREADINFO);\n"
                                      "      too few bytes; expected 24, got 6\n");
}

TEST_F(FixtureSampling, ThreadCountNoListCouldHoldIsRefused)
{
    tree.writeProcess({.pid = 43, .threads = 99999999});
    measure(43, 1);
    EXPECT_EQ(diagnostics.text(), prefix() + "can't allocate space for 100000032 Threads\n");
}

TEST_F(FixtureSampling, ThreadGoneBetweenListAndQueryFailsTheSample)
{
    tree.writeProcess({.pid = 44, .threads = 2});
    tree.makeFolder(QStringLiteral("44/task/45"));  // listed, but its record is gone
    measure(44, 1);
    EXPECT_EQ(diagnostics.text(), QByteArray());
}

TEST_F(FixtureSampling, FailuresThatCountNothing)
{
    // A thread list that fails for another reason than an ended process: no
    // threads counted; one that fails because the process ended: the sample fails.
    tree.writeProcess({.pid = 46, .userTicks = 9000, .startTicks = 0});
    table->listingError = EACCES;
    EXPECT_EQ(measure(46, 0)[kCPUSlot].toString(), QStringLiteral("0.0"));
    table->listingError = ESRCH;
    measure(46, 1);
    table->listingError.reset();

    // One thread record unreadable for another reason: that thread counts nothing.
    tree.writeProcess({.pid = 47, .userTicks = 5000, .threads = 2, .startTicks = 0});
    tree.makeFolder(QStringLiteral("47/task/48/stat"));
    EXPECT_EQ(measure(47, 0)[kCPUSlot].toString(), QStringLiteral("50.0"));
    EXPECT_EQ(diagnostics.text(), QByteArray());
}

TEST_F(FixtureSampling, LoadFiguresFromThreadsAndResidentSize)
{
    // Four threads each a quarter busy over their 100 s: one processor.
    tree.writeProcess({.pid = 50, .userTicks = 2500, .threads = 4, .residentPages = 0});
    for (pid_t tid : {51, 52, 53})
        tree.writeThread(50, {.pid = tid, .userTicks = 2500});
    ValueArray values = measure(50, 0);
    EXPECT_EQ(values[kCPUSlot].toString(), QStringLiteral("100.0"));
    EXPECT_EQ(values[kMEMSlot].toString(), QStringLiteral("0.0"));

    // 1000000 KiB of memory; 12345 pages of 4 KiB resident: 4.938 %.
    tree.writeProcess({.pid = 54, .residentPages = 12345});
    EXPECT_EQ(measure(54, 0)[kMEMSlot].toString(), QStringLiteral("4.9"));

    // A process without threads: "0.0".
    tree.writeProcess({.pid = 55, .userTicks = 9000, .threads = 0});
    table->emptyListing = true;
    EXPECT_EQ(measure(55, 0)[kCPUSlot].toString(), QStringLiteral("0.0"));
}

TEST_F(FixtureSampling, WordSizeFromTheExecutableOrNotAtAll)
{
    tree.writeFile(QStringLiteral("bin/tool32"),
                   fixtures::elfExecutable(exe::kElfMachine386, false));
    tree.writeFile(QStringLiteral("bin/tool64"),
                   fixtures::elfExecutable(exe::kElfMachineX86_64, true));
    const QList<QPair<QString, QVariant>> cases = {
        {QStringLiteral("bin/tool32"), QStringLiteral("32")},
        {QStringLiteral("bin/tool64"), QStringLiteral("64")},
        {QStringLiteral("bin/missing"), nullMarkerVariant()},
    };
    pid_t pid = 60;
    for (const auto& [target, expected] : cases) {
        tree.writeProcess({.pid = pid});
        tree.link(QStringLiteral("%1/exe").arg(pid), tree.path(target));
        const ValueArray values = measure(pid, 0);
        EXPECT_EQ(values[kTypeSlot], expected) << target.toStdString();
        ++pid;
    }
}

TEST_F(FixtureSampling, WithoutPhysicalMemoryTheShareIsNotAvailable)
{
    tree.remove(QStringLiteral("meminfo"));
    tree.writeProcess({.pid = 70, .residentPages = 100});
    const ValueArray values = measure(70, 0);
    EXPECT_TRUE(isNullMarker(values[kMEMSlot])) << "no division by zero";
    EXPECT_EQ(values[kCPUSlot].toString(), QStringLiteral("0.0"));
}
