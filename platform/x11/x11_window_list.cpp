#include "platform/x11/x11_window_list.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace ostrevin::platform {

namespace {

constexpr std::uint32_t kTitleLongs = 4096;
constexpr xcb_atom_t kWmName = 39, kWindowType = 33;

// A legacy WM_NAME of type STRING is Latin-1; other encodings keep their ASCII characters.
std::string latin1ToUtf8(const char* data, int length) {
    std::string out;
    for (int i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// The reply, or nothing for a window that went away meanwhile (the error is dropped).
template <typename Reply, typename Cookie, typename Fetch>
Reply* replyOf(xcb_connection_t* c, Cookie cookie, Fetch fetch) {
    xcb_generic_error_t* error = nullptr;
    Reply* reply = fetch(c, cookie, &error);
    std::free(error);
    return reply;
}

}  // namespace

std::unique_ptr<X11WindowList> X11WindowList::open(WindowSystem& fallback) {
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (!connection || xcb_connection_has_error(connection)) {
        if (connection) xcb_disconnect(connection);
        return nullptr;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
    return std::unique_ptr<X11WindowList>(new X11WindowList(connection, it.data->root, fallback));
}

X11WindowList::X11WindowList(xcb_connection_t* connection, unsigned root, WindowSystem& fallback)
    : connection_(connection), root_(root), fallback_(fallback) {
    supportingCheck_ = atom("_NET_SUPPORTING_WM_CHECK");
    stacking_ = atom("_NET_CLIENT_LIST_STACKING");
    netName_ = atom("_NET_WM_NAME");
    utf8_ = atom("UTF8_STRING");
}

X11WindowList::~X11WindowList() {
    xcb_disconnect(connection_);
}

unsigned X11WindowList::atom(const char* name) {
    auto* reply = replyOf<xcb_intern_atom_reply_t>(
        connection_,
        xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        xcb_intern_atom_reply);
    const unsigned value = reply ? reply->atom : 0;
    std::free(reply);
    return value;
}

bool X11WindowList::windowExists(WindowId window) {
    if (window == 0 || window > 0xFFFFFFFFu) return false;
    auto* reply = replyOf<xcb_get_window_attributes_reply_t>(
        connection_, xcb_get_window_attributes(connection_, static_cast<xcb_window_t>(window)),
        xcb_get_window_attributes_reply);
    std::free(reply);
    return reply != nullptr || xcb_connection_has_error(connection_);
}

std::vector<WindowInfo> X11WindowList::enumerateWindows() {
    auto windowList = [&](xcb_get_property_cookie_t cookie) {
        std::vector<xcb_window_t> ids;
        auto* reply =
            replyOf<xcb_get_property_reply_t>(connection_, cookie, xcb_get_property_reply);
        if (reply && reply->format == 32 && reply->type == kWindowType) {
            const auto* values = static_cast<const xcb_window_t*>(xcb_get_property_value(reply));
            ids.assign(values, values + xcb_get_property_value_length(reply) / 4);
        }
        std::free(reply);
        return ids;
    };
    const auto checkCookie =
        xcb_get_property(connection_, 0, root_, supportingCheck_, kWindowType, 0, 1);
    const auto stackCookie =
        xcb_get_property(connection_, 0, root_, stacking_, kWindowType, 0, 1 << 20);
    const std::vector<xcb_window_t> check = windowList(checkCookie);
    std::vector<xcb_window_t> stack = windowList(stackCookie);
    if (xcb_connection_has_error(connection_) || check.empty() || check[0] == 0 || stack.empty())
        return fallback_.enumerateWindows();

    // Front to back: the stacking list runs bottom to top.
    std::vector<WindowInfo> windows(stack.size());
    std::vector<xcb_get_property_cookie_t> names(stack.size());
    std::vector<xcb_get_window_attributes_cookie_t> attributes(stack.size());
    for (std::size_t i = 0; i < stack.size(); ++i) {
        const xcb_window_t id = stack[stack.size() - 1 - i];
        windows[i].id = id;
        names[i] = xcb_get_property(connection_, 0, id, netName_, utf8_, 0, kTitleLongs);
        attributes[i] = xcb_get_window_attributes(connection_, id);
    }
    std::vector<std::size_t> untitled;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        auto* name =
            replyOf<xcb_get_property_reply_t>(connection_, names[i], xcb_get_property_reply);
        if (name && name->type == utf8_ && name->format == 8)
            windows[i].title.assign(static_cast<const char*>(xcb_get_property_value(name)),
                                    static_cast<std::size_t>(xcb_get_property_value_length(name)));
        else
            untitled.push_back(i);
        std::free(name);
        auto* attr = replyOf<xcb_get_window_attributes_reply_t>(connection_, attributes[i],
                                                                xcb_get_window_attributes_reply);
        windows[i].visible = attr && attr->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attr);
    }
    // Clients that only set the legacy name.
    std::vector<xcb_get_property_cookie_t> legacy;
    for (std::size_t i : untitled)
        legacy.push_back(xcb_get_property(connection_, 0, static_cast<xcb_window_t>(windows[i].id),
                                          kWmName, XCB_GET_PROPERTY_TYPE_ANY, 0, kTitleLongs));
    for (std::size_t k = 0; k < untitled.size(); ++k) {
        auto* name =
            replyOf<xcb_get_property_reply_t>(connection_, legacy[k], xcb_get_property_reply);
        if (name && name->format == 8) {
            const auto* data = static_cast<const char*>(xcb_get_property_value(name));
            const int length = xcb_get_property_value_length(name);
            windows[untitled[k]].title = name->type == utf8_
                                             ? std::string(data, static_cast<std::size_t>(length))
                                             : latin1ToUtf8(data, length);
        }
        std::free(name);
    }
    return windows;
}

}  // namespace ostrevin::platform
