// File references follow renames within their folder; bookmark data stores
// and restores them, including the other system's bookmark and alias formats.
#include "platform/foundation/FileReference.h"
#include "platform/foundation/ForeignBookmark.h"
#include "platform/foundation/PropertyListIO.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace corvane;

namespace {

QString makeFolder(const QTemporaryDir& dir, const QString& name)
{
    const QString path = dir.filePath(name);
    EXPECT_TRUE(QDir().mkpath(path));
    return path;
}

void appendLE32(QByteArray& b, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b += char((v >> (8 * i)) & 0xFF);
}

// A minimal bookmark in the other system's "book" layout holding the path
// components of path.
QByteArray foreignBookmark(const QStringList& components)
{
    QByteArray data;      // the data area; offsets below are relative to it
    appendLE32(data, 0);  // offset of the first table of contents, set below
    QList<quint32> itemOffsets;
    for (const QString& c : components) {
        itemOffsets << static_cast<quint32>(data.size());
        const QByteArray utf8 = c.toUtf8();
        appendLE32(data, static_cast<quint32>(utf8.size()));
        appendLE32(data, 0x0101);
        data += utf8;
        while (data.size() % 4)
            data += '\0';
    }
    const auto arrayOffset = static_cast<quint32>(data.size());
    appendLE32(data, static_cast<quint32>(itemOffsets.size() * 4));
    appendLE32(data, 0x0601);
    for (quint32 o : itemOffsets)
        appendLE32(data, o);
    const auto tocOffset = static_cast<quint32>(data.size());
    appendLE32(data, 20 + 12);  // size
    appendLE32(data, 0xFFFFFFFE);
    appendLE32(data, 1);  // identifier
    appendLE32(data, 0);  // no next table
    appendLE32(data, 1);  // one entry
    appendLE32(data, 0x1004);
    appendLE32(data, arrayOffset);
    appendLE32(data, 0);
    for (int i = 0; i < 4; ++i)
        data[i] = char((tocOffset >> (8 * i)) & 0xFF);

    QByteArray header("book");
    appendLE32(header, static_cast<quint32>(48 + data.size()));
    appendLE32(header, 0x10040000);
    appendLE32(header, 48);
    header.append(48 - header.size(), '\0');
    return header + data;
}

QByteArray aliasRecord(const QByteArray& posixPath, const QByteArray& mountPoint)
{
    QByteArray a(150, '\0');
    const auto tag = [&](qint16 t, const QByteArray& value) {
        a += char((t >> 8) & 0xFF);
        a += char(t & 0xFF);
        a += char((value.size() >> 8) & 0xFF);
        a += char(value.size() & 0xFF);
        a += value;
        if (value.size() % 2)
            a += '\0';
    };
    tag(2, QByteArray("ignored"));
    tag(18, posixPath);
    tag(19, mountPoint);
    tag(-1, QByteArray());
    a[4] = char((a.size() >> 8) & 0xFF);
    a[5] = char(a.size() & 0xFF);
    a[7] = 2;  // version
    return a;
}

}  // namespace

TEST(FileReference, FollowsARenameInsideItsFolder)
{
    QTemporaryDir dir;
    const QString original = makeFolder(dir, QStringLiteral("Tool “One”.app"));
    const auto ref = FileReference::forPath(original);
    ASSERT_TRUE(ref);
    EXPECT_EQ(ref->path(), original);

    const QString renamed = dir.filePath(QStringLiteral("Tool Renamed.app"));
    ASSERT_TRUE(QDir().rename(original, renamed));
    EXPECT_EQ(ref->path(), renamed);
    EXPECT_EQ(ref->url(), QUrl::fromLocalFile(renamed));

    FileReference copy = *ref;
    EXPECT_EQ(copy.refresh(), renamed);
    EXPECT_EQ(copy.lastKnownPath(), renamed);
    EXPECT_EQ(copy, *ref) << "the same item, whatever its path";
}

TEST(FileReference, BreaksWhenTheItemIsGone)
{
    QTemporaryDir dir;
    const QString path = makeFolder(dir, QStringLiteral("Gone.app"));
    const auto ref = FileReference::forPath(path);
    ASSERT_TRUE(ref);
    ASSERT_TRUE(QDir(path).removeRecursively());
    EXPECT_TRUE(ref->path().isEmpty());
    EXPECT_TRUE(ref->url().isEmpty());

    EXPECT_FALSE(FileReference::forPath(dir.filePath(QStringLiteral("never.app"))));
}

TEST(FileReference, AnotherItemAtTheSamePathIsNotTheReferencedOne)
{
    QTemporaryDir dir;
    const QString path = makeFolder(dir, QStringLiteral("Replaced.app"));
    const auto ref = FileReference::forPath(path);
    ASSERT_TRUE(ref);
    // Moved out of its folder while a new item takes its name.
    const QString elsewhere =
        makeFolder(dir, QStringLiteral("elsewhere")) + QStringLiteral("/Replaced.app");
    ASSERT_TRUE(QDir().rename(path, elsewhere));
    makeFolder(dir, QStringLiteral("Replaced.app"));
    EXPECT_TRUE(ref->path().isEmpty());
}

TEST(FileReference, ReferencesWithoutIdentityResolveByPath)
{
    QTemporaryDir dir;
    const QString path = makeFolder(dir, QStringLiteral("Plain.app"));
    const FileReference byPath(path, 0, 0);
    EXPECT_EQ(byPath.path(), path);
    EXPECT_EQ(byPath, FileReference(path, 0, 0));
    EXPECT_FALSE(byPath == FileReference(path + QStringLiteral("x"), 0, 0));
    EXPECT_TRUE(FileReference(dir.filePath(QStringLiteral("none")), 0, 0).path().isEmpty());
}

TEST(Bookmark, RoundTripsAndChecksIdentity)
{
    QTemporaryDir dir;
    const QString path = makeFolder(dir, QStringLiteral("Ünïcode App.app"));
    const QByteArray data = bookmarkDataForPath(path);
    ASSERT_FALSE(data.isEmpty());
    EXPECT_TRUE(plist::looksBinary(data));
    EXPECT_EQ(resolveBookmarkData(data), path);

    const auto ref = referenceFromBookmarkData(data);
    ASSERT_TRUE(ref);
    EXPECT_TRUE(ref->hasIdentity());

    ASSERT_TRUE(
        QDir().rename(path, makeFolder(dir, QStringLiteral("moved")) + QStringLiteral("/x.app")));
    makeFolder(dir, QStringLiteral("Ünïcode App.app"));
    EXPECT_TRUE(resolveBookmarkData(data).isEmpty()) << "another folder now has that name";
    EXPECT_TRUE(bookmarkDataForPath(dir.filePath(QStringLiteral("missing"))).isEmpty());
}

TEST(Bookmark, PathOnlyBookmarksResolveByPath)
{
    QTemporaryDir dir;
    const QString path = makeFolder(dir, QStringLiteral("P.app"));
    const plist::Value d(plist::Dictionary{{QStringLiteral("path"), path}});
    const QByteArray data = *plist::serialize(d, plist::Format::Binary);
    EXPECT_EQ(resolveBookmarkData(data), path);
}

TEST(Bookmark, MalformedDataIsNoBookmark)
{
    const QByteArray cases[] = {
        QByteArray(),
        QByteArrayLiteral("garbage"),
        *plist::serialize(plist::Value(plist::Dictionary{}), plist::Format::Binary),
        *plist::serialize(plist::Value(plist::Dictionary{
                              {QStringLiteral("path"), plist::Value(std::int64_t{3})}}),
                          plist::Format::Binary),
        *plist::serialize(plist::Value(plist::Array{}), plist::Format::Xml),
    };
    for (const QByteArray& data : cases)
        EXPECT_FALSE(referenceFromBookmarkData(data)) << data.toHex().toStdString();
}

TEST(ForeignBookmark, BookFormatGivesItsStoredPath)
{
    const QByteArray book =
        foreignBookmark({QStringLiteral("Applications"), QStringLiteral("Café.app")});
    EXPECT_EQ(pathFromForeignBookmark(book), QStringLiteral("/Applications/Café.app"));
    const auto ref = referenceFromBookmarkData(book);
    ASSERT_TRUE(ref);
    EXPECT_FALSE(ref->hasIdentity());
}

TEST(ForeignBookmark, TruncatedOrCorruptBookFormatGivesNothing)
{
    const QByteArray book =
        foreignBookmark({QStringLiteral("Applications"), QStringLiteral("X.app")});
    for (qsizetype n = 0; n < book.size(); ++n)
        EXPECT_FALSE(pathFromForeignBookmark(book.left(n))) << "length " << n;
    QByteArray looping = book;
    // Point the table of contents' "next" at itself and remove the path key.
    const qsizetype toc = 48 + (static_cast<quint8>(book[48]) | static_cast<quint8>(book[49]) << 8);
    looping[toc + 12] = looping[48];
    looping[toc + 13] = looping[49];
    looping[toc + 20] = 0x05;
    EXPECT_FALSE(pathFromForeignBookmark(looping));
}

TEST(ForeignBookmark, AliasRecordsGiveTheirPosixPath)
{
    EXPECT_EQ(pathFromForeignBookmark(aliasRecord("/Applications/Chess.app", "/")),
              QStringLiteral("/Applications/Chess.app"));
    EXPECT_EQ(pathFromForeignBookmark(aliasRecord("/Apps/Tool.app", "/Volumes/Data")),
              QStringLiteral("/Volumes/Data/Apps/Tool.app"));
    const QByteArray good = aliasRecord("/Applications/Chess.app", "/");
    QByteArray lying = good;
    lying[152] = char(0x7F);  // the first tag claims a huge length
    EXPECT_FALSE(pathFromForeignBookmark(lying));
    EXPECT_FALSE(pathFromForeignBookmark(aliasRecord("relative/path", "/")));
}
