// The array controller's table: rows, cell values, selection both ways, the
// delegate's say over every selection a user makes, check-box clicks,
// type-to-select and cell geometry.
#include "../QtPrinters.h"
#include "WidgetTestSupport.h"
#include "platform/ui/widgets/ArrayTableView.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QHeaderView>
#include <QImage>
#include <QUrl>

#include <memory>
#include <vector>

using namespace corvane::ui;
using namespace corvane::ui::testing;

namespace {

class Record : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString string MEMBER string)
    Q_PROPERTY(bool flag3 MEMBER flag3)

public:
    Record(QString name, bool is32, QString where)
        : string(std::move(name)), flag3(is32), path(std::move(where))
    {
    }
    QString string;
    bool flag3;
    QString path;
};

// A survey window's controller as the list needs it: icon, two-line name
// and folder, the 32-bit check box; clicks on the box never select.
class ListController : public Responder, public TableViewDataSource, public TableViewDelegate {
public:
    ArrayController* controller = nullptr;
    QStringList log;
    int proposals = 0;
    std::optional<int> lastProposalClickedRow;

    ListController()
    {
        addAction(Action("showSource:"), [this](QObject* sender) {
            auto* table = dynamic_cast<ArrayTableView*>(sender);
            const int row = table->clickedRow();
            Record* r = record(row);
            r->flag3 = !r->flag3;
            log << QStringLiteral("showSource:%1").arg(r->string);
            table->reloadDataForRowIndexes({row});
        });
    }
    Record* record(int row) const
    {
        return static_cast<Record*>(controller->arrangedObjects().at(row).value<QObject*>());
    }

    int numberOfRowsInTableView(const TableView&) override
    {
        return controller ? controller->arrangedCount() : 0;
    }
    QVariant tableViewObjectValueForTableColumnRow(const TableView& table,
                                                   const TableColumn& column, int row) override
    {
        const Record* r = record(row);
        if (column.identifier == QLatin1String("1")) {
            QImage icon(32, 32, QImage::Format_ARGB32);
            icon.fill(r->flag3 ? Qt::darkYellow : Qt::darkBlue);
            return icon;
        }
        if (column.identifier == QLatin1String("2")) {
            const QString folder = QFileInfo(r->path).path();
            const bool selected = table.isRowSelected(row);
            AttributedString text;
            text.runs.append({r->string + QLatin1Char('\n') + folder,
                              {0, TextColorRole::AlternateSelectedControlText, 0}});
            text.setAttributes(0, int(r->string.size()),
                               {13,
                                selected ? TextColorRole::AlternateSelectedControlText
                                         : TextColorRole::ControlText,
                                0});
            text.setAttributes(int(r->string.size()) + 1, int(folder.size()),
                               {11,
                                selected ? TextColorRole::AlternateSelectedControlText
                                         : TextColorRole::DisabledControlText,
                                0.1});
            return QVariant::fromValue(text);
        }
        return r->flag3;
    }
    QString tableViewTypeSelectStringForTableColumnRow(const TableView&, const TableColumn& column,
                                                       int row) override
    {
        return column.identifier == QLatin1String("2") ? record(row)->string : QString();
    }
    IndexSet tableViewSelectionIndexesForProposedSelection(const TableView& table,
                                                           const IndexSet& proposed) override
    {
        ++proposals;
        lastProposalClickedRow = table.clickedRow();
        if (proposed.count() != 1)
            return proposed;
        const int column = table.clickedColumn();
        const int row = table.clickedRow();
        if (column < 0 || row < 0 || table.tableColumns().at(column).kind != CellKind::CheckBox)
            return proposed;
        const QRect box =
            table.imageRectForCellFrame(column, table.frameOfCellAtColumnRow(column, row));
        const auto at = table.currentEventLocation();
        return at && box.contains(*at) ? table.selectedRowIndexes() : proposed;
    }
};

struct Fixture {
    QApplication& app = widgetApp();  // first: the widgets below need it
    std::vector<std::unique_ptr<Record>> records;
    ArrayController controller;
    ListController list;
    ResponderChain chain;
    ArrayTableView table;

    Fixture()
    {
        QVariantList content;
        for (auto [name, is32] :
             {std::pair{"Mail", true}, {"Chess", false}, {"Books", true}, {"Calendar", false}}) {
            records.push_back(std::make_unique<Record>(QString::fromLatin1(name), is32,
                                                       QStringLiteral("/Applications/") +
                                                           QString::fromLatin1(name) +
                                                           QStringLiteral(".app")));
            content.append(QVariant::fromValue<QObject*>(records.back().get()));
        }
        controller.setContent(content);
        list.controller = &controller;
        chain.setFirstResponder(&list);
        table.setTableColumns(
            {{QStringLiteral("1"), QString(), CellKind::Image, 40, {}, {}},
             {QStringLiteral("2"), QStringLiteral("Name"), CellKind::Text, 220, {}, {}},
             {QStringLiteral("3"),
              QStringLiteral("32-bit"),
              CellKind::CheckBox,
              60,
              Action("showSource:"),
              {}}});
        table.setIconSize(QSize(32, 32));
        table.verticalHeader()->setDefaultSectionSize(36);
        table.setDataSource(&list);
        table.setTableDelegate(&list);
        table.setResponderChain(&chain);
        table.bindArrayController(&controller);
        table.resize(360, 200);
        table.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&table));
    }
    QPoint center(int column, int row) const
    {
        return table.visualRect(table.model()->index(row, column)).center();
    }
    QPoint checkBox(int row) const
    {
        const QRect frame = table.frameOfCellAtColumnRow(2, row);
        return table.imageRectForCellFrame(2, frame).center() -
               (frame.topLeft() - table.visualRect(table.model()->index(row, 2)).topLeft());
    }
};

}  // namespace

TEST(ArrayTableView, RowsAreTheArrangedObjectsAndTheSelectionGoesBothWays)
{
    Fixture f;
    ASSERT_EQ(f.table.model()->rowCount(), 4);
    EXPECT_EQ(f.table.model()->index(0, 1).data().toString(),
              QStringLiteral("Mail\n/Applications"));
    EXPECT_TRUE(f.table.model()->index(0, 2).data(Qt::UserRole).toBool());
    EXPECT_EQ(f.table.selectedRowIndexes(), IndexSet{0});  // the controller chose the first

    f.controller.setSelectionIndexes({1, 3});
    EXPECT_EQ(f.table.selectedRowIndexes(), (IndexSet{1, 3}));

    QTest::mouseClick(f.table.viewport(), Qt::LeftButton, {}, f.center(1, 2));
    EXPECT_EQ(f.controller.selectedObjects().size(), 1);
    EXPECT_EQ(f.controller.selectionIndexes(), IndexSet{2});
    QTest::mouseClick(f.table.viewport(), Qt::LeftButton, Qt::ControlModifier, f.center(1, 0));
    EXPECT_EQ(f.controller.selectionIndexes(), (IndexSet{0, 2}));

    // A new order from the controller: the table's rows and selection follow.
    f.controller.setSortDescriptors({{QStringLiteral("string"), true, {}}});
    EXPECT_EQ(f.table.model()->index(0, 1).data().toString().section(QLatin1Char('\n'), 0, 0),
              QStringLiteral("Books"));
    EXPECT_EQ(f.table.selectedRowIndexes(), f.controller.selectionIndexes());
    EXPECT_EQ(f.list.record(f.table.selectedRowIndexes().lastIndex())->string,
              QStringLiteral("Mail"));
}

TEST(ArrayTableView, AClickOnACheckBoxSendsTheColumnsActionAndNeverSelects)
{
    Fixture f;
    f.controller.setSelectionIndexes({2});
    ASSERT_FALSE(f.list.record(1)->flag3);

    QTest::mouseClick(f.table.viewport(), Qt::LeftButton, {}, f.checkBox(1));
    EXPECT_EQ(f.list.log, QStringList{QStringLiteral("showSource:Chess")});
    EXPECT_TRUE(f.list.record(1)->flag3);
    EXPECT_TRUE(f.table.model()->index(1, 2).data(Qt::UserRole).toBool());
    EXPECT_EQ(f.controller.selectionIndexes(), IndexSet{2});

    // The same cell away from the box: an ordinary click that selects.
    const QRect cell = f.table.visualRect(f.table.model()->index(3, 2));
    QTest::mouseClick(f.table.viewport(), Qt::LeftButton, {}, cell.topLeft() + QPoint(2, 2));
    EXPECT_EQ(f.controller.selectionIndexes(), IndexSet{3});
    EXPECT_EQ(f.list.log.size(), 1);
}

TEST(ArrayTableView, KeyboardChangesAreProposedAsNotClicksAndTypeToSelectMatchesNames)
{
    Fixture f;
    f.table.setFocus();
    f.list.proposals = 0;
    QTest::keyClick(&f.table, Qt::Key_Down);
    EXPECT_EQ(f.controller.selectionIndexes(), IndexSet{1});
    EXPECT_GT(f.list.proposals, 0);
    EXPECT_EQ(f.list.lastProposalClickedRow, -1);

    QTest::keyClicks(&f.table, QStringLiteral("bo"));
    EXPECT_EQ(f.list.record(f.controller.selectionIndex())->string, QStringLiteral("Books"));
    QTest::qWait(QApplication::keyboardInputInterval() + 100);
    QTest::keyClicks(&f.table, QStringLiteral("CA"));
    EXPECT_EQ(f.list.record(f.controller.selectionIndex())->string, QStringLiteral("Calendar"));
    QTest::qWait(QApplication::keyboardInputInterval() + 100);
    QTest::keyClicks(&f.table, QStringLiteral("zz"));  // no match: nothing moves
    EXPECT_EQ(f.list.record(f.controller.selectionIndex())->string, QStringLiteral("Calendar"));
}

TEST(ArrayTableView, CellFramesAreInTableCoordinatesThatScroll)
{
    Fixture f;
    QVariantList many;
    for (int i = 0; i < 60; ++i) {
        f.records.push_back(std::make_unique<Record>(QStringLiteral("App %1").arg(i), i % 2,
                                                     QStringLiteral("/Applications/App.app")));
        many.append(QVariant::fromValue<QObject*>(f.records.back().get()));
    }
    f.controller.setContent(many);
    const QRect first = f.table.frameOfCellAtColumnRow(0, 0);
    EXPECT_TRUE(first.intersects(f.table.visibleRect()));
    f.table.scrollToBottom();
    QTest::qWait(20);
    // Scrolling moves the visible rectangle, not the frames.
    EXPECT_EQ(f.table.frameOfCellAtColumnRow(0, 0), first);
    EXPECT_FALSE(first.intersects(f.table.visibleRect()));
    EXPECT_TRUE(f.table.frameOfCellAtColumnRow(0, 59).intersects(f.table.visibleRect()));
    EXPECT_TRUE(f.table.frameOfCellAtColumnRow(0, 60).isNull());
    EXPECT_TRUE(f.table.frameOfCellAtColumnRow(7, 0).isNull());

    const QRect icon = f.table.imageRectForCellFrame(0, f.table.frameOfCellAtColumnRow(0, 59));
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_EQ(f.table.convertPointToScreen(icon.topLeft()),
              f.table.viewport()->mapToGlobal(
                  f.table.visualRect(f.table.model()->index(59, 0)).topLeft() +
                  (icon.topLeft() - f.table.frameOfCellAtColumnRow(0, 59).topLeft())));
}

TEST(ArrayTableView, TheControllerGoingFirstLeavesAnEmptyTable)
{
    widgetApp();
    auto controller = std::make_unique<ArrayController>();
    controller->setContent({QVariantMap{{QStringLiteral("name"), QStringLiteral("x")}}});
    ArrayTableView table;
    table.setTableColumns(
        {{QStringLiteral("name"), QStringLiteral("Name"), CellKind::Text, 100, {}, {}}});
    table.bindArrayController(controller.get());
    // Without a data source the column identifier is the key path.
    EXPECT_EQ(table.model()->index(0, 0).data().toString(), QStringLiteral("x"));
    controller.reset();
    EXPECT_EQ(table.model()->rowCount(), 0);
}

#include "ArrayTableViewTest.moc"
