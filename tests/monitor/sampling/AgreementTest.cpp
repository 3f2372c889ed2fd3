// The figures a user sees agree with ps and top on the same process. Each
// tool measures CPU over its own span (ps: the process's lifetime; top: the
// fraction of a second between its two looks; the monitor: a decayed average
// over the last seconds), so the load is made steady from the start: a
// thread busy 30 % of every 10 ms, which keeps its share even on a crowded
// machine because the scheduler favours threads that sleep.
//
// A single look of top spans a fifth of a second, where one clock tick is 5
// points and top's own start-up competes with the process it measures; here
// top takes two frames a second apart and its second frame counts.
//
// Tolerances: CPU within 10 points (percent of one processor) of ps and of
// top; memory within 0.2 points of both (ps cuts to one decimal, the others
// round).
#include "monitor/sampling/ProcessInformation.h"
#include "monitor/sampling/ProcessKeys.h"
#include "platform/processes/ProcessTable.h"
#include "platform/ui/ObservableDictionary.h"
#include "tests/processes/ChildProcess.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <iostream>

using namespace corvane;
using namespace corvane::sampling;
using corvane::fixtures::ChildProcess;

namespace {

constexpr double kCpuToleranceOfPs = 10.0;
constexpr double kCpuToleranceOfTop = 10.0;
constexpr double kMemTolerance = 0.2;

struct Figures {
    double cpu = -1;
    double mem = -1;
};

QByteArray run(const QString& program, const QStringList& arguments, const QString& home)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    env.insert(QStringLiteral("HOME"), home);  // no personal top configuration
    env.insert(QStringLiteral("TERM"), QStringLiteral("dumb"));
    p.setProcessEnvironment(env);
    p.start(program, arguments);
    if (!p.waitForFinished(20000))
        return {};
    return p.readAllStandardOutput();
}

Figures fromPs(const QString& ps, pid_t pid, const QString& home)
{
    const QList<QByteArray> f = run(ps,
                                    {QStringLiteral("-o"), QStringLiteral("%cpu=,%mem="),
                                     QStringLiteral("-p"), QString::number(pid)},
                                    home)
                                    .simplified()
                                    .split(' ');
    return f.size() == 2 ? Figures{f[0].toDouble(), f[1].toDouble()} : Figures{};
}

Figures fromTop(const QString& top, pid_t pid, const QString& home)
{
    const QByteArray out =
        run(top,
            {QStringLiteral("-b"), QStringLiteral("-d"), QStringLiteral("1"), QStringLiteral("-n"),
             QStringLiteral("2"), QStringLiteral("-p"), QString::number(pid)},
            home);
    // PID USER PR NI VIRT RES SHR S %CPU %MEM TIME+ COMMAND; the last frame's line counts.
    Figures last;
    for (const QByteArray& line : out.split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() >= 12 && f[0] == QByteArray::number(pid))
            last = {f[8].toDouble(), f[9].toDouble()};
    }
    return last;
}

class Agreement : public ::testing::Test {
protected:
    void SetUp() override
    {
        ps = QStandardPaths::findExecutable(QStringLiteral("ps"));
        top = QStandardPaths::findExecutable(QStringLiteral("top"));
        if (ps.isEmpty() || top.isEmpty())
            GTEST_SKIP() << "ps and top (Debian package procps) are not installed";
    }

    Figures ours(pid_t pid)
    {
        EXPECT_EQ(sampler.SetInfoForPID(pid, std::nullopt, dictionary, false), 0);
        return {dictionary.value(kCurrentProcessCPUKey).toString().toDouble(),
                dictionary.value(kCurrentProcessMEMKey).toString().toDouble()};
    }

    QString ps, top;
    QTemporaryDir home;
    proc::ProcessTable table;
    ProcessSampler sampler{table, nullptr};
    ui::ObservableDictionary dictionary;
};

}  // namespace

TEST_F(Agreement, SteadyLoadAndResidentMemoryReadAsPsAndTopReadThem)
{
    auto child =
        ChildProcess::load({QStringLiteral("--busy"), QStringLiteral("1"), QStringLiteral("--duty"),
                            QStringLiteral("30"), QStringLiteral("--idle"), QStringLiteral("2"),
                            QStringLiteral("--resident"), QStringLiteral("120")});
    ASSERT_TRUE(child);
    // The monitor's shortest interval, four seconds long.
    for (int i = 0; i < 8; ++i) {
        ours(child->pid());
        QThread::msleep(500);
    }
    for (int round = 0; round < 3; ++round) {
        const Figures byTop = fromTop(top, child->pid(), home.path());
        const Figures mine = ours(child->pid());
        const Figures byPs = fromPs(ps, child->pid(), home.path());
        std::cout << "round " << round << ": CPU monitor " << mine.cpu << ", ps " << byPs.cpu
                  << ", top " << byTop.cpu << "; MEM monitor " << mine.mem << ", ps " << byPs.mem
                  << ", top " << byTop.mem << "\n";
        ASSERT_GE(byPs.cpu, 0) << "ps printed nothing usable";
        ASSERT_GE(byTop.cpu, 0) << "top printed nothing usable";
        EXPECT_NEAR(mine.cpu, byPs.cpu, kCpuToleranceOfPs);
        EXPECT_NEAR(mine.cpu, byTop.cpu, kCpuToleranceOfTop);
        EXPECT_NEAR(mine.mem, byPs.mem, kMemTolerance);
        EXPECT_NEAR(mine.mem, byTop.mem, kMemTolerance);
        EXPECT_GT(mine.mem, 0.0) << "120 MiB resident";
    }
}

TEST_F(Agreement, IdleProcessReadsZeroEverywhere)
{
    auto child = ChildProcess::load({QStringLiteral("--idle"), QStringLiteral("3")});
    ASSERT_TRUE(child);
    ours(child->pid());
    QThread::msleep(1000);
    const Figures mine = ours(child->pid());
    const Figures byPs = fromPs(ps, child->pid(), home.path());
    const Figures byTop = fromTop(top, child->pid(), home.path());
    std::cout << "idle: CPU monitor " << mine.cpu << ", ps " << byPs.cpu << ", top " << byTop.cpu
              << "\n";
    EXPECT_LE(mine.cpu, 0.5);
    EXPECT_LE(byPs.cpu, 0.5);
    EXPECT_LE(byTop.cpu, 0.5);
}
