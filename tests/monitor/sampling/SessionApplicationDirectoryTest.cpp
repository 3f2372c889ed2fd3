// The session's application directory: what sampling learns of a running
// bundle from the session, and the front application it follows.
#include "monitor/sampling/SessionApplicationDirectory.h"
#include "platform/session/RunningApplications.h"
#include "tests/clients/SessionTestSupport.h"
#include "tests/clients/TestChild.h"
#include "tests/fixtures/BundleBuilder.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace corvane;
using corvane::fixtures::BundleBuilder;
using corvane::testing::waitUntil;

TEST(SessionApplicationDirectory, BundleFactsAndTheFrontApplication)
{
    CORVANE_REQUIRE_DISPLAY();
    corvane::testing::ensureQtApplication();
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/directory “test” XXXXXX"));
    QFile client(QString::fromStdString(corvane::testing::testProgram("corvane-test-window")));
    ASSERT_TRUE(client.open(QIODevice::ReadOnly));
    const QString bundle = BundleBuilder(dir.path(), QStringLiteral("Mail Tool.app"))
                               .identifier(QStringLiteral("Org.Example.MailTool"))
                               .executableBytes(client.readAll())
                               .build();
    auto child = corvane::testing::TestChild::start(
        {QFile::encodeName(bundle + QStringLiteral("/Contents/MacOS/Mail Tool")).toStdString(), "--title", "M"});
    ASSERT_TRUE(child);
    const auto window = child->waitUntilReady().at(0);

    session::RunningApplications apps;
    sampling::SessionApplicationDirectory directory(apps);
    const SerialNumber serial = child->serialNumber();
    ASSERT_TRUE(waitUntil([&] { return directory.applicationInformation(serial).has_value(); }));
    const auto info = directory.applicationInformation(serial);
    EXPECT_EQ(info->pid, serial.pid());
    EXPECT_EQ(info->displayName, QStringLiteral("Mail Tool"));
    EXPECT_EQ(info->bundlePath, bundle);
    EXPECT_EQ(info->bundleIdentifierLowerCase, QStringLiteral("org.example.mailtool"));

    ASSERT_TRUE(corvane::testing::activateFromOutside(window));
    EXPECT_TRUE(waitUntil([&] { return directory.frontApplication() == serial; }));

    SerialNumber stale = serial;
    stale.high += 1;
    EXPECT_FALSE(directory.applicationInformation(stale)) << "another start of the same process id";
}
