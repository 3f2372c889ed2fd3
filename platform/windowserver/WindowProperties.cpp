#include "platform/windowserver/WindowProperties.h"

#include <xcb/res.h>

#include <algorithm>
#include <cstring>

namespace corvane::windowserver {

namespace {

XReply<xcb_get_property_reply_t> getProperty(XConnection& x, xcb_window_t window,
                                             xcb_atom_t property, xcb_atom_t type,
                                             std::uint32_t maxBytes)
{
    // The length is asked in 32-bit units; the server never sends more.
    const std::uint32_t units = (maxBytes + 3) / 4;
    auto cookie = xcb_get_property(x.xcb(), 0, window, property, type, 0, units);
    return XReply<xcb_get_property_reply_t>(xcb_get_property_reply(x.xcb(), cookie, nullptr));
}

constexpr std::uint32_t kMaxIconSide = 512;

}  // namespace

std::optional<std::vector<std::uint32_t>> cardinalProperty(XConnection& x, xcb_window_t window,
                                                           xcb_atom_t property, xcb_atom_t type,
                                                           std::uint32_t maxItems)
{
    if (window == XCB_WINDOW_NONE || property == XCB_ATOM_NONE)
        return std::nullopt;
    auto reply = getProperty(x, window, property, type, maxItems * 4);
    if (!reply || reply->format != 32 || reply->type == XCB_ATOM_NONE)
        return std::nullopt;
    if (type != XCB_ATOM_ANY && reply->type != type)
        return std::nullopt;
    if (reply->bytes_after > 0)
        return std::nullopt;  // longer than asked for: refused, not cut
    const int length = xcb_get_property_value_length(reply.get());
    if (length < 0 || length % 4 != 0)
        return std::nullopt;
    std::vector<std::uint32_t> values(static_cast<size_t>(length) / 4);
    if (!values.empty())
        std::memcpy(values.data(), xcb_get_property_value(reply.get()),
                    static_cast<size_t>(length));
    return values;
}

std::optional<QByteArray> byteProperty(XConnection& x, xcb_window_t window, xcb_atom_t property,
                                       xcb_atom_t type, std::uint32_t maxBytes)
{
    if (window == XCB_WINDOW_NONE || property == XCB_ATOM_NONE)
        return std::nullopt;
    auto reply = getProperty(x, window, property, type, maxBytes);
    if (!reply || reply->format != 8 || reply->type == XCB_ATOM_NONE)
        return std::nullopt;
    if (type != XCB_ATOM_ANY && reply->type != type)
        return std::nullopt;
    const int length =
        std::min<int>(xcb_get_property_value_length(reply.get()), static_cast<int>(maxBytes));
    if (length < 0)
        return std::nullopt;
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())), length);
}

pid_t windowProcess(XConnection& x, xcb_window_t window)
{
    const auto pid = cardinalProperty(x, window, x.ewmh()->_NET_WM_PID, XCB_ATOM_CARDINAL, 1);
    if (pid && pid->size() == 1 && (*pid)[0] > 0 && (*pid)[0] <= 0x7fffffff)
        return static_cast<pid_t>((*pid)[0]);
    if (!x.hasResourceExtension())
        return 0;
    xcb_res_client_id_spec_t wanted{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    auto cookie = xcb_res_query_client_ids(x.xcb(), 1, &wanted);
    XReply<xcb_res_query_client_ids_reply_t> reply(
        xcb_res_query_client_ids_reply(x.xcb(), cookie, nullptr));
    if (!reply)
        return 0;
    for (auto it = xcb_res_query_client_ids_ids_iterator(reply.get()); it.rem > 0;
         xcb_res_client_id_value_next(&it)) {
        if (!(it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID))
            continue;
        if (xcb_res_client_id_value_value_length(it.data) < 1)
            continue;
        const std::uint32_t value = *xcb_res_client_id_value_value(it.data);
        if (value > 0 && value <= 0x7fffffff)
            return static_cast<pid_t>(value);
    }
    return 0;
}

QString windowName(XConnection& x, xcb_window_t window)
{
    if (auto name = byteProperty(x, window, x.ewmh()->_NET_WM_NAME, x.ewmh()->UTF8_STRING, 4096))
        return QString::fromUtf8(*name);
    if (auto name = byteProperty(x, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 4096))
        return QString::fromLatin1(*name);
    return {};
}

std::optional<QRect> windowRootBounds(XConnection& x, xcb_window_t window)
{
    XReply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(x.xcb(), xcb_get_geometry(x.xcb(), window), nullptr));
    if (!geometry)
        return std::nullopt;
    XReply<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
        x.xcb(), xcb_translate_coordinates(x.xcb(), window, x.root(), 0, 0), nullptr));
    if (!origin)
        return std::nullopt;
    return QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
}

std::optional<WmState> windowWmState(XConnection& x, xcb_window_t window)
{
    const auto state = cardinalProperty(x, window, x.atoms().wmState, x.atoms().wmState, 2);
    if (!state || state->empty())
        return std::nullopt;
    switch ((*state)[0]) {
    case 0:
        return WmState::Withdrawn;
    case 1:
        return WmState::Normal;
    case 3:
        return WmState::Iconic;
    default:
        return std::nullopt;
    }
}

std::vector<xcb_atom_t> windowTypes(XConnection& x, xcb_window_t window)
{
    return cardinalProperty(x, window, x.ewmh()->_NET_WM_WINDOW_TYPE, XCB_ATOM_ATOM, 64)
        .value_or(std::vector<xcb_atom_t>{});
}

std::vector<xcb_atom_t> windowStates(XConnection& x, xcb_window_t window)
{
    return cardinalProperty(x, window, x.ewmh()->_NET_WM_STATE, XCB_ATOM_ATOM, 64)
        .value_or(std::vector<xcb_atom_t>{});
}

bool windowSupportsProtocol(XConnection& x, xcb_window_t window, xcb_atom_t protocol)
{
    const auto protocols = cardinalProperty(x, window, x.atoms().wmProtocols, XCB_ATOM_ATOM, 64);
    return protocols &&
           std::find(protocols->begin(), protocols->end(), protocol) != protocols->end();
}

bool windowIsHidden(XConnection& x, xcb_window_t window)
{
    if (windowWmState(x, window) == WmState::Iconic)
        return true;
    const auto states = windowStates(x, window);
    return std::find(states.begin(), states.end(), x.ewmh()->_NET_WM_STATE_HIDDEN) != states.end();
}

std::vector<xcb_window_t> managedClients(XConnection& x)
{
    constexpr std::uint32_t kMaxClients = 16384;
    auto stacking = cardinalProperty(x, x.root(), x.ewmh()->_NET_CLIENT_LIST_STACKING,
                                     XCB_ATOM_WINDOW, kMaxClients);
    if (stacking)
        return *stacking;
    return cardinalProperty(x, x.root(), x.ewmh()->_NET_CLIENT_LIST, XCB_ATOM_WINDOW, kMaxClients)
        .value_or(std::vector<xcb_window_t>{});
}

xcb_window_t activeWindow(XConnection& x)
{
    const auto active =
        cardinalProperty(x, x.root(), x.ewmh()->_NET_ACTIVE_WINDOW, XCB_ATOM_WINDOW, 1);
    return active && active->size() == 1 ? (*active)[0] : xcb_window_t{XCB_WINDOW_NONE};
}

QImage windowIcon(XConnection& x, xcb_window_t window, int preferredSide)
{
    constexpr std::uint32_t kMaxItems = 4 * (2 + kMaxIconSide * kMaxIconSide);
    auto reply = getProperty(x, window, x.ewmh()->_NET_WM_ICON, XCB_ATOM_CARDINAL, kMaxItems * 4);
    if (!reply || reply->format != 32 || reply->type != XCB_ATOM_CARDINAL)
        return {};
    const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    const size_t count =
        static_cast<size_t>(std::max(0, xcb_get_property_value_length(reply.get()))) / 4;
    // The property is a run of (width, height, width x height ARGB pixels).
    const std::uint32_t* best = nullptr;
    std::uint32_t bestSide = 0;
    for (size_t i = 0; i + 2 <= count;) {
        const std::uint32_t w = data[i], h = data[i + 1];
        if (w == 0 || h == 0 || w > kMaxIconSide || h > kMaxIconSide ||
            count - i - 2 < size_t(w) * h)
            break;  // malformed from here on: keep what was read before
        const std::uint32_t side = std::max(w, h);
        const auto want = static_cast<std::uint32_t>(std::max(1, preferredSide));
        const bool better =
            !best || (bestSide < want && side > bestSide) || (side >= want && side < bestSide);
        if (better) {
            best = data + i;
            bestSide = side;
        }
        i += 2 + size_t(w) * h;
    }
    if (!best)
        return {};
    const int w = static_cast<int>(best[0]), h = static_cast<int>(best[1]);
    QImage image(w, h, QImage::Format_ARGB32);
    for (int row = 0; row < h; ++row)
        std::memcpy(image.scanLine(row), best + 2 + size_t(row) * w, size_t(w) * 4);
    return image;
}

void sendRootMessage(XConnection& x, xcb_window_t window, xcb_atom_t type, std::uint32_t d0,
                     std::uint32_t d1, std::uint32_t d2, std::uint32_t d3, std::uint32_t d4)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    event.data.data32[0] = d0;
    event.data.data32[1] = d1;
    event.data.data32[2] = d2;
    event.data.data32[3] = d3;
    event.data.data32[4] = d4;
    xcb_send_event(x.xcb(), 0, x.root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&event));
}

}  // namespace corvane::windowserver
