// The launcher's identity: a program that one of our bundles launches learns
// which bundle launched it; login items say "login"; inherited variables are
// never mistaken for one's own.
#include "platform/registry/LauncherIdentity.h"
#include "tests/fixtures/BundleBuilder.h"
#include "tests/registry/RegistryTestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include <unistd.h>

using namespace corvane;
using namespace corvane::registry;
using fixtures::BundleBuilder;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

TEST(LauncherIdentityTest, TheAgentLearnsWhichBundleLaunchedIt)
{
    test::TemporaryDesktop desktop;
    ASSERT_TRUE(desktop.isValid());
    // Corvane.app, whose executable launches through the registry, holding
    // its agent where the agent expects to be.
    const QString corvane = BundleBuilder(desktop.applications(), QStringLiteral("Corvane.app"))
                                .executableBytes(fileBytes(test::launcherProgram()))
                                .build();
    const QString agent = BundleBuilder(corvane + QStringLiteral("/Contents/Library/LoginItems"),
                                        QStringLiteral("Corvane Agent.app"))
                              .executableBytes(test::recorderBytes())
                              .build();
    QProcess launcher;
    launcher.start(corvane + QStringLiteral("/Contents/MacOS/Corvane"),
                   {agent, QStringLiteral("513")});
    ASSERT_TRUE(launcher.waitForStarted());
    const qint64 launcherPid = launcher.processId();
    ASSERT_TRUE(launcher.waitForFinished(30'000)) << "the launcher did not end";
    const QString out = QString::fromUtf8(launcher.readAllStandardOutput());
    ASSERT_TRUE(out.startsWith(QStringLiteral("status=0\n"))) << out.toStdString();
    const pid_t agentPid = out.section(QStringLiteral("pid="), 1).trimmed().toInt();

    const auto record = test::waitForRecord(desktop.recordFolder(), agentPid);
    ASSERT_TRUE(record);
    QProcessEnvironment env;
    for (auto it = record->corvaneEnvironment.cbegin(); it != record->corvaneEnvironment.cend();
         ++it)
        env.insert(it.key(), it.value());
    const LauncherIdentity identity = launcherIdentityFromEnvironment(
        env, record->pid, agent + QStringLiteral("/Contents/MacOS/Corvane Agent"));
    ASSERT_EQ(identity.kind, LauncherIdentity::Kind::Process);
    EXPECT_EQ(identity.launcher.pid(), launcherPid);
    EXPECT_EQ(identity.flags, 513u);
    EXPECT_EQ(identity.launcherBundlePath +
                  QStringLiteral("/Contents/Library/LoginItems/Corvane Agent.app"),
              agent)
        << "the agent's rule for staying must hold for the Corvane that contains it";
}

TEST(LauncherIdentityTest, OnlyVariablesMeantForThisProcessCount)
{
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    QProcessEnvironment env;
    env.insert(QStringLiteral("CORVANE_LAUNCHER_PID"), QStringLiteral("4242"));
    env.insert(QStringLiteral("CORVANE_LAUNCHER_START"), QStringLiteral("777"));
    env.insert(QStringLiteral("CORVANE_LAUNCHED_PID"), QStringLiteral("99999"));
    EXPECT_EQ(launcherIdentityFromEnvironment(env, ::getpid(), self).kind,
              LauncherIdentity::Kind::Unknown)
        << "variables inherited from a launched ancestor were believed";
    env.insert(QStringLiteral("CORVANE_LAUNCHED_PID"), QString::number(::getpid()));
    const LauncherIdentity launched = launcherIdentityFromEnvironment(env, ::getpid(), self);
    EXPECT_EQ(launched.kind, LauncherIdentity::Kind::Process);
    EXPECT_EQ(launched.launcher, (SerialNumber{777, 4242}));
    EXPECT_TRUE(launched.launcherBundlePath.isEmpty());

    QProcessEnvironment login;
    for (const QString& variable : loginItemEnvironment(self))
        login.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
    EXPECT_EQ(launcherIdentityFromEnvironment(login, ::getpid(), self).kind,
              LauncherIdentity::Kind::LoginWindow);
    EXPECT_EQ(launcherIdentityFromEnvironment(login, ::getpid(), QStringLiteral("/bin/true")).kind,
              LauncherIdentity::Kind::Unknown)
        << "a login item's variables reached another program";
}

TEST(LauncherIdentityTest, TakingTheIdentityClearsItForChildren)
{
    qputenv("CORVANE_LAUNCHER_PID", "1");
    qputenv("CORVANE_LAUNCHER_START", "5");
    qputenv("CORVANE_LAUNCHER_BUNDLE", "/Applications/Corvane.app");
    qputenv("CORVANE_LAUNCHED_PID", QByteArray::number(::getpid()));
    const LauncherIdentity first = takeLauncherIdentity();
    EXPECT_EQ(first.kind, LauncherIdentity::Kind::Process);
    EXPECT_EQ(first.launcherBundlePath, QStringLiteral("/Applications/Corvane.app"));
    for (const char* name : {"CORVANE_LAUNCHER_PID", "CORVANE_LAUNCHER_START",
                             "CORVANE_LAUNCHER_BUNDLE", "CORVANE_LAUNCHED_PID"})
        EXPECT_FALSE(qEnvironmentVariableIsSet(name)) << name;
    EXPECT_EQ(takeLauncherIdentity().launcherBundlePath, first.launcherBundlePath)
        << "the second call must give the same answer";
}

TEST(LauncherIdentityTest, TheMainBundleIsTheOneHoldingTheExecutable)
{
    EXPECT_EQ(bundleOfExecutable(QStringLiteral("/A/Corvane.app/Contents/MacOS/Corvane")),
              QStringLiteral("/A/Corvane.app"));
    EXPECT_EQ(bundleOfExecutable(QStringLiteral("/A/Tool.App/Contents/MacOS/x")),
              QStringLiteral("/A/Tool.App"));
    EXPECT_EQ(bundleOfExecutable(QStringLiteral("/usr/bin/corvane")), QString());
    EXPECT_EQ(bundleOfExecutable(QStringLiteral("/A/Folder/Contents/MacOS/x")), QString());
    EXPECT_EQ(bundleOfExecutable(QStringLiteral("/A/.app/Contents/MacOS/x")), QString());
    EXPECT_EQ(mainBundlePath(), QString()) << "the test program runs from no bundle";
}
