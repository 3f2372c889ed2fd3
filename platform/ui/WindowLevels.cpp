#include "platform/ui/WindowLevels.h"

#include <limits>

namespace corvane::ui {

namespace {

constexpr qint32 kBase = std::numeric_limits<qint32>::min();
constexpr qint32 kMinimum = kBase + 1;
constexpr qint32 kDesktop = kMinimum + 20;
constexpr qint32 kMaximum = std::numeric_limits<qint32>::max() - 16;

}  // namespace

qint32 CGWindowLevelForKey(int key)
{
    switch (key) {
    case kCGBaseWindowLevelKey:
        return kBase;
    case kCGMinimumWindowLevelKey:
        return kMinimum;
    case kCGDesktopWindowLevelKey:
        return kDesktop;
    case kCGBackstopMenuLevelKey:
        return -20;
    case kCGNormalWindowLevelKey:
        return 0;
    case kCGFloatingWindowLevelKey:
        return 3;
    case kCGTornOffMenuWindowLevelKey:
        return 3;
    case kCGDockWindowLevelKey:
        return 20;
    case kCGMainMenuWindowLevelKey:
        return 24;
    case kCGStatusWindowLevelKey:
        return 25;
    case kCGModalPanelWindowLevelKey:
        return 8;
    case kCGPopUpMenuWindowLevelKey:
        return 101;
    case kCGDraggingWindowLevelKey:
        return 500;
    case kCGScreenSaverWindowLevelKey:
        return 1000;
    case kCGMaximumWindowLevelKey:
        return kMaximum;
    case kCGOverlayWindowLevelKey:
        return 102;
    case kCGHelpWindowLevelKey:
        return 200;
    case kCGUtilityWindowLevelKey:
        return 19;
    case kCGDesktopIconWindowLevelKey:
        return kDesktop + 20;
    case kCGCursorWindowLevelKey:
        return kMaximum - 1;
    case kCGAssistiveTechHighWindowLevelKey:
        return 1500;
    default:
        return 0;
    }
}

StackingLayer stackingLayerForLevel(qint32 level)
{
    if (level > 0)
        return StackingLayer::Above;
    return level < 0 ? StackingLayer::Below : StackingLayer::Normal;
}

}  // namespace corvane::ui
