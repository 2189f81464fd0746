// The display profile the desktop publishes on the X server's root window is the one pictures are
// converted to; without one, none is read.
#include "platform/DisplayColourProfile.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <gtest/gtest.h>
#include <string>
#include <xcb/xcb.h>

using namespace velmoa;

namespace {

constexpr char kProfileAtom[] = "_ICC_PROFILE";

// Publishes bytes as the root window's profile, as colour managers do; empty takes it away.
void publishRootProfile(const std::string& bytes) {
    xcb_connection_t* connection =
        qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, sizeof kProfileAtom - 1, kProfileAtom), nullptr);
    ASSERT_NE(atom, nullptr);
    if (bytes.empty()) {
        xcb_delete_property(connection, root, atom->atom);
    } else {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, root, atom->atom, XCB_ATOM_CARDINAL, 8,
                            static_cast<std::uint32_t>(bytes.size()), bytes.data());
    }
    std::free(atom);
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

} // namespace

TEST(DisplayColourProfile, IsTheOneTheRootWindowCarries) {
    std::string published(3000, '\0');
    for (std::size_t i = 0; i < published.size(); ++i) {
        published[i] = static_cast<char>(i * 7);
    }
    for (const std::string& bytes : {published, std::string()}) {
        publishRootProfile(bytes);
        EXPECT_EQ(displayColourProfile(), bytes);
    }
}
