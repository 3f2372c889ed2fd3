// A plain xcb client for the session and window-server tests: it maps windows
// where it is told, fills them with known pixels, answers _NET_WM_PING the way
// toolkits do, and closes on WM_DELETE_WINDOW unless told to refuse.
//
//   corvane-test-window [options] WxH+X+Y[:RRGGBB] ...
//     --title TEXT      window title (each window gets " N" appended after the first)
//     --type NAME       normal, utility, dock, desktop or notification
//     --skip-taskbar    _NET_WM_STATE_SKIP_TASKBAR
//     --no-pid          no _NET_WM_PID (the owner is then found through X-Resource)
//     --no-ping         do not offer _NET_WM_PING
//     --ignore-close    stay open when asked to close
//     --icon RRGGBB     a 16 x 16 _NET_WM_ICON of that colour
//
// Each window is filled with its colour, and its top-left quarter with the
// inverted colour, so a test can tell where and which way round it is.
// Prints "ready 0xID ..." once every window is mapped and drawn.
#include <xcb/xcb.h>
#include <xcb/xcb_icccm.h>

#include <algorithm>
#include <cctype>

#include <sys/prctl.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct WindowSpec {
    int x = 0, y = 0, width = 100, height = 100;
    std::uint32_t color = 0x3366cc;
    xcb_window_t id = 0;
    bool mapped = false, drawn = false;
};

struct Options {
    std::string title = "Test Window";
    std::string type = "normal";
    bool skipTaskbar = false, noPid = false, noPing = false, ignoreClose = false;
    long icon = -1;
    std::vector<WindowSpec> windows;
};

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    auto reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return a;
}

bool parseWindow(const char* text, WindowSpec& w)
{
    unsigned color = w.color;
    const int n = std::sscanf(text, "%dx%d+%d+%d:%x", &w.width, &w.height, &w.x, &w.y, &color);
    w.color = color;
    return n >= 4 && w.width > 0 && w.height > 0;
}

Options parse(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&] { return i + 1 < argc ? std::string(argv[++i]) : std::string(); };
        if (a == "--title")
            o.title = next();
        else if (a == "--type")
            o.type = next();
        else if (a == "--skip-taskbar")
            o.skipTaskbar = true;
        else if (a == "--no-pid")
            o.noPid = true;
        else if (a == "--no-ping")
            o.noPing = true;
        else if (a == "--ignore-close")
            o.ignoreClose = true;
        else if (a == "--icon")
            o.icon = std::strtol(next().c_str(), nullptr, 16);
        else {
            WindowSpec w;
            if (!parseWindow(a.c_str(), w)) {
                std::fprintf(stderr, "corvane-test-window: bad argument %s\n", a.c_str());
                std::exit(2);
            }
            o.windows.push_back(w);
        }
    }
    if (o.windows.empty())
        o.windows.push_back(WindowSpec{});
    return o;
}

void setAtoms(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property,
              std::vector<xcb_atom_t> values)
{
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, property, XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(values.size()), values.data());
}

void createWindow(xcb_connection_t* c, xcb_screen_t* screen, const Options& o, WindowSpec& w,
                  int index)
{
    w.id = xcb_generate_id(c);
    const std::uint32_t values[] = {w.color,
                                    XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w.id, screen->root, w.x, w.y, w.width, w.height, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    const std::string title = index == 0 ? o.title : o.title + " " + std::to_string(index + 1);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w.id, atom(c, "_NET_WM_NAME"),
                        atom(c, "UTF8_STRING"), 8, title.size(), title.data());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w.id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        title.size(), title.data());
    const char wmClass[] = "corvane-test-window\0CorvaneTestWindow";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w.id, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        sizeof wmClass, wmClass);
    xcb_size_hints_t hints{};
    xcb_icccm_size_hints_set_position(&hints, 1, w.x, w.y);
    xcb_icccm_size_hints_set_size(&hints, 1, w.width, w.height);
    xcb_icccm_size_hints_set_win_gravity(&hints, XCB_GRAVITY_STATIC);
    xcb_icccm_set_wm_normal_hints(c, w.id, &hints);
    if (!o.noPid) {
        const std::uint32_t pid = static_cast<std::uint32_t>(::getpid());
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w.id, atom(c, "_NET_WM_PID"),
                            XCB_ATOM_CARDINAL, 32, 1, &pid);
    }
    std::vector<xcb_atom_t> protocols{atom(c, "WM_DELETE_WINDOW")};
    if (!o.noPing)
        protocols.push_back(atom(c, "_NET_WM_PING"));
    setAtoms(c, w.id, atom(c, "WM_PROTOCOLS"), protocols);
    const std::string typeName = "_NET_WM_WINDOW_TYPE_" + [&] {
        std::string upper = o.type;
        for (char& ch : upper)
            ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        return upper;
    }();
    setAtoms(c, w.id, atom(c, "_NET_WM_WINDOW_TYPE"), {atom(c, typeName.c_str())});
    if (o.skipTaskbar)
        setAtoms(c, w.id, atom(c, "_NET_WM_STATE"), {atom(c, "_NET_WM_STATE_SKIP_TASKBAR")});
    if (o.icon >= 0) {
        std::vector<std::uint32_t> icon{16, 16};
        icon.resize(2 + 256, 0xff000000u | static_cast<std::uint32_t>(o.icon));
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w.id, atom(c, "_NET_WM_ICON"),
                            XCB_ATOM_CARDINAL, 32, icon.size(), icon.data());
    }
    xcb_map_window(c, w.id);
}

void draw(xcb_connection_t* c, xcb_window_t window, const WindowSpec& w)
{
    const xcb_gcontext_t gc = xcb_generate_id(c);
    const std::uint32_t body = w.color, marker = ~w.color & 0xffffffu;
    xcb_create_gc(c, gc, window, XCB_GC_FOREGROUND, &body);
    const xcb_rectangle_t all{0, 0, static_cast<std::uint16_t>(w.width),
                              static_cast<std::uint16_t>(w.height)};
    xcb_poly_fill_rectangle(c, window, gc, 1, &all);
    xcb_change_gc(c, gc, XCB_GC_FOREGROUND, &marker);
    const xcb_rectangle_t quarter{0, 0, static_cast<std::uint16_t>(w.width / 2),
                                  static_cast<std::uint16_t>(w.height / 2)};
    xcb_poly_fill_rectangle(c, window, gc, 1, &quarter);
    xcb_free_gc(c, gc);
}

}  // namespace

int main(int argc, char** argv)
{
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // never outlive the test that started us
    Options o = parse(argc, argv);
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "corvane-test-window: cannot connect to the display\n");
        return 1;
    }
    auto it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&it);
    xcb_screen_t* screen = it.data;
    const xcb_atom_t protocols = atom(c, "WM_PROTOCOLS"),
                     deleteWindow = atom(c, "WM_DELETE_WINDOW"), ping = atom(c, "_NET_WM_PING");
    for (size_t i = 0; i < o.windows.size(); ++i)
        createWindow(c, screen, o, o.windows[i], static_cast<int>(i));
    xcb_flush(c);
    bool announced = false;
    while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
        const int type = event->response_type & 0x7f;
        for (WindowSpec& w : o.windows) {
            if (type == XCB_EXPOSE &&
                reinterpret_cast<xcb_expose_event_t*>(event)->window == w.id) {
                draw(c, w.id, w);
                w.drawn = true;
            } else if (type == XCB_MAP_NOTIFY &&
                       reinterpret_cast<xcb_map_notify_event_t*>(event)->window == w.id) {
                w.mapped = true;
            }
        }
        if (type == XCB_CLIENT_MESSAGE) {
            auto* m = reinterpret_cast<xcb_client_message_event_t*>(event);
            if (m->type == protocols && m->data.data32[0] == ping) {
                m->window = screen->root;  // the answer goes back to the root
                xcb_send_event(
                    c, 0, screen->root,
                    XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                    reinterpret_cast<const char*>(m));
            } else if (m->type == protocols && m->data.data32[0] == deleteWindow &&
                       !o.ignoreClose) {
                std::free(event);
                xcb_disconnect(c);
                return 0;
            }
        }
        std::free(event);
        xcb_flush(c);
        if (!announced && std::all_of(o.windows.begin(), o.windows.end(),
                                      [](const WindowSpec& w) { return w.mapped && w.drawn; })) {
            std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
            std::printf("ready");
            for (const WindowSpec& w : o.windows)
                std::printf(" 0x%x", w.id);
            std::printf("\n");
            std::fflush(stdout);
            announced = true;
        }
    }
    xcb_disconnect(c);
    return 0;
}
