#include "platform/windowserver/WindowLevels.h"

#include "platform/windowserver/WindowProperties.h"

#include <algorithm>

namespace corvane::windowserver {

namespace {

std::optional<std::int32_t> levelOfType(xcb_ewmh_connection_t* e, xcb_atom_t type)
{
    if (type == e->_NET_WM_WINDOW_TYPE_DESKTOP)
        return level::kDesktop;
    if (type == e->_NET_WM_WINDOW_TYPE_DOCK)
        return level::kDock;
    if (type == e->_NET_WM_WINDOW_TYPE_NOTIFICATION)
        return level::kStatus;
    if (type == e->_NET_WM_WINDOW_TYPE_MENU || type == e->_NET_WM_WINDOW_TYPE_DROPDOWN_MENU ||
        type == e->_NET_WM_WINDOW_TYPE_POPUP_MENU || type == e->_NET_WM_WINDOW_TYPE_COMBO)
        return level::kPopUpMenu;
    if (type == e->_NET_WM_WINDOW_TYPE_TOOLTIP)
        return level::kHelp;
    if (type == e->_NET_WM_WINDOW_TYPE_DND)
        return level::kDragging;
    return std::nullopt;  // an ordinary window (normal, dialog, utility...): its state decides
}

bool has(const std::vector<xcb_atom_t>& atoms, xcb_atom_t atom)
{
    return std::find(atoms.begin(), atoms.end(), atom) != atoms.end();
}

}  // namespace

std::int32_t levelFromFacts(xcb_ewmh_connection_t* ewmh, const LevelFacts& facts)
{
    if (facts.explicitLevel)
        return *facts.explicitLevel;
    // The first type the window lists that we know decides (EWMH lists them
    // in order of preference).
    for (xcb_atom_t type : facts.types) {
        if (auto level = levelOfType(ewmh, type))
            return *level;
        if (type == ewmh->_NET_WM_WINDOW_TYPE_NORMAL || type == ewmh->_NET_WM_WINDOW_TYPE_DIALOG ||
            type == ewmh->_NET_WM_WINDOW_TYPE_UTILITY)
            break;
    }
    if (has(facts.states, ewmh->_NET_WM_STATE_ABOVE))
        return level::kFloating;
    if (has(facts.states, ewmh->_NET_WM_STATE_BELOW))
        return level::kBelow;
    if (has(facts.states, ewmh->_NET_WM_STATE_MODAL))
        return level::kModalPanel;
    return level::kNormal;
}

LevelFacts readLevelFacts(XConnection& x, xcb_window_t window)
{
    LevelFacts facts;
    const auto explicitLevel =
        cardinalProperty(x, window, x.atoms().corvaneWindowLevel, XCB_ATOM_CARDINAL, 1);
    if (explicitLevel && explicitLevel->size() == 1)
        facts.explicitLevel = static_cast<std::int32_t>((*explicitLevel)[0]);
    facts.types = windowTypes(x, window);
    facts.states = windowStates(x, window);
    return facts;
}

std::int32_t windowLevel(XConnection& x, xcb_window_t window)
{
    return levelFromFacts(x.ewmh(), readLevelFacts(x, window));
}

void publishWindowLevel(XConnection& x, xcb_window_t window, std::int32_t level)
{
    const auto value = static_cast<std::uint32_t>(level);
    xcb_change_property(x.xcb(), XCB_PROP_MODE_REPLACE, window, x.atoms().corvaneWindowLevel,
                        XCB_ATOM_CARDINAL, 32, 1, &value);
    x.flush();
}

}  // namespace corvane::windowserver
