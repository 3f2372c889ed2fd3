// Window levels by key and their stacking layers.
#include "QtPrinters.h"
#include "platform/ui/WindowLevels.h"

#include <gtest/gtest.h>

using namespace corvane::ui;

TEST(WindowLevels, TheMonitorMenusKeysGiveThePlatformsLevelsAndTheirLayers)
{
    const int keys[] = {kCGNormalWindowLevelKey,     kCGFloatingWindowLevelKey,
                        kCGMainMenuWindowLevelKey,   kCGStatusWindowLevelKey,
                        kCGModalPanelWindowLevelKey, kCGPopUpMenuWindowLevelKey,
                        kCGScreenSaverWindowLevelKey};
    const qint32 levels[] = {0, 3, 24, 25, 8, 101, 1000};
    for (size_t i = 0; i < std::size(keys); ++i)
        EXPECT_EQ(CGWindowLevelForKey(keys[i]), levels[i]) << "key " << keys[i];

    EXPECT_EQ(stackingLayerForLevel(CGWindowLevelForKey(kCGNormalWindowLevelKey)),
              StackingLayer::Normal);
    EXPECT_EQ(stackingLayerForLevel(NSScreenSaverWindowLevel), StackingLayer::Above);
    EXPECT_EQ(stackingLayerForLevel(CGWindowLevelForKey(kCGDesktopWindowLevelKey)),
              StackingLayer::Below);
    EXPECT_LT(CGWindowLevelForKey(kCGDesktopWindowLevelKey),
              CGWindowLevelForKey(kCGDesktopIconWindowLevelKey));
    EXPECT_GT(CGWindowLevelForKey(kCGMaximumWindowLevelKey),
              CGWindowLevelForKey(kCGCursorWindowLevelKey));
    EXPECT_EQ(CGWindowLevelForKey(99), 0);
}
