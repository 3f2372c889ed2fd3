// The on-screen window list against a real X server and window manager:
// windows placed by test clients come back in stacking order, with the bounds
// they were placed at, their owners and titles, the levels and owner names of
// their roles; unmapped windows are not on screen.
#include "platform/windowserver/WindowLevels.h"
#include "platform/windowserver/WindowList.h"
#include "platform/windowserver/WindowProperties.h"
#include "tests/clients/SessionTestSupport.h"
#include "tests/clients/TestChild.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>

#include <unistd.h>

using namespace corvane;
using namespace corvane::windowserver;
using corvane::testing::TestChild;
using corvane::testing::testProgram;
using corvane::testing::waitUntil;

namespace {

std::unique_ptr<TestChild> startWindows(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), testProgram("corvane-test-window"));
    return TestChild::start(arguments);
}

// The descriptions of the given windows, in list order.
std::vector<WindowDescription> only(const std::vector<WindowDescription>& list,
                                    const std::vector<std::uint32_t>& numbers)
{
    std::vector<WindowDescription> kept;
    std::copy_if(list.begin(), list.end(), std::back_inserter(kept),
                 [&](const WindowDescription& d) {
                     return std::find(numbers.begin(), numbers.end(), d.number) != numbers.end();
                 });
    return kept;
}

const WindowDescription* byNumber(const std::vector<WindowDescription>& list, std::uint32_t n)
{
    auto it = std::find_if(list.begin(), list.end(), [&](const auto& d) { return d.number == n; });
    return it == list.end() ? nullptr : &*it;
}

class WindowListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CORVANE_REQUIRE_DISPLAY();
        corvane::testing::ensureQtApplication();
        x = XConnection::open();
        ASSERT_TRUE(x) << "cannot connect to the display";
    }
    std::unique_ptr<XConnection> x;
};

}  // namespace

TEST_F(WindowListTest, OrderBoundsOwnersAndNamesMatchWhatWasPlaced)
{
    auto first = startWindows(
        {"--title", "First Ünïcode", "200x120+100+90:ff0000", "160x100+420+300:00ff00"});
    auto second = startWindows({"--title", "Second", "--no-pid", "300x150+150+400:0000ff"});
    ASSERT_TRUE(first && second);
    const auto firstIds = first->waitUntilReady();
    const auto secondIds = second->waitUntilReady();
    ASSERT_EQ(firstIds.size(), 2u);
    ASSERT_EQ(secondIds.size(), 1u);

    // Raise them in a known order: the last activated is frontmost.
    const std::vector<std::uint32_t> raiseOrder{firstIds[1], secondIds[0], firstIds[0]};
    for (std::uint32_t id : raiseOrder) {
        ASSERT_TRUE(corvane::testing::activateFromOutside(id)) << "window manager ignored us";
    }
    const auto named = [&](pid_t pid) { return QStringLiteral("app-%1").arg(pid); };
    const auto mine = only(onScreenWindows(*x, named), raiseOrder);
    ASSERT_EQ(mine.size(), 3u);
    EXPECT_EQ(mine[0].number, firstIds[0]) << "front to back";
    EXPECT_EQ(mine[1].number, secondIds[0]);
    EXPECT_EQ(mine[2].number, firstIds[1]);

    EXPECT_EQ(mine[0].bounds, QRect(100, 90, 200, 120));
    EXPECT_EQ(mine[2].bounds, QRect(420, 300, 160, 100));
    EXPECT_EQ(mine[1].bounds, QRect(150, 400, 300, 150));
    EXPECT_EQ(mine[0].ownerPid, first->pid());
    EXPECT_EQ(mine[2].ownerPid, first->pid());
    EXPECT_EQ(mine[1].ownerPid, second->pid())
        << "a client without _NET_WM_PID, through X-Resource";
    EXPECT_EQ(mine[0].ownerName, named(first->pid()));
    EXPECT_EQ(mine[1].ownerName, named(second->pid()));
    EXPECT_EQ(mine[0].name, QStringLiteral("First Ünïcode"));
    EXPECT_EQ(mine[2].name, QStringLiteral("First Ünïcode 2"));
    for (const auto& d : mine)
        EXPECT_EQ(d.layer, level::kNormal);

    // Without a naming function the owner is the process's command name.
    const auto plain = only(onScreenWindows(*x), {firstIds[0]});
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_EQ(plain[0].ownerName, QStringLiteral("corvane-test-wi"))
        << "the kernel cuts command names at 15 bytes";
}

TEST_F(WindowListTest, IconifiedAndClosedWindowsAreNotOnScreen)
{
    auto client = startWindows({"120x80+50+50", "120x80+300+50"});
    ASSERT_TRUE(client);
    const auto ids = client->waitUntilReady();
    ASSERT_EQ(ids.size(), 2u);
    ASSERT_EQ(only(onScreenWindows(*x), ids).size(), 2u);

    sendRootMessage(*x, ids[0], x->atoms().wmChangeState, 3);  // iconify
    x->flush();
    ASSERT_TRUE(waitUntil([&] { return windowIsHidden(*x, ids[0]); }));
    const auto afterIconify = only(onScreenWindows(*x), ids);
    ASSERT_EQ(afterIconify.size(), 1u);
    EXPECT_EQ(afterIconify[0].number, ids[1]);

    client->kill();
    EXPECT_TRUE(waitUntil([&] { return only(onScreenWindows(*x), ids).empty(); }));
}

TEST_F(WindowListTest, DesktopRolesGetTheirLevelsAndOwnerNames)
{
    auto dock = startWindows({"--type", "dock", "1280x22+0+778:202020"});
    auto desktop = startWindows({"--type", "desktop", "1280x800+0+0:336699"});
    auto bubble =
        startWindows({"--type", "notification", "--title", "Note", "250x60+1000+40:ffffcc"});
    ASSERT_TRUE(dock && desktop && bubble);
    const auto dockId = dock->waitUntilReady().at(0);
    const auto desktopId = desktop->waitUntilReady().at(0);
    const auto bubbleId = bubble->waitUntilReady().at(0);

    const auto list = onScreenWindows(*x, [](pid_t) { return QStringLiteral("someone"); });
    const auto* d = byNumber(list, dockId);
    const auto* k = byNumber(list, desktopId);
    const auto* b = byNumber(list, bubbleId);
    ASSERT_TRUE(d && k && b);
    EXPECT_EQ(d->ownerName, QStringLiteral("Dock"));
    EXPECT_EQ(d->layer, level::kDock);
    EXPECT_EQ(d->ownerPid, dock->pid()) << "a role name keeps the real owner";
    EXPECT_EQ(k->ownerName, QStringLiteral("Finder"));
    EXPECT_LT(k->layer, 0) << "the desktop lies below every window";
    EXPECT_EQ(b->ownerName, QStringLiteral("GrowlHelperApp"));
    EXPECT_EQ(b->layer, level::kStatus);
    // The desktop is the bottom of the stack, whatever the order of mapping.
    EXPECT_EQ(list.back().number, desktopId);
}

TEST_F(WindowListTest, PublishedLevelsAndAboveStateReadBack)
{
    auto client = startWindows({"100x100+600+100", "100x100+720+100"});
    ASSERT_TRUE(client);
    const auto ids = client->waitUntilReady();
    ASSERT_EQ(ids.size(), 2u);
    publishWindowLevel(*x, ids[0], 19);
    publishWindowLevel(*x, ids[1], -5);
    EXPECT_EQ(windowLevel(*x, ids[0]), 19);
    EXPECT_EQ(windowLevel(*x, ids[1]), -5) << "negative levels survive the CARDINAL property";

    // The rule without a published level: the window manager's above/below.
    xcb_ewmh_connection_t* e = x->ewmh();
    EXPECT_EQ(levelFromFacts(e, {std::nullopt, {}, {e->_NET_WM_STATE_ABOVE}}), level::kFloating);
    EXPECT_EQ(levelFromFacts(e, {std::nullopt, {}, {e->_NET_WM_STATE_BELOW}}), level::kBelow);
    EXPECT_EQ(
        levelFromFacts(
            e, {std::nullopt, {e->_NET_WM_WINDOW_TYPE_NORMAL, e->_NET_WM_WINDOW_TYPE_DOCK}, {}}),
        level::kNormal)
        << "the first known type decides";
    EXPECT_EQ(levelFromFacts(e, {7, {e->_NET_WM_WINDOW_TYPE_DOCK}, {e->_NET_WM_STATE_ABOVE}}), 7);
}

TEST_F(WindowListTest, BrokenPropertiesAreIgnoredNotTrusted)
{
    // A window of our own that stays unmapped, so no window manager rewrites
    // what we put on it (openbox replaces broken icons of its clients).
    const xcb_window_t id = xcb_generate_id(x->xcb());
    xcb_create_window(x->xcb(), XCB_COPY_FROM_PARENT, id, x->root(), 0, 0, 10, 10, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    // A hostile _NET_WM_PID (wrong format) and a truncated _NET_WM_ICON.
    const std::uint16_t badPid = 7;
    xcb_change_property(x->xcb(), XCB_PROP_MODE_REPLACE, id, x->ewmh()->_NET_WM_PID,
                        XCB_ATOM_CARDINAL, 16, 1, &badPid);
    const std::uint32_t icon[] = {64, 64, 0xff00ff00, 0xff00ff00};
    xcb_change_property(x->xcb(), XCB_PROP_MODE_REPLACE, id, x->ewmh()->_NET_WM_ICON,
                        XCB_ATOM_CARDINAL, 32, 4, icon);
    EXPECT_EQ(windowProcess(*x, id), ::getpid()) << "falls back to X-Resource";
    EXPECT_TRUE(windowIcon(*x, id, 32).isNull());
    const std::uint32_t hugeIcon[] = {100000, 100000, 1};
    xcb_change_property(x->xcb(), XCB_PROP_MODE_REPLACE, id, x->ewmh()->_NET_WM_ICON,
                        XCB_ATOM_CARDINAL, 32, 3, hugeIcon);
    EXPECT_TRUE(windowIcon(*x, id, 32).isNull());
    // Two good icons after each other: the one closest to the size asked for.
    std::vector<std::uint32_t> two{2, 2, 1, 1, 1, 1, 4, 4};
    two.resize(two.size() + 16, 0xff0000ffu);
    xcb_change_property(x->xcb(), XCB_PROP_MODE_REPLACE, id, x->ewmh()->_NET_WM_ICON,
                        XCB_ATOM_CARDINAL, 32, std::uint32_t(two.size()), two.data());
    EXPECT_EQ(windowIcon(*x, id, 4).size(), QSize(4, 4));
    EXPECT_EQ(windowIcon(*x, id, 1).size(), QSize(2, 2));
    EXPECT_EQ(windowIcon(*x, id, 64).size(), QSize(4, 4)) << "none large enough: the largest";
    EXPECT_EQ(windowIcon(*x, id, 64).pixel(3, 3), 0xff0000ffu);
    EXPECT_FALSE(windowWmState(*x, id)) << "never managed";
    xcb_destroy_window(x->xcb(), id);
    EXPECT_FALSE(windowRootBounds(*x, 0x1fffffff)) << "a window that never existed";
    EXPECT_EQ(windowProcess(*x, 0x1fffffff), 0);
}
