#include "platform/windowserver/ScreenSpace.h"

#include <xcb/randr.h>

#include <optional>
#include <vector>

namespace corvane::windowserver {

namespace {

std::optional<QRect> crtcBounds(XConnection& x, xcb_randr_crtc_t crtc, xcb_timestamp_t time)
{
    if (crtc == XCB_NONE)
        return std::nullopt;
    XReply<xcb_randr_get_crtc_info_reply_t> info(xcb_randr_get_crtc_info_reply(
        x.xcb(), xcb_randr_get_crtc_info(x.xcb(), crtc, time), nullptr));
    if (!info || info->width == 0 || info->height == 0)
        return std::nullopt;
    return QRect(info->x, info->y, info->width, info->height);
}

std::optional<QRect> primaryOutputBounds(XConnection& x, xcb_timestamp_t time)
{
    XReply<xcb_randr_get_output_primary_reply_t> primary(xcb_randr_get_output_primary_reply(
        x.xcb(), xcb_randr_get_output_primary(x.xcb(), x.root()), nullptr));
    if (!primary || primary->output == XCB_NONE)
        return std::nullopt;
    XReply<xcb_randr_get_output_info_reply_t> output(xcb_randr_get_output_info_reply(
        x.xcb(), xcb_randr_get_output_info(x.xcb(), primary->output, time), nullptr));
    if (!output)
        return std::nullopt;
    return crtcBounds(x, output->crtc, time);
}

// The main display by RandR: the primary output, else the active display at
// the root origin, else the first active one.
std::optional<QRect> randrMainDisplay(XConnection& x)
{
    XReply<xcb_randr_get_screen_resources_current_reply_t> resources(
        xcb_randr_get_screen_resources_current_reply(
            x.xcb(), xcb_randr_get_screen_resources_current(x.xcb(), x.root()), nullptr));
    if (!resources)
        return std::nullopt;
    const xcb_timestamp_t time = resources->config_timestamp;
    if (auto primary = primaryOutputBounds(x, time))
        return primary;
    const xcb_randr_crtc_t* crtcs = xcb_randr_get_screen_resources_current_crtcs(resources.get());
    const int count = xcb_randr_get_screen_resources_current_crtcs_length(resources.get());
    std::optional<QRect> first;
    for (int i = 0; i < count; ++i) {
        const auto bounds = crtcBounds(x, crtcs[i], time);
        if (!bounds)
            continue;
        if (bounds->topLeft() == QPoint(0, 0))
            return bounds;
        if (!first)
            first = bounds;
    }
    return first;
}

}  // namespace

ScreenSpace ScreenSpace::query(XConnection& x)
{
    // The root's size now: RandR may have changed it since the connection began.
    QRect desktop(0, 0, x.screen()->width_in_pixels, x.screen()->height_in_pixels);
    XReply<xcb_get_geometry_reply_t> root(
        xcb_get_geometry_reply(x.xcb(), xcb_get_geometry(x.xcb(), x.root()), nullptr));
    if (root)
        desktop.setSize(QSize(root->width, root->height));
    std::optional<QRect> main;
    if (x.hasRandr())
        main = randrMainDisplay(x);
    // A display outside the root window (a stale configuration) is not believed.
    if (!main || !desktop.contains(*main))
        main = desktop;
    return ScreenSpace(*main, desktop);
}

}  // namespace corvane::windowserver
