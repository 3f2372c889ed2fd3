// The array controller: filtering, sorting, selection that follows objects,
// key paths.
#include "QtPrinters.h"
#include "platform/foundation/FinderOrder.h"
#include "platform/foundation/NullMarker.h"
#include "platform/ui/ArrayController.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QLocale>
#include <QObject>
#include <QSignalSpy>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <vector>

using namespace corvane;
using namespace corvane::ui;

namespace {

// A surveyed application as the list sees it.
class Record : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString string MEMBER string)
    Q_PROPERTY(bool flag3 MEMBER flag3)
    Q_PROPERTY(QUrl urlP MEMBER urlP)
    Q_PROPERTY(QDateTime previewItemModificationDate MEMBER modified)

public:
    Record(const QString& name, bool is32, const QString& path, QDateTime date = {})
        : string(name), flag3(is32), urlP(QUrl::fromLocalFile(path)), modified(date)
    {
    }
    QString string;
    bool flag3;
    QUrl urlP;
    QDateTime modified;
};

class Records {
public:
    QVariant add(const QString& name, bool is32,
                 const QString& folder = QStringLiteral("/Applications"), QDateTime date = {})
    {
        owned_.push_back(std::make_unique<Record>(
            name, is32, folder + QLatin1Char('/') + name + QStringLiteral(".app"), date));
        return QVariant::fromValue<QObject*>(owned_.back().get());
    }
    static QString name(const QVariant& v)
    {
        return v.value<QObject*>()->property("string").toString();
    }
    static QStringList names(const QVariantList& list)
    {
        QStringList out;
        for (const QVariant& v : list)
            out << name(v);
        return out;
    }

private:
    std::vector<std::unique_ptr<Record>> owned_;
};

SortDescriptor byName()
{
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    return {QStringLiteral("string"), true, [](const QVariant& a, const QVariant& b) {
                return finderSortWithLocale(a.toString(), b.toString(), &english);
            }};
}

QDateTime day(int d)
{
    return QDateTime(QDate(2014, 3, d), QTime(12, 0), Qt::UTC);
}

}  // namespace

TEST(ArrayController, FiltersThenSortsStablyAndKeepsContentOrderWithoutDescriptors)
{
    Records r;
    ArrayController controller;
    controller.setContent(
        {r.add(QStringLiteral("Name 10"), true), r.add(QStringLiteral("name 2"), false),
         r.add(QStringLiteral("Zeta"), true), r.add(QStringLiteral("Name 2"), true)});
    EXPECT_EQ(Records::names(controller.arrangedObjects()),
              (QStringList{QStringLiteral("Name 10"), QStringLiteral("name 2"),
                           QStringLiteral("Zeta"), QStringLiteral("Name 2")}));

    controller.setSortDescriptors({byName()});
    // Numeric digit runs; the case tie is broken, so the order is total.
    const QStringList sorted = Records::names(controller.arrangedObjects());
    EXPECT_EQ(sorted.mid(2), (QStringList{QStringLiteral("Name 10"), QStringLiteral("Zeta")}));

    controller.setFilterPredicate(
        [](const QVariant& o) { return o.value<QObject*>()->property("flag3").toBool(); });
    EXPECT_EQ(
        Records::names(controller.arrangedObjects()),
        (QStringList{QStringLiteral("Name 2"), QStringLiteral("Name 10"), QStringLiteral("Zeta")}));

    // Removing all sort descriptors goes back to the order of the content.
    controller.setSortDescriptors({});
    EXPECT_EQ(
        Records::names(controller.arrangedObjects()),
        (QStringList{QStringLiteral("Name 10"), QStringLiteral("Zeta"), QStringLiteral("Name 2")}));
    controller.setFilterPredicate(nullptr);
    EXPECT_EQ(controller.arrangedCount(), 4);
}

TEST(ArrayController, RecordsWithoutADateStayInADescendingDateSortAndEqualKeysKeepTheirOrder)
{
    Records r;
    ArrayController controller;
    controller.setContent(
        {r.add(QStringLiteral("Undated A"), true),
         r.add(QStringLiteral("Old"), true, QStringLiteral("/Applications"), day(1)),
         r.add(QStringLiteral("New"), true, QStringLiteral("/Applications"), day(9)),
         r.add(QStringLiteral("Undated B"), true),
         r.add(QStringLiteral("Also New"), true, QStringLiteral("/Applications"), day(9))});
    controller.setSortDescriptors({{QStringLiteral("previewItemModificationDate"), false, {}}});
    EXPECT_EQ(Records::names(controller.arrangedObjects()),
              (QStringList{QStringLiteral("New"), QStringLiteral("Also New"), QStringLiteral("Old"),
                           QStringLiteral("Undated A"), QStringLiteral("Undated B")}));
}

TEST(ArrayController, TheSelectionFollowsItsObjectsThroughEveryRearrangement)
{
    Records r;
    ArrayController controller;
    QSignalSpy selectionChanges(&controller, &ArrayController::selectionChanged);
    const QVariant mail = r.add(QStringLiteral("Mail"), true);
    const QVariant chess = r.add(QStringLiteral("Chess"), false);
    const QVariant books = r.add(QStringLiteral("Books"), true);
    controller.setContent({mail, chess, books});
    // A new arrangement never leaves the selection empty by itself.
    EXPECT_EQ(controller.selectionIndexes(), IndexSet{0});
    EXPECT_EQ(selectionChanges.count(), 1);

    ASSERT_TRUE(controller.setSelectionIndexes({0, 2, 7}));  // 7 is not a row
    EXPECT_EQ(controller.selectionIndexes(), (IndexSet{0, 2}));
    EXPECT_FALSE(controller.setSelectionIndexes({2, 0}));  // same set: no change
    controller.setSortDescriptors({byName()});
    // Books, Chess, Mail: the two records are still the selected ones.
    EXPECT_EQ(controller.selectionIndexes(), (IndexSet{0, 2}));
    EXPECT_EQ(controller.selectedObjects(), (QVariantList{books, mail}));

    // Filtering one of them out keeps the other.
    controller.setFilterPredicate([&](const QVariant& o) { return o != books; });
    EXPECT_EQ(controller.selectedObjects(), QVariantList{mail});

    // A value change is not seen until the owner asks for a new arrangement.
    controller.setFilterPredicate(
        [](const QVariant& o) { return o.value<QObject*>()->property("flag3").toBool(); });
    EXPECT_EQ(Records::names(controller.arrangedObjects()),
              (QStringList{QStringLiteral("Books"), QStringLiteral("Mail")}));
    static_cast<Record*>(mail.value<QObject*>())->flag3 = false;
    EXPECT_EQ(controller.arrangedCount(), 2);
    selectionChanges.clear();
    controller.rearrangeObjects();
    EXPECT_EQ(Records::names(controller.arrangedObjects()), QStringList{QStringLiteral("Books")});
    // Mail was selected and left: the first remaining object is selected.
    EXPECT_EQ(controller.selectedObjects(), QVariantList{books});
    EXPECT_EQ(selectionChanges.count(), 1);

    // An explicit empty selection stays empty; so does one with the option off.
    EXPECT_TRUE(controller.setSelectionIndexes({}));
    EXPECT_EQ(controller.selectionIndex(), -1);
    controller.setAvoidsEmptySelection(false);
    controller.setFilterPredicate(nullptr);
    EXPECT_TRUE(controller.selectedObjects().isEmpty());
}

TEST(ArrayController, KeyPathsReadPropertiesMapsAndURLPaths)
{
    Records r;
    const QVariant mail =
        r.add(QStringLiteral("Mail"), true, QStringLiteral("/Applications/My Apps"));
    EXPECT_EQ(ArrayController::valueForKeyPath(mail, QStringLiteral("urlP.path")).toString(),
              QStringLiteral("/Applications/My Apps/Mail.app"));
    EXPECT_FALSE(ArrayController::valueForKeyPath(mail, QStringLiteral("nothing.path")).isValid());
    EXPECT_FALSE(ArrayController::valueForKeyPath(mail, QStringLiteral("string.more")).isValid());

    const QVariant entry =
        QVariantMap{{QStringLiteral("previewItemTitle"), QStringLiteral("Preview")},
                    {QStringLiteral("inner"), QVariantMap{{QStringLiteral("n"), 4}}}};
    EXPECT_EQ(ArrayController::valueForKeyPath(entry, QStringLiteral("inner.n")).toInt(), 4);
    EXPECT_FALSE(
        ArrayController::valueForKeyPath(nullMarkerVariant(), QStringLiteral("x")).isValid());
    EXPECT_FALSE(ArrayController::valueForKeyPath(QVariant::fromValue<QObject*>(nullptr),
                                                  QStringLiteral("string"))
                     .isValid());
}

namespace {
struct Plain {
    QString name;
};
}  // namespace
Q_DECLARE_METATYPE(std::shared_ptr<Plain>)

TEST(ArrayController, SharedPointersWithAReaderSortAndKeepTheirSelection)
{
    using Ptr = std::shared_ptr<Plain>;
    ArrayController controller;
    controller.setKeyValueReader([](const QVariant& o, const QString& key) {
        return key == QLatin1String("name") ? QVariant(o.value<Ptr>()->name) : QVariant();
    });
    const QVariant b = QVariant::fromValue(std::make_shared<Plain>(Plain{QStringLiteral("b")}));
    const QVariant a = QVariant::fromValue(std::make_shared<Plain>(Plain{QStringLiteral("a")}));
    // Same value, another object: identity, not equal contents, decides.
    const QVariant a2 = QVariant::fromValue(std::make_shared<Plain>(Plain{QStringLiteral("a")}));
    controller.setContent({b, a, a2});
    controller.setSelectionIndexes({2});  // a2
    controller.setSortDescriptors({{QStringLiteral("name"), true, {}}});
    EXPECT_EQ(controller.arrangedObjects(), (QVariantList{a, a2, b}));
    EXPECT_EQ(controller.selectedObjects(), QVariantList{a2});
    EXPECT_EQ(controller.selectionIndexes(), IndexSet{1});
}

TEST(ArrayController, AComparatorThatIsNoOrderStillGivesEveryObjectOnce)
{
    ArrayController controller;
    QVariantList content;
    for (int i = 0; i < 500; ++i)
        content.append(QVariantMap{{QStringLiteral("k"), i}});
    controller.setContent(content);
    unsigned state = 12345;
    controller.setSortDescriptors(
        {{QStringLiteral("k"), true, [&state](const QVariant&, const QVariant&) {
              state = state * 1103515245u + 12345u;
              return int((state >> 16) % 3) - 1;
          }}});
    QVariantList arranged = controller.arrangedObjects();
    ASSERT_EQ(arranged.size(), 500);
    std::sort(arranged.begin(), arranged.end(), [](const QVariant& x, const QVariant& y) {
        return x.toMap().value(QStringLiteral("k")).toInt() <
               y.toMap().value(QStringLiteral("k")).toInt();
    });
    EXPECT_EQ(arranged, content);
}

TEST(IndexSet, StaysSortedWithoutRepeatsOrNegatives)
{
    IndexSet s{5, 1, 5, -3, 3};
    EXPECT_EQ(s.toList(), (QList<int>{1, 3, 5}));
    EXPECT_EQ(s.firstIndex(), 1);
    EXPECT_EQ(s.lastIndex(), 5);
    s.clip(4);
    EXPECT_EQ(s.toList(), (QList<int>{1, 3}));
    s.remove(1);
    s.remove(9);
    EXPECT_EQ(s, IndexSet{3});
    EXPECT_EQ(IndexSet::range(2, 3), (IndexSet{2, 3, 4}));
    EXPECT_TRUE(IndexSet::range(2, -1).isEmpty());
    EXPECT_EQ(IndexSet().firstIndex(), -1);
}

#include "ArrayControllerTest.moc"
