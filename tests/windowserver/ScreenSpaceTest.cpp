// The one conversion between X11 root, global (top-left of the main display)
// and bottom-left coordinates, and the main display as the server reports it.
#include "platform/windowserver/ScreenSpace.h"
#include "tests/clients/SessionTestSupport.h"

#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace corvane::windowserver;

TEST(ScreenSpace, ConvertsAroundAMainDisplayThatIsNotAtTheRootOrigin)
{
    // Two displays side by side; the main one is the right one, 1920 x 1080,
    // whose top edge lies 120 pixels below the root's.
    const ScreenSpace space(QRect(1280, 120, 1920, 1080), QRect(0, 0, 3200, 1200));
    EXPECT_EQ(space.mainDisplayBounds(), QRect(0, 0, 1920, 1080));
    EXPECT_EQ(space.desktopBounds(), QRect(-1280, -120, 3200, 1200));

    const QRect window(1300, 200, 400, 300);  // root coordinates
    const QRect global = space.rootToGlobal(window);
    EXPECT_EQ(global, QRect(20, 80, 400, 300));
    EXPECT_EQ(space.globalToRoot(global), window);

    // Bottom-left: y counts up from the main display's bottom edge.
    const QRectF flipped = space.globalToBottomLeft(QRectF(global));
    EXPECT_EQ(flipped, QRectF(20, 1080 - 80 - 300, 400, 300));
    EXPECT_EQ(space.bottomLeftToGlobal(flipped), QRectF(global));
    // A window on the left display, above the main one's top: negative x,
    // and bottom-left y above the main display's height.
    const QRectF left = space.globalToBottomLeft(space.rootToGlobal(QRectF(0, 0, 100, 50)));
    EXPECT_EQ(left, QRectF(-1280, 1080 + 120 - 50, 100, 50));
}

TEST(ScreenSpace, CaptureAreasKeepTheirKind)
{
    EXPECT_TRUE(CaptureArea::null().isNull());
    EXPECT_FALSE(CaptureArea::null().isInfinite());
    EXPECT_TRUE(CaptureArea::infinite().isInfinite());
    const auto zero = CaptureArea::rect(QRectF());
    EXPECT_FALSE(zero.isNull()) << "an empty rectangle is not the null rectangle";
    EXPECT_FALSE(zero.isInfinite());
}

TEST(ScreenSpace, MainDisplayOfTheRunningServer)
{
    CORVANE_REQUIRE_DISPLAY();
    auto x = XConnection::open();
    ASSERT_TRUE(x);
    QProcess info;
    info.start(QStringLiteral("xdpyinfo"), {});
    ASSERT_TRUE(info.waitForFinished(10000));
    const auto match = QRegularExpression(QStringLiteral("dimensions:\\s+(\\d+)x(\\d+) pixels"))
                           .match(QString::fromUtf8(info.readAllStandardOutput()));
    ASSERT_TRUE(match.hasMatch());
    const QSize reported(match.captured(1).toInt(), match.captured(2).toInt());
    const ScreenSpace space = ScreenSpace::query(*x);
    // One display: the main display is the whole desktop.
    EXPECT_EQ(space.mainDisplayBounds(), QRect(QPoint(0, 0), reported));
    EXPECT_EQ(space.desktopBounds(), QRect(QPoint(0, 0), reported));
}
