#include "platform/windowserver/WindowList.h"

#include "platform/windowserver/ProcText.h"
#include "platform/windowserver/ScreenSpace.h"
#include "platform/windowserver/WindowLevels.h"
#include "platform/windowserver/WindowProperties.h"

#include <algorithm>
#include <optional>

namespace corvane::windowserver {

namespace {

// A viewable top-level window of the root and the window in it that counts.
struct ScreenWindow {
    xcb_window_t number = XCB_WINDOW_NONE;
    bool managed = false;           // a client window with WM_STATE
    bool overrideRedirect = false;  // placed by itself, not by the window manager
};

std::vector<xcb_window_t> childrenOf(XConnection& x, xcb_window_t window)
{
    XReply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(x.xcb(), xcb_query_tree(x.xcb(), window), nullptr));
    if (!tree)
        return {};
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    return std::vector<xcb_window_t>(children,
                                     children + xcb_query_tree_children_length(tree.get()));
}

// The client window inside a frame: the first window with WM_STATE, breadth
// first, at most three levels down (reparenting window managers nest one or
// two levels).
std::optional<xcb_window_t> clientInside(XConnection& x, xcb_window_t frame)
{
    std::vector<xcb_window_t> level{frame};
    for (int depth = 0; depth < 3 && !level.empty(); ++depth) {
        std::vector<xcb_window_t> next;
        for (xcb_window_t w : level) {
            if (windowWmState(x, w))
                return w;
            for (xcb_window_t child : childrenOf(x, w))
                next.push_back(child);
        }
        level = std::move(next);
        if (level.size() > 256)
            return std::nullopt;  // not a frame: a window with a large tree of its own
    }
    return std::nullopt;
}

bool isViewable(XConnection& x, xcb_window_t window)
{
    XReply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
        x.xcb(), xcb_get_window_attributes(x.xcb(), window), nullptr));
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

std::vector<ScreenWindow> screenWindowsBottomToTop(XConnection& x)
{
    const std::vector<xcb_window_t> tops = childrenOf(x, x.root());
    std::vector<xcb_get_window_attributes_cookie_t> cookies;
    cookies.reserve(tops.size());
    for (xcb_window_t w : tops)
        cookies.push_back(xcb_get_window_attributes(x.xcb(), w));
    std::vector<ScreenWindow> windows;
    for (size_t i = 0; i < tops.size(); ++i) {
        XReply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(x.xcb(), cookies[i], nullptr));
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE ||
            attributes->_class != XCB_WINDOW_CLASS_INPUT_OUTPUT)
            continue;
        ScreenWindow window;
        window.overrideRedirect = attributes->override_redirect != 0;
        const auto client = clientInside(x, tops[i]);
        if (client && *client != tops[i] && !isViewable(x, *client))
            continue;  // iconified: the frame may linger while the manager animates
        window.managed = client.has_value();
        window.number = client.value_or(tops[i]);
        windows.push_back(window);
    }
    return windows;
}

pid_t windowManagerProcess(XConnection& x)
{
    xcb_window_t check = XCB_WINDOW_NONE;
    if (!xcb_ewmh_get_supporting_wm_check_reply(
            x.ewmh(), xcb_ewmh_get_supporting_wm_check(x.ewmh(), x.root()), &check, nullptr))
        return 0;
    return windowProcess(x, check);
}

bool hasType(const std::vector<xcb_atom_t>& types, xcb_atom_t type)
{
    return std::find(types.begin(), types.end(), type) != types.end();
}

QString ownerNameFor(XConnection& x, const ScreenWindow& w, const LevelFacts& facts, pid_t pid,
                     pid_t windowManager, const OwnerNaming& naming)
{
    xcb_ewmh_connection_t* e = x.ewmh();
    if (hasType(facts.types, e->_NET_WM_WINDOW_TYPE_DESKTOP))
        return QString::fromLatin1(owner::kDesktop);
    if (hasType(facts.types, e->_NET_WM_WINDOW_TYPE_DOCK))
        return QString::fromLatin1(owner::kDock);
    if (hasType(facts.types, e->_NET_WM_WINDOW_TYPE_NOTIFICATION))
        return QString::fromLatin1(owner::kNotifications);
    if (pid == 0 || (!w.managed && pid == windowManager))
        return QString::fromLatin1(owner::kWindowServer);
    return naming ? naming(pid) : processCommandName(pid);
}

}  // namespace

QString processCommandName(pid_t pid)
{
    if (pid <= 0)
        return {};
    const auto comm = readProcText(pid, "comm", 256);
    return comm ? QString::fromUtf8(comm->trimmed()) : QString();
}

std::vector<WindowDescription> onScreenWindows(XConnection& x, const OwnerNaming& naming)
{
    if (x.hasError())
        return {};
    const ScreenSpace space = ScreenSpace::query(x);
    const pid_t windowManager = windowManagerProcess(x);
    std::vector<ScreenWindow> windows = screenWindowsBottomToTop(x);
    std::reverse(windows.begin(), windows.end());
    std::vector<WindowDescription> list;
    list.reserve(windows.size());
    for (const ScreenWindow& w : windows) {
        const auto bounds = windowRootBounds(x, w.number);
        if (!bounds)
            continue;  // gone meanwhile
        const LevelFacts facts = readLevelFacts(x, w.number);
        WindowDescription d;
        d.number = w.number;
        d.bounds = space.rootToGlobal(*bounds);
        d.layer = levelFromFacts(x.ewmh(), facts);
        if (!facts.explicitLevel && facts.types.empty() && w.overrideRedirect)
            d.layer = level::kPopUpMenu;  // placed above everything by itself
        d.ownerPid = windowProcess(x, w.number);
        d.ownerName = ownerNameFor(x, w, facts, d.ownerPid, windowManager, naming);
        d.name = windowName(x, w.number);
        list.push_back(std::move(d));
    }
    return list;
}

std::vector<std::uint32_t> onScreenWindowNumbersBottomToTop(XConnection& x)
{
    std::vector<std::uint32_t> numbers;
    for (const ScreenWindow& w : screenWindowsBottomToTop(x))
        numbers.push_back(w.number);
    return numbers;
}

}  // namespace corvane::windowserver
