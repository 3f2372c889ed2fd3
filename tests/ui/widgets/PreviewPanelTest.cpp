// The preview panel: the controller protocol along the responder chain, the
// data source and reloads, the delegate's key handling and zoom frame.
#include "../QtPrinters.h"
#include "WidgetTestSupport.h"
#include "platform/ui/widgets/ArrayTableView.h"
#include "platform/ui/widgets/PreviewPanel.h"

#include <gtest/gtest.h>

#include <QKeyEvent>

using namespace corvane::ui;
using namespace corvane::ui::testing;

namespace {

QVariant entry(const QString& title)
{
    return QVariantMap{
        {QStringLiteral("previewItemTitle"), title},
        {QStringLiteral("previewItemURL"),
         QUrl::fromLocalFile(QStringLiteral("/Applications/") + title + QStringLiteral(".app"))}};
}

// A list window's controller: it feeds the panel its selected rows and
// passes arrow keys to the list, so the panel follows the selection.
class ListWindow : public Responder,
                   public PreviewPanelController,
                   public PreviewPanelDataSource,
                   public PreviewPanelDelegate {
public:
    ArrayController controller;
    ArrayTableView table;
    QStringList log;
    bool accepts = true;

    ListWindow()
    {
        controller.setContent({entry(QStringLiteral("Mail")), entry(QStringLiteral("Chess")),
                               entry(QStringLiteral("Books"))});
        table.setTableColumns({{QStringLiteral("previewItemTitle"),
                                QStringLiteral("Name"),
                                CellKind::Text,
                                200,
                                {},
                                {}}});
        table.bindArrayController(&controller);
        table.resize(240, 160);
        QObject::connect(&controller, &ArrayController::selectionChanged, &table, [this] {
            PreviewPanel* panel = PreviewPanel::sharedPreviewPanel();
            if (!panel->isVisible())
                return;
            if (controller.selectionIndexes().isEmpty())
                panel->close();
            else
                panel->reloadData();
        });
    }

    bool acceptsPreviewPanelControl(PreviewPanel&) override { return accepts; }
    void beginPreviewPanelControl(PreviewPanel& panel) override
    {
        log << QStringLiteral("begin");
        panel.setDataSource(this);
        panel.setDelegate(this);
    }
    void endPreviewPanelControl(PreviewPanel& panel) override
    {
        log << QStringLiteral("end");
        panel.setDataSource(nullptr);
        panel.setDelegate(nullptr);
    }
    int numberOfPreviewItemsInPreviewPanel(PreviewPanel&) override
    {
        return controller.selectionIndexes().count();
    }
    PreviewItem previewPanelPreviewItemAtIndex(PreviewPanel&, int index) override
    {
        const QVariantMap m = controller.selectedObjects().value(index).toMap();
        return {m.value(QStringLiteral("previewItemURL")).toUrl(),
                m.value(QStringLiteral("previewItemTitle")).toString()};
    }
    bool previewPanelHandleEvent(PreviewPanel&, QEvent& event) override
    {
        if (event.type() != QEvent::KeyPress)
            return false;
        QCoreApplication::sendEvent(&table, &event);
        return true;
    }
    QRect previewPanelSourceFrameOnScreenForPreviewItem(PreviewPanel&,
                                                        const PreviewItem& item) override
    {
        for (int row = 0; row < controller.arrangedCount(); ++row) {
            if (controller.arrangedObjects().at(row).toMap().value(
                    QStringLiteral("previewItemURL")) == item.previewItemURL) {
                const QRect frame = table.frameOfCellAtColumnRow(0, row);
                return QRect(table.convertPointToScreen(frame.topLeft()), frame.size());
            }
        }
        return {};
    }
};

}  // namespace

TEST(PreviewPanel, TheAcceptingControllerFeedsThePanelWhichFollowsTheSelection)
{
    widgetApp();
    ListWindow window;
    window.table.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window.table));
    ResponderChain chain;
    chain.setFirstResponder(&window);
    PreviewPanel* panel = PreviewPanel::sharedPreviewPanel();
    ASSERT_EQ(panel, PreviewPanel::sharedPreviewPanel());
    panel->setResponderChain(&chain);

    window.controller.setSelectionIndexes({1});
    panel->makeKeyAndOrderFront();
    ASSERT_TRUE(waitUntil([panel] { return panel->isVisible(); }));
    EXPECT_EQ(window.log, QStringList{QStringLiteral("begin")});
    EXPECT_EQ(panel->currentController(), &window);
    ASSERT_TRUE(panel->currentPreviewItem());
    EXPECT_EQ(panel->currentPreviewItem()->previewItemTitle, QStringLiteral("Chess"));
    // It zoomed from the row's cell on screen.
    const QRect cell = window.table.frameOfCellAtColumnRow(0, 1);
    EXPECT_EQ(panel->lastSourceFrame(),
              QRect(window.table.convertPointToScreen(cell.topLeft()), cell.size()));

    // The down arrow in the panel moves the list's selection; the panel follows.
    QTest::keyClick(panel, Qt::Key_Down);
    EXPECT_EQ(window.controller.selectionIndexes(), IndexSet{2});
    ASSERT_TRUE(panel->currentPreviewItem());
    EXPECT_EQ(panel->currentPreviewItem()->previewItemTitle, QStringLiteral("Books"));

    // Two selected: two items; nothing selected: the panel closes.
    window.controller.setSelectionIndexes({0, 2});
    EXPECT_EQ(panel->numberOfPreviewItems(), 2);
    window.controller.setSelectionIndexes({});
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(window.log, (QStringList{QStringLiteral("begin"), QStringLiteral("end")}));
    EXPECT_EQ(panel->dataSource(), nullptr);
}

TEST(PreviewPanel, TheFirstAcceptingControllerAlongTheChainTakesOver)
{
    widgetApp();
    ListWindow front;
    ListWindow back;
    front.accepts = false;
    front.setNextResponder(&back);
    ResponderChain chain;
    chain.setFirstResponder(&front);
    PreviewPanel* panel = PreviewPanel::sharedPreviewPanel();
    panel->setResponderChain(&chain);

    panel->makeKeyAndOrderFront();
    EXPECT_EQ(panel->currentController(), &back);
    EXPECT_EQ(panel->numberOfPreviewItems(), 1);  // back's controller selected its first row

    front.accepts = true;
    panel->updateController();
    EXPECT_EQ(panel->currentController(), &front);
    EXPECT_EQ(back.log, (QStringList{QStringLiteral("begin"), QStringLiteral("end")}));
    EXPECT_EQ(front.log, QStringList{QStringLiteral("begin")});

    // Without a delegate that handles keys the panel pages through its items.
    front.controller.setSelectionIndexes({0, 1, 2});
    panel->setDelegate(nullptr);
    panel->reloadData();
    QTest::keyClick(panel, Qt::Key_Right);
    EXPECT_EQ(panel->currentPreviewItemIndex(), 1);
    QTest::keyClick(panel, Qt::Key_Escape);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(panel->currentController(), nullptr);
}
