// Numeric window levels (layers) of the window list, and how an X window's
// level is decided.
//
// The numbers are those the capture and panel code compare against: normal
// windows 0, floating panels 3, the dock 20, status windows 25, pop-up menus
// 101, the desktop far below everything. An X window manager only knows
// below/normal/above and window types, so the level of a window is:
//   1. the number in its _CORVANE_WINDOW_LEVEL property (a 32-bit CARDINAL
//      holding the signed level), which our own programs set on their windows
//      so that the exact level they asked for reads back;
//   2. else the level of its EWMH window type (desktop, dock, notification,
//      menus, tooltip, drag and drop);
//   3. else above (floating) or below by _NET_WM_STATE, else normal.
#pragma once

#include "platform/windowserver/XConnection.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace corvane::windowserver {

namespace level {
inline constexpr std::int32_t kDesktop = -2147483623;
inline constexpr std::int32_t kBelow = -1;
inline constexpr std::int32_t kNormal = 0;
inline constexpr std::int32_t kFloating = 3;
inline constexpr std::int32_t kModalPanel = 8;
inline constexpr std::int32_t kDock = 20;
inline constexpr std::int32_t kStatus = 25;
inline constexpr std::int32_t kPopUpMenu = 101;
inline constexpr std::int32_t kHelp = 200;
inline constexpr std::int32_t kDragging = 500;
}  // namespace level

// The facts a level is decided from; plain data, so the rule is tested
// without a server.
struct LevelFacts {
    std::optional<std::int32_t> explicitLevel;  // _CORVANE_WINDOW_LEVEL
    std::vector<xcb_atom_t> types;              // _NET_WM_WINDOW_TYPE, in preference order
    std::vector<xcb_atom_t> states;             // _NET_WM_STATE
};

std::int32_t levelFromFacts(xcb_ewmh_connection_t* ewmh, const LevelFacts& facts);

// Reads the facts of window.
LevelFacts readLevelFacts(XConnection& x, xcb_window_t window);
// Reads the facts of window and decides its level.
std::int32_t windowLevel(XConnection& x, xcb_window_t window);

// Publishes level on one of our own windows (see rule 1 above).
void publishWindowLevel(XConnection& x, xcb_window_t window, std::int32_t level);

}  // namespace corvane::windowserver
