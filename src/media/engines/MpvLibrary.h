#pragma once

#include <mpv/client.h>

namespace velmoa {

class RuntimeLibrary;

// libmpv's client functions, bound when first needed (see RuntimeLibrary).
struct MpvLibrary {
    decltype(&::mpv_command) command = nullptr;
    decltype(&::mpv_command_ret) command_ret = nullptr;
    decltype(&::mpv_create) create = nullptr;
    decltype(&::mpv_error_string) error_string = nullptr;
    decltype(&::mpv_free_node_contents) free_node_contents = nullptr;
    decltype(&::mpv_get_property) get_property = nullptr;
    decltype(&::mpv_initialize) initialize = nullptr;
    decltype(&::mpv_observe_property) observe_property = nullptr;
    decltype(&::mpv_set_option) set_option = nullptr;
    decltype(&::mpv_set_option_string) set_option_string = nullptr;
    decltype(&::mpv_set_property_string) set_property_string = nullptr;
    decltype(&::mpv_set_wakeup_callback) set_wakeup_callback = nullptr;
    decltype(&::mpv_terminate_destroy) terminate_destroy = nullptr;
    decltype(&::mpv_wait_event) wait_event = nullptr;

    // The library, loaded on the first call from any thread; nullptr when it cannot be loaded.
    static const MpvLibrary* get();
    // Points every function above into the library; false when one is missing.
    bool bindAll(RuntimeLibrary& library);
};

} // namespace velmoa
