// The file manager's name order and the version order.
#include "platform/foundation/FinderOrder.h"
#include "platform/foundation/VersionCompare.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <algorithm>
#include <random>

using namespace corvane;

namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kC = QLocale::c();

int finder(const QString& a, const QString& b, const QLocale& locale = kEnglish)
{
    return finderSortWithLocale(a, b, &locale);
}

}  // namespace

TEST(FinderOrder, DigitRunsCompareByValue)
{
    for (const QLocale* locale : {&kEnglish, &kC}) {
        EXPECT_EQ(finder(QStringLiteral("Name 2"), QStringLiteral("Name 10"), *locale), -1);
        EXPECT_EQ(finder(QStringLiteral("Name 10"), QStringLiteral("Name 9"), *locale), 1);
        EXPECT_EQ(finder(QStringLiteral("App 1.10"), QStringLiteral("App 1.9"), *locale), 1);
    }
}

TEST(FinderOrder, CaseAndWidthDoNotDecideButStillSeparate)
{
    // Equal under the loose rules, yet distinct strings never compare equal.
    const QString pairs[][2] = {
        {QStringLiteral("abc"), QStringLiteral("ABC")},
        {QStringLiteral("ＡＢＣ"), QStringLiteral("ABC")},
        {QStringLiteral("Name 02"), QStringLiteral("Name 2")},
        {QStringLiteral("caf\u00e9"), QStringLiteral("cafe\u0301")},
    };
    for (const auto& p : pairs) {
        const int forward = finder(p[0], p[1]);
        EXPECT_NE(forward, 0) << p[0].toStdString() << " vs " << p[1].toStdString();
        EXPECT_EQ(finder(p[1], p[0]), -forward) << "the order must be antisymmetric";
    }
    EXPECT_EQ(finder(QStringLiteral("Same"), QStringLiteral("Same")), 0);
    // Case only breaks ties: "abd" follows both spellings of "abc".
    EXPECT_EQ(finder(QStringLiteral("ABC"), QStringLiteral("abd")), -1);
    EXPECT_EQ(finder(QStringLiteral("abc"), QStringLiteral("ABD")), -1);
}

TEST(FinderOrder, AccentsCountButComposedEqualsDecomposedLoosely)
{
    // "résumé" sorts with the e-words, not after z.
    EXPECT_EQ(finder(QStringLiteral("r\u00e9sum\u00e9"), QStringLiteral("rz")), -1);
    EXPECT_EQ(finder(QStringLiteral("resume"), QStringLiteral("r\u00e9sum\u00e9")), -1);
    // Composed and decomposed forms sit next to each other: nothing sorts between them.
    QStringList names{QStringLiteral("cafe\u0301"), QStringLiteral("cafd"),
                      QStringLiteral("caf\u00e9"), QStringLiteral("caff")};
    sortInFinderOrder(names, kEnglish);
    EXPECT_EQ(names.indexOf(QStringLiteral("cafd")), 0);
    EXPECT_EQ(names.indexOf(QStringLiteral("caff")), 3);
}

TEST(FinderOrder, NullLocaleAndCLocaleBehaveLikeEnglish)
{
    EXPECT_EQ(finderSortWithLocale(QStringLiteral("x 2"), QStringLiteral("x 10"), nullptr), -1);
    EXPECT_EQ(finder(QStringLiteral("b"), QStringLiteral("A"), kC), 1);
}

TEST(FinderOrder, SortAgreesWithTheComparatorAndIsTotal)
{
    QStringList names{
        QStringLiteral("Zebra"),     QStringLiteral("zebra"),   QStringLiteral("Äpfel"),
        QStringLiteral("apple"),     QStringLiteral("Apple"),   QStringLiteral("Item 10"),
        QStringLiteral("Item 9"),    QStringLiteral("Item 09"), QStringLiteral("ＩＴＥＭ 1"),
        QStringLiteral("éclair"),    QStringLiteral("eclair"),  QStringLiteral("Éclair"),
        QStringLiteral("1Password"), QStringLiteral("_hidden"), QStringLiteral(""),
    };
    std::mt19937 rng(7);
    for (int round = 0; round < 5; ++round) {
        std::shuffle(names.begin(), names.end(), rng);
        QStringList sorted = names;
        sortInFinderOrder(sorted, kEnglish);
        QStringList byComparator = names;
        std::sort(byComparator.begin(), byComparator.end(),
                  [](const QString& a, const QString& b) { return finder(a, b) < 0; });
        EXPECT_EQ(sorted, byComparator);
    }
    QStringList sorted = names;
    sortInFinderOrder(sorted, kEnglish);
    for (qsizetype i = 1; i < sorted.size(); ++i)
        EXPECT_EQ(finder(sorted[i - 1], sorted[i]), -1) << sorted[i].toStdString();
    EXPECT_LT(sorted.indexOf(QStringLiteral("Item 9")), sorted.indexOf(QStringLiteral("Item 10")));
    EXPECT_LT(sorted.indexOf(QStringLiteral("ＩＴＥＭ 1")),
              sorted.indexOf(QStringLiteral("Item 9")));
}

TEST(VersionCompare, DigitRunsByValue)
{
    EXPECT_EQ(compareVersions(QStringLiteral("10.10"), QStringLiteral("10.9")), 1);
    EXPECT_EQ(compareVersions(QStringLiteral("10.9"), QStringLiteral("10.9.5")), -1);
    EXPECT_EQ(compareVersions(QStringLiteral("10.6.8"), QStringLiteral("10.6")), 1);
    EXPECT_EQ(compareVersions(QStringLiteral("10.9.5"), QStringLiteral("10.9.5")), 0);
    EXPECT_EQ(compareVersions(QStringLiteral("1.01"), QStringLiteral("1.1")), 0);
    EXPECT_EQ(compareVersions(QStringLiteral(""), QStringLiteral("1")), -1);
    // Runs longer than any integer still compare by value.
    EXPECT_EQ(compareVersions(QStringLiteral("1.99999999999999999999999"),
                              QStringLiteral("1.100000000000000000000000")),
              -1);
}

TEST(VersionCompare, NoCaseFoldingNoLocale)
{
    // Letters compare by code unit: upper case before lower case.
    EXPECT_EQ(compareVersions(QStringLiteral("1.0B"), QStringLiteral("1.0a")), -1);
    EXPECT_EQ(compareVersions(QStringLiteral("1.0b2"), QStringLiteral("1.0b10")), -1);
    EXPECT_EQ(compareVersions(QStringLiteral("2.0"), QStringLiteral("2.0a")), -1);
}
