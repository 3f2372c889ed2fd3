// Images of listed windows, through the Composite extension: each window's
// own contents, also where other windows cover it, painted in stacking
// order over a transparent background.
//
// To be captured a window is redirected (automatic redirection: the server
// keeps its contents off screen and still shows it as before). A window stays
// redirected for as long as the WindowImages object lives, because a server
// that does not keep covered contents (a real Xorg without a compositor) has
// the covered parts only from the moment of redirection on; Xvfb keeps them
// anyway. The first capture of a covered window on such a server may show
// the covered parts black. Redirection makes the server ask the client to
// repaint, so the first capture of a window waits 100 ms for that repaint;
// a client slower than that may be caught repainting.
//
// What is not captured: iconified windows and windows on other desktops
// (they are unmapped: the server has no contents for them), windows of depths
// other than 24 and 32, and decorations (they are the window manager's).
// X11 windows have no shadows, so the null rectangle is exactly the
// enclosing rectangle of the windows.
#pragma once

#include "platform/windowserver/ScreenSpace.h"
#include "platform/windowserver/XConnection.h"

#include <QImage>

#include <cstdint>
#include <unordered_set>
#include <vector>

namespace corvane::windowserver {

// The largest image made, in pixels (about 256 MB of ARGB); larger capture
// rectangles are refused.
inline constexpr std::int64_t kMaxCapturePixels = std::int64_t(8192) * 8192;

class WindowImages {
public:
    // x must outlive this object. Main thread (the thread of x) only.
    explicit WindowImages(XConnection& x);
    ~WindowImages();
    WindowImages(const WindowImages&) = delete;
    WindowImages& operator=(const WindowImages&) = delete;

    // An image of area showing only the windows numbered windowNumbers (X
    // window ids, as the window list gives them), each with its own pixels,
    // transparent elsewhere; one image pixel per screen pixel. The image is
    // premultiplied ARGB; its top-left pixel is the area's top left.
    //
    // A null image when: the server has no Composite extension; no listed
    // window is on screen (with the null rectangle: none could be captured); the
    // area is empty, or larger than kMaxCapturePixels. Listed windows that
    // cannot be captured (gone, unmapped) are left out of an image that is
    // made anyway.
    QImage imageOfWindows(const CaptureArea& area, const std::vector<std::uint32_t>& windowNumbers);

private:
    struct Placed;
    std::vector<Placed> placeWindows(const std::vector<std::uint32_t>& numbers);
    QImage contentsOf(const Placed& window, const QRect& rootPart);
    bool redirect(xcb_window_t window);

    XConnection& x_;
    std::unordered_set<xcb_window_t> redirected_;
};

}  // namespace corvane::windowserver
