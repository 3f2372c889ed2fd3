// Storing a sample in the process information dictionary: which keys a full
// and a partial refresh touch, what observers hear, and reading the process
// identifier back.
#include "monitor/sampling/ProcessInformation.h"
#include "monitor/sampling/ProcessKeys.h"
#include "platform/foundation/NullMarker.h"
#include "platform/processes/ProcessTable.h"
#include "platform/ui/ObservableDictionary.h"
#include "tests/monitor/sampling/SamplingSupport.h"
#include "tests/processes/ChildProcess.h"

#include <gtest/gtest.h>

#include <QThread>

using namespace corvane;
using namespace corvane::sampling;
using corvane::fixtures::ChildProcess;

TEST(SetInfoForPID, FullRefreshWritesAllTenKeysPartialOnlyTheLoads)
{
    auto child = ChildProcess::load({QStringLiteral("--busy"), QStringLiteral("1")});
    ASSERT_TRUE(child);
    proc::ProcessTable table;
    ProcessSampler sampler(table, nullptr);
    ui::ObservableDictionary dictionary;
    fixtures::KeyLog log(dictionary);

    ASSERT_EQ(sampler.SetInfoForPID(child->pid(), std::nullopt, dictionary, true), 0);
    const auto& keys = processKeyTable();
    EXPECT_EQ(log.changed(), QSet<QString>(keys.begin(), keys.begin() + kValueArraySlots));

    // The busy thread moves the CPU figure; nothing else may be touched.
    log.clear();
    QString lastCPU = dictionary.value(kCurrentProcessCPUKey).toString();
    int cpuChanges = 0;
    for (int i = 0; i < 6; ++i) {
        QThread::msleep(300);
        ASSERT_EQ(sampler.SetInfoForPID(child->pid(), std::nullopt, dictionary, false), 0);
        const QString cpu = dictionary.value(kCurrentProcessCPUKey).toString();
        cpuChanges += cpu != lastCPU;
        lastCPU = cpu;
    }
    EXPECT_TRUE(log.changed().subtract({kCurrentProcessCPUKey, kCurrentProcessMEMKey}).isEmpty())
        << "a partial refresh touched other keys";
    EXPECT_EQ(log.count(kCurrentProcessCPUKey), cpuChanges) << "one notification per change";
}

TEST(SetInfoForPID, UnchangedValuesNotifyNobody)
{
    auto child = ChildProcess::load();
    ASSERT_TRUE(child);
    proc::ProcessTable table;
    ProcessSampler sampler(table, nullptr);
    ui::ObservableDictionary dictionary;
    ASSERT_EQ(sampler.SetInfoForPID(child->pid(), std::nullopt, dictionary, true), 0);
    fixtures::KeyLog log(dictionary);
    // Identity, icon and word size are the same the second time round.
    ASSERT_EQ(sampler.SetInfoForPID(child->pid(), std::nullopt, dictionary, true), 0);
    EXPECT_TRUE(log.changed().subtract({kCurrentProcessCPUKey, kCurrentProcessMEMKey}).isEmpty());
}

TEST(SetInfoForPID, FailedRefreshLeavesTheDictionaryUntouched)
{
    auto child = ChildProcess::load();
    ASSERT_TRUE(child);
    proc::ProcessTable table;
    ProcessSampler sampler(table, nullptr);
    ui::ObservableDictionary dictionary;
    ASSERT_EQ(sampler.SetInfoForPID(child->pid(), std::nullopt, dictionary, true), 0);
    const QVariantHash before = dictionary.snapshot();
    fixtures::KeyLog log(dictionary);
    const pid_t pid = child->pid();
    child->kill();
    EXPECT_EQ(sampler.SetInfoForPID(pid, std::nullopt, dictionary, false), 1);
    EXPECT_EQ(sampler.SetInfoForPID(pid, std::nullopt, dictionary, true), 1);
    EXPECT_EQ(dictionary.snapshot(), before);
    EXPECT_TRUE(log.changed().isEmpty());
}

TEST(CurrentProcessPID, NumbersOnly)
{
    ui::ObservableDictionary d;
    EXPECT_EQ(currentProcessPID(d), 0) << "no value";
    d.setValue(kLSPIDKey, nullMarkerVariant());
    EXPECT_EQ(currentProcessPID(d), 0) << "the null marker";
    d.setValue(kLSPIDKey, QStringLiteral("123"));
    EXPECT_EQ(currentProcessPID(d), 0) << "a string that looks like a number";
    d.setValue(kLSPIDKey, QVariant::fromValue<qint32>(4242));
    EXPECT_EQ(currentProcessPID(d), 4242);
    d.setValue(kLSPIDKey, QVariant::fromValue<qint64>(77));
    EXPECT_EQ(currentProcessPID(d), 77);
    d.setValue(kLSPIDKey, 7.9);
    EXPECT_EQ(currentProcessPID(d), 7);
    d.setValue(kLSPIDKey, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(currentProcessPID(d), 0);
    d.setValue(kLSPIDKey, 1e300);
    EXPECT_EQ(currentProcessPID(d), 0);
}
