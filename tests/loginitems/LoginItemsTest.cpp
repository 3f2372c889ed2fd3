// Login items as autostart entries in a real, temporary configuration home:
// the list, finding and resolving without mounting anything, inserting last,
// removing, an entry that really starts its program "at login", and the
// change callback while another process edits the folder.
#include "platform/loginitems/LoginItems.h"
#include "platform/loginitems/LoginItemsWatcher.h"
#include "platform/registry/DesktopEntry.h"
#include "platform/registry/DesktopLaunch.h"
#include "platform/registry/LauncherIdentity.h"
#include "platform/registry/ProcessSpawn.h"
#include "platform/registry/XdgPaths.h"
#include "tests/fixtures/BundleBuilder.h"
#include "tests/registry/RegistryTestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

using namespace corvane;
using namespace corvane::loginitems;
using fixtures::BundleBuilder;

namespace {

class LoginItemsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(desktop_.isValid());
        autostart_ = registry::paths::autostartFolder();
        agent_ = BundleBuilder(desktop_.applications(), QStringLiteral("Corvane “Agent” é.app"))
                     .identifier(QStringLiteral("com.4086KTZ.Corvane-Agent"))
                     .executableBytes(registry::test::recorderBytes())
                     .build();
    }

    QStringList names() const
    {
        QStringList result;
        for (const LoginItem& item : loginItemsSnapshot())
            result.append(item.name);
        return result;
    }

    void writeForeign(const QString& fileName, const QString& text) const
    {
        desktop_.writeEntry(autostart_, fileName, text);
    }

    registry::test::TemporaryDesktop desktop_;
    QString autostart_;
    QString agent_;
};

// Runs a program with arguments in another process and waits for it.
void runElsewhere(const QString& program, const QStringList& arguments)
{
    QProcess p;
    p.start(program, arguments);
    ASSERT_TRUE(p.waitForFinished(10'000));
    ASSERT_EQ(p.exitCode(), 0) << program.toStdString();
}

}  // namespace

TEST_F(LoginItemsTest, AnInsertedItemStartsItsProgramAsALoginItem)
{
    EXPECT_FALSE(findLoginItem(QUrl::fromLocalFile(agent_)));
    LoginItem inserted;
    ASSERT_EQ(insertLoginItemLast(QUrl::fromLocalFile(agent_), &inserted), status::noErr);
    EXPECT_EQ(inserted.name, QStringLiteral("Corvane “Agent” é"));
    EXPECT_TRUE(inserted.entryPath.startsWith(autostart_ + u'/'));
    const auto found = findLoginItem(QUrl::fromLocalFile(agent_ + u'/'));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->entryPath, inserted.entryPath);
    EXPECT_EQ(resolveLoginItem(*found), agent_);

    // Start the entry the way the desktop does at login.
    const auto entry = registry::DesktopEntry::readFile(inserted.entryPath);
    ASSERT_TRUE(entry);
    QList<registry::DesktopCommand> commands;
    ASSERT_EQ(registry::desktopCommands(*entry, {}, &commands), status::noErr);
    ASSERT_EQ(commands.size(), 1);
    registry::SpawnRequest request;
    request.program = commands.at(0).program;
    request.arguments = commands.at(0).arguments;
    request.environment = registry::childEnvironment({});
    const registry::SpawnResult started = registry::spawnDetached(request);
    ASSERT_TRUE(started.started());
    const auto record = registry::test::waitForRecord(desktop_.recordFolder(), started.pid);
    ASSERT_TRUE(record) << "the entry's Exec line did not start the agent";
    const QString exe = agent_ + QStringLiteral("/Contents/MacOS/Corvane “Agent” é");
    EXPECT_EQ(record->arguments, QStringList{exe});
    QProcessEnvironment env;
    for (auto it = record->corvaneEnvironment.cbegin(); it != record->corvaneEnvironment.cend();
         ++it)
        env.insert(it.key(), it.value());
    EXPECT_EQ(registry::launcherIdentityFromEnvironment(env, record->pid, exe).kind,
              registry::LauncherIdentity::Kind::LoginWindow);
}

TEST_F(LoginItemsTest, ItemsKeepTheirOrderAndNewOnesGoLast)
{
    writeForeign(QStringLiteral("zz-foreign.desktop"),
                 QStringLiteral("[Desktop Entry]\nType=Application\nName=Foreign\nExec=true\n"));
    writeForeign(QStringLiteral("off.desktop"),
                 QStringLiteral("[Desktop Entry]\nType=Application\nName=Off\nExec=true\n"
                                "X-GNOME-Autostart-enabled=false\n"));
    writeForeign(QStringLiteral("hidden.desktop"),
                 QStringLiteral("[Desktop Entry]\nType=Application\nName=Hidden\nHidden=true\n"));
    const QString tool = BundleBuilder(desktop_.applications(), QStringLiteral("Tool.app"))
                             .executableBytes(registry::test::recorderBytes())
                             .build();
    ASSERT_EQ(insertLoginItemLast(QUrl::fromLocalFile(tool)), status::noErr);
    ASSERT_EQ(insertLoginItemLast(QUrl::fromLocalFile(agent_)), status::noErr);
    const QString viewer = desktop_.writeEntry(
        desktop_.userApplications(), QStringLiteral("viewer.desktop"),
        registry::test::recorderEntry(QStringLiteral("Viewer"), QStringLiteral("--quiet %U")));
    ASSERT_EQ(insertLoginItemLast(QUrl::fromLocalFile(viewer)), status::noErr);
    ASSERT_EQ(insertLoginItemLast(QUrl::fromLocalFile(registry::test::recorderProgram())),
              status::noErr);
    EXPECT_EQ(names(), (QStringList{QStringLiteral("Foreign"), QStringLiteral("Tool"),
                                    QStringLiteral("Corvane “Agent” é"), QStringLiteral("Viewer"),
                                    QStringLiteral("registry-test-recorder")}));
    const auto item = findLoginItem(QUrl::fromLocalFile(viewer));
    ASSERT_TRUE(item);
    EXPECT_EQ(resolveLoginItem(*item), viewer);
    const auto entry = registry::DesktopEntry::readFile(item->entryPath);
    EXPECT_TRUE(entry->value(QStringLiteral("Exec")).endsWith(QStringLiteral("\"--quiet\"")))
        << "the field code of the copied Exec line must not reach the login item";

    // Two items for one application are never made by a single insert, but a
    // second insert does add one: callers look first.
    ASSERT_EQ(insertLoginItemLast(QUrl::fromLocalFile(tool)), status::noErr);
    EXPECT_EQ(names().count(QStringLiteral("Tool")), 2);
    EXPECT_EQ(QDir(autostart_).entryList({QStringLiteral("*.desktop")}, QDir::Files, QDir::Name),
              (QStringList{QStringLiteral("Tool.app-2.desktop"), QStringLiteral("Tool.app.desktop"),
                           QStringLiteral("com.4086KTZ.Corvane-Agent.desktop"),
                           QStringLiteral("hidden.desktop"), QStringLiteral("off.desktop"),
                           QStringLiteral("registry-test-recorder.desktop"),
                           QStringLiteral("viewer.desktop"), QStringLiteral("zz-foreign.desktop")}))
        << "entries are named after the identifier, else the file; a taken name is not reused";
}

TEST_F(LoginItemsTest, ForeignEntriesResolveToTheBundleTheyStart)
{
    const QString exe = agent_ + QStringLiteral("/Contents/MacOS/Corvane “Agent” é");
    writeForeign(QStringLiteral("by-hand.desktop"),
                 QStringLiteral("[Desktop Entry]\nType=Application\nName=By Hand\nExec=env A=1 ") +
                     registry::escapeDesktopValue(registry::quoteExecArgument(exe)) +
                     QStringLiteral(" --background\n"));
    writeForeign(QStringLiteral("gone.desktop"),
                 QStringLiteral("[Desktop Entry]\nType=Application\nName=Gone\nExec=true\n"
                                "X-Corvane-Location=/media/nobody/Unmounted Disk/Gone.app\n"));
    writeForeign(QStringLiteral("broken.desktop"),
                 QStringLiteral("[Desktop Entry]\nType=Application\nName=Broken\nExec=\"open\n"));

    const auto item = findLoginItem(QUrl::fromLocalFile(agent_));
    ASSERT_TRUE(item) << "the bundle of an Exec program was not recognised";
    EXPECT_EQ(item->name, QStringLiteral("By Hand"));
    for (const LoginItem& i : loginItemsSnapshot()) {
        if (i.name != QStringLiteral("By Hand")) {
            EXPECT_FALSE(resolveLoginItem(i)) << i.name.toStdString();
        }
    }

    ASSERT_EQ(removeLoginItem(*item), status::noErr);
    EXPECT_FALSE(QFile::exists(item->entryPath));
    EXPECT_FALSE(findLoginItem(QUrl::fromLocalFile(agent_)));
    EXPECT_EQ(removeLoginItem(*item), status::noErr) << "removing twice is no error";
}

TEST_F(LoginItemsTest, OnlyApplicationsCanBeAddedAndOnlyEntriesRemoved)
{
    const QString outside = desktop_.home() + QStringLiteral("/precious.desktop");
    desktop_.writeEntry(desktop_.home(), QStringLiteral("precious.desktop"),
                        QStringLiteral("[Desktop Entry]\nType=Application\nExec=true\n"));
    EXPECT_EQ(removeLoginItem({outside, QStringLiteral("x"), 0}), status::paramErr);
    EXPECT_EQ(removeLoginItem(
                  {autostart_ + QStringLiteral("/../precious.desktop"), QStringLiteral("x"), 0}),
              status::paramErr);
    EXPECT_TRUE(QFile::exists(outside)) << "a file outside the autostart folder was removed";

    EXPECT_EQ(insertLoginItemLast(QUrl::fromLocalFile(desktop_.home() + QStringLiteral("/no.app"))),
              status::fnfErr);
    EXPECT_EQ(insertLoginItemLast(QUrl::fromLocalFile(desktop_.home())),
              status::kLSNotAnApplicationErr);
    EXPECT_EQ(insertLoginItemLast(QUrl(QStringLiteral("https://example.org/"))), status::paramErr);
    const QString empty =
        BundleBuilder(desktop_.applications(), QStringLiteral("Empty.app")).noExecutable().build();
    EXPECT_EQ(insertLoginItemLast(QUrl::fromLocalFile(empty)), status::kLSNoExecutableErr);
    EXPECT_TRUE(loginItemsSnapshot().isEmpty());
}

TEST_F(LoginItemsTest, TheCallbackHearsAnotherProgramChangeTheFolder)
{
    registry::test::ensureApplication();
    ASSERT_FALSE(QFileInfo::exists(autostart_));
    LoginItemsWatcher watcher;
    int calls = 0;
    const int token = watcher.addCallback([&] { ++calls; });
    const QString source = desktop_.writeEntry(
        desktop_.root(), QStringLiteral("entry ‘src’.desktop"),
        QStringLiteral("[Desktop Entry]\nType=Application\nName=Other\nExec=true\n"));
    const QString target = autostart_ + QStringLiteral("/other “x”.desktop");

    runElsewhere(QStringLiteral("mkdir"), {QStringLiteral("-p"), autostart_});
    runElsewhere(QStringLiteral("cp"), {source, target});
    ASSERT_TRUE(registry::test::spinUntil([&] { return calls > 0 && names().size() == 1; }))
        << "creating the folder and an entry went unnoticed";

    calls = 0;
    runElsewhere(QStringLiteral("sh"),
                 {QStringLiteral("-c"), QStringLiteral("printf 'Hidden=true\\n' >> \"$1\""),
                  QStringLiteral("sh"), target});
    ASSERT_TRUE(registry::test::spinUntil([&] { return calls > 0; }))
        << "an entry rewritten in place went unnoticed";
    EXPECT_TRUE(names().isEmpty());

    calls = 0;
    runElsewhere(QStringLiteral("rm"), {target});
    ASSERT_TRUE(registry::test::spinUntil([&] { return calls > 0; })) << "a removal went unnoticed";

    watcher.removeCallback(token);
    calls = 0;
    runElsewhere(QStringLiteral("cp"), {source, target});
    registry::test::spinUntil([] { return false; }, 3 * LoginItemsWatcher::kSettleMilliseconds);
    EXPECT_EQ(calls, 0) << "a removed callback was still called";
}
