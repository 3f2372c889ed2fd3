// The launcher's identity as a launched program reads it from its
// environment, with /proc trusted over the claim while the launcher runs.
#include "platform/session/LaunchContext.h"
#include "tests/clients/TestChild.h"
#include "tests/fixtures/BundleBuilder.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace corvane;
using namespace corvane::session;

TEST(LaunchContext, RoundTripsThroughTheEnvironment)
{
    const SerialNumber self = SerialNumber::forProcess(::getpid());
    const auto context =
        launchContext(launcherEnvironment(self, QStringLiteral("/A b/Córvane.app/")));
    ASSERT_TRUE(context);
    EXPECT_FALSE(context->atLogin);
    EXPECT_EQ(context->launcher, self);
    EXPECT_EQ(context->claimedBundlePath, QStringLiteral("/A b/Córvane.app"));

    QProcessEnvironment login;
    login.insert(QLatin1String(kLaunchedAtLoginVariable), QStringLiteral("1"));
    const auto atLogin = launchContext(login);
    ASSERT_TRUE(atLogin);
    EXPECT_TRUE(atLogin->atLogin);
    EXPECT_FALSE(atLogin->launcher.isValid());
    EXPECT_TRUE(launcherBundlePath(*atLogin).isEmpty());
}

TEST(LaunchContext, AbsentOrMalformedMeansStartedByHand)
{
    EXPECT_FALSE(launchContext(QProcessEnvironment()));
    for (const char* bad :
         {"", "12", "a:b", "1:0", "1:2:3", "1:-5", "99999999999:1", "1:4294967295"}) {
        QProcessEnvironment environment;
        environment.insert(QLatin1String(kLauncherSerialVariable), QString::fromLatin1(bad));
        EXPECT_FALSE(launchContext(environment)) << bad;
    }
    QProcessEnvironment loginNo;
    loginNo.insert(QLatin1String(kLaunchedAtLoginVariable), QStringLiteral("yes"));
    EXPECT_FALSE(launchContext(loginNo)) << "only the exact marker counts";
}

TEST(LaunchContext, ProcTrumpsTheClaimWhileTheLauncherRuns)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile sleep(QStringLiteral("/bin/sleep"));
    ASSERT_TRUE(sleep.open(QIODevice::ReadOnly));
    const QString real = fixtures::BundleBuilder(dir.path(), QStringLiteral("Real Launcher.app"))
                             .executableBytes(sleep.readAll())
                             .build();
    auto launcher = corvane::testing::TestChild::start(
        {QFile::encodeName(real + QStringLiteral("/Contents/MacOS/Real Launcher")).toStdString(),
         "30"});
    ASSERT_TRUE(launcher);
    for (int i = 0;
         i < 200 && !QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(launcher->pid()))
                         .endsWith(QStringLiteral("Real Launcher"));
         ++i)
        ::usleep(10000);
    const SerialNumber serial = launcher->serialNumber();
    const auto context =
        launchContext(launcherEnvironment(serial, QStringLiteral("/Claimed/Corvane.app")));
    ASSERT_TRUE(context);
    EXPECT_EQ(launcherBundlePath(*context), real);

    launcher->kill();
    EXPECT_EQ(launcherBundlePath(*context), QStringLiteral("/Claimed/Corvane.app"))
        << "once it is gone, only the claim is left";
}
