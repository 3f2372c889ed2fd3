// Window levels: the platform's numbered levels (a window at a higher level
// stays in front of windows at lower ones), the keys that name them, and how
// a level maps to the three stacking layers an X11 window manager knows.
// Collection behaviour: the flags that place a window on desktops.
#pragma once

#include <QtGlobal>

namespace corvane::ui {

// Level keys (the platform's numbering).
enum WindowLevelKey : int {
    kCGBaseWindowLevelKey = 0,
    kCGMinimumWindowLevelKey = 1,
    kCGDesktopWindowLevelKey = 2,
    kCGBackstopMenuLevelKey = 3,
    kCGNormalWindowLevelKey = 4,
    kCGFloatingWindowLevelKey = 5,
    kCGTornOffMenuWindowLevelKey = 6,
    kCGDockWindowLevelKey = 7,
    kCGMainMenuWindowLevelKey = 8,
    kCGStatusWindowLevelKey = 9,
    kCGModalPanelWindowLevelKey = 10,
    kCGPopUpMenuWindowLevelKey = 11,
    kCGDraggingWindowLevelKey = 12,
    kCGScreenSaverWindowLevelKey = 13,
    kCGMaximumWindowLevelKey = 14,
    kCGOverlayWindowLevelKey = 15,
    kCGHelpWindowLevelKey = 16,
    kCGUtilityWindowLevelKey = 17,
    kCGDesktopIconWindowLevelKey = 18,
    kCGCursorWindowLevelKey = 19,
    kCGAssistiveTechHighWindowLevelKey = 20,
};

// The level for a key (normal 0, floating 3, main menu 24, status 25, modal
// panel 8, pop-up menu 101, screen saver 1000, ...); 0 for an unknown key.
qint32 CGWindowLevelForKey(int key);

constexpr qint32 NSNormalWindowLevel = 0;
constexpr qint32 NSFloatingWindowLevel = 3;
constexpr qint32 NSScreenSaverWindowLevel = 1000;

// How a level is stacked on X11: above normal windows, among them, or
// below them.
enum class StackingLayer { Below, Normal, Above };
StackingLayer stackingLayerForLevel(qint32 level);

// Collection behaviour flags.
constexpr quint32 NSWindowCollectionBehaviorDefault = 0;
constexpr quint32 NSWindowCollectionBehaviorCanJoinAllSpaces = 1u << 0;
constexpr quint32 NSWindowCollectionBehaviorMoveToActiveSpace = 1u << 1;

}  // namespace corvane::ui
