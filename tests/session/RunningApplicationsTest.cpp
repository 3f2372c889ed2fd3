// The running applications of a real X session (Xvfb + openbox) with real
// client processes: the front application follows focus, hiding and showing
// change the counts, a launch is announced once with its architecture, a
// frozen client is unresponsive and a live one is not, types and force quit.
#include "platform/bundles/ExecutableFormats.h"
#include "platform/session/RunningApplications.h"
#include "platform/windowserver/WindowProperties.h"
#include "tests/clients/SessionTestSupport.h"
#include "tests/clients/TestChild.h"
#include "tests/fixtures/BundleBuilder.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace corvane;
using namespace corvane::session;
using corvane::fixtures::BundleBuilder;
using corvane::testing::TestChild;
using corvane::testing::testProgram;
using corvane::testing::waitUntil;

namespace {

std::unique_ptr<TestChild> startWindows(
    std::vector<std::string> arguments,
    const std::string& program = testProgram("corvane-test-window"))
{
    arguments.insert(arguments.begin(), program);
    return TestChild::start(arguments);
}

class RunningApplicationsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CORVANE_REQUIRE_DISPLAY();
        corvane::testing::ensureQtApplication();
        apps = std::make_unique<RunningApplications>();
        ASSERT_TRUE(apps->hasDisplay());
    }

    // Starts a client and waits until the session lists it.
    std::unique_ptr<TestChild> startApplication(
        std::vector<std::string> arguments,
        const std::string& program = testProgram("corvane-test-window"))
    {
        auto child = startWindows(std::move(arguments), program);
        if (!child || child->waitUntilReady().empty())
            return nullptr;
        const SerialNumber serial = child->serialNumber();
        if (!waitUntil([&] { return apps->application(serial).has_value(); }))
            return nullptr;
        return child;
    }

    std::unique_ptr<RunningApplications> apps;
};

}  // namespace

TEST_F(RunningApplicationsTest, FrontApplicationFollowsFocus)
{
    auto a = startWindows({"--title", "A", "200x100+50+50"});
    auto b = startWindows({"--title", "B", "200x100+400+50"});
    ASSERT_TRUE(a && b);
    const auto aWindow = a->waitUntilReady().at(0);
    const auto bWindow = b->waitUntilReady().at(0);
    QList<SerialNumber> changes;
    QObject::connect(apps.get(), &RunningApplications::frontApplicationChanged, apps.get(),
                     [&](const SerialNumber& s) { changes.append(s); });

    ASSERT_TRUE(corvane::testing::activateFromOutside(aWindow));
    ASSERT_TRUE(waitUntil([&] { return apps->frontApplication() == a->serialNumber(); }));
    ASSERT_TRUE(corvane::testing::activateFromOutside(bWindow));
    ASSERT_TRUE(waitUntil([&] { return apps->frontApplication() == b->serialNumber(); }));
    EXPECT_TRUE(waitUntil([&] {
        return !changes.isEmpty() && changes.back() == b->serialNumber();
    })) << "the change is announced";

    // Our own activation request moves the focus back.
    EXPECT_EQ(apps->activate(a->serialNumber()), status::noErr);
    EXPECT_TRUE(waitUntil([&] { return apps->frontApplication() == a->serialNumber(); }));

    // The front application's own window closing leaves no stale answer.
    a->kill();
    EXPECT_TRUE(waitUntil([&] { return apps->frontApplication() != a->serialNumber(); }));
    EXPECT_EQ(apps->activate(a->serialNumber()), status::procNotFound);
}

TEST_F(RunningApplicationsTest, HidingAndShowingChangeTheCounts)
{
    auto a = startApplication({"200x100+50+300", "100x100+300+300"});
    auto b = startApplication({"200x100+500+300"});
    ASSERT_TRUE(a && b);
    const SerialNumber sa = a->serialNumber();
    const int hidden = apps->hiddenApplicationCount();
    const int unhidden = apps->unhiddenApplicationCount();
    EXPECT_GE(unhidden, 2);
    EXPECT_EQ(apps->presentationOptions(), 0) << "openbox can iconify";

    EXPECT_EQ(apps->sendNotification(notification::kHide, sa), status::noErr);
    ASSERT_TRUE(waitUntil([&] { return apps->application(sa)->hidden; }))
        << "both windows iconified";
    EXPECT_EQ(apps->hiddenApplicationCount(), hidden + 1);
    EXPECT_EQ(apps->unhiddenApplicationCount(), unhidden - 1);
    EXPECT_TRUE(
        apps->findApplications({ApplicationType::Foreground, true, {}, false}).contains(sa));
    EXPECT_FALSE(
        apps->findApplications({ApplicationType::Foreground, false, {}, false}).contains(sa));
    for (xcb_window_t w : apps->windowsOf(sa))
        EXPECT_TRUE(windowserver::windowIsHidden(*apps->connection(), w));

    EXPECT_EQ(apps->sendNotification(notification::kShow, sa), status::noErr);
    ASSERT_TRUE(waitUntil([&] { return !apps->application(sa)->hidden; }));
    EXPECT_TRUE(waitUntil([&] {
        const auto windows = apps->windowsOf(sa);
        return std::none_of(windows.begin(), windows.end(), [&](xcb_window_t w) {
            return windowserver::windowIsHidden(*apps->connection(), w);
        });
    })) << "every window comes back, not only one";
    EXPECT_EQ(apps->hiddenApplicationCount(), hidden);
    EXPECT_EQ(apps->unhiddenApplicationCount(), unhidden) << [&] {
        std::string names;
        for (const auto& app : apps->applications())
            names += app.facts.displayName.toStdString() + " " + std::to_string(app.pid()) + "; ";
        return names;
    }();
    EXPECT_EQ(apps->sendNotification(12345, sa), status::paramErr);
}

TEST_F(RunningApplicationsTest, ALaunchIsAnnouncedOnceWithItsArchitectureAndIcon)
{
    auto before = startApplication({"150x100+50+550"});
    ASSERT_TRUE(before);
    // A fresh service: what ran before it started is not a launch.
    apps = std::make_unique<RunningApplications>();
    QList<RunningApplication> launched;
    QList<QImage> icons;
    QObject::connect(apps.get(), &RunningApplications::applicationLaunched, apps.get(),
                     [&](const RunningApplication& app, const QImage& icon) {
                         launched.append(app);
                         icons.append(icon);
                     });

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile client(QString::fromStdString(testProgram("corvane-test-window")));
    ASSERT_TRUE(client.open(QIODevice::ReadOnly));
    const QString bundle = BundleBuilder(dir.path(), QStringLiteral("Läunch Test.app"))
                               .identifier(QStringLiteral("org.Example.LaunchTest"))
                               .executableBytes(client.readAll())
                               .build();
    const std::string executable =
        QFile::encodeName(bundle + QStringLiteral("/Contents/MacOS/Läunch Test")).toStdString();
    // Two windows, mapped one after the other: still one application.
    auto child = startWindows({"--icon", "00ff00", "120x90+600+550", "120x90+800+550"}, executable);
    ASSERT_TRUE(child);
    ASSERT_EQ(child->waitUntilReady().size(), 2u);
    ASSERT_TRUE(waitUntil([&] { return !launched.isEmpty(); }));
    corvane::testing::settle(std::chrono::milliseconds(400));

    const auto mine = std::count_if(
        launched.begin(), launched.end(),
        [&](const RunningApplication& a) { return a.serialNumber == child->serialNumber(); });
    EXPECT_EQ(mine, 1) << "one notification per application, not per window";
    for (const RunningApplication& a : launched)
        EXPECT_NE(a.serialNumber, before->serialNumber())
            << "running before the service: no launch";
    qsizetype at = 0;
    while (at < launched.size() && launched[at].serialNumber != child->serialNumber())
        ++at;
    ASSERT_LT(at, launched.size());
    const RunningApplication& app = launched[at];
    EXPECT_EQ(app.facts.architecture, exe::kCpuTypeX86_64);
    EXPECT_EQ(app.facts.displayName, QStringLiteral("Läunch Test"));
    EXPECT_EQ(app.facts.bundleIdentifier, QStringLiteral("org.Example.LaunchTest"));
    EXPECT_EQ(app.bundleUrl(), QUrl::fromLocalFile(bundle + QLatin1Char('/')));
    EXPECT_EQ(app.type, ApplicationType::Foreground);
    ASSERT_FALSE(icons[at].isNull());
    EXPECT_EQ(icons[at].pixel(8, 8), 0xff00ff00) << "the window's own icon";
}

TEST_F(RunningApplicationsTest, NotedLaunchesCountWithoutWindowsUntilTheyEnd)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString bundle = BundleBuilder(dir.path(), QStringLiteral("Quiet Agent.app"))
                               .identifier(QStringLiteral("org.example.quiet"))
                               .set(QStringLiteral("LSUIElement"), true)
                               .build();
    QList<SerialNumber> launched;
    QObject::connect(
        apps.get(), &RunningApplications::applicationLaunched, apps.get(),
        [&](const RunningApplication& app, const QImage&) { launched.append(app.serialNumber); });
    auto child = TestChild::start({"/bin/sleep", "30"});
    ASSERT_TRUE(child);
    ASSERT_TRUE(waitUntil([&] {
        return QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(child->pid())) ==
               QStringLiteral("/usr/bin/sleep");
    }));
    const SerialNumber serial = child->serialNumber();
    EXPECT_FALSE(apps->application(serial)) << "a process without windows is not an application";

    apps->noteLaunched(serial, bundle);
    const auto app = apps->application(serial);
    ASSERT_TRUE(app);
    EXPECT_TRUE(app->launchedHere);
    EXPECT_EQ(app->facts.bundlePath, bundle);
    EXPECT_EQ(app->type, ApplicationType::UIElement) << "LSUIElement decides";
    EXPECT_EQ(
        apps->findApplications({std::nullopt, std::nullopt, bundle + QStringLiteral("/"), true}),
        QList<SerialNumber>{serial})
        << "found by bundle path, spelled differently";
    EXPECT_TRUE(apps->findApplications({ApplicationType::Foreground, std::nullopt, {}, false})
                    .indexOf(serial) < 0);
    ASSERT_TRUE(waitUntil([&] { return launched.contains(serial); }));
    apps->noteLaunched(serial, bundle);
    corvane::testing::settle();
    EXPECT_EQ(launched.count(serial), 1) << "told twice, announced once";
    EXPECT_FALSE(apps->isUnresponsive(serial, std::chrono::milliseconds(50)))
        << "nothing to ping: never reported unresponsive";

    child->kill();
    EXPECT_FALSE(apps->application(serial)) << "gone with its process";
    for (const RunningApplication& a : apps->applications())
        EXPECT_NE(a.serialNumber, serial);
}

TEST_F(RunningApplicationsTest, AFrozenClientIsUnresponsiveAndALiveOneIsNot)
{
    auto live = startApplication({"150x100+100+100"});
    auto silent = startApplication({"--no-ping", "150x100+300+100"});
    ASSERT_TRUE(live && silent);
    const SerialNumber serial = live->serialNumber();
    EXPECT_FALSE(apps->isUnresponsive(serial, std::chrono::milliseconds(2000)));

    live->freeze();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(apps->isUnresponsive(serial, std::chrono::milliseconds(300)));
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(300));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(2000))
        << "the time-out bounds the wait";

    // Once it runs again it answers the next ping (the stale answer to the
    // first one must not be taken for it, nor break anything).
    live->thaw();
    EXPECT_FALSE(apps->isUnresponsive(serial, std::chrono::milliseconds(2000)));

    silent->freeze();
    EXPECT_FALSE(apps->isUnresponsive(silent->serialNumber(), std::chrono::milliseconds(100)))
        << "a client that takes no pings cannot be told unresponsive";
    silent->thaw();
}

TEST_F(RunningApplicationsTest, TypesFollowWindowsAndBundleKeys)
{
    auto normal = startApplication({"100x100+100+500"});
    auto utility = startApplication({"--type", "utility", "--skip-taskbar", "100x100+250+500"});
    ASSERT_TRUE(normal && utility);
    EXPECT_EQ(apps->applicationType(normal->serialNumber()), ApplicationType::Foreground);
    EXPECT_EQ(apps->applicationType(utility->serialNumber()), ApplicationType::UIElement);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString background = BundleBuilder(dir.path(), QStringLiteral("Daemon.app"))
                                   .set(QStringLiteral("LSBackgroundOnly"), QStringLiteral("YES"))
                                   .build();
    auto child = TestChild::start({"/bin/sleep", "30"});
    ASSERT_TRUE(child);
    ASSERT_TRUE(waitUntil([&] {
        return QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(child->pid())) ==
               QStringLiteral("/usr/bin/sleep");
    }));
    apps->noteLaunched(child->serialNumber(), background);
    EXPECT_EQ(apps->applicationType(child->serialNumber()), ApplicationType::BackgroundOnly);
    EXPECT_FALSE(apps->applicationType(SerialNumber{1, 999999}));
}

TEST_F(RunningApplicationsTest, ForceQuitHitsOnlyTheProcessItNames)
{
    auto victim = startApplication({"100x100+400+500"});
    ASSERT_TRUE(victim);
    const SerialNumber serial = victim->serialNumber();
    // The same process identifier with another start time: a reused one.
    const SerialNumber stale{serial.high + 1, serial.low};
    EXPECT_EQ(apps->killApplication(stale, 2), status::procNotFound);
    EXPECT_EQ(victim->waitForExit(std::chrono::milliseconds(200)), -1) << "left alone";

    EXPECT_EQ(apps->killApplication(serial, 2), status::noErr);
    const int exit = victim->waitForExit(std::chrono::seconds(5));
    ASSERT_NE(exit, -1);
    EXPECT_TRUE(WIFSIGNALED(exit) && WTERMSIG(exit) == SIGKILL);
    EXPECT_EQ(apps->killApplication(serial, 2), status::procNotFound);
    EXPECT_TRUE(waitUntil([&] { return !apps->application(serial); }));
}

TEST_F(RunningApplicationsTest, OurOwnSerialNumberAndWindowOwners)
{
    EXPECT_EQ(RunningApplications::currentApplication(), SerialNumber::forProcess(::getpid()));
    auto client = startApplication({"--no-pid", "100x100+600+500"});
    ASSERT_TRUE(client);
    const auto windows = apps->windowsOf(client->serialNumber());
    ASSERT_EQ(windows.size(), 1u) << "a client without _NET_WM_PID is still found";
    EXPECT_EQ(apps->ownerOfWindow(windows[0]), client->serialNumber());
    EXPECT_FALSE(apps->ownerOfWindow(XCB_WINDOW_NONE).isValid());
}

TEST(RunningApplicationsWithoutDisplay, NotedProcessesStillCount)
{
    corvane::testing::ensureQtApplication();
    RunningApplications apps(std::unique_ptr<windowserver::XConnection>{});
    EXPECT_FALSE(apps.hasDisplay());
    EXPECT_FALSE(apps.frontApplication().isValid());
    EXPECT_EQ(apps.presentationOptions(), kPresentationHidingDisabled);
    auto child = TestChild::start({"/bin/sleep", "30"});
    ASSERT_TRUE(child);
    ASSERT_TRUE(waitUntil([&] {
        return QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(child->pid())) ==
               QStringLiteral("/usr/bin/sleep");
    }));
    apps.noteLaunched(child->serialNumber(), {});
    ASSERT_TRUE(apps.application(child->serialNumber()));
    EXPECT_EQ(apps.application(child->serialNumber())->facts.displayName, QStringLiteral("sleep"));
    EXPECT_EQ(apps.hide(child->serialNumber()), status::noErr);
    EXPECT_FALSE(apps.isUnresponsive(child->serialNumber()));
}
