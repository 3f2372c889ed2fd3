// One connection to the X server, with the EWMH atoms, the few other atoms the
// session and the window server use, and the extensions they need.
//
// Ownership: an XConnection owns its xcb connection and closes it when it is
// destroyed (the server then drops whatever this client had set up, such as
// Composite redirections). Replies are wrapped in XReply, which frees them.
//
// Threading: an XConnection belongs to the thread that made it; every call
// on it and on anything holding it happens on that thread.
#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace corvane::windowserver {

struct FreeReply {
    void operator()(void* p) const { std::free(p); }
};
// A reply (or error) of xcb, freed when it goes out of scope.
template <typename T>
using XReply = std::unique_ptr<T, FreeReply>;

// Atoms outside the EWMH set that the session and the window server use.
struct ExtraAtoms {
    xcb_atom_t wmState = XCB_ATOM_NONE;             // WM_STATE (ICCCM)
    xcb_atom_t wmChangeState = XCB_ATOM_NONE;       // WM_CHANGE_STATE (ICCCM iconify request)
    xcb_atom_t wmProtocols = XCB_ATOM_NONE;         // WM_PROTOCOLS
    xcb_atom_t wmDeleteWindow = XCB_ATOM_NONE;      // WM_DELETE_WINDOW
    xcb_atom_t corvaneWindowLevel = XCB_ATOM_NONE;  // _CORVANE_WINDOW_LEVEL, see WindowLevels.h
};

class XConnection {
public:
    // Connects to the display named by displayName (DISPLAY when null).
    // Returns null when there is no display to connect to or the connection
    // fails; nothing is left open then.
    static std::unique_ptr<XConnection> open(const char* displayName = nullptr);

    ~XConnection();
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;

    xcb_connection_t* xcb() const { return connection_; }
    // The EWMH helper. Its calls that take a screen want screenNumber(), not
    // the root window (passing the root makes them read out of bounds).
    xcb_ewmh_connection_t* ewmh() { return &ewmh_; }
    int screenNumber() const { return screenNumber_; }
    xcb_screen_t* screen() const { return screen_; }
    xcb_window_t root() const { return screen_->root; }
    const ExtraAtoms& atoms() const { return atoms_; }

    // Whether the connection broke (the server went away or an I/O error).
    // A broken connection answers every request with nothing.
    bool hasError() const;

    // Whether an EWMH window manager runs: _NET_SUPPORTING_WM_CHECK on the
    // root names a window that names itself the same way.
    bool windowManagerRunning();
    // Whether the window manager lists atom among _NET_SUPPORTED.
    bool windowManagerSupports(xcb_atom_t atom);

    // Composite 0.2 or later (window pixmaps); X-Resource 1.2 or later
    // (client process ids); RandR 1.3 or later (outputs, primary output).
    // Asked once, on first use.
    bool hasComposite();
    bool hasResourceExtension();
    bool hasRandr();

    // Sends the queued requests to the server.
    void flush() { xcb_flush(connection_); }

private:
    XConnection() = default;
    bool setUp(xcb_connection_t* connection, int screenNumber);

    xcb_connection_t* connection_ = nullptr;
    xcb_ewmh_connection_t ewmh_{};
    bool ewmhReady_ = false;
    int screenNumber_ = 0;
    xcb_screen_t* screen_ = nullptr;
    ExtraAtoms atoms_;
    int composite_ = -1;  // -1 not asked yet, 0 absent, 1 present
    int resource_ = -1;
    int randr_ = -1;
};

}  // namespace corvane::windowserver
