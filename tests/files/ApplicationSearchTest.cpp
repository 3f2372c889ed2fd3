// The application-bundle search on real trees: what qualifies, what is never
// followed, and trees that change, nest deeply or hold other mounts.
#include "platform/files/ApplicationSearch.h"
#include "platform/files/Volumes.h"

#include "tests/fixtures/QtPrinting.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <csignal>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace corvane;
using namespace corvane::files;

namespace {

class ApplicationSearchTest : public ::testing::Test {
protected:
    QString make(const QString& relative)
    {
        const QString path = root_.filePath(relative);
        EXPECT_TRUE(QDir().mkpath(path)) << path.toStdString();
        return path;
    }
    void touch(const QString& relative)
    {
        QFile f(root_.filePath(relative));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QStringList search(const QString& where, OSStatus expected = status::noErr)
    {
        QStringList found;
        const SearchResult r = findApplicationBundles(where, found);
        EXPECT_EQ(r.status, expected);
        found.sort();
        return found;
    }
    QStringList expected(QStringList relatives)
    {
        for (QString& r : relatives)
            r = root_.filePath(r);
        relatives.sort();
        return relatives;
    }

    QTemporaryDir root_{QDir::tempPath() + QStringLiteral("/search “root” é XXXXXX")};
};

}  // namespace

TEST_F(ApplicationSearchTest, FindsBundlesEverywhereButOnlyByTheirExactSuffix)
{
    make(QStringLiteral("Mail.app/Contents/MacOS"));
    make(QStringLiteral("Mail.app/Contents/Applications/Uploader.app/Contents"));
    make(QStringLiteral("Utilities/Disk Mender.app"));
    make(QStringLiteral(".hidden/Secret.app"));
    make(QStringLiteral("Plugins.bundle/Contents/Resources/Inner.app"));
    make(QStringLiteral("Café Notes.app"));
    make(QStringLiteral(".app"));           // no name before the suffix
    make(QStringLiteral("Shouting.APP"));   // suffix in the wrong case
    make(QStringLiteral("Backup.app.old"));
    touch(QStringLiteral("Document.app"));  // a file, not a folder
    EXPECT_EQ(search(root_.path()),
              expected({QStringLiteral("Mail.app"), QStringLiteral("Mail.app/Contents/Applications/Uploader.app"),
                        QStringLiteral("Utilities/Disk Mender.app"), QStringLiteral(".hidden/Secret.app"),
                        QStringLiteral("Plugins.bundle/Contents/Resources/Inner.app"),
                        QStringLiteral("Café Notes.app")}));
    // The root itself is never a result, even when it is a bundle.
    EXPECT_EQ(search(root_.filePath(QStringLiteral("Mail.app"))),
              expected({QStringLiteral("Mail.app/Contents/Applications/Uploader.app")}));
}

TEST_F(ApplicationSearchTest, SymbolicLinksAreNeverFollowed)
{
    QTemporaryDir outside;
    ASSERT_TRUE(QDir().mkpath(outside.filePath(QStringLiteral("Elsewhere.app"))));
    make(QStringLiteral("Real.app"));
    ASSERT_TRUE(QFile::link(outside.path(), root_.filePath(QStringLiteral("link to outside"))));
    ASSERT_TRUE(QFile::link(root_.filePath(QStringLiteral("Real.app")), root_.filePath(QStringLiteral("Alias.app"))));
    ASSERT_TRUE(QFile::link(root_.path(), root_.filePath(QStringLiteral("loop"))));
    EXPECT_EQ(search(root_.path()), expected({QStringLiteral("Real.app")}));
    // A root given through a link is not searched either.
    search(root_.filePath(QStringLiteral("link to outside")), status::dirNFErr);
}

TEST_F(ApplicationSearchTest, MissingRootsGiveAStatus)
{
    search(root_.filePath(QStringLiteral("missing")), status::fnfErr);
    touch(QStringLiteral("plain file"));
    search(root_.filePath(QStringLiteral("plain file")), status::dirNFErr);
}

TEST_F(ApplicationSearchTest, DeepTreesAreWalkedToTheBottom)
{
    // Deeper than the walker keeps descriptors open for, and with siblings at
    // every level so folders are reopened by path below that depth.
    QString relative;
    for (int i = 0; i < 300; ++i) {
        relative += QStringLiteral("d/");
        make(relative + QStringLiteral("Level%1.app").arg(i));
    }
    const QStringList found = search(root_.path());
    EXPECT_EQ(found.size(), 300);
    EXPECT_TRUE(found.contains(root_.filePath(relative + QStringLiteral("Level299.app"))));

    QStringList limited;
    SearchOptions options;
    options.maxDepth = 10;
    findApplicationBundles(root_.path(), limited, options);
    EXPECT_EQ(limited.size(), 10);
}

TEST_F(ApplicationSearchTest, ProgressIsReported)
{
    for (int i = 0; i < 5000; ++i)
        make(QStringLiteral("f%1/x%2.app").arg(i % 50).arg(i));
    std::vector<SearchProgress> reports;
    SearchOptions options;
    options.progress = [&](const SearchProgress& p) { reports.push_back(p); };
    QStringList found;
    const SearchResult r = findApplicationBundles(root_.path(), found, options);
    EXPECT_EQ(found.size(), 5000);
    EXPECT_EQ(r.totals.bundlesFound, 5000u);
    EXPECT_EQ(r.totals.foldersRead, 5051u);
    ASSERT_FALSE(reports.empty());
    EXPECT_LE(reports.back().foldersRead, r.totals.foldersRead);
}

TEST_F(ApplicationSearchTest, FoldersVanishingDuringTheSearchAreSkipped)
{
    for (int i = 0; i < 200; ++i)
        make(QStringLiteral("churn/%1/Stable.app").arg(i));
    make(QStringLiteral("Keeper.app"));
    std::atomic<bool> stop{false};
    std::thread churn([&] {
        for (int round = 0; !stop; ++round) {
            const QString path = root_.filePath(QStringLiteral("churn/%1").arg(round % 200));
            QDir(path).removeRecursively();
            QDir().mkpath(path + QStringLiteral("/Stable.app"));
        }
    });
    for (int i = 0; i < 20; ++i) {
        const QStringList found = search(root_.path());
        EXPECT_TRUE(found.contains(root_.filePath(QStringLiteral("Keeper.app"))));
        EXPECT_LE(found.size(), 201);
    }
    stop = true;
    churn.join();
}

TEST_F(ApplicationSearchTest, OtherMountsAreNotEntered)
{
    make(QStringLiteral("Before.app"));
    const QString mountPoint = make(QStringLiteral("mounted volume"));
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A private mount namespace, so nothing leaks to the machine.
        ::close(pipeFds[0]);
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("none", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, nullptr) != 0)
            ::_exit(77);
        QDir().mkpath(mountPoint + QStringLiteral("/Inside.app"));
        QStringList found;
        findApplicationBundles(root_.path(), found);
        QStringList inside;
        findApplicationBundles(mountPoint, inside);
        const QByteArray report = (found.join(u'\n') + QStringLiteral("\n--\n") + inside.join(u'\n')).toUtf8();
        (void)!::write(pipeFds[1], report.constData(), static_cast<size_t>(report.size()));
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    QByteArray report;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, n);
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "cannot mount a file system here (needs a private mount namespace)";
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const QStringList parts = QString::fromUtf8(report).split(QStringLiteral("\n--\n"));
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(parts[0], root_.filePath(QStringLiteral("Before.app"))) << parts[0].toStdString();
    EXPECT_EQ(parts[1], mountPoint + QStringLiteral("/Inside.app")) << "a search rooted on the mount searches it";
}

TEST(Volumes, MountInfoLinesAndTheStartupVolume)
{
    const auto v = parseMountInfoLine(
        "36 35 98:0 /mnt1 /mnt/My\\040Disk rw,noatime master:1 - ext3 /dev/root rw,errors=continue");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->mountPoint, QStringLiteral("/mnt/My Disk"));
    EXPECT_EQ(v->fileSystemType, QStringLiteral("ext3"));
    EXPECT_EQ(v->source, QStringLiteral("/dev/root"));
    EXPECT_FALSE(parseMountInfoLine("36 35 98:0 /mnt1"));
    EXPECT_FALSE(parseMountInfoLine(""));
    EXPECT_FALSE(parseMountInfoLine("a b c d relative rw - x y z"));

    const QList<Volume> volumes = mountedVolumes();
    ASSERT_FALSE(volumes.isEmpty());
    EXPECT_TRUE(volumes.first().isStartup);
    EXPECT_EQ(volumes.first().mountPoint, QStringLiteral("/"));
    for (const Volume& vol : volumes)
        EXPECT_NE(vol.fileSystemType, QStringLiteral("proc"));
    const auto home = volumeContaining(QDir::tempPath());
    ASSERT_TRUE(home);
    EXPECT_TRUE(QDir::tempPath().startsWith(home->mountPoint) || home->mountPoint == u'/');
    EXPECT_FALSE(volumeContaining(QStringLiteral("/no/such/path")));
    EXPECT_EQ(startupVolume().name(), volumes.first().name());
}
