#include "platform/ui/widgets/X11WindowHints.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <cstdlib>
#include <memory>

namespace corvane::ui::x11 {

namespace {

constexpr quint32 kAllDesktops = 0xFFFFFFFFu;

xcb_connection_t* qtConnection()
{
    auto* app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return app ? app->connection() : nullptr;
}

// The EWMH atoms of Qt's connection, interned once.
struct Ewmh {
    xcb_ewmh_connection_t connection{};
    bool ready = false;
    ~Ewmh()
    {
        if (ready)
            xcb_ewmh_connection_wipe(&connection);
    }
};

xcb_ewmh_connection_t* ewmh()
{
    static std::unique_ptr<Ewmh> state;
    xcb_connection_t* c = qtConnection();
    if (!c)
        return nullptr;
    if (!state || state->connection.connection != c) {
        state = std::make_unique<Ewmh>();
        xcb_intern_atom_cookie_t* cookies = xcb_ewmh_init_atoms(c, &state->connection);
        state->ready = xcb_ewmh_init_atoms_replies(&state->connection, cookies, nullptr) != 0;
        if (!state->ready)
            return nullptr;
    }
    return &state->connection;
}

// The index of the screen whose root holds window (0 when it cannot be told).
int screenNumberOf(xcb_ewmh_connection_t* e, xcb_window_t window)
{
    const xcb_query_tree_cookie_t cookie = xcb_query_tree(e->connection, window);
    xcb_query_tree_reply_t* reply = xcb_query_tree_reply(e->connection, cookie, nullptr);
    if (!reply)
        return 0;
    const xcb_window_t root = reply->root;
    std::free(reply);
    for (int i = 0; i < e->nb_screens; ++i) {
        if (e->screens[i]->root == root)
            return i;
    }
    return 0;
}

quint32 currentDesktop(xcb_ewmh_connection_t* e, int screen)
{
    uint32_t desktop = 0;
    if (!xcb_ewmh_get_current_desktop_reply(e, xcb_ewmh_get_current_desktop(e, screen), &desktop,
                                            nullptr))
        return 0;
    return desktop;
}

void changeState(xcb_ewmh_connection_t* e, int screen, xcb_window_t window, bool on,
                 xcb_atom_t state)
{
    xcb_ewmh_request_change_wm_state(e, screen, window,
                                     on ? XCB_EWMH_WM_STATE_ADD : XCB_EWMH_WM_STATE_REMOVE, state,
                                     XCB_NONE, XCB_EWMH_CLIENT_SOURCE_TYPE_NORMAL);
}

}  // namespace

bool isAvailable()
{
    return qtConnection() != nullptr;
}

quint32 nativeWindow(QWidget* window)
{
    if (!window || !isAvailable())
        return 0;
    return quint32(window->window()->winId());
}

bool setStackingLayer(QWidget* window, StackingLayer layer)
{
    xcb_ewmh_connection_t* e = ewmh();
    const xcb_window_t id = nativeWindow(window);
    if (!e || !id)
        return false;
    // Qt writes the whole state property when it maps the window: only a
    // mapped window's state is worth changing, through the window manager.
    if (!window->isVisible())
        return true;
    const int screen = screenNumberOf(e, id);
    changeState(e, screen, id, layer == StackingLayer::Above, e->_NET_WM_STATE_ABOVE);
    changeState(e, screen, id, layer == StackingLayer::Below, e->_NET_WM_STATE_BELOW);
    xcb_flush(e->connection);
    return true;
}

bool setOnAllDesktops(QWidget* window, bool on)
{
    xcb_ewmh_connection_t* e = ewmh();
    const xcb_window_t id = nativeWindow(window);
    if (!e || !id)
        return false;
    const int screen = screenNumberOf(e, id);
    const quint32 desktop = on ? kAllDesktops : currentDesktop(e, screen);
    if (window->isVisible())
        xcb_ewmh_request_change_wm_desktop(e, screen, id, desktop,
                                           XCB_EWMH_CLIENT_SOURCE_TYPE_NORMAL);
    else
        xcb_ewmh_set_wm_desktop(e, id, desktop);
    xcb_flush(e->connection);
    return true;
}

bool restack(QWidget* window, QWidget* sibling, bool above)
{
    xcb_ewmh_connection_t* e = ewmh();
    const xcb_window_t id = nativeWindow(window);
    const xcb_window_t siblingId = nativeWindow(sibling);
    if (!e || !id || !siblingId || !window->isVisible() || !sibling->isVisible())
        return false;
    xcb_ewmh_request_restack_window(e, screenNumberOf(e, id), id, siblingId,
                                    above ? XCB_STACK_MODE_ABOVE : XCB_STACK_MODE_BELOW);
    xcb_flush(e->connection);
    return true;
}

}  // namespace corvane::ui::x11
