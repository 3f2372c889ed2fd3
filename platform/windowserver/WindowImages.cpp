#include "platform/windowserver/WindowImages.h"

#include "platform/windowserver/WindowList.h"

#include <QPainter>
#include <QThread>

#include <xcb/composite.h>

#include <algorithm>
#include <cstring>

namespace corvane::windowserver {

struct WindowImages::Placed {
    xcb_window_t number = XCB_WINDOW_NONE;
    QRect rootBounds;  // the window's inside, in root coordinates
    int border = 0;    // border width: the window pixmap includes it
    std::uint8_t depth = 0;
    size_t stackingIndex = 0;  // bottom to top; windows not on screen first
};

namespace {

constexpr unsigned long kRepaintGraceMs = 100;

// Bits per pixel of images of depth on this server; 0 when unknown.
int bitsPerPixel(xcb_connection_t* c, std::uint8_t depth)
{
    for (auto it = xcb_setup_pixmap_formats_iterator(xcb_get_setup(c)); it.rem > 0;
         xcb_format_next(&it)) {
        if (it.data->depth == depth)
            return it.data->bits_per_pixel;
    }
    return 0;
}

// Turns Z-format 32-bit pixels into a premultiplied ARGB image. Depth 24
// pixels are opaque; depth 32 pixels carry premultiplied alpha already.
QImage imageFromPixels(const std::uint8_t* data, int width, int height, std::uint8_t depth,
                       bool lsbFirst)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    const std::uint32_t opaque = depth == 24 ? 0xff000000u : 0u;
    for (int row = 0; row < height; ++row) {
        auto* out = reinterpret_cast<std::uint32_t*>(image.scanLine(row));
        const std::uint8_t* in = data + size_t(row) * size_t(width) * 4;
        for (int col = 0; col < width; ++col, in += 4) {
            const std::uint32_t pixel =
                lsbFirst ? std::uint32_t(in[0]) | std::uint32_t(in[1]) << 8 |
                               std::uint32_t(in[2]) << 16 | std::uint32_t(in[3]) << 24
                         : std::uint32_t(in[3]) | std::uint32_t(in[2]) << 8 |
                               std::uint32_t(in[1]) << 16 | std::uint32_t(in[0]) << 24;
            out[col] = pixel | opaque;
        }
    }
    return image;
}

}  // namespace

WindowImages::WindowImages(XConnection& x) : x_(x) {}

WindowImages::~WindowImages()
{
    if (x_.hasError())
        return;
    for (xcb_window_t w : redirected_)
        xcb_composite_unredirect_window(x_.xcb(), w, XCB_COMPOSITE_REDIRECT_AUTOMATIC);
    x_.flush();
}

bool WindowImages::redirect(xcb_window_t window)
{
    if (redirected_.count(window))
        return true;
    auto cookie =
        xcb_composite_redirect_window_checked(x_.xcb(), window, XCB_COMPOSITE_REDIRECT_AUTOMATIC);
    XReply<xcb_generic_error_t> error(xcb_request_check(x_.xcb(), cookie));
    if (error)
        return false;  // gone, or redirected by someone who forbids it
    redirected_.insert(window);
    return true;
}

std::vector<WindowImages::Placed> WindowImages::placeWindows(
    const std::vector<std::uint32_t>& numbers)
{
    const std::vector<std::uint32_t> stacking = onScreenWindowNumbersBottomToTop(x_);
    std::vector<Placed> placed;
    for (std::uint32_t number : numbers) {
        if (std::any_of(placed.begin(), placed.end(),
                        [&](const Placed& p) { return p.number == number; }))
            continue;
        XReply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
            x_.xcb(), xcb_get_window_attributes(x_.xcb(), number), nullptr));
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;  // gone, or unmapped: the server has no contents for it
        XReply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(x_.xcb(), xcb_get_geometry(x_.xcb(), number), nullptr));
        if (!geometry)
            continue;
        XReply<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
            x_.xcb(), xcb_translate_coordinates(x_.xcb(), number, x_.root(), 0, 0), nullptr));
        if (!origin)
            continue;
        Placed p;
        p.number = number;
        p.rootBounds = QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
        p.border = geometry->border_width;
        p.depth = geometry->depth;
        const auto at = std::find(stacking.begin(), stacking.end(), number);
        p.stackingIndex = at == stacking.end() ? 0 : size_t(at - stacking.begin()) + 1;
        placed.push_back(p);
    }
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
        return a.stackingIndex < b.stackingIndex;
    });
    return placed;
}

QImage WindowImages::contentsOf(const Placed& window, const QRect& rootPart)
{
    if ((window.depth != 24 && window.depth != 32) || bitsPerPixel(x_.xcb(), window.depth) != 32)
        return {};
    if (!redirect(window.number))
        return {};
    const xcb_pixmap_t pixmap = xcb_generate_id(x_.xcb());
    auto named = xcb_composite_name_window_pixmap_checked(x_.xcb(), window.number, pixmap);
    if (XReply<xcb_generic_error_t> error(xcb_request_check(x_.xcb(), named)); error)
        return {};  // unmapped (iconified) windows have no pixmap
    // The pixmap holds the border too; the part wanted is inside it.
    const QPoint inPixmap =
        rootPart.topLeft() - window.rootBounds.topLeft() + QPoint(window.border, window.border);
    auto cookie = xcb_get_image(
        x_.xcb(), XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, static_cast<std::int16_t>(inPixmap.x()),
        static_cast<std::int16_t>(inPixmap.y()), static_cast<std::uint16_t>(rootPart.width()),
        static_cast<std::uint16_t>(rootPart.height()), ~0u);
    XReply<xcb_get_image_reply_t> reply(xcb_get_image_reply(x_.xcb(), cookie, nullptr));
    xcb_free_pixmap(x_.xcb(), pixmap);
    if (!reply)
        return {};
    const size_t expected = size_t(rootPart.width()) * size_t(rootPart.height()) * 4;
    if (size_t(xcb_get_image_data_length(reply.get())) < expected)
        return {};
    const bool lsbFirst = xcb_get_setup(x_.xcb())->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    return imageFromPixels(xcb_get_image_data(reply.get()), rootPart.width(), rootPart.height(),
                           window.depth, lsbFirst);
}

QImage WindowImages::imageOfWindows(const CaptureArea& area,
                                    const std::vector<std::uint32_t>& windowNumbers)
{
    if (windowNumbers.empty() || x_.hasError() || !x_.hasComposite())
        return {};
    const std::vector<Placed> windows = placeWindows(windowNumbers);
    if (windows.empty())
        return {};
    const ScreenSpace space = ScreenSpace::query(x_);
    QRect rootRect;
    if (area.isNull()) {
        for (const Placed& w : windows)
            rootRect = rootRect.united(w.rootBounds);
    } else if (area.isInfinite()) {
        rootRect = space.globalToRoot(space.desktopBounds());
    } else {
        rootRect = space.globalToRoot(area.globalRect()).toAlignedRect();
    }
    if (rootRect.isEmpty() || rootRect.width() > 32767 || rootRect.height() > 32767 ||
        std::int64_t(rootRect.width()) * rootRect.height() > kMaxCapturePixels)
        return {};
    QImage image(rootRect.size(), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    image.fill(Qt::transparent);
    // A window redirected just now is repainted by its client (the server
    // asks it to expose); give that a moment rather than catch it half done.
    bool freshlyRedirected = false;
    for (const Placed& w : windows) {
        if (!redirected_.count(w.number) && redirect(w.number))
            freshlyRedirected = true;
    }
    if (freshlyRedirected) {
        XReply<xcb_get_input_focus_reply_t> sync(
            xcb_get_input_focus_reply(x_.xcb(), xcb_get_input_focus(x_.xcb()), nullptr));
        QThread::msleep(kRepaintGraceMs);
    }
    QPainter painter(&image);
    bool anyCaptured = false;
    for (const Placed& w : windows) {
        const QRect part = w.rootBounds.intersected(rootRect);
        if (part.isEmpty())
            continue;
        const QImage contents = contentsOf(w, part);
        if (contents.isNull())
            continue;
        painter.drawImage(part.topLeft() - rootRect.topLeft(), contents);
        anyCaptured = true;
    }
    painter.end();
    if (area.isNull() && !anyCaptured)
        return {};
    return image;
}

}  // namespace corvane::windowserver
