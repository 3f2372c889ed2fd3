// Floating panels without a window manager: closing with its delegate,
// dragging by the background, child windows that follow their parent,
// levels and numbers kept per window, bound layers.
#include "../QtPrinters.h"
#include "WidgetTestSupport.h"
#include "platform/ui/KeyPathBinding.h"
#include "platform/ui/ObservableDictionary.h"
#include "platform/ui/WindowLevels.h"
#include "platform/ui/widgets/ChildWindows.h"
#include "platform/ui/widgets/FloatingPanel.h"
#include "platform/ui/widgets/LayerViews.h"
#include "platform/ui/widgets/WindowPlacement.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>

using namespace corvane::ui;
using namespace corvane::ui::testing;

namespace {

// Closes the children of a closing window first, as the monitor does.
class ClosingDelegate : public WindowDelegate {
public:
    QStringList closed;
    void windowWillClose(QWidget& window) override
    {
        closed << window.objectName();
        for (QWidget* child : childWindows(&window)) {
            removeChildWindow(&window, child);
            child->close();
        }
    }
};

FloatingPanel* makePanel(const QString& name, const QPoint& at, WindowDelegate* delegate)
{
    auto* panel = new FloatingPanel(QRect(at, QSize(96, 96)));
    panel->setObjectName(name);
    panel->setDelegate(delegate);
    panel->setReleasedWhenClosed(true);
    panel->setLevel(NSScreenSaverWindowLevel);
    return panel;
}

}  // namespace

TEST(FloatingPanel, ClosingTheMainPanelClosesItsChildrenAndReleasesAll)
{
    widgetApp();
    ClosingDelegate delegate;
    QPointer<FloatingPanel> main = makePanel(QStringLiteral("main"), {0, 600}, &delegate);
    QPointer<FloatingPanel> mem = makePanel(QStringLiteral("MEM"), {0, 504}, &delegate);
    QPointer<FloatingPanel> cpu = makePanel(QStringLiteral("CPU"), {0, 408}, &delegate);
    addChildWindow(main, cpu, WindowOrderingMode::Below);
    addChildWindow(main, mem, WindowOrderingMode::Below);
    main->orderFront();
    EXPECT_TRUE(cpu->isVisible());  // children come with their parent
    EXPECT_EQ(childWindows(main), (QList<QWidget*>{cpu.data(), mem.data()}));
    EXPECT_EQ(parentWindow(mem), main.data());

    main->close();
    EXPECT_EQ(delegate.closed,
              (QStringList{QStringLiteral("main"), QStringLiteral("CPU"), QStringLiteral("MEM")}));
    ASSERT_TRUE(waitUntil([&] { return main.isNull() && mem.isNull() && cpu.isNull(); }));
}

TEST(FloatingPanel, ChildrenMoveWithTheirParentUntilDetached)
{
    widgetApp();
    FloatingPanel main(QRect(0, 600, 96, 96));
    FloatingPanel mem(QRect(0, 504, 96, 96));
    FloatingPanel other(QRect(300, 300, 96, 96));
    addChildWindow(&main, &mem, WindowOrderingMode::Below);
    main.orderFront();
    other.orderFront();

    main.move(40, 500);
    EXPECT_EQ(mem.pos(), QPoint(40, 404));
    EXPECT_EQ(other.pos(), QPoint(300, 300));

    // No cycles; a second parent takes the child over.
    addChildWindow(&mem, &main, WindowOrderingMode::Above);
    EXPECT_EQ(parentWindow(&main), nullptr);
    addChildWindow(&other, &mem, WindowOrderingMode::Out);
    EXPECT_EQ(parentWindow(&mem), &other);
    EXPECT_TRUE(childWindows(&main).isEmpty());
    main.move(0, 0);
    EXPECT_EQ(mem.pos(), QPoint(40, 404));
    {
        FloatingPanel shortLived(QRect(0, 0, 10, 10));
        addChildWindow(&other, &shortLived, WindowOrderingMode::Below);
        EXPECT_EQ(childWindows(&other).size(), 2);
    }
    EXPECT_EQ(childWindows(&other), QList<QWidget*>{&mem});
    other.move(310, 300);
    EXPECT_EQ(mem.pos(), QPoint(50, 404));
    // Hiding the parent hides its children.
    other.orderOut();
    EXPECT_FALSE(mem.isVisible());
}

// Press at from, move to to, release there (panel coordinates at the press).
void drag(QWidget& panel, const QPoint& from, const QPoint& to)
{
    const QPoint origin = panel.mapToGlobal(QPoint(0, 0));
    auto send = [&panel, origin](QEvent::Type type, const QPoint& at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, QPointF(at), QPointF(origin + at), Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(&panel, &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::NoButton);
}

TEST(FloatingPanel, APanelMovableByItsBackgroundFollowsADrag)
{
    widgetApp();
    FloatingPanel panel(QRect(100, 100, 96, 96));
    panel.orderFront();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    drag(panel, QPoint(10, 10), QPoint(40, 30));
    EXPECT_EQ(panel.pos(), QPoint(100, 100));  // not movable yet

    panel.setMovableByWindowBackground(true);
    drag(panel, QPoint(10, 10), QPoint(40, 30));
    EXPECT_EQ(panel.pos(), QPoint(130, 120));
}

TEST(FloatingPanel, LevelsBehaviourAndNumbersBelongToEachWindow)
{
    widgetApp();
    FloatingPanel a(QRect(0, 0, 96, 96));
    FloatingPanel b(QRect(100, 0, 96, 96));
    EXPECT_EQ(a.level(), NSNormalWindowLevel);
    a.setLevel(CGWindowLevelForKey(kCGFloatingWindowLevelKey));
    b.setLevel(NSScreenSaverWindowLevel);
    EXPECT_EQ(windowLevel(&a), 3);
    EXPECT_EQ(windowLevel(&b), 1000);
    setCollectionBehavior(&a, NSWindowCollectionBehaviorCanJoinAllSpaces);
    EXPECT_EQ(collectionBehavior(&a) & NSWindowCollectionBehaviorCanJoinAllSpaces, 1u);
    EXPECT_EQ(collectionBehavior(&b), 0u);

    const qint64 number = a.windowNumber();
    EXPECT_NE(number, 0);
    EXPECT_EQ(windowWithWindowNumber(number), &a);
    EXPECT_EQ(windowWithWindowNumber(b.windowNumber()), &b);
    EXPECT_EQ(windowWithWindowNumber(number + 424242), nullptr);
    EXPECT_EQ(windowWithWindowNumber(0), nullptr);

    // A panel placed at the lower left of the screen, y upwards.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(screenRectFromBottomLeft(QRect(0, 0, 96, 96)),
              QRect(screen.x(), screen.bottom() + 1 - 96, 96, 96));
    EXPECT_EQ(screenRectFromBottomLeft(QRect(0, 192, 96, 96)).top(), screen.bottom() + 1 - 288);
}

TEST(FloatingPanel, BoundLayersShowTheDictionaryAndRebindToAnotherFigure)
{
    widgetApp();
    ObservableDictionary info;
    info.setValue(QStringLiteral("currentProcessCPU"), QStringLiteral("12.5"));
    info.setValue(QStringLiteral("currentProcessMEM"), QStringLiteral("0.8"));
    FloatingPanel panel(QRect(0, 0, 96, 96));
    auto* figure = new TextLayer(&panel);
    auto* icon = new ImageButton(&panel);
    bind(figure, QStringLiteral("string"), &info, QStringLiteral("currentProcessCPU"));
    bind(icon, QStringLiteral("image"), &info, QStringLiteral("NSApplicationIcon"));
    EXPECT_EQ(figure->text(), QStringLiteral("12.5"));
    EXPECT_EQ(figure->font().pointSizeF(), TextLayer::kDefaultPointSize);
    EXPECT_TRUE(icon->icon().isNull());

    QImage image(48, 48, QImage::Format_ARGB32);
    image.fill(Qt::red);
    info.setValue(QStringLiteral("NSApplicationIcon"), image);
    EXPECT_FALSE(icon->icon().isNull());

    bind(figure, QStringLiteral("string"), &info, QStringLiteral("currentProcessMEM"));
    EXPECT_EQ(figure->text(), QStringLiteral("0.8"));
    EXPECT_EQ(infoForBinding(figure, QStringLiteral("string"))->observedKeyPath,
              QStringLiteral("currentProcessMEM"));
}
