// Floating panels on a real X server with an EWMH window manager: levels as
// stacking states, all-desktops placement, no activation, no frame, child
// windows below and moving with their parent; each checked through the
// window manager's own properties.
#include "../QtPrinters.h"
#include "WidgetTestSupport.h"
#include "X11Probe.h"
#include "platform/ui/WindowLevels.h"
#include "platform/ui/widgets/ChildWindows.h"
#include "platform/ui/widgets/FloatingPanel.h"
#include "platform/ui/widgets/WindowPlacement.h"
#include "platform/ui/widgets/X11WindowHints.h"

#include <gtest/gtest.h>

#include <QProcess>

#include <memory>

using namespace corvane::ui;
using namespace corvane::ui::testing;

namespace {

constexpr quint32 kAllDesktops = 0xFFFFFFFFu;

class X11PanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "no X display (DISPLAY is not set); run under scripts/with-session.sh";
        qputenv("QT_QPA_PLATFORM", "xcb");
        widgetApp();
        ASSERT_TRUE(x11::isAvailable()) << "Qt is not on the xcb platform";
        probe = std::make_unique<X11Probe>();
        ASSERT_TRUE(probe->isConnected());
        ASSERT_TRUE(probe->windowManagerRuns()) << "these tests need an EWMH window manager";
    }

    xcb_window_t id(QWidget* w) { return xcb_window_t(x11::nativeWindow(w)); }

    // Waits until the window manager manages w (it lists it as a client).
    bool managed(QWidget* w)
    {
        return waitUntil([&] { return probe->stackingIndex(id(w)) >= 0; });
    }

    std::unique_ptr<X11Probe> probe;
};

}  // namespace

TEST_F(X11PanelTest, LevelsBecomeTheStackingStatesTheWindowManagerApplies)
{
    FloatingPanel panel(QRect(50, 50, 96, 96));
    panel.setLevel(NSScreenSaverWindowLevel);
    panel.orderFront();
    ASSERT_TRUE(managed(&panel));
    EXPECT_TRUE(waitUntil([&] { return probe->hasState(id(&panel), "_NET_WM_STATE_ABOVE"); }));

    // A normal window shown later still stacks below the panel.
    QWidget normal;
    normal.setGeometry(40, 40, 300, 200);
    normal.show();
    ASSERT_TRUE(managed(&normal));
    EXPECT_TRUE(waitUntil([&] { return probe->stackingIndex(id(&normal)) >= 0; }));
    QTest::qWait(100);
    EXPECT_LT(probe->stackingIndex(id(&normal)), probe->stackingIndex(id(&panel)));

    panel.setLevel(CGWindowLevelForKey(kCGNormalWindowLevelKey));
    EXPECT_TRUE(waitUntil([&] { return !probe->hasState(id(&panel), "_NET_WM_STATE_ABOVE"); }));
    panel.setLevel(CGWindowLevelForKey(kCGDesktopWindowLevelKey));
    EXPECT_TRUE(waitUntil([&] { return probe->hasState(id(&panel), "_NET_WM_STATE_BELOW"); }));
    EXPECT_FALSE(probe->hasState(id(&panel), "_NET_WM_STATE_ABOVE"));

    // Hidden and shown again, the window keeps its level.
    panel.setLevel(CGWindowLevelForKey(kCGStatusWindowLevelKey));
    panel.orderOut();
    ASSERT_TRUE(waitUntil([&] { return probe->stackingIndex(id(&panel)) < 0; }));
    panel.orderFront();
    ASSERT_TRUE(managed(&panel));
    EXPECT_TRUE(waitUntil([&] { return probe->hasState(id(&panel), "_NET_WM_STATE_ABOVE"); }));
    EXPECT_FALSE(probe->hasState(id(&panel), "_NET_WM_STATE_BELOW"));
    EXPECT_EQ(panel.level(), 25);
}

TEST_F(X11PanelTest, AllDesktopsPutsTheWindowOnEveryDesktopAndNoneTakesItBack)
{
    FloatingPanel early(QRect(200, 50, 96, 96));
    setCollectionBehavior(&early,
                          NSWindowCollectionBehaviorCanJoinAllSpaces);  // before it is shown
    early.orderFront();
    ASSERT_TRUE(managed(&early));
    EXPECT_TRUE(waitUntil([&] {
        return probe->values(id(&early), "_NET_WM_DESKTOP") == QList<quint32>{kAllDesktops};
    }));

    FloatingPanel late(QRect(300, 50, 96, 96));
    late.orderFront();
    ASSERT_TRUE(managed(&late));
    setCollectionBehavior(&late, NSWindowCollectionBehaviorCanJoinAllSpaces);
    EXPECT_TRUE(waitUntil([&] {
        return probe->values(id(&late), "_NET_WM_DESKTOP") == QList<quint32>{kAllDesktops};
    }));

    const QList<quint32> current = probe->values(probe->root(), "_NET_CURRENT_DESKTOP");
    ASSERT_EQ(current.size(), 1);
    setCollectionBehavior(&late, NSWindowCollectionBehaviorDefault);
    EXPECT_TRUE(waitUntil([&] { return probe->values(id(&late), "_NET_WM_DESKTOP") == current; }));
    EXPECT_EQ(probe->values(id(&early), "_NET_WM_DESKTOP"), QList<quint32>{kAllDesktops});
}

TEST_F(X11PanelTest, APanelHasNoFrameAndDoesNotTakeTheFocusWhenShown)
{
    QWidget document;
    document.setGeometry(100, 300, 300, 200);
    document.show();
    ASSERT_TRUE(managed(&document));
    document.activateWindow();
    ASSERT_TRUE(waitUntil([&] { return probe->activeWindow() == id(&document); }));

    FloatingPanel panel(QRect(500, 300, 96, 96));
    panel.setLevel(NSScreenSaverWindowLevel);
    panel.orderFront();
    ASSERT_TRUE(managed(&panel));
    QTest::qWait(200);
    EXPECT_EQ(probe->activeWindow(), id(&document));
    EXPECT_EQ(probe->values(id(&panel), "_NET_FRAME_EXTENTS"), (QList<quint32>{0, 0, 0, 0}));
    // WM_HINTS: the input hint is set and says "no keyboard input".
    const QList<quint32> hints = probe->values(id(&panel), "WM_HINTS");
    ASSERT_GE(hints.size(), 2);
    EXPECT_TRUE(hints.at(0) & 1u);
    EXPECT_EQ(hints.at(1), 0u);
    // The panel is where it was put: no frame shifts it.
    EXPECT_EQ(probe->geometryInRoot(id(&panel)), QRect(500, 300, 96, 96));
}

TEST_F(X11PanelTest, ChildPanelsStayBelowTheirParentAndMoveWithIt)
{
    const QRect main = screenRectFromBottomLeft(QRect(0, 0, 96, 96));
    FloatingPanel parent(main);
    FloatingPanel mem(screenRectFromBottomLeft(QRect(0, 96, 96, 96)));
    FloatingPanel cpu(screenRectFromBottomLeft(QRect(0, 192, 96, 96)));
    for (FloatingPanel* p : {&parent, &mem, &cpu}) {
        p->setLevel(NSScreenSaverWindowLevel);
        p->orderFront();
        ASSERT_TRUE(managed(p));
    }
    // Shown last, the children start above their parent-to-be.
    EXPECT_TRUE(waitUntil(
        [&] { return probe->stackingIndex(id(&cpu)) > probe->stackingIndex(id(&parent)); }));
    addChildWindow(&parent, &cpu, WindowOrderingMode::Below);
    addChildWindow(&parent, &mem, WindowOrderingMode::Below);
    EXPECT_TRUE(waitUntil([&] {
        return probe->stackingIndex(id(&cpu)) < probe->stackingIndex(id(&parent)) &&
               probe->stackingIndex(id(&mem)) < probe->stackingIndex(id(&parent));
    }));
    // Hidden and shown with the parent, they go below it again.
    parent.orderOut();
    ASSERT_TRUE(waitUntil([&] { return probe->stackingIndex(id(&mem)) < 0; }));
    parent.orderFront();
    ASSERT_TRUE(managed(&parent));
    ASSERT_TRUE(managed(&mem));
    EXPECT_TRUE(waitUntil([&] {
        return probe->stackingIndex(id(&cpu)) < probe->stackingIndex(id(&parent)) &&
               probe->stackingIndex(id(&mem)) < probe->stackingIndex(id(&parent));
    }));
    // The stack from the bottom of the screen: main, MEM above it, CPU on top.
    EXPECT_TRUE(waitUntil([&] { return probe->geometryInRoot(id(&cpu)) == cpu.geometry(); }));
    EXPECT_EQ(probe->geometryInRoot(id(&mem)).bottom() + 1,
              probe->geometryInRoot(id(&parent)).top());

    const QRect before = probe->geometryInRoot(id(&cpu));
    parent.move(parent.pos() + QPoint(120, -40));
    EXPECT_TRUE(
        waitUntil([&] { return probe->geometryInRoot(id(&cpu)) == before.translated(120, -40); }));
    EXPECT_TRUE(waitUntil([&] {
        return probe->geometryInRoot(id(&parent)).topLeft() == main.topLeft() + QPoint(120, -40);
    }));
}

TEST_F(X11PanelTest, DraggingThePanelsBackgroundMovesItThroughTheWindowManager)
{
    FloatingPanel panel(QRect(400, 400, 96, 96));
    panel.setMovableByWindowBackground(true);
    panel.setLevel(NSScreenSaverWindowLevel);
    panel.orderFront();
    ASSERT_TRUE(managed(&panel));
    ASSERT_TRUE(
        waitUntil([&] { return probe->geometryInRoot(id(&panel)) == QRect(400, 400, 96, 96); }));

    // Real pointer events from the X server's test extension.
    const auto xdotool = [](const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral("xdotool"), args);
        return p.waitForFinished(5000) && p.exitStatus() == QProcess::NormalExit &&
               p.exitCode() == 0;
    };
    ASSERT_TRUE(
        xdotool({QStringLiteral("mousemove"), QStringLiteral("420"), QStringLiteral("420")}))
        << "xdotool is needed for this test";
    ASSERT_TRUE(xdotool({QStringLiteral("mousedown"), QStringLiteral("1")}));
    waitUntil([] { return false; }, 300);  // Qt asks the window manager to move
    for (int step = 1; step <= 5; ++step) {
        xdotool({QStringLiteral("mousemove"), QString::number(420 + 30 * step),
                 QString::number(420 + 10 * step)});
        waitUntil([] { return false; }, 50);
    }
    xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
    EXPECT_TRUE(waitUntil([&] {
        return probe->geometryInRoot(id(&panel)).topLeft() == QPoint(550, 450);
    })) << "panel at "
        << probe->geometryInRoot(id(&panel)).x() << "," << probe->geometryInRoot(id(&panel)).y();
    EXPECT_TRUE(waitUntil([&] { return panel.pos() == QPoint(550, 450); }));
}
