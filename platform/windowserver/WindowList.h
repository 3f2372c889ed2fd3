// The list of on-screen windows, front to back, as the capture code reads it.
//
// A window here is what an application drew: the client window inside the
// window manager's frame (decorations are the window manager's, not the
// application's), or a top-level window the window manager does not manage
// (menus, tooltips, notifications that place themselves). Windows that are
// not mapped (iconified, withdrawn, on another desktop) are not on screen.
//
// Owner names: a window's owner is named after its application (the caller's
// naming function, by process identifier), except windows that play a part
// of the desktop itself, which get the names the capture code looks for:
//   - desktop windows (_NET_WM_WINDOW_TYPE_DESKTOP): "Finder", at the desktop
//     level (negative);
//   - docks and panels (_NET_WM_WINDOW_TYPE_DOCK): "Dock";
//   - notification bubbles (_NET_WM_WINDOW_TYPE_NOTIFICATION): "GrowlHelperApp";
//   - windows of the window manager itself, and unmanaged windows whose
//     owner cannot be told: "Window Server".
#pragma once

#include "platform/windowserver/XConnection.h"

#include <QRect>
#include <QString>

#include <sys/types.h>
#include <cstdint>
#include <functional>
#include <vector>

namespace corvane::windowserver {

namespace owner {
inline constexpr char kDesktop[] = "Finder";
inline constexpr char kDock[] = "Dock";
inline constexpr char kNotifications[] = "GrowlHelperApp";
inline constexpr char kWindowServer[] = "Window Server";
}  // namespace owner

struct WindowDescription {
    std::uint32_t number = 0;  // the X window id; what capture calls take
    QRect bounds;              // global coordinates (ScreenSpace.h), border excluded
    std::int32_t layer = 0;    // WindowLevels.h
    pid_t ownerPid = 0;        // 0 when no process can be told
    QString ownerName;
    QString name;  // the window's title; may be empty
};

// Names an application by its process identifier.
using OwnerNaming = std::function<QString(pid_t)>;

// The process's short name from /proc/<pid>/comm; empty when it is gone.
QString processCommandName(pid_t pid);

// The on-screen windows, front to back. naming names the owners of
// application windows (processCommandName when not given). Empty when the
// connection is broken. Windows that vanish while the list is read are left
// out.
std::vector<WindowDescription> onScreenWindows(XConnection& x, const OwnerNaming& naming = {});

// The numbers of the on-screen windows, bottom to top (the order in which
// they are painted); the same windows as onScreenWindows, read faster.
std::vector<std::uint32_t> onScreenWindowNumbersBottomToTop(XConnection& x);

}  // namespace corvane::windowserver
