// Document handlers: candidates and defaults from real desktop entries,
// mimeapps.list files and bundles' document types, with roles, parent types,
// application packages and the desktop's own tools.
#include "platform/registry/DocumentHandlers.h"
#include "tests/fixtures/BundleBuilder.h"
#include "tests/registry/RegistryTestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <sys/stat.h>

using namespace corvane;
using namespace corvane::registry;
using fixtures::BundleBuilder;

namespace {

QString entryText(const QString& name, const QString& mimeTypes, const QString& extra = {})
{
    return QStringLiteral(
               "[Desktop Entry]\nType=Application\nName=%1\nExec=true %F\nMimeType=%2\n%3")
        .arg(name, mimeTypes, extra);
}

plist::Value documentType(const QString& role, const QStringList& extensions,
                          const QStringList& mimeTypes = {}, const QStringList& utis = {})
{
    const auto array = [](const QStringList& list) {
        plist::Array a;
        for (const QString& s : list)
            a.append(plist::Value(s));
        return plist::Value(a);
    };
    plist::Dictionary d{{QStringLiteral("CFBundleTypeExtensions"), array(extensions)},
                        {QStringLiteral("CFBundleTypeMIMETypes"), array(mimeTypes)},
                        {QStringLiteral("LSItemContentTypes"), array(utis)}};
    if (!role.isEmpty())
        d.insert(QStringLiteral("CFBundleTypeRole"), plist::Value(role));
    return plist::Value(d);
}

class DocumentHandlersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(desktop_.isValid());
        notes_ = desktop_.home() + QStringLiteral("/Notes “draft” ü.txt");
        QFile f(notes_);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("plain words\n");
    }

    QStringList candidates(const QString& path, RolesMask roles = roles::kViewer | roles::kEditor)
    {
        QList<QUrl> apps;
        EXPECT_EQ(applicationsForURL(QUrl::fromLocalFile(path), roles, &apps), status::noErr);
        QStringList names;
        for (const QUrl& url : apps)
            names.append(QFileInfo(url.toLocalFile()).fileName());
        return names;
    }

    QString defaultFor(const QString& path, RolesMask roles = roles::kViewer | roles::kEditor)
    {
        QUrl app;
        const OSStatus s = defaultApplicationForURL(QUrl::fromLocalFile(path), roles, &app);
        return s == status::noErr ? QFileInfo(app.toLocalFile()).fileName()
                                  : QStringLiteral("status %1").arg(s);
    }

    test::TemporaryDesktop desktop_;
    QString notes_;
};

}  // namespace

TEST_F(DocumentHandlersTest, CandidatesComeFromEntriesAssociationsAndBundles)
{
    desktop_.writeEntry(desktop_.systemApplications(), QStringLiteral("viewer.desktop"),
                        entryText(QStringLiteral("Viewer"), QStringLiteral("text/plain;")));
    desktop_.writeEntry(desktop_.systemApplications(), QStringLiteral("unwanted.desktop"),
                        entryText(QStringLiteral("Unwanted"), QStringLiteral("text/plain;")));
    desktop_.writeEntry(desktop_.userApplications(), QStringLiteral("added.desktop"),
                        entryText(QStringLiteral("Added"), QString()));
    desktop_.writeEntry(desktop_.userApplications(), QStringLiteral("images.desktop"),
                        entryText(QStringLiteral("Images"), QStringLiteral("image/png;")));
    desktop_.writeMimeApps(
        QStringLiteral("[Added Associations]\ntext/plain=added.desktop;\n"
                       "[Removed Associations]\ntext/plain=unwanted.desktop;\n"));
    BundleBuilder(desktop_.applications(), QStringLiteral("Writer.app"))
        .identifier(QStringLiteral("org.example.writer"))
        .set(QStringLiteral("CFBundleDocumentTypes"),
             plist::Value(
                 plist::Array{documentType(QStringLiteral("Editor"), {QStringLiteral("TXT")})}))
        .build();
    BundleBuilder(desktop_.applications(), QStringLiteral("Reader.app"))
        .set(QStringLiteral("CFBundleDocumentTypes"),
             plist::Value(plist::Array{
                 documentType(QStringLiteral("Viewer"), {}, {QStringLiteral("text/plain")})}))
        .build();
    BundleBuilder(desktop_.applications(), QStringLiteral("Painter.app"))
        .set(QStringLiteral("CFBundleDocumentTypes"),
             plist::Value(plist::Array{documentType(QString(), {QStringLiteral("png")})}))
        .build();

    EXPECT_EQ(candidates(notes_),
              (QStringList{QStringLiteral("added.desktop"), QStringLiteral("viewer.desktop"),
                           QStringLiteral("Reader.app"), QStringLiteral("Writer.app")}))
        << "added first, removed left out, bundles by extension (any case) and MIME type";
    EXPECT_EQ(candidates(notes_, roles::kEditor).filter(QStringLiteral(".app")),
              QStringList{QStringLiteral("Writer.app")})
        << "a viewer does not edit";
    EXPECT_EQ(candidates(notes_, roles::kNone), QStringList{});
    EXPECT_EQ(defaultFor(notes_), QStringLiteral("added.desktop"))
        << "without a default the first candidate is it";

    desktop_.writeMimeApps(
        QStringLiteral("[Default Applications]\n"
                       "text/plain=missing.desktop;viewer.desktop\n"));
    EXPECT_EQ(defaultFor(notes_), QStringLiteral("viewer.desktop"))
        << "the first installed default wins";
    EXPECT_EQ(candidates(notes_).value(0), QStringLiteral("viewer.desktop"))
        << "the default leads the candidates";
}

TEST_F(DocumentHandlersTest, ParentTypesAndAddressesFindHandlersToo)
{
    desktop_.writeEntry(desktop_.userApplications(), QStringLiteral("text.desktop"),
                        entryText(QStringLiteral("Text"), QStringLiteral("text/plain;")));
    desktop_.writeEntry(desktop_.userApplications(), QStringLiteral("csource.desktop"),
                        entryText(QStringLiteral("C"), QStringLiteral("text/x-csrc;")));
    desktop_.writeEntry(
        desktop_.userApplications(), QStringLiteral("browser.desktop"),
        entryText(QStringLiteral("Browser"), QStringLiteral("x-scheme-handler/https;")));
    const QString source = desktop_.home() + QStringLiteral("/main.c");
    QFile f(source);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("int main(void) { return 0; }\n");
    f.close();

    QString type;
    ASSERT_EQ(documentTypeForURL(QUrl::fromLocalFile(source), &type), status::noErr);
    EXPECT_EQ(type, QStringLiteral("text/x-csrc"));
    EXPECT_EQ(candidates(source),
              (QStringList{QStringLiteral("csource.desktop"), QStringLiteral("text.desktop")}))
        << "handlers of the type itself come before those of its parents";

    QUrl app;
    ASSERT_EQ(
        defaultApplicationForURL(QUrl(QStringLiteral("https://example.org/")), roles::kAll, &app),
        status::noErr);
    EXPECT_TRUE(app.toLocalFile().endsWith(QStringLiteral("/browser.desktop")));
    EXPECT_EQ(
        defaultApplicationForURL(QUrl(QStringLiteral("gopher://example.org/")), roles::kAll, &app),
        status::kLSApplicationNotFoundErr);
    const QString pipe = desktop_.home() + QStringLiteral("/pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ASSERT_EQ(documentTypeForURL(QUrl::fromLocalFile(pipe), &type), status::noErr)
        << "a pipe must be typed without being read, which would block";
    EXPECT_EQ(type, QStringLiteral("inode/fifo"));
    EXPECT_EQ(
        defaultApplicationForURL(QUrl::fromLocalFile(desktop_.home() + QStringLiteral("/gone")),
                                 roles::kAll, &app),
        status::fnfErr);
}

TEST_F(DocumentHandlersTest, AnApplicationPackageOpensItselfAndFoldersOpenInTheFileManager)
{
    desktop_.writeEntry(desktop_.userApplications(), QStringLiteral("files.desktop"),
                        entryText(QStringLiteral("Files"), QStringLiteral("inode/directory;"),
                                  QStringLiteral("Categories=System;FileManager;\n")));
    desktop_.writeEntry(desktop_.userApplications(), QStringLiteral("term.desktop"),
                        entryText(QStringLiteral("Term"), QString(),
                                  QStringLiteral("Categories=System;TerminalEmulator;\n")));
    desktop_.writeEntry(desktop_.userApplications(), QStringLiteral("top.desktop"),
                        entryText(QStringLiteral("Top"), QString(),
                                  QStringLiteral("Categories=System;Monitor;\n")));
    const QString app = BundleBuilder(desktop_.applications(), QStringLiteral("Tool.app")).build();
    BundleBuilder(desktop_.applications(), QStringLiteral("Archiver.app"))
        .set(QStringLiteral("CFBundleDocumentTypes"),
             plist::Value(
                 plist::Array{documentType(QStringLiteral("Viewer"), {}, {},
                                           {QStringLiteral("com.apple.application-bundle")})}))
        .build();

    EXPECT_EQ(defaultFor(app), QStringLiteral("Tool.app"));
    EXPECT_EQ(candidates(app),
              (QStringList{QStringLiteral("files.desktop"), QStringLiteral("Archiver.app")}));
    EXPECT_EQ(defaultFor(desktop_.home()), QStringLiteral("files.desktop"));
    EXPECT_EQ(candidates(desktop_.home()), QStringList{QStringLiteral("files.desktop")})
        << "a bundle claiming application bundles does not open plain folders";

    ASSERT_TRUE(fileManagerApplication());
    EXPECT_TRUE(fileManagerApplication()->toLocalFile().endsWith(QStringLiteral("/files.desktop")));
    ASSERT_TRUE(terminalApplication());
    EXPECT_TRUE(terminalApplication()->toLocalFile().endsWith(QStringLiteral("/term.desktop")));
    ASSERT_TRUE(systemMonitorApplication());
    EXPECT_TRUE(systemMonitorApplication()->toLocalFile().endsWith(QStringLiteral("/top.desktop")));
}

TEST_F(DocumentHandlersTest, ADesktopWithoutToolsSaysSo)
{
    EXPECT_FALSE(fileManagerApplication());
    EXPECT_FALSE(terminalApplication());
    EXPECT_FALSE(systemMonitorApplication());
    EXPECT_EQ(defaultFor(notes_),
              QStringLiteral("status %1").arg(status::kLSApplicationNotFoundErr));
    EXPECT_EQ(candidates(notes_), QStringList{});
}
