// The "Go" menu's folders: cut at packages and depth limits, merged, titled
// and sorted.
#include "survey/engine/FolderList.h"

#include "tests/fixtures/QtPrinting.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

using namespace corvane::survey;

namespace {

QStringList paths(const QList<FolderItem>& items)
{
    QStringList out;
    for (const FolderItem& i : items)
        out << i.path;
    return out;
}

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);

}  // namespace

TEST(FolderList, ApplicationsInsideApplicationsFileUnderTheOutermost)
{
    const QStringList bundles{
        QStringLiteral("/Applications/Mail.app"),
        QStringLiteral("/Applications/Utilities/Terminal.app"),
        QStringLiteral("/Applications/Xcode.app/Contents/Applications/Instruments.app"),
        QStringLiteral("/Library/Frameworks/Kit.framework/Versions/A/Helper.app"),
        QStringLiteral("/Users/me/Apps/Games/Arcade/Retro/Foo.app"),
    };
    EXPECT_EQ(paths(buildFolderList(bundles, FolderLayout::startupVolume(), &kEnglish)),
              (QStringList{QStringLiteral("/Applications"), QStringLiteral("/Applications/Utilities"),
                           QStringLiteral("/Library/Frameworks"), QStringLiteral("/Users/me/Apps")}));
}

TEST(FolderList, PackagesCutOnlyWhenTheyArePackages)
{
    // Folders right below a two-component temporary folder, so the cut
    // falls within the startup volume's depth limit.
    QTemporaryDir dir(QStringLiteral("/tmp/folders-XXXXXX"));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("Plug.bundle/Contents/Tool.app"))));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("conf.d/Tool.app"))));
    const FolderLayout layout = FolderLayout::startupVolume();
    EXPECT_EQ(shortenedFolder(dir.filePath(QStringLiteral("Plug.bundle/Contents/Tool.app")), layout), dir.path())
        << "a .bundle folder is a package: cut there";
    EXPECT_EQ(shortenedFolder(dir.filePath(QStringLiteral("conf.d/Tool.app")), layout),
              dir.filePath(QStringLiteral("conf.d")))
        << "a plain folder ending in .d is no package";
    EXPECT_EQ(shortenedFolder(dir.filePath(QStringLiteral("Missing.bundle/Tool.app")), layout),
              dir.filePath(QStringLiteral("Missing.bundle")))
        << "a .bundle name that is no folder is no package";
}

TEST(FolderList, OtherVolumesTitleWithoutTheirMountPoint)
{
    const FolderLayout disk = FolderLayout::mountedAt(QStringLiteral("/Volumes/Disk"));
    EXPECT_EQ(disk.firstExamined(), 3);
    EXPECT_EQ(disk.depthLimit(), 6);
    const auto items = buildFolderList({QStringLiteral("/Volumes/Disk/Applications/Tool.app"),
                                        QStringLiteral("/Volumes/Disk/Root.app"),
                                        QStringLiteral("/Volumes/Disk/a/b/c/d/e/Deep.app")},
                                       disk, &kEnglish);
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0].path, QStringLiteral("/Volumes/Disk"));
    EXPECT_EQ(items[0].title, QStringLiteral("/")) << "the volume's own root";
    EXPECT_EQ(items[1].path, QStringLiteral("/Volumes/Disk/a/b/c"));
    EXPECT_EQ(items[1].title, QStringLiteral("/a/b/c"));
    EXPECT_EQ(items[2].title, QStringLiteral("/Applications"));

    const FolderLayout media = FolderLayout::mountedAt(QStringLiteral("/media/me/USB Stick"));
    EXPECT_EQ(buildFolderList({QStringLiteral("/media/me/USB Stick/Apps/X.app")}, media, &kEnglish).first().title,
              QStringLiteral("/Apps"));
}

TEST(FolderList, SortedInFinderOrderOrKeptAsCollected)
{
    const QStringList bundles{QStringLiteral("/Apps 10/A.app"), QStringLiteral("/apps 2/B.app"),
                              QStringLiteral("/Apps 10/C.app"), QStringLiteral("/Zed/D.app")};
    EXPECT_EQ(paths(buildFolderList(bundles, FolderLayout::startupVolume(), &kEnglish)),
              (QStringList{QStringLiteral("/apps 2"), QStringLiteral("/Apps 10"), QStringLiteral("/Zed")}));
    EXPECT_EQ(paths(buildFolderList(bundles, FolderLayout::startupVolume(), nullptr)),
              (QStringList{QStringLiteral("/Apps 10"), QStringLiteral("/apps 2"), QStringLiteral("/Zed")}));
    EXPECT_TRUE(buildFolderList({}, FolderLayout::startupVolume(), &kEnglish).isEmpty());
    EXPECT_EQ(paths(buildFolderList({QStringLiteral("/Root.app")}, FolderLayout::startupVolume(), &kEnglish)),
              QStringList{QStringLiteral("/")});
}
