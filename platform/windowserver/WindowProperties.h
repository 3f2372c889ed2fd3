// Reading the facts of one X window: its properties (bounded in size), its
// owner process, its place on the root window, its state in the window
// manager. Every call is one or two round trips; a window that is gone, or a
// property that is missing or malformed, gives nothing, never an error.
#pragma once

#include "platform/windowserver/XConnection.h"

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>

#include <sys/types.h>
#include <cstdint>
#include <optional>
#include <vector>

namespace corvane::windowserver {

// The longest property read, in bytes; longer values are cut (names) or
// refused (lists). Icons have their own limit.
inline constexpr std::uint32_t kMaxPropertyBytes = 64 * 1024;

// The raw value of a property of format 32 and the given type (XCB_ATOM_ANY
// for any), at most maxItems items. Nothing when it is absent, of another
// format or type, or longer than maxItems.
std::optional<std::vector<std::uint32_t>> cardinalProperty(XConnection& x, xcb_window_t window,
                                                           xcb_atom_t property, xcb_atom_t type,
                                                           std::uint32_t maxItems);
// The bytes of a property of format 8, cut to maxBytes.
std::optional<QByteArray> byteProperty(XConnection& x, xcb_window_t window, xcb_atom_t property,
                                       xcb_atom_t type, std::uint32_t maxBytes = kMaxPropertyBytes);

// The process that owns the window: _NET_WM_PID, or else what the X-Resource
// extension knows of the client that made the window (which works for
// clients that set no _NET_WM_PID, but only on the same machine). 0 when
// neither says.
pid_t windowProcess(XConnection& x, xcb_window_t window);

// The window's title: _NET_WM_NAME (UTF-8), else WM_NAME (Latin-1); empty
// when it has none.
QString windowName(XConnection& x, xcb_window_t window);

// The window's bounds in root coordinates (pixels from the top left of the
// root window), its border excluded. Nothing when the window is gone.
std::optional<QRect> windowRootBounds(XConnection& x, xcb_window_t window);

// ICCCM WM_STATE: what the window manager says of a managed client window.
enum class WmState : std::uint32_t { Withdrawn = 0, Normal = 1, Iconic = 3 };
std::optional<WmState> windowWmState(XConnection& x, xcb_window_t window);

// _NET_WM_WINDOW_TYPE and _NET_WM_STATE as atom lists (empty when absent).
std::vector<xcb_atom_t> windowTypes(XConnection& x, xcb_window_t window);
std::vector<xcb_atom_t> windowStates(XConnection& x, xcb_window_t window);

// Whether the window lists protocol (e.g. _NET_WM_PING) in WM_PROTOCOLS.
bool windowSupportsProtocol(XConnection& x, xcb_window_t window, xcb_atom_t protocol);

// Whether the window is iconified: WM_STATE Iconic or _NET_WM_STATE_HIDDEN.
bool windowIsHidden(XConnection& x, xcb_window_t window);

// The client list of the window manager (_NET_CLIENT_LIST_STACKING, bottom
// to top, else _NET_CLIENT_LIST in mapping order). Empty without one.
std::vector<xcb_window_t> managedClients(XConnection& x);

// The _NET_ACTIVE_WINDOW of the window manager; XCB_WINDOW_NONE when no
// window is active or no window manager says.
xcb_window_t activeWindow(XConnection& x);

// The icon of _NET_WM_ICON whose size is closest to preferredSide (the
// smallest one that is at least as large, else the largest). A null image
// when the window has none or the property is malformed. Icons larger than
// 512 x 512 are not read.
QImage windowIcon(XConnection& x, xcb_window_t window, int preferredSide);

// Sends a client message of format 32 to the root window, as EWMH asks for
// requests to the window manager (SubstructureNotify and SubstructureRedirect).
void sendRootMessage(XConnection& x, xcb_window_t window, xcb_atom_t type, std::uint32_t d0 = 0,
                     std::uint32_t d1 = 0, std::uint32_t d2 = 0, std::uint32_t d3 = 0,
                     std::uint32_t d4 = 0);

}  // namespace corvane::windowserver
