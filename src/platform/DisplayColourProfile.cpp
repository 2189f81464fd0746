#include "platform/DisplayColourProfile.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

namespace velmoa {
namespace {

constexpr char kProfileAtom[] = "_ICC_PROFILE";
// Far beyond any display profile (a few kilobytes): a larger value is not read.
constexpr std::uint32_t kMaxProfileBytes = 16u << 20;
constexpr std::uint32_t kPropertyUnitBytes = 4;

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};

} // namespace

std::string displayColourProfile() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection) {
        return {};
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const std::unique_ptr<xcb_intern_atom_reply_t, FreeReply> atom(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, sizeof kProfileAtom - 1, kProfileAtom), nullptr));
    if (!screen || !atom || atom->atom == XCB_ATOM_NONE) {
        return {};
    }
    const std::unique_ptr<xcb_get_property_reply_t, FreeReply> property(xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, screen->root, atom->atom, XCB_GET_PROPERTY_TYPE_ANY, 0,
                         kMaxProfileBytes / kPropertyUnitBytes),
        nullptr));
    if (!property || property->format != 8 || property->bytes_after != 0) {
        return {};
    }
    const auto length = static_cast<std::size_t>(xcb_get_property_value_length(property.get()));
    return {static_cast<const char*>(xcb_get_property_value(property.get())), length};
}

} // namespace velmoa
