// The sampling cycle with real processes as the frontmost application:
// start, following, holding, a held process that quits, and the update
// frequencies with real timers.
#include "monitor/sampling/ProcessKeys.h"
#include "monitor/sampling/SamplingCycle.h"
#include "platform/foundation/NullMarker.h"
#include "platform/processes/ProcessTable.h"
#include "tests/monitor/sampling/SamplingSupport.h"
#include "tests/processes/ChildProcess.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>

using namespace corvane;
using namespace corvane::sampling;
using corvane::fixtures::ChildProcess;

namespace {

class Cycle : public ::testing::Test {
protected:
    void SetUp() override
    {
        a = ChildProcess::load({QStringLiteral("--busy"), QStringLiteral("1")});
        b = ChildProcess::load();
        ASSERT_TRUE(a && b);
        directory.setFrontApplication(SerialNumber::forProcess(a->pid()));
    }

    qint32 watched() const { return currentProcessPID(cycle.processDictionary()); }
    QVariant at(const QString& key) const { return cycle.processDictionary().value(key); }

    std::unique_ptr<ChildProcess> a, b;
    proc::ProcessTable table;
    fixtures::TestApplicationDirectory directory;
    ProcessSampler sampler{table, &directory};
    SamplingCycle cycle{sampler, directory};
};

}  // namespace

TEST_F(Cycle, StartFillsNineMarkersThenSamplesTheFrontApplicationAtOnce)
{
    QStringList firstValues;
    QObject context;
    // What the first observer of the identifier sees: the marker, then the process.
    cycle.processDictionary().observe(kLSPIDKey, &context, [&](const QVariant& v) {
        firstValues << (isNullMarker(v) ? QStringLiteral("null") : v.toString());
    });
    cycle.startSampling();
    EXPECT_EQ(firstValues, (QStringList{QStringLiteral("null"), QString::number(a->pid())}));
    EXPECT_EQ(watched(), a->pid());
    EXPECT_EQ(at(kLSASNKey).value<SerialNumber>(), SerialNumber::forProcess(a->pid()));
    EXPECT_TRUE(cycle.processDictionary().contains(kLSBundleIdentifierLowerCaseKey))
        << "the tenth key comes with the first full refresh";
    EXPECT_EQ(cycle.renewProcessPID(), 1);
    ASSERT_TRUE(cycle.repeatingTimer());
    EXPECT_TRUE(cycle.repeatingTimer()->isActive());
    EXPECT_EQ(cycle.timeInterval(), 1.0);

    QTimer* timer = cycle.repeatingTimer();
    cycle.startSampling();
    EXPECT_EQ(cycle.repeatingTimer(), timer) << "starting twice schedules no second timer";
}

TEST_F(Cycle, WithoutAFrontApplicationAtStartOnlyTheMarkersAreThere)
{
    directory.setFrontApplication(std::nullopt);
    cycle.startSampling();
    const auto& keys = processKeyTable();
    for (int slot = kPIDSlot; slot <= kASNSlot; ++slot)
        EXPECT_TRUE(isNullMarker(at(keys[slot]))) << keys[slot].toStdString();
    EXPECT_EQ(cycle.processDictionary().keys().size(), 9);
}

TEST_F(Cycle, FollowingTheSameApplicationChangesOnlyTheLoadFigures)
{
    cycle.startSampling();
    fixtures::KeyLog log(cycle.processDictionary());
    for (int i = 0; i < 4; ++i) {
        fixtures::spinEventLoop(250);
        cycle.updateProcessInfo();
    }
    EXPECT_TRUE(log.changed().contains(kCurrentProcessCPUKey)) << "a busy process's load moves";
    EXPECT_TRUE(log.changed().subtract({kCurrentProcessCPUKey, kCurrentProcessMEMKey}).isEmpty());
}

TEST_F(Cycle, AnotherApplicationInFrontIsSampledInFull)
{
    cycle.startSampling();
    directory.setFrontApplication(SerialNumber::forProcess(b->pid()));
    cycle.updateProcessInfo();
    EXPECT_EQ(watched(), b->pid());
    EXPECT_EQ(at(kLSASNKey).value<SerialNumber>(), SerialNumber::forProcess(b->pid()));

    // No front application: that tick does nothing.
    const QVariantHash before = cycle.processDictionary().snapshot();
    directory.setFrontApplication(std::nullopt);
    cycle.updateProcessInfo();
    EXPECT_EQ(cycle.processDictionary().snapshot(), before);
}

TEST_F(Cycle, FailedFullRefreshKeepsThePreviousProcessOnDisplay)
{
    cycle.startSampling();
    const SerialNumber bSerial = SerialNumber::forProcess(b->pid());
    b->kill();
    directory.setFrontApplication(bSerial);
    cycle.updateProcessInfo();
    EXPECT_EQ(watched(), a->pid());
    EXPECT_EQ(cycle.renewProcessPID(), 1) << "still following; the next tick tries again";
    directory.setFrontApplication(SerialNumber::forProcess(a->pid()));
    cycle.updateProcessInfo();
    EXPECT_EQ(watched(), a->pid());
}

TEST_F(Cycle, HeldProcessThatQuitsHandsOverToTheFrontApplication)
{
    cycle.startSampling();
    EXPECT_FALSE(cycle.holdProcessItemState().checked);
    cycle.setRenewProcessPID(/*itemWasChecked=*/false);  // "Hold Process" chosen
    EXPECT_EQ(cycle.renewProcessPID(), 0);
    EXPECT_TRUE(cycle.holdProcessItemState().checked);
    EXPECT_TRUE(cycle.holdProcessItemState().enabled);

    // Another application comes to the front: the held one stays watched.
    directory.setFrontApplication(SerialNumber::forProcess(b->pid()));
    cycle.updateProcessInfo();
    EXPECT_EQ(watched(), a->pid());
    EXPECT_EQ(cycle.renewProcessPID(), 0);

    a->kill();
    cycle.updateProcessInfo();
    EXPECT_EQ(cycle.renewProcessPID(), 1) << "the held process could not be sampled";
    EXPECT_FALSE(cycle.holdProcessItemState().checked);
    EXPECT_EQ(watched(), a->pid()) << "its last facts stay until the next tick";
    cycle.updateProcessInfo();
    EXPECT_EQ(watched(), b->pid());

    cycle.setRenewProcessPID(false);
    cycle.setRenewProcessPID(/*itemWasChecked=*/true);  // chosen again while checked
    EXPECT_EQ(cycle.renewProcessPID(), 1);
}

TEST_F(Cycle, FrequencyItemsCarryTheCheckMarkOfTheTimersInterval)
{
    cycle.startSampling();
    auto checkedTags = [&] {
        QList<int> tags;
        for (int tag = 0; tag <= 5; ++tag) {
            EXPECT_TRUE(cycle.updateFrequencyItemState(tag).enabled);
            if (cycle.updateFrequencyItemState(tag).checked)
                tags << tag;
        }
        return tags;
    };
    EXPECT_EQ(checkedTags(), QList<int>{2}) << "1.0 s at start";
    for (int tag = 1; tag <= 4; ++tag) {
        cycle.stopRepeatingTimer(tag);
        EXPECT_EQ(checkedTags(), QList<int>{tag});
        EXPECT_EQ(cycle.timeInterval(), updateFrequencies()[tag - 1].interval);
    }
    cycle.stopRepeatingTimer(9);
    EXPECT_EQ(cycle.timeInterval(), 1.0) << "any other tag: 1.0 s";
    EXPECT_EQ(checkedTags(), QList<int>{2});

    EXPECT_STREQ(updateFrequencies()[0].title, "Very often (0.5 sec)");
    EXPECT_STREQ(updateFrequencies()[1].title, "Often (1 sec)");
    EXPECT_STREQ(updateFrequencies()[2].title, "Normally (2 sec)");
    EXPECT_STREQ(updateFrequencies()[3].title, "Less often (5 sec)");
}

TEST_F(Cycle, ANewFrequencyReplacesTheTimerAndTheNextSampleComesOneIntervalLater)
{
    cycle.startSampling();
    QList<qint64> ticks;
    QElapsedTimer clock;
    QObject context;
    QObject::connect(&cycle, &SamplingCycle::processInfoUpdated, &context,
                     [&] { ticks << clock.elapsed(); });

    QPointer<QTimer> old = cycle.repeatingTimer();
    clock.start();
    cycle.stopRepeatingTimer(1);
    EXPECT_NE(cycle.repeatingTimer(), old.data());
    EXPECT_FALSE(old && old->isActive()) << "the old timer no longer fires";
    EXPECT_TRUE(ticks.isEmpty()) << "the new timer is not fired at once";
    ASSERT_TRUE(fixtures::waitUntil([&] { return ticks.size() >= 4; }, 4000));
    EXPECT_NEAR(ticks[0], 500, 150);
    EXPECT_NEAR(ticks[3] - ticks[0], 1500, 250);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(old.isNull()) << "the replaced timer is deleted";

    ticks.clear();
    clock.restart();
    cycle.stopRepeatingTimer(4);
    ASSERT_TRUE(fixtures::waitUntil([&] { return !ticks.isEmpty(); }, 7000));
    EXPECT_NEAR(ticks[0], 5000, 300) << "the next sample arrives 5 s later";
}

TEST_F(Cycle, ChangingTheFrequencyFromInsideATickIsSafe)
{
    cycle.startSampling();
    int ticks = 0;
    QObject context;
    QObject::connect(&cycle, &SamplingCycle::processInfoUpdated, &context, [&] {
        if (++ticks == 1)
            cycle.stopRepeatingTimer(1);
    });
    cycle.stopRepeatingTimer(1);
    ASSERT_TRUE(fixtures::waitUntil([&] { return ticks >= 3; }, 4000));
}
