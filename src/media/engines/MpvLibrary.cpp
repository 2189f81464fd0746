#include "media/engines/MpvLibrary.h"

#include "platform/RuntimeLibrary.h"

namespace velmoa {

bool MpvLibrary::bindAll(RuntimeLibrary& library) {
    return library.bind("mpv_command", command) && library.bind("mpv_command_ret", command_ret) &&
           library.bind("mpv_create", create) && library.bind("mpv_error_string", error_string) &&
           library.bind("mpv_free_node_contents", free_node_contents) &&
           library.bind("mpv_get_property", get_property) && library.bind("mpv_initialize", initialize) &&
           library.bind("mpv_observe_property", observe_property) &&
           library.bind("mpv_set_option", set_option) &&
           library.bind("mpv_set_option_string", set_option_string) &&
           library.bind("mpv_set_property_string", set_property_string) &&
           library.bind("mpv_set_wakeup_callback", set_wakeup_callback) &&
           library.bind("mpv_terminate_destroy", terminate_destroy) &&
           library.bind("mpv_wait_event", wait_event);
}

const MpvLibrary* MpvLibrary::get() {
    return bindOnce<MpvLibrary>("libmpv.so.2");
}

} // namespace velmoa
