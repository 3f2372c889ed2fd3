// Window images against a real X server with Composite: a captured window
// shows its own pixels where it stands, also where another window covers it,
// and transparency everywhere else; the null and infinite rectangles and
// explicit rectangles frame the image as the capture code expects.
#include "platform/windowserver/ScreenSpace.h"
#include "platform/windowserver/WindowImages.h"
#include "platform/windowserver/WindowProperties.h"
#include "tests/clients/SessionTestSupport.h"
#include "tests/clients/TestChild.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::windowserver;
using corvane::testing::TestChild;
using corvane::testing::testProgram;
using corvane::testing::waitUntil;

namespace {

constexpr QRgb kRed = 0xffff0000, kRedMarker = 0xff00ffff;  // the client inverts for the marker
constexpr QRgb kBlue = 0xff0000ff;

class WindowImagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CORVANE_REQUIRE_DISPLAY();
        corvane::testing::ensureQtApplication();
        x = XConnection::open();
        ASSERT_TRUE(x);
        ASSERT_TRUE(x->hasComposite()) << "the test server must offer Composite";
        // A red window at (100, 100), and a blue one raised over its right half.
        red = TestChild::start({testProgram("corvane-test-window"), "200x120+100+100:ff0000"});
        ASSERT_TRUE(red);
        redId = red->waitUntilReady().at(0);
        blue = TestChild::start({testProgram("corvane-test-window"), "150x150+200+60:0000ff"});
        ASSERT_TRUE(blue);
        blueId = blue->waitUntilReady().at(0);
        ASSERT_TRUE(corvane::testing::activateFromOutside(blueId));
    }

    std::unique_ptr<XConnection> x;
    std::unique_ptr<TestChild> red, blue;
    std::uint32_t redId = 0, blueId = 0;
};

}  // namespace

TEST_F(WindowImagesTest, WholeDesktopShowsOnlyTheWindowWhereItStands)
{
    WindowImages images(*x);
    const QImage image = images.imageOfWindows(CaptureArea::infinite(), {redId});
    ASSERT_FALSE(image.isNull());
    const ScreenSpace space = ScreenSpace::query(*x);
    EXPECT_EQ(image.size(), space.desktopBounds().size());
    // Its own pixels: the marker quarter top left, the body elsewhere, also
    // under the blue window that covers its right half.
    EXPECT_EQ(image.pixel(101, 101), kRedMarker);
    EXPECT_EQ(image.pixel(199, 159), kRedMarker);
    EXPECT_EQ(image.pixel(200, 160), kRed);
    EXPECT_EQ(image.pixel(250, 150), kRed) << "covered by the blue window on screen";
    EXPECT_EQ(image.pixel(299, 219), kRed);
    // Transparent outside it, including where the blue window is.
    EXPECT_EQ(qAlpha(image.pixel(99, 150)), 0);
    EXPECT_EQ(qAlpha(image.pixel(300, 150)), 0);
    EXPECT_EQ(qAlpha(image.pixel(320, 80)), 0);
    EXPECT_EQ(qAlpha(image.pixel(150, 220)), 0);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
}

TEST_F(WindowImagesTest, NullRectangleEnclosesTheWindowsExactly)
{
    WindowImages images(*x);
    const QImage alone = images.imageOfWindows(CaptureArea::null(), {redId});
    ASSERT_FALSE(alone.isNull());
    EXPECT_EQ(alone.size(), QSize(200, 120)) << "no shadows on X11: the window's own size";
    EXPECT_EQ(alone.pixel(0, 0), kRedMarker);
    EXPECT_EQ(alone.pixel(199, 119), kRed);

    // Both windows: their union, painted in stacking order (blue in front).
    const QImage both = images.imageOfWindows(CaptureArea::null(), {redId, blueId});
    ASSERT_FALSE(both.isNull());
    EXPECT_EQ(both.size(), QSize(250, 160));  // x 100..350, y 60..220
    EXPECT_EQ(both.pixel(150 - 100, 200 - 60), kRed);
    EXPECT_EQ(both.pixel(290 - 100, 200 - 60), kBlue) << "the front window wins where they overlap";
    EXPECT_EQ(qAlpha(both.pixel(0, 0)), 0) << "the corner lies outside both windows";
}

TEST_F(WindowImagesTest, ExplicitRectanglesCutAndOffsetTheImage)
{
    WindowImages images(*x);
    const ScreenSpace space = ScreenSpace::query(*x);
    // A rectangle given in global coordinates, half over the window.
    const QRectF area = space.rootToGlobal(QRectF(50, 80, 100, 60));
    const QImage image = images.imageOfWindows(CaptureArea::rect(area), {redId});
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(100, 60));
    EXPECT_EQ(qAlpha(image.pixel(49, 19)), 0);
    EXPECT_EQ(qAlpha(image.pixel(50, 19)), 0) << "above the window";
    EXPECT_EQ(image.pixel(50, 20), kRedMarker) << "the window's top-left pixel";
    EXPECT_EQ(image.pixel(99, 59), kRedMarker);

    EXPECT_TRUE(images.imageOfWindows(CaptureArea::rect(QRectF(0, 0, 0, 10)), {redId}).isNull());
    EXPECT_TRUE(
        images.imageOfWindows(CaptureArea::rect(QRectF(0, 0, 30000, 30000)), {redId}).isNull())
        << "refused rather than allocated";
}

TEST_F(WindowImagesTest, WindowsThatCannotBeCapturedGiveNothing)
{
    WindowImages images(*x);
    EXPECT_TRUE(images.imageOfWindows(CaptureArea::infinite(), {}).isNull());
    EXPECT_TRUE(images.imageOfWindows(CaptureArea::null(), {0x1fffffff}).isNull());

    sendRootMessage(*x, redId, x->atoms().wmChangeState, 3);  // iconify
    x->flush();
    ASSERT_TRUE(waitUntil([&] { return windowIsHidden(*x, redId); }));
    EXPECT_TRUE(images.imageOfWindows(CaptureArea::null(), {redId}).isNull())
        << "an iconified window has no contents";
    const QImage withBlue = images.imageOfWindows(CaptureArea::null(), {redId, blueId});
    ASSERT_FALSE(withBlue.isNull()) << "the capturable window still comes";
    EXPECT_EQ(withBlue.size(), QSize(150, 150));
}
