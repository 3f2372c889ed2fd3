// The registry's launches reach the session's running applications, and a
// launch that finds a running copy brings its window to the front through
// the session.
#include "platform/registry/Launching.h"
#include "platform/session/RegistryConnection.h"
#include "tests/clients/SessionTestSupport.h"
#include "tests/clients/TestChild.h"
#include "tests/fixtures/BundleBuilder.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

using namespace corvane;
using namespace corvane::session;
using corvane::fixtures::BundleBuilder;
using corvane::testing::waitUntil;

TEST(RegistryConnection, LaunchesAreRunningApplicationsAndCopiesComeForward)
{
    CORVANE_REQUIRE_DISPLAY();
    corvane::testing::ensureQtApplication();
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/connection home “x” XXXXXX"));
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/config")));

    // A bundle whose executable is the test window client itself, so the
    // registry finds its running copy by the executable's path.
    QFile client(QString::fromStdString(corvane::testing::testProgram("corvane-test-window")));
    ASSERT_TRUE(client.open(QIODevice::ReadOnly));
    const QString bundle = BundleBuilder(home.path(), QStringLiteral("Window Tool.app"))
                               .identifier(QStringLiteral("org.example.window-tool"))
                               .executableBytes(client.readAll())
                               .build();
    auto other = corvane::testing::TestChild::start(
        {corvane::testing::testProgram("corvane-test-window"), "--title", "Other", "200x100+400+300"});
    ASSERT_TRUE(other);
    const auto otherWindow = other->waitUntilReady().at(0);

    RunningApplications apps;
    SerialNumber launched;
    {
        RegistryConnection connection(apps);
        registry::LaunchParameters parameters;
        parameters.application = QUrl::fromLocalFile(bundle);
        ASSERT_EQ(registry::openApplication(parameters, &launched), status::noErr);
        ASSERT_TRUE(waitUntil([&] { return apps.application(launched).has_value(); }));
        EXPECT_TRUE(apps.application(launched)->launchedHere);
        EXPECT_EQ(apps.application(launched)->facts.bundlePath, bundle);
        ASSERT_TRUE(waitUntil([&] { return !apps.windowsOf(launched).empty(); }));

        // Another application comes to the front; launching the bundle again
        // brings the running copy back instead of starting a second one.
        ASSERT_TRUE(corvane::testing::activateFromOutside(otherWindow));
        ASSERT_TRUE(waitUntil([&] { return apps.frontApplication() == other->serialNumber(); }));
        SerialNumber again;
        ASSERT_EQ(registry::openApplication(parameters, &again), status::noErr);
        EXPECT_EQ(again, launched);
        EXPECT_TRUE(waitUntil([&] { return apps.frontApplication() == launched; }));
    }
    ::kill(launched.pid(), SIGKILL);
    qputenv("HOME", oldHome);
    qputenv("XDG_CONFIG_HOME", oldConfig);
}
