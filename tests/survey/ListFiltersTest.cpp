// Filter terms and sort orders: each command replaces only its own kind of
// term, check marks follow the terms, and [cd] matching ignores case and
// accents.
#include "survey/engine/ApplicationRecord.h"
#include "survey/engine/ListFilters.h"

#include "tests/fixtures/QtPrinting.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <memory>

using namespace corvane;
using namespace corvane::survey;

namespace {

QStringList formats(const ListFilters& f)
{
    QStringList out;
    for (const FilterTerm& t : f.terms())
        out << t.format();
    return out;
}

const QStringList kGoMenu{QStringLiteral("/Applications"), QStringLiteral("/Applications/Utilities"),
                          QStringLiteral("/Users/me/Apps")};

}  // namespace

TEST(ListFilters, ModeThenSearchThenAllKeepsTheSearch)
{
    ListFilters f;
    EXPECT_FALSE(f.applyModeTag(0)) << "no terms at all: nothing to do";
    EXPECT_TRUE(f.applyModeTag(1));
    EXPECT_TRUE(f.applySearch(QStringLiteral("Saf")));
    EXPECT_EQ(formats(f), (QStringList{QStringLiteral("string BEGINSWITH[cd] \"Saf\""), QStringLiteral("flag3 == 1")}));
    EXPECT_TRUE(f.modeItemChecked(1));
    EXPECT_FALSE(f.modeItemChecked(0));
    EXPECT_FALSE(f.modeItemChecked(2));
    EXPECT_TRUE(f.applyModeTag(0));
    EXPECT_EQ(formats(f), QStringList{QStringLiteral("string BEGINSWITH[cd] \"Saf\"")});
    EXPECT_TRUE(f.modeItemChecked(0));
    EXPECT_FALSE(f.applyModeTag(7)) << "unknown tags do nothing";
}

TEST(ListFilters, ModeReplacesModeAndGoesLast)
{
    ListFilters f;
    f.applyModeTag(1);
    f.applyModeTag(2);
    f.applySearch(QStringLiteral("x"));
    f.applyModeTag(1);
    EXPECT_EQ(formats(f), (QStringList{QStringLiteral("string BEGINSWITH[cd] \"x\""), QStringLiteral("flag3 == 1")}));
    EXPECT_TRUE(f.modeItemChecked(1));
    EXPECT_FALSE(f.modeItemChecked(2));
    EXPECT_FALSE(f.modeItemChecked(3)) << "other non-zero tags check with the 64-bit term";
    f.applyModeTag(2);
    EXPECT_TRUE(f.modeItemChecked(3));
}

TEST(ListFilters, ClearingTheOnlySearchRemovesTheFilterCompletely)
{
    ListFilters f;
    EXPECT_FALSE(f.applySearch(QString()));
    f.applySearch(QStringLiteral("Mail"));
    EXPECT_TRUE(f.applySearch(QString()));
    EXPECT_FALSE(f.isFiltered());
}

TEST(ListFilters, FoldersReplaceEachOtherWithTheirExclusions)
{
    ListFilters f;
    f.applyModeTag(2);
    // /Applications has 2 components (< 4): the deeper menu folder is excluded.
    f.applyFolder(QStringLiteral("/Applications"), false, kGoMenu, 4);
    EXPECT_EQ(formats(f), (QStringList{QStringLiteral("urlP.path BEGINSWITH[cd] \"/Applications/\""),
                                       QStringLiteral("NOT urlP.path BEGINSWITH[cd] \"/Applications/Utilities/\""),
                                       QStringLiteral("flag3 == 0")}));
    EXPECT_TRUE(f.folderItemChecked(QStringLiteral("/Applications")));
    EXPECT_FALSE(f.folderItemChecked(QStringLiteral("/Applications/Utilities")));

    f.applyFolder(QStringLiteral("/Applications/Utilities"), false, kGoMenu, 4);
    EXPECT_EQ(formats(f), (QStringList{QStringLiteral("urlP.path BEGINSWITH[cd] \"/Applications/Utilities/\""),
                                       QStringLiteral("flag3 == 0")}));
    // Choosing the checked folder again turns the folder filter off.
    f.applyFolder(QStringLiteral("/Applications/Utilities"), true, kGoMenu, 4);
    EXPECT_EQ(formats(f), QStringList{QStringLiteral("flag3 == 0")});
    f.applyModeTag(0);
    EXPECT_FALSE(f.applyFolder(QStringLiteral("/Applications"), true, kGoMenu, 4));
}

TEST(ListFilters, DeepFoldersShowEverythingBelowThem)
{
    ListFilters f;
    const QStringList menu{QStringLiteral("/Volumes/Disk/Apps"), QStringLiteral("/Volumes/Disk/Apps/More")};
    f.applyFolder(QStringLiteral("/Volumes/Disk/Apps"), false, menu, 4);
    EXPECT_EQ(f.terms().size(), 1) << "4 components are not fewer than 4: no exclusions";
    f.applyFolder(QStringLiteral("/Volumes/Disk/Apps"), false, menu, 6);
    EXPECT_EQ(f.terms().size(), 2);
}

TEST(ListFilters, TermsMatchRecordsIgnoringCaseAndAccents)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("Apps/Utilities/Café.app"))));
    MyController record;
    record.setString(QStringLiteral("Éclair Studio"));
    record.setUrlP(FileReference::forPath(dir.filePath(QStringLiteral("Apps/Utilities/Café.app"))));
    record.setFlag3(true);

    EXPECT_TRUE(FilterTerm::search(QStringLiteral("ecl")).matches(record));
    EXPECT_TRUE(FilterTerm::search(QStringLiteral("ÉCLAIR s")).matches(record));
    EXPECT_FALSE(FilterTerm::search(QStringLiteral("Studio")).matches(record)) << "a prefix, not a substring";
    EXPECT_TRUE(FilterTerm::mode(true).matches(record));
    EXPECT_FALSE(FilterTerm::mode(false).matches(record));
    const QString apps = dir.filePath(QStringLiteral("apps/"));  // other case
    EXPECT_TRUE(FilterTerm::folder(apps).matches(record));
    EXPECT_FALSE(FilterTerm::excluding(dir.filePath(QStringLiteral("Apps/Utilities/"))).matches(record));
    EXPECT_FALSE(FilterTerm::folder(dir.filePath(QStringLiteral("App/"))).matches(record))
        << "the trailing slash keeps /App from matching /Apps";

    ListFilters f;
    f.applyModeTag(1);
    f.applySearch(QStringLiteral("ecl"));
    EXPECT_TRUE(f.matches(record));
    record.setFlag3(false);
    EXPECT_FALSE(f.matches(record));
}

TEST(ListFilters, QuotesInTextStayInsideTheirTerm)
{
    EXPECT_EQ(FilterTerm::search(QStringLiteral("say \"hi\"")).format(),
              QStringLiteral("string BEGINSWITH[cd] \"say \\\"hi\\\"\""));
}

TEST(ListFilters, SortOrdersAndTheirCheckMarks)
{
    ListFilters f;
    EXPECT_TRUE(f.sortItemChecked(0));
    EXPECT_FALSE(f.applySortTag(0));
    EXPECT_TRUE(f.applySortTag(1));
    EXPECT_FALSE(f.applySortTag(1)) << "sorting by name twice keeps the order";
    EXPECT_EQ(sortKey(f.sortOrder()), QStringLiteral("string"));
    EXPECT_TRUE(f.applySortTag(9));
    EXPECT_EQ(sortKey(f.sortOrder()), QStringLiteral("previewItemCreationDate"));
    EXPECT_TRUE(f.sortItemChecked(3));
    EXPECT_TRUE(f.sortItemChecked(42)) << "every other tag means creation date";
    EXPECT_FALSE(f.sortItemChecked(1));
    EXPECT_TRUE(f.applySortTag(2));
    EXPECT_EQ(sortKey(f.sortOrder()), QStringLiteral("previewItemModificationDate"));
}

TEST(ListFilters, PathComponentsCountTheRoot)
{
    EXPECT_EQ(pathComponentCount(QStringLiteral("/")), 1);
    EXPECT_EQ(pathComponentCount(QStringLiteral("/Applications")), 2);
    EXPECT_EQ(pathComponentCount(QStringLiteral("/Applications/Utilities")), 3);
    EXPECT_EQ(pathComponentCount(QStringLiteral("/Volumes/Disk/Applications/")), 4);
}
