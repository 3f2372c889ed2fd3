// Reads what the X server and the window manager say about windows, over a
// connection of its own (not Qt's): EWMH properties, stacking, geometry.
#pragma once

#include <QByteArray>
#include <QList>
#include <QRect>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace corvane::ui::testing {

class X11Probe {
public:
    X11Probe() : connection_(xcb_connect(nullptr, &screenNumber_))
    {
        if (xcb_connection_has_error(connection_))
            return;
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
        for (int i = 0; i < screenNumber_ && it.rem; ++i)
            xcb_screen_next(&it);
        root_ = it.data ? it.data->root : 0;
    }
    ~X11Probe() { xcb_disconnect(connection_); }
    X11Probe(const X11Probe&) = delete;
    X11Probe& operator=(const X11Probe&) = delete;

    bool isConnected() const { return root_ != 0; }
    xcb_window_t root() const { return root_; }

    xcb_atom_t atom(const char* name) const
    {
        auto cookie = xcb_intern_atom(connection_, 0, uint16_t(qstrlen(name)), name);
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
            xcb_intern_atom_reply(connection_, cookie, nullptr), &std::free);
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    // The 32-bit items of a property (CARDINAL, ATOM, WINDOW); empty when
    // it is missing.
    QList<quint32> values(xcb_window_t window, const char* property) const
    {
        auto cookie =
            xcb_get_property(connection_, 0, window, atom(property), XCB_ATOM_ANY, 0, 1024);
        std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
            xcb_get_property_reply(connection_, cookie, nullptr), &std::free);
        QList<quint32> out;
        if (!reply || reply->format != 32)
            return out;
        const auto* data = static_cast<const quint32*>(xcb_get_property_value(reply.get()));
        const int count = xcb_get_property_value_length(reply.get()) / 4;
        for (int i = 0; i < count; ++i)
            out.append(data[i]);
        return out;
    }

    bool hasState(xcb_window_t window, const char* state) const
    {
        return values(window, "_NET_WM_STATE").contains(atom(state));
    }

    // The window's rectangle in root coordinates.
    QRect geometryInRoot(xcb_window_t window) const
    {
        std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> g(
            xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr),
            &std::free);
        std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> t(
            xcb_translate_coordinates_reply(
                connection_, xcb_translate_coordinates(connection_, window, root_, 0, 0), nullptr),
            &std::free);
        if (!g || !t)
            return {};
        return QRect(t->dst_x, t->dst_y, g->width, g->height);
    }

    // Position in _NET_CLIENT_LIST_STACKING (bottom to top), or -1.
    int stackingIndex(xcb_window_t window) const
    {
        return int(values(root_, "_NET_CLIENT_LIST_STACKING").indexOf(window));
    }

    xcb_window_t activeWindow() const
    {
        const QList<quint32> v = values(root_, "_NET_ACTIVE_WINDOW");
        return v.isEmpty() ? 0 : v.first();
    }

    bool windowManagerRuns() const { return !values(root_, "_NET_SUPPORTING_WM_CHECK").isEmpty(); }

private:
    int screenNumber_ = 0;
    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
};

}  // namespace corvane::ui::testing
