// Registered applications, look-up by identifier and name, item information
// and display names, against real bundles and desktop entries in an isolated
// home.
#include "platform/bundles/ExecutableFormats.h"
#include "platform/registry/ApplicationRegistry.h"
#include "platform/registry/ItemInfo.h"
#include "tests/fixtures/BundleBuilder.h"
#include "tests/fixtures/Executables.h"
#include "tests/registry/RegistryTestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

using namespace corvane;
using namespace corvane::registry;
using fixtures::BundleBuilder;

namespace {

class ApplicationRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(desktop_.isValid()); }

    QStringList registeredPaths() const
    {
        QStringList paths;
        for (const QUrl& url : allApplicationURLs())
            paths.append(url.toLocalFile());
        return paths;
    }

    ItemInfoFlags flagsOf(const QString& path, RequestedInfo which = request::kAppTypeFlags) const
    {
        ItemInfo info;
        EXPECT_EQ(itemInfoForURL(QUrl::fromLocalFile(path), which, &info), status::noErr) << path;
        return info.flags;
    }

    test::TemporaryDesktop desktop_;
};

}  // namespace

TEST_F(ApplicationRegistryTest, FindsBundlesAtAnyDepthButNeverFollowsLinks)
{
    const QString apps = desktop_.applications();
    const QString outer = BundleBuilder(apps, QStringLiteral("Outer.app")).build();
    const QString nested =
        BundleBuilder(outer + QStringLiteral("/Contents/Applications"), QStringLiteral("Inner.app"))
            .build();
    const QString deep =
        BundleBuilder(apps + QStringLiteral("/Utilities/Tools ‘x’"), QStringLiteral("Deep.APP"))
            .build();
    QDir().mkpath(apps + QStringLiteral("/.app"));
    QDir().mkpath(apps + QStringLiteral("/Folder"));
    QFile::link(apps, apps + QStringLiteral("/Folder/loop"));
    QFile::link(outer, apps + QStringLiteral("/Folder/Alias.app"));

    const QStringList paths = registeredPaths();
    EXPECT_TRUE(paths.contains(outer));
    EXPECT_TRUE(paths.contains(nested)) << "bundles inside bundles count";
    EXPECT_TRUE(paths.contains(deep));
    EXPECT_FALSE(paths.contains(apps + QStringLiteral("/.app")));
    EXPECT_FALSE(paths.contains(apps + QStringLiteral("/Folder/Alias.app")))
        << "a link to a registered bundle is the same application";
    EXPECT_EQ(paths.count(outer), 1);
    EXPECT_EQ(paths.filter(QStringLiteral("/loop/")).size(), 0) << "a link loop was followed";
}

TEST_F(ApplicationRegistryTest, DesktopEntriesFollowTheirFoldersPrecedence)
{
    desktop_.writeEntry(
        desktop_.systemApplications(), QStringLiteral("viewer.desktop"),
        QStringLiteral("[Desktop Entry]\nType=Application\nName=System\nExec=true\n"));
    const QString own = desktop_.writeEntry(
        desktop_.userApplications(), QStringLiteral("viewer.desktop"),
        QStringLiteral("[Desktop Entry]\nType=Application\nName=Mine\nExec=true\n"));
    const QString vendor = desktop_.writeEntry(
        desktop_.systemApplications(), QStringLiteral("kde/editor.desktop"),
        QStringLiteral("[Desktop Entry]\nType=Application\nName=Editor\nExec=true\n"));
    for (const auto& [name, text] :
         {std::pair{"hidden.desktop",
                    "[Desktop Entry]\nType=Application\nHidden=true\nExec=true\n"},
          std::pair{"link.desktop", "[Desktop Entry]\nType=Link\nURL=https://example.org\n"},
          std::pair{"absent.desktop",
                    "[Desktop Entry]\nType=Application\nTryExec=no-such-program-here\nExec=x\n"}})
        desktop_.writeEntry(desktop_.userApplications(), QString::fromLatin1(name),
                            QString::fromLatin1(text));

    const QList<RegisteredApplication> entries = registeredDesktopEntries();
    QStringList ids;
    for (const RegisteredApplication& e : entries)
        ids.append(e.desktopFileId());
    EXPECT_EQ(
        ids, (QStringList{QStringLiteral("viewer.desktop"), QStringLiteral("kde-editor.desktop")}));
    EXPECT_EQ(entries.value(0).path, own) << "the user's entry hides the system's";
    EXPECT_EQ(entries.value(1).path, vendor);
    EXPECT_TRUE(registeredPaths().contains(own));

    ItemInfo info;
    ASSERT_EQ(itemInfoForURL(QUrl::fromLocalFile(own), request::kAllFlags, &info), status::noErr);
    EXPECT_EQ(info.flags & item::kNativeApplicationPackageMask, item::kIsApplication)
        << "a desktop entry is an application but no package: the survey must skip it";
    QString name;
    ASSERT_EQ(displayNameForURL(QUrl::fromLocalFile(own), &name), status::noErr);
    EXPECT_EQ(name, QStringLiteral("Mine"));
}

TEST_F(ApplicationRegistryTest, LooksUpByIdentifierThenFileNameThenVersion)
{
    const QString apps = desktop_.applications();
    const QString old = BundleBuilder(apps + QStringLiteral("/a"), QStringLiteral("Pulsewick.app"))
                            .identifier(QStringLiteral("com.4086KTZ.Pulsewick"))
                            .version(QStringLiteral("9"))
                            .build();
    const QString newer = BundleBuilder(apps + QStringLiteral("/b"), QStringLiteral("PW.app"))
                              .identifier(QStringLiteral("com.4086ktz.pulsewick"))
                              .version(QStringLiteral("10"))
                              .build();
    QUrl found;
    ASSERT_EQ(findApplication(QStringLiteral("com.4086KTZ.Pulsewick"), QString(), &found),
              status::noErr);
    EXPECT_EQ(found.toLocalFile(), newer) << "10 is newer than 9, and identifiers ignore case";
    ASSERT_EQ(findApplication(QStringLiteral("com.4086KTZ.Pulsewick"),
                              QStringLiteral("Pulsewick.app"), &found),
              status::noErr);
    EXPECT_EQ(found.toLocalFile(), old) << "the file name decides among copies";
    ASSERT_EQ(findApplication(QString(), QStringLiteral("PW.app"), &found), status::noErr);
    EXPECT_EQ(found.toLocalFile(), newer);

    found = QUrl(QStringLiteral("file:///untouched"));
    EXPECT_EQ(findApplication(QStringLiteral("com.atPurpose.atMonitor"), QString(), &found),
              status::kLSApplicationNotFoundErr);
    EXPECT_EQ(found, QUrl(QStringLiteral("file:///untouched")));
    EXPECT_EQ(findApplication(QString(), QString(), &found), status::paramErr);
}

TEST_F(ApplicationRegistryTest, BundlesAskedAboutOrLaunchedAreRegistered)
{
    const QString elsewhere = desktop_.root() + QStringLiteral("/Volumes/Data ü");
    const QString asked = BundleBuilder(elsewhere, QStringLiteral("Asked.app")).build();
    const QString remembered = BundleBuilder(elsewhere, QStringLiteral("Remembered.app")).build();
    EXPECT_FALSE(registeredPaths().contains(asked));
    flagsOf(asked);
    EXPECT_TRUE(registeredPaths().contains(asked)) << "item information registers for the process";
    registerApplication(remembered, true);
    EXPECT_TRUE(isRegisteredApplication(remembered));
    QDir(remembered).removeRecursively();
    EXPECT_FALSE(registeredPaths().contains(remembered)) << "a vanished bundle stays registered";
}

TEST_F(ApplicationRegistryTest, ItemFlagsTellNativeApplicationPackagesApart)
{
    using namespace item;
    const QString apps = desktop_.applications();
    const QString machO = BundleBuilder(apps, QStringLiteral("Universal.app"))
                              .set(QStringLiteral("NSAppleScriptEnabled"), plist::Value(true))
                              .build();
    const QString elf = BundleBuilder(apps, QStringLiteral("Native.app"))
                            .executableBytes(fixtures::elfExecutable(exe::kElfMachineX86_64, true))
                            .build();
    const QString script = BundleBuilder(apps, QStringLiteral("Script.app"))
                               .executableBytes(fixtures::shellScript())
                               .build();
    const QString text =
        BundleBuilder(apps, QStringLiteral("Text.app")).executableBytes("just words").build();
    const QString none = BundleBuilder(apps, QStringLiteral("Empty.app")).noExecutable().build();
    const QString plugin = BundleBuilder(apps, QStringLiteral("Filter.plugin")).build();

    for (const QString& app : {machO, elf, script})
        EXPECT_EQ(flagsOf(app) & kNativeApplicationPackageMask, kNativeApplicationPackageMask)
            << app;
    EXPECT_TRUE(flagsOf(machO) & kAppIsScriptable);
    EXPECT_TRUE(flagsOf(machO) & kExtensionIsHidden);
    for (const QString& app : {text, none}) {
        EXPECT_EQ(flagsOf(app) & (kIsPackage | kIsApplication | kIsContainer),
                  kIsPackage | kIsApplication | kIsContainer);
        EXPECT_FALSE(flagsOf(app) & (kIsNativeApp | kPrivateNativeCode)) << app;
    }
    EXPECT_EQ(flagsOf(plugin) & (kIsPackage | kIsApplication), kIsPackage);
    EXPECT_EQ(flagsOf(machO, request::kBasicFlagsOnly) & (kIsNativeApp | kPrivateRegistered), 0u)
        << "basic flags only were asked for";

    const QString link = apps + QStringLiteral("/Link to Native.app");
    QFile::link(elf, link);
    EXPECT_EQ(flagsOf(link) & (kIsSymlink | kIsNativeApp), kIsSymlink | kIsNativeApp);
    EXPECT_EQ(flagsOf(elf + QStringLiteral("/Contents/Info.plist")) & (kIsPlainFile | kIsContainer),
              kIsPlainFile);
    const QString hidden = apps + QStringLiteral("/.hidden");
    QDir().mkpath(hidden);
    EXPECT_EQ(flagsOf(hidden) & (kIsInvisible | kIsContainer | kIsPackage),
              kIsInvisible | kIsContainer);
    EXPECT_TRUE(flagsOf(QStringLiteral("/")) & kIsVolume);

    ItemInfo info;
    ASSERT_EQ(itemInfoForURL(QUrl::fromLocalFile(elf), request::kExtension, &info), status::noErr);
    EXPECT_EQ(info.extension, QStringLiteral("app"));
    EXPECT_EQ(info.flags, 0u) << "no flags were asked for";
    EXPECT_EQ(itemInfoForURL(QUrl::fromLocalFile(apps + QStringLiteral("/Gone.app")),
                             request::kAllFlags, &info),
              status::fnfErr);
    EXPECT_EQ(itemInfoForURL(QUrl(QStringLiteral("https://example.org/A.app")), request::kAllFlags,
                             &info),
              status::paramErr);
}

TEST_F(ApplicationRegistryTest, DisplayNamesHideOnlyTheApplicationExtension)
{
    const QString apps = desktop_.applications();
    const auto nameOf = [](const QString& path) {
        QString name = QStringLiteral("unset");
        EXPECT_EQ(displayNameForURL(QUrl::fromLocalFile(path), &name), status::noErr) << path;
        return name;
    };
    EXPECT_EQ(nameOf(BundleBuilder(apps, QStringLiteral("Ünïcode “Quoted” App.app")).build()),
              QStringLiteral("Ünïcode “Quoted” App"));
    EXPECT_EQ(nameOf(BundleBuilder(apps, QStringLiteral("Loud.APP")).build()),
              QStringLiteral("Loud"));
    EXPECT_EQ(nameOf(BundleBuilder(apps, QStringLiteral("Filter.plugin")).build()),
              QStringLiteral("Filter.plugin"));
    QDir().mkpath(apps + QStringLiteral("/.app"));
    EXPECT_EQ(nameOf(apps + QStringLiteral("/.app")), QStringLiteral(".app"));
    QFile file(apps + QStringLiteral("/notes.app"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(nameOf(file.fileName()), QStringLiteral("notes.app")) << "a file is no package";

    QString name = QStringLiteral("unset");
    EXPECT_EQ(displayNameForURL(QUrl::fromLocalFile(apps + QStringLiteral("/Gone.app")), &name),
              status::fnfErr);
    EXPECT_EQ(name, QStringLiteral("unset"));
}
