// The process table on fixture proc trees: records a live kernel never
// writes (cut, hostile, special files where records belong), exact tick
// arithmetic on a clock the test sets, and the error numbers each vanishing
// record gives.
#include "platform/bundles/ExecutableFormats.h"
#include "platform/processes/ProcessTable.h"
#include "tests/fixtures/Executables.h"
#include "tests/processes/ProcTree.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <sys/stat.h>
#include <cerrno>
#include <limits>

using namespace corvane;
using namespace corvane::proc;
using corvane::fixtures::ProcTree;
using corvane::fixtures::StatRecordFields;

namespace {

class FixtureTable : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tree.isValid()); }

    ProcessTable& table()
    {
        if (!table_) {
            ProcessTable::Options o;
            o.root = tree.root();
            o.clock = [this] { return now; };
            o.ticksPerSecond = 100;
            o.pageSize = 4096;
            table_ = std::make_unique<ProcessTable>(o);
        }
        return *table_;
    }

    ProcTree tree;
    double now = 100;
    QueryError why;

private:
    std::unique_ptr<ProcessTable> table_;
};

}  // namespace

TEST_F(FixtureTable, CutRecordsSayHowShortTheyWere)
{
    const QByteArray line = fixtures::statLine({.pid = 40, .threads = 2});
    tree.writeFile(QStringLiteral("40/task/40/stat"), line.left(line.indexOf(" 4194560")));
    EXPECT_FALSE(table().taskInfo(40, false, why));
    EXPECT_EQ(why.error, EBADMSG);
    EXPECT_EQ(why.expectedFields, 24);
    EXPECT_EQ(why.foundFields, 8);

    tree.writeThread(40, {.pid = 41});
    tree.writeFile(QStringLiteral("40/task/41/stat"), "41 (x) S 1");
    EXPECT_FALSE(table().threadUsage(40, 41, why));
    EXPECT_EQ(why.error, EBADMSG);
    EXPECT_EQ(why.foundFields, 4);

    tree.writeFile(QStringLiteral("40/task/40/stat"), "garbage without parentheses\n");
    EXPECT_FALSE(table().taskInfo(40, false, why));
    EXPECT_EQ(why.error, EBADMSG);
    EXPECT_EQ(why.foundFields, 0);
}

TEST_F(FixtureTable, ZombiesWithoutLiveThreadsHaveExited)
{
    tree.writeProcess({.pid = 50, .state = 'Z', .threads = 1});
    EXPECT_FALSE(table().taskInfo(50, false, why));
    EXPECT_EQ(why.error, ESRCH);
    // The main thread exited, two others still run: the process lives.
    tree.writeProcess({.pid = 51, .state = 'Z', .threads = 3});
    EXPECT_TRUE(table().taskInfo(51, false, why));
}

TEST_F(FixtureTable, VanishingThreadsAndProcessesGiveTheirOwnErrors)
{
    tree.writeProcess({.pid = 60, .threads = 2, .residentPages = 10});
    tree.writeThread(60, {.pid = 61, .userTicks = 500, .startTicks = 0});
    ASSERT_TRUE(table().threadUsage(60, 61, why));
    ASSERT_EQ(table().trackedThreadCount(), 1u);

    tree.remove(QStringLiteral("60/task/61"));
    EXPECT_FALSE(table().threadUsage(60, 61, why));
    EXPECT_EQ(why.error, EINVAL) << "the process lives, the thread is gone";
    const auto listed = table().threadList(60, 32, why);
    ASSERT_TRUE(listed);
    EXPECT_EQ(*listed, std::vector<pid_t>{60});
    EXPECT_EQ(table().trackedThreadCount(), 0u) << "the ended thread's history is dropped";

    ASSERT_TRUE(table().threadUsage(60, 60, why));
    tree.remove(QStringLiteral("60"));
    EXPECT_FALSE(table().threadUsage(60, 60, why));
    EXPECT_EQ(why.error, ESRCH);
    EXPECT_EQ(table().trackedProcessCount(), 0u) << "the ended process's history is dropped";
    for (auto query : {+[](ProcessTable&t, QueryError&w) { return !!t.taskInfo(60, true, w); },
                       +[](ProcessTable&t, QueryError&w) { return !!t.threadList(60, 8, w); },
                       +[](ProcessTable&t, QueryError&w) { return !!t.executablePath(60, w); }}) {
        EXPECT_FALSE(query(table(), why));
        EXPECT_EQ(why.error, ESRCH);
    }
}

TEST_F(FixtureTable, UsageComesFromTicksAndTheBootClock)
{
    // Started 100 s after boot with 4 s of CPU time; read at 110 s.
    tree.writeProcess({.pid = 70, .userTicks = 300, .systemTicks = 100, .startTicks = 10000});
    now = 110;
    EXPECT_EQ(table().threadUsage(70, 70, why), 400) << "lifetime average, 4 s in 10 s";
    // Half a second later, 50 more ticks: one processor over the span.
    tree.writeProcess({.pid = 70, .userTicks = 350, .systemTicks = 100, .startTicks = 10000});
    now = 110.5;
    EXPECT_EQ(table().threadUsage(70, 70, why), 526)
        << "400 decayed by (5/8)^0.5, plus 1000 weighted by the rest";
}

TEST_F(FixtureTable, HostileNumbersStayInRange)
{
    tree.writeProcess(
        {.pid = 80, .threads = -5, .residentPages = std::numeric_limits<std::int64_t>::max()});
    const auto info = table().taskInfo(80, false, why);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->threadCount, -5) << "passed on as it is; the caller sizes nothing from it";
    EXPECT_EQ(info->residentBytes, std::numeric_limits<std::uint64_t>::max())
        << "saturates instead of wrapping";

    tree.writeProcess({.pid = 81, .residentPages = -3});
    EXPECT_EQ(table().taskInfo(81, false, why)->residentBytes, 0u);

    // Counters far beyond what the thread's age allows read as one processor.
    tree.writeProcess(
        {.pid = 82, .userTicks = std::numeric_limits<std::uint64_t>::max(), .startTicks = 0});
    EXPECT_EQ(table().threadUsage(82, 82, why), 1000);
}

TEST_F(FixtureTable, SpecialFilesWhereRecordsBelong)
{
    tree.makeFolder(QStringLiteral("90/task/90"));
    ASSERT_EQ(
        ::mkfifo(QFile::encodeName(tree.path(QStringLiteral("90/task/90/stat"))).constData(), 0600),
        0);
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(table().taskInfo(90, false, why));
    EXPECT_LT(clock.elapsed(), 1000) << "a FIFO must not block the sample";

    tree.link(QStringLiteral("91/task/91/stat"), QStringLiteral("/dev/zero"));
    EXPECT_FALSE(table().taskInfo(91, false, why));
    EXPECT_EQ(why.error, EBADMSG);

    tree.makeFolder(QStringLiteral("92/task/92/stat"));
    EXPECT_FALSE(table().taskInfo(92, false, why));
    EXPECT_EQ(why.error, EISDIR);

    tree.writeProcess({.pid = 93});
    tree.remove(QStringLiteral("93/task"));
    tree.writeFile(QStringLiteral("93/task"), "not a folder");
    EXPECT_FALSE(table().threadList(93, 8, why));
    EXPECT_EQ(why.error, ENOTDIR) << "a failure other than a vanished process";
}

TEST_F(FixtureTable, WordSizeIsTheElfClassOfTheExecutable)
{
    tree.writeFile(QStringLiteral("files/tool32"),
                   fixtures::elfExecutable(exe::kElfMachine386, false));
    tree.writeFile(QStringLiteral("files/tool64"),
                   fixtures::elfExecutable(exe::kElfMachineX86_64, true));
    tree.writeFile(QStringLiteral("files/script"), fixtures::shellScript());
    const struct {
        pid_t pid;
        QString target;
        WordSize expected;
    } cases[] = {
        {100, tree.path(QStringLiteral("files/tool32")), WordSize::Bits32},
        {101, tree.path(QStringLiteral("files/tool64")), WordSize::Bits64},
        {102, tree.path(QStringLiteral("files/script")), WordSize::Unknown},
        {103, tree.path(QStringLiteral("files/missing")), WordSize::Unknown},
    };
    for (const auto& c : cases) {
        tree.writeProcess({.pid = c.pid});
        tree.link(QStringLiteral("%1/exe").arg(c.pid), c.target);
        const auto info = table().taskInfo(c.pid, true, why);
        ASSERT_TRUE(info) << c.pid;
        EXPECT_EQ(info->wordSize, c.expected) << c.pid;
    }
    EXPECT_EQ(table().executablePath(103, why), QFile::encodeName(cases[3].target))
        << "the link's text, whether or not its file is there";
}

TEST_F(FixtureTable, ExecutablePathKeepsAMarkItCannotExplain)
{
    tree.writeProcess({.pid = 110});
    tree.link(QStringLiteral("110/exe"), QStringLiteral("/nowhere/Tool (deleted)"));
    EXPECT_EQ(table().executablePath(110, why), QByteArray("/nowhere/Tool (deleted)"));
    tree.writeProcess({.pid = 111});
    EXPECT_FALSE(table().executablePath(111, why));
    EXPECT_EQ(why.error, ENOENT) << "a process without an executable, like a kernel thread";
}

TEST_F(FixtureTable, PhysicalMemoryIsReadOnceItCanBe)
{
    EXPECT_EQ(table().physicalMemory(), 0u) << "no meminfo";
    tree.writeFile(QStringLiteral("meminfo"), "MemTotal: lots\n");
    EXPECT_EQ(table().physicalMemory(), 0u);
    tree.writeMeminfo(2048);
    EXPECT_EQ(table().physicalMemory(), 2048u * 1024);
    tree.writeMeminfo(4096);
    EXPECT_EQ(table().physicalMemory(), 2048u * 1024) << "read once";
}

TEST_F(FixtureTable, ProcessListSkipsWhatIsNotAProcess)
{
    for (pid_t pid : {300, 7, 12})
        tree.writeProcess({.pid = pid});
    tree.writeFile(QStringLiteral("7/status"), "Name:\tx\nUid:\t0\t1000\t0\t0\n");
    tree.writeFile(QStringLiteral("12/status"), "Name:\tx\nUid:\t1000\t0\t0\t0\n");
    tree.writeFile(QStringLiteral("300/status"), "Uid: garbage\n");
    for (const char* notProcess : {"self", "0012", "-4", "meminfo", "99999999999"})
        tree.makeFolder(QString::fromLatin1(notProcess));
    EXPECT_EQ(table().processIdentifiers(std::nullopt, why), (std::vector<pid_t>{7, 12, 300}));
    EXPECT_EQ(table().processIdentifiers(1000, why), std::vector<pid_t>{7})
        << "by effective user; an unreadable status matches nobody";
    EXPECT_EQ(table().processIdentifiers(0, why), std::vector<pid_t>{12});
}
