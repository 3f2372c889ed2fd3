// The X11 side of our own top-level windows: stacking layer (above, normal,
// below), placement on all desktops, and restacking one window against
// another, asked of the EWMH window manager over Qt's own X connection.
//
// Before a window is mapped the state goes into its properties; once it is
// mapped the window manager is asked with client messages, as EWMH wants.
// Qt rewrites _NET_WM_STATE when it maps a window, so callers apply the
// layer again after every show (WindowLevels does). Everything here is a
// no-op, returning false, off X11 (the offscreen platform of the tests, or
// Wayland). Main thread only.
#pragma once

#include "platform/ui/WindowLevels.h"

#include <QtGlobal>

class QWidget;

namespace corvane::ui::x11 {

// Whether Qt talks to an X server here.
bool isAvailable();

// The window's X id (creating the native window when needed), or 0.
quint32 nativeWindow(QWidget* window);

bool setStackingLayer(QWidget* window, StackingLayer layer);
// On: the window shows on every desktop (_NET_WM_DESKTOP 0xFFFFFFFF). Off:
// it goes to the current desktop.
bool setOnAllDesktops(QWidget* window, bool on);
// Puts window directly below (or above) sibling in the stacking order.
bool restack(QWidget* window, QWidget* sibling, bool above);

}  // namespace corvane::ui::x11
