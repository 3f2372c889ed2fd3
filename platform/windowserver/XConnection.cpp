#include "platform/windowserver/XConnection.h"

#include <xcb/composite.h>
#include <xcb/randr.h>
#include <xcb/res.h>

#include <cstring>
#include <string_view>
#include <vector>

namespace corvane::windowserver {

namespace {

xcb_screen_t* screenOfNumber(xcb_connection_t* c, int number)
{
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; it.rem > 0; ++i, xcb_screen_next(&it)) {
        if (i == number)
            return it.data;
    }
    return nullptr;
}

std::vector<xcb_atom_t> internAtoms(xcb_connection_t* c, const std::vector<std::string_view>& names)
{
    std::vector<xcb_intern_atom_cookie_t> cookies;
    cookies.reserve(names.size());
    for (std::string_view name : names)
        cookies.push_back(
            xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.data()));
    std::vector<xcb_atom_t> atoms;
    for (auto cookie : cookies) {
        XReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(c, cookie, nullptr));
        atoms.push_back(reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE});
    }
    return atoms;
}

// Whether the extension is present and its version is at least major.minor.
template <typename Cookie, typename Reply>
bool versionAtLeast(xcb_connection_t* c, Cookie cookie,
                    Reply* (*replyOf)(xcb_connection_t*, Cookie, xcb_generic_error_t**),
                    std::uint32_t major, std::uint32_t minor)
{
    XReply<Reply> reply(replyOf(c, cookie, nullptr));
    if (!reply)
        return false;
    return reply->major_version > major ||
           (reply->major_version == major && reply->minor_version >= minor);
}

bool extensionPresent(xcb_connection_t* c, xcb_extension_t* extension)
{
    const xcb_query_extension_reply_t* data = xcb_get_extension_data(c, extension);
    return data && data->present;
}

}  // namespace

std::unique_ptr<XConnection> XConnection::open(const char* displayName)
{
    if (!displayName && !std::getenv("DISPLAY"))
        return nullptr;
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(displayName, &screenNumber);
    if (!c)
        return nullptr;
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return nullptr;
    }
    std::unique_ptr<XConnection> connection(new XConnection);
    if (!connection->setUp(c, screenNumber))
        return nullptr;
    return connection;
}

bool XConnection::setUp(xcb_connection_t* connection, int screenNumber)
{
    connection_ = connection;  // owned from here on, whatever follows
    screenNumber_ = screenNumber;
    screen_ = screenOfNumber(connection_, screenNumber);
    if (!screen_)
        return false;
    xcb_intern_atom_cookie_t* cookies = xcb_ewmh_init_atoms(connection_, &ewmh_);
    if (!cookies || !xcb_ewmh_init_atoms_replies(&ewmh_, cookies, nullptr))
        return false;
    ewmhReady_ = true;
    const auto extra = internAtoms(connection_, {"WM_STATE", "WM_CHANGE_STATE", "WM_PROTOCOLS",
                                                 "WM_DELETE_WINDOW", "_CORVANE_WINDOW_LEVEL"});
    atoms_ = {extra[0], extra[1], extra[2], extra[3], extra[4]};
    return !hasError();
}

XConnection::~XConnection()
{
    if (ewmhReady_)
        xcb_ewmh_connection_wipe(&ewmh_);
    if (connection_)
        xcb_disconnect(connection_);
}

bool XConnection::hasError() const
{
    return xcb_connection_has_error(connection_) != 0;
}

bool XConnection::windowManagerRunning()
{
    xcb_window_t check = XCB_WINDOW_NONE;
    if (!xcb_ewmh_get_supporting_wm_check_reply(
            &ewmh_, xcb_ewmh_get_supporting_wm_check(&ewmh_, root()), &check, nullptr))
        return false;
    xcb_window_t self = XCB_WINDOW_NONE;
    if (!xcb_ewmh_get_supporting_wm_check_reply(
            &ewmh_, xcb_ewmh_get_supporting_wm_check(&ewmh_, check), &self, nullptr))
        return false;
    return self == check;
}

bool XConnection::windowManagerSupports(xcb_atom_t atom)
{
    xcb_ewmh_get_atoms_reply_t supported;
    if (!xcb_ewmh_get_supported_reply(&ewmh_, xcb_ewmh_get_supported(&ewmh_, screenNumber_),
                                      &supported, nullptr))
        return false;
    bool found = false;
    for (std::uint32_t i = 0; i < supported.atoms_len && !found; ++i)
        found = supported.atoms[i] == atom;
    xcb_ewmh_get_atoms_reply_wipe(&supported);
    return found;
}

bool XConnection::hasComposite()
{
    if (composite_ < 0) {
        composite_ = extensionPresent(connection_, &xcb_composite_id) &&
                     versionAtLeast(connection_, xcb_composite_query_version(connection_, 0, 4),
                                    &xcb_composite_query_version_reply, 0, 2);
    }
    return composite_ == 1;
}

bool XConnection::hasResourceExtension()
{
    if (resource_ < 0) {
        resource_ = 0;
        if (extensionPresent(connection_, &xcb_res_id)) {
            XReply<xcb_res_query_version_reply_t> reply(xcb_res_query_version_reply(
                connection_, xcb_res_query_version(connection_, 1, 2), nullptr));
            resource_ = reply && (reply->server_major > 1 ||
                                  (reply->server_major == 1 && reply->server_minor >= 2));
        }
    }
    return resource_ == 1;
}

bool XConnection::hasRandr()
{
    if (randr_ < 0) {
        randr_ = extensionPresent(connection_, &xcb_randr_id) &&
                 versionAtLeast(connection_, xcb_randr_query_version(connection_, 1, 3),
                                &xcb_randr_query_version_reply, 1, 3);
    }
    return randr_ == 1;
}

}  // namespace corvane::windowserver
