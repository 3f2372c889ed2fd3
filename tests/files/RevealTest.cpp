// Reveal and open-URL against a real session bus and real programs: a file
// manager on the bus gets the items; without one, the folders open with the
// desktop's folder handler; web and mail addresses reach their handlers
// unchanged.
#include "platform/files/OpenURL.h"
#include "platform/files/Reveal.h"
#include "tests/registry/RegistryTestSupport.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QProcess>

using namespace corvane;
using namespace corvane::files;
namespace test = corvane::registry::test;

namespace {

const QString kFileManager = QStringLiteral("org.freedesktop.FileManager1");

bool fileManagerOnBus()
{
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(kFileManager).value();
}

class RevealTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
            GTEST_SKIP() << "no session bus (DBUS_SESSION_BUS_ADDRESS is not set)";
        ASSERT_TRUE(desktop_.isValid());
        test::ensureApplication();
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected());
        folderA_ = desktop_.home() + QStringLiteral("/Folder ‘A’ é");
        folderB_ = desktop_.home() + QStringLiteral("/Folder \"B\"");
        for (const QString& f : {folderA_, folderB_})
            QDir().mkpath(f);
        items_ = {QUrl::fromLocalFile(folderA_ + QStringLiteral("/one #1.txt")),
                  QUrl::fromLocalFile(folderA_ + QStringLiteral("/two?.txt")),
                  QUrl::fromLocalFile(folderB_ + QStringLiteral("/Tool.app")),
                  QUrl(QStringLiteral("https://example.org/not-a-file"))};
    }

    // A folder handler that records what it is asked to open.
    void installFolderHandler()
    {
        desktop_.writeEntry(desktop_.userApplications(), QStringLiteral("folders.desktop"),
                            test::recorderEntry(QStringLiteral("Folders"), QStringLiteral("%U"),
                                                QStringLiteral("MimeType=inode/directory;\n")));
    }

    RevealOutcome reveal(const QList<QUrl>& items)
    {
        std::optional<RevealOutcome> outcome;
        revealInFileManager(items, [&](RevealOutcome o) { outcome = o; });
        EXPECT_TRUE(test::spinUntil([&] { return outcome.has_value(); }, 15'000));
        return outcome.value_or(RevealOutcome::Failed);
    }

    test::TemporaryDesktop desktop_;
    QString folderA_;
    QString folderB_;
    QList<QUrl> items_;
};

}  // namespace

TEST_F(RevealTest, TheFileManagerOnTheBusIsAskedToShowTheFiles)
{
    const QString log = desktop_.root() + QStringLiteral("/shown.txt");
    QProcess manager;
    manager.start(QStringLiteral(CORVANE_TEST_FILE_MANAGER), {log, QStringLiteral("60")});
    ASSERT_TRUE(manager.waitForStarted());
    ASSERT_TRUE(test::spinUntil(fileManagerOnBus)) << "the stand-in file manager did not register";
    installFolderHandler();

    EXPECT_EQ(reveal(items_), RevealOutcome::ShownByFileManager);
    ASSERT_TRUE(test::spinUntil([&] { return QFile(log).size() > 0; }));
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(f.readAll()),
              items_.at(0).toString(QUrl::FullyEncoded) + u'\n' +
                  items_.at(1).toString(QUrl::FullyEncoded) + u'\n' +
                  items_.at(2).toString(QUrl::FullyEncoded) + QStringLiteral("\n\n"))
        << "the file manager must get the file URLs, encoded, and nothing else";
    EXPECT_TRUE(test::waitForRecords(desktop_.recordFolder(), 1, 300).isEmpty())
        << "the fallback ran although the file manager answered";
    manager.terminate();
    manager.waitForFinished();
}

TEST_F(RevealTest, WithoutAFileManagerTheFoldersOpen)
{
    ASSERT_FALSE(fileManagerOnBus()) << "another program owns " << kFileManager.toStdString();
    EXPECT_EQ(reveal(items_), RevealOutcome::Failed) << "no folder handler either";

    installFolderHandler();
    EXPECT_EQ(reveal(items_), RevealOutcome::OpenedFolders);
    const QList<test::Record> records = test::waitForRecords(desktop_.recordFolder(), 2);
    QStringList opened;
    for (const test::Record& r : records)
        opened += r.arguments.mid(1);
    opened.sort();
    QStringList expected{QUrl::fromLocalFile(folderA_).toString(QUrl::FullyEncoded),
                         QUrl::fromLocalFile(folderB_).toString(QUrl::FullyEncoded)};
    expected.sort();
    EXPECT_EQ(opened, expected) << "each folder once, for two files in one of them";

    EXPECT_EQ(reveal({QUrl(QStringLiteral("mailto:a@example.org"))}), RevealOutcome::NothingToShow);
}

TEST(OpenURLTest, AddressesReachTheirHandlerUnchanged)
{
    test::TemporaryDesktop desktop;
    ASSERT_TRUE(desktop.isValid());
    desktop.writeEntry(desktop.userApplications(), QStringLiteral("mail.desktop"),
                       test::recorderEntry(QStringLiteral("Mail"), QStringLiteral("--compose %u"),
                                           QStringLiteral("MimeType=x-scheme-handler/mailto;\n")));
    const QUrl mail(QStringLiteral("mailto:support@example.org?SUBJECT=Suggest%20a%20New%20Tool"));
    ASSERT_EQ(openURL(mail), status::noErr);
    const QList<test::Record> records = test::waitForRecords(desktop.recordFolder(), 1);
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records.at(0).arguments.mid(1),
              (QStringList{
                  QStringLiteral("--compose"),
                  QStringLiteral("mailto:support@example.org?SUBJECT=Suggest%20a%20New%20Tool")}));
    EXPECT_EQ(openURL(QUrl(QStringLiteral("relative/path"))), status::paramErr);
}

TEST(OpenURLTest, WithoutAHandlerXdgOpenIsAskedWhenThereIsOne)
{
    test::TemporaryDesktop desktop;
    ASSERT_TRUE(desktop.isValid());
    const QByteArray path = qgetenv("PATH");
    const QString bin = desktop.root() + QStringLiteral("/bin");
    QDir().mkpath(bin);
    qputenv("PATH", QFile::encodeName(bin));
    const QUrl page(QStringLiteral("https://example.org/download?x=1&y=%C3%A9"));
    EXPECT_EQ(openURL(page), status::kLSApplicationNotFoundErr);

    QFile opener(bin + QStringLiteral("/xdg-open"));
    ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
    opener.write("#!/bin/sh\nexec '" + QFile::encodeName(test::recorderProgram()) + "' \"$@\"\n");
    opener.close();
    opener.setPermissions(opener.permissions() | QFileDevice::ExeOwner);
    EXPECT_EQ(openURL(page), status::noErr);
    qputenv("PATH", path);
    const QList<test::Record> records = test::waitForRecords(desktop.recordFolder(), 1);
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records.at(0).arguments.mid(1), QStringList{page.toString(QUrl::FullyEncoded)});
}
