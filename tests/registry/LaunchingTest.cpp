// Launching real programs: bundles with an ELF or a script executable and
// desktop entries start detached, in a session of their own, with exactly the
// arguments and identity they should get; a running copy is activated instead
// of started again; what cannot run is a status with a comment.
#include "platform/bundles/ExecutableFormats.h"
#include "platform/registry/ApplicationRegistry.h"
#include "platform/registry/DesktopEntry.h"
#include "platform/registry/LauncherIdentity.h"
#include "platform/registry/Launching.h"
#include "platform/registry/RunningCopies.h"
#include "tests/fixtures/BundleBuilder.h"
#include "tests/fixtures/Executables.h"
#include "tests/registry/RegistryTestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <unistd.h>

using namespace corvane;
using namespace corvane::registry;
using fixtures::BundleBuilder;

namespace {

class LaunchingTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(desktop_.isValid()); }
    void TearDown() override
    {
        setActivator({});
        setLaunchObserver({});
        for (pid_t pid : lingering_)
            test::terminate(pid);
    }

    QString recorderBundle(const QString& folder, const QString& name) const
    {
        return BundleBuilder(folder, name).executableBytes(test::recorderBytes()).build();
    }

    QString scriptBundle(const QString& name, const QString& body) const
    {
        return BundleBuilder(desktop_.applications(), name)
            .executableBytes(fixtures::shellScript(body))
            .build();
    }

    SerialNumber launch(const QString& path, LaunchFlags flags, OSStatus expected = status::noErr)
    {
        LaunchParameters p;
        p.application = QUrl::fromLocalFile(path);
        p.flags = flags;
        SerialNumber serial;
        EXPECT_EQ(openApplication(p, &serial), expected) << path.toStdString();
        return serial;
    }

    void linger(int seconds) { qputenv("CORVANE_TEST_RECORD_LINGER", QByteArray::number(seconds)); }

    test::TemporaryDesktop desktop_;
    QList<pid_t> lingering_;
};

QString recordedScript()
{
    return QStringLiteral("exec '%1' \"$0\" \"$@\"\n").arg(test::recorderProgram());
}

}  // namespace

TEST_F(LaunchingTest, ABundleStartsDetachedInItsOwnSessionWithTheLauncherIdentity)
{
    const QString outside = desktop_.root() + QStringLiteral("/Downloads ‘new’");
    const QString app = recorderBundle(outside, QStringLiteral("Récorder \"one\".app"));
    QList<LaunchRecord> observed;
    setLaunchObserver([&](const LaunchRecord& r) { observed.append(r); });
    qputenv("CORVANE_LAUNCHER_BUNDLE", "/inherited/Stale.app");  // must not reach the child

    const SerialNumber serial = launch(app, launch::kDefaults);
    qunsetenv("CORVANE_LAUNCHER_BUNDLE");
    ASSERT_TRUE(serial.isValid());
    const auto record = test::waitForRecord(desktop_.recordFolder(), serial.pid());
    ASSERT_TRUE(record) << "the program never ran";
    EXPECT_EQ(record->session, record->pid) << "not a session of its own";
    EXPECT_NE(record->parent, ::getpid()) << "left as the launcher's child";
    EXPECT_EQ(record->standardInput, QStringLiteral("/dev/null"));
    EXPECT_EQ(record->openDescriptors, QStringList{}) << "descriptors leaked into the program";
    EXPECT_EQ(record->workingDirectory, desktop_.home());
    EXPECT_EQ(record->arguments,
              QStringList{app + QStringLiteral("/Contents/MacOS/Récorder \"one\"")});

    const QMap<QString, QString> env = record->corvaneEnvironment;
    const SerialNumber self = SerialNumber::forProcess(::getpid());
    EXPECT_EQ(env.value(QStringLiteral("CORVANE_LAUNCHER_PID")), QString::number(::getpid()));
    EXPECT_EQ(env.value(QStringLiteral("CORVANE_LAUNCHER_START")), QString::number(self.high));
    EXPECT_EQ(env.value(QStringLiteral("CORVANE_LAUNCH_FLAGS")), QStringLiteral("1"));
    EXPECT_EQ(env.value(QStringLiteral("CORVANE_LAUNCHED_PID")), QString::number(record->pid));
    EXPECT_FALSE(env.contains(QStringLiteral("CORVANE_LAUNCHER_BUNDLE")))
        << "this test program runs from no bundle, and inherited values must not pass";

    ASSERT_EQ(observed.size(), 1);
    EXPECT_EQ(observed.at(0).serial, serial);
    EXPECT_EQ(observed.at(0).applicationPath, app);
    EXPECT_TRUE(isRegisteredApplication(app)) << "a launched bundle is registered";
}

TEST_F(LaunchingTest, AScriptBundleRunsThroughItsInterpreterWithItsArguments)
{
    const QString app = scriptBundle(QStringLiteral("Script Tool.app"), recordedScript());
    LaunchParameters p;
    p.application = QUrl::fromLocalFile(app);
    p.arguments = {QStringLiteral("--flag"), QStringLiteral("two words; $(not run)")};
    SerialNumber serial;
    ASSERT_EQ(openApplication(p, &serial), status::noErr);
    const auto record = test::waitForRecord(desktop_.recordFolder(), serial.pid());
    ASSERT_TRUE(record);
    EXPECT_EQ(record->arguments.mid(1),
              (QStringList{app + QStringLiteral("/Contents/MacOS/Script Tool"),
                           QStringLiteral("--flag"), QStringLiteral("two words; $(not run)")}));

    p.flags = launch::kNoParams;
    ASSERT_EQ(openApplication(p, &serial), status::noErr);
    const auto bare = test::waitForRecord(desktop_.recordFolder(), serial.pid());
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->arguments.size(), 2) << "no-parameters still passed arguments";
}

TEST_F(LaunchingTest, ARunningCopyIsBroughtForwardUnlessANewInstanceIsAsked)
{
    const QString app = recorderBundle(desktop_.applications(), QStringLiteral("Stays.app"));
    linger(60);
    const SerialNumber first = launch(app, launch::kDefaults);
    lingering_.append(first.pid());
    ASSERT_TRUE(test::waitForRecord(desktop_.recordFolder(), first.pid()));
    QList<pid_t> activated;
    setActivator([&](pid_t pid) {
        activated.append(pid);
        return true;
    });

    EXPECT_EQ(launch(app, launch::kDefaults), first);
    EXPECT_EQ(activated, QList<pid_t>{first.pid()});
    EXPECT_EQ(launch(app, launch::kDefaults | launch::kDontSwitch), first);
    EXPECT_EQ(activated.size(), 1) << "the launcher was to stay in front";
    EXPECT_EQ(launch(app, launch::kNoParams), first);

    const SerialNumber second = launch(app, launch::kDefaults | launch::kNewInstance);
    lingering_.append(second.pid());
    EXPECT_NE(second, first);
    EXPECT_TRUE(test::waitForRecord(desktop_.recordFolder(), second.pid()));
    EXPECT_EQ(runningCopiesOfBundle(app), (QList<pid_t>{first.pid(), second.pid()}));
    EXPECT_EQ(test::waitForRecords(desktop_.recordFolder(), 3, 300).size(), 2)
        << "a launch that should have activated started a process";

    const auto launchedHere = [&] {
        QStringList launched;
        for (const LaunchRecord& r : launchedApplications()) {
            if (r.applicationPath == app)
                launched.append(QStringLiteral("%1 %2").arg(r.serial.pid()).arg(r.flags));
        }
        return launched;
    };
    EXPECT_EQ(launchedHere(),
              (QStringList{QStringLiteral("%1 1").arg(first.pid()),
                           QStringLiteral("%1 %2").arg(second.pid()).arg(0x80001)}));
    test::terminate(first.pid());
    EXPECT_EQ(launchedHere(), QStringList{QStringLiteral("%1 %2").arg(second.pid()).arg(0x80001)})
        << "an ended process stayed on the record";
}

TEST_F(LaunchingTest, ARunningScriptIsFoundThroughItsInterpreterOnly)
{
    const QString app = scriptBundle(QStringLiteral("Waiting Script.app"),
                                     QStringLiteral("trap 'kill $!; exit 0' TERM\n"
                                                    "sleep 60 & wait\n"));
    const SerialNumber first = launch(app, launch::kDefaults);
    lingering_.append(first.pid());
    // Another program that merely names the script is no running copy.
    QProcess viewer;
    viewer.start(QStringLiteral("tail"),
                 {QStringLiteral("-f"), app + QStringLiteral("/Contents/MacOS/Waiting Script")});
    ASSERT_TRUE(viewer.waitForStarted());
    QThread::msleep(300);  // let the shell reach its wait

    EXPECT_EQ(runningCopiesOfBundle(app), QList<pid_t>{first.pid()});
    EXPECT_EQ(launch(app, launch::kDefaults), first);
    viewer.kill();
    viewer.waitForFinished();
}

TEST_F(LaunchingTest, DocumentsReachTheChosenApplicationAsArguments)
{
    const QString app = recorderBundle(desktop_.applications(), QStringLiteral("Opener.app"));
    const QString doc = desktop_.home() + QStringLiteral("/Report “final” ü.txt");
    QFile(doc).open(QIODevice::WriteOnly);
    const QList<QUrl> docs{
        QUrl::fromLocalFile(doc),
        QUrl(QStringLiteral("mailto:help@example.org?SUBJECT=Suggest%20a%20New%20Tool"))};
    LaunchParameters p;
    p.application = QUrl::fromLocalFile(app);
    p.environment = {QStringLiteral("CORVANE_COLOUR=chosen")};
    qputenv("CORVANE_COLOUR", "inherited");
    QList<SerialNumber> serials;
    ASSERT_EQ(openURLsWithRole(docs, roles::kAll, p, &serials), status::noErr);
    qunsetenv("CORVANE_COLOUR");
    ASSERT_EQ(serials.size(), 1);
    const auto record = test::waitForRecord(desktop_.recordFolder(), serials.at(0).pid());
    ASSERT_TRUE(record);
    EXPECT_EQ(record->corvaneEnvironment.value(QStringLiteral("CORVANE_COLOUR")),
              QStringLiteral("chosen"))
        << "a variable the caller gives must replace the inherited one";
    EXPECT_EQ(record->arguments.mid(1),
              (QStringList{doc, QStringLiteral(
                                    "mailto:help@example.org?SUBJECT=Suggest%20a%20New%20Tool")}));
}

TEST_F(LaunchingTest, DesktopEntriesRunTheirExecLineByItsFieldCodes)
{
    const QString work = desktop_.root() + QStringLiteral("/work dir ‘w’");
    QDir().mkpath(work);
    const QString perFile = desktop_.writeEntry(
        desktop_.userApplications(), QStringLiteral("perfile.desktop"),
        test::recorderEntry(QStringLiteral("Per File"), QStringLiteral("--single %f"),
                            QStringLiteral("Path=") + escapeDesktopValue(work) + u'\n'));
    const QString allAtOnce =
        desktop_.writeEntry(desktop_.userApplications(), QStringLiteral("all.desktop"),
                            test::recorderEntry(QStringLiteral("All"), QStringLiteral("%U")));
    const QList<QUrl> docs{QUrl::fromLocalFile(desktop_.home() + QStringLiteral("/a b.txt")),
                           QUrl::fromLocalFile(desktop_.home() + QStringLiteral("/c.txt"))};
    for (const QUrl& doc : docs)
        QFile(doc.toLocalFile()).open(QIODevice::WriteOnly);

    LaunchParameters p;
    p.application = QUrl::fromLocalFile(perFile);
    QList<SerialNumber> serials;
    ASSERT_EQ(openURLsWithRole(docs, roles::kAll, p, &serials), status::noErr);
    ASSERT_EQ(serials.size(), 2) << "%f starts one process per document";
    const auto first = test::waitForRecord(desktop_.recordFolder(), serials.at(0).pid());
    ASSERT_TRUE(first);
    EXPECT_EQ(first->arguments.mid(1),
              (QStringList{QStringLiteral("--single"), docs.at(0).toLocalFile()}));
    EXPECT_EQ(first->workingDirectory, work);

    p.application = QUrl::fromLocalFile(allAtOnce);
    serials.clear();
    ASSERT_EQ(openURLsWithRole(docs, roles::kAll, p, &serials), status::noErr);
    ASSERT_EQ(serials.size(), 1);
    const auto all = test::waitForRecord(desktop_.recordFolder(), serials.at(0).pid());
    ASSERT_TRUE(all);
    EXPECT_EQ(all->arguments.mid(1), (QStringList{docs.at(0).toString(QUrl::FullyEncoded),
                                                  docs.at(1).toString(QUrl::FullyEncoded)}));
    EXPECT_EQ(all->workingDirectory, desktop_.home());

    // Without a chosen application each document goes to its default.
    desktop_.writeMimeApps(QStringLiteral("[Default Applications]\ntext/plain=all.desktop\n"));
    serials.clear();
    ASSERT_EQ(openURLsWithRole(docs, roles::kAll, {}, &serials), status::noErr);
    ASSERT_EQ(serials.size(), 1) << "documents of one default application start it once";
}

TEST_F(LaunchingTest, WhatCannotRunIsAStatusWithAComment)
{
    const QString apps = desktop_.applications();
    const QString machO = BundleBuilder(apps, QStringLiteral("Universal.app")).build();
    const QString ppc =
        BundleBuilder(apps, QStringLiteral("Old.app"))
            .executableBytes(fixtures::elfExecutable(exe::kElfMachinePowerPC, false, true))
            .build();
    const QString words =
        BundleBuilder(apps, QStringLiteral("Words.app")).executableBytes("no program").build();
    const QString none = BundleBuilder(apps, QStringLiteral("Empty.app")).noExecutable().build();
    const QString locked = recorderBundle(apps, QStringLiteral("Locked.app"));
    QFile::setPermissions(locked + QStringLiteral("/Contents/MacOS/Locked"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QString folder = apps + QStringLiteral("/Plain Folder");
    QDir().mkpath(folder);
    const QString broken = desktop_.writeEntry(
        desktop_.userApplications(), QStringLiteral("broken.desktop"),
        QStringLiteral("[Desktop Entry]\nType=Application\nExec=no-such-program-anywhere %f\n"));

    const QList<std::pair<QString, OSStatus>> cases{
        {machO, status::kLSExecutableIncorrectFormat},
        {ppc, status::kLSExecutableIncorrectFormat},
        {words, status::kLSExecutableIncorrectFormat},
        {none, status::kLSNoExecutableErr},
        {locked, status::permErr},
        {folder, status::kLSNotAnApplicationErr},
        {apps + QStringLiteral("/Missing.app"), status::fnfErr},
        {broken, status::kLSNoExecutableErr},
    };
    for (const auto& [path, expected] : cases) {
        launch(path, launch::kDefaults, expected);
        EXPECT_FALSE(statusComment(expected).isEmpty()) << expected;
    }
    for (const LaunchRecord& r : launchedApplications()) {
        for (const auto& [path, expected] : cases)
            EXPECT_NE(r.applicationPath, path) << "a failed launch was recorded";
    }
}

TEST(RunningCopiesTest, CommandLinesCountOnlyWhereAScriptStands)
{
    const QString bundle = QStringLiteral("/Apps/Tool.app");
    const QString script = bundle + QStringLiteral("/Contents/MacOS/Tool");
    const auto cmd = [](std::initializer_list<const char*> args) {
        QByteArray line;
        for (const char* a : args)
            line += QByteArray(a) + '\0';
        return line;
    };
    EXPECT_TRUE(
        processRunsBundle(bundle + QStringLiteral("/Contents/MacOS/helper"), {}, bundle, {}));
    EXPECT_FALSE(
        processRunsBundle(QStringLiteral("/Apps/Tool.app2/Contents/MacOS/Tool"), {}, bundle, {}))
        << "a sibling whose name starts the same is another bundle";
    EXPECT_TRUE(processRunsBundle(QStringLiteral("/usr/bin/dash"),
                                  cmd({"/bin/sh", "/Apps/Tool.app/Contents/MacOS/Tool"}), bundle,
                                  script));
    EXPECT_TRUE(processRunsBundle(QStringLiteral("/usr/bin/python3"),
                                  cmd({"python3", "-u", "/Apps/Tool.app/Contents/MacOS/Tool"}),
                                  bundle, script));
    EXPECT_FALSE(processRunsBundle(QStringLiteral("/usr/bin/dash"),
                                   cmd({"sh", "-c", "x", "/Apps/Tool.app/Contents/MacOS/Tool"}),
                                   bundle, script));
    EXPECT_FALSE(processRunsBundle(QStringLiteral("/usr/bin/dash"),
                                   cmd({"/bin/sh", "/Apps/Tool.app/Contents/MacOS/Tool"}), bundle,
                                   QString()))
        << "a bundle whose executable is no script is never matched by command line";
}
