#pragma once

#include <fluidsynth.h>

namespace velmoa {

class RuntimeLibrary;

// fluidsynth's functions, bound when first needed (see RuntimeLibrary).
struct FluidSynthLibrary {
    decltype(&::delete_fluid_audio_driver) delete_audio_driver = nullptr;
    decltype(&::delete_fluid_player) delete_player = nullptr;
    decltype(&::delete_fluid_settings) delete_settings = nullptr;
    decltype(&::delete_fluid_synth) delete_synth = nullptr;
    decltype(&::fluid_player_add_mem) player_add_mem = nullptr;
    decltype(&::fluid_player_get_current_tick) player_get_current_tick = nullptr;
    decltype(&::fluid_player_get_status) player_get_status = nullptr;
    decltype(&::fluid_player_join) player_join = nullptr;
    decltype(&::fluid_player_play) player_play = nullptr;
    decltype(&::fluid_player_seek) player_seek = nullptr;
    decltype(&::fluid_player_stop) player_stop = nullptr;
    decltype(&::fluid_set_log_function) set_log_function = nullptr;
    decltype(&::fluid_settings_setnum) settings_setnum = nullptr;
    decltype(&::fluid_settings_setstr) settings_setstr = nullptr;
    decltype(&::fluid_synth_all_notes_off) synth_all_notes_off = nullptr;
    decltype(&::fluid_synth_sfload) synth_sfload = nullptr;
    decltype(&::fluid_synth_write_float) synth_write_float = nullptr;
    decltype(&::new_fluid_audio_driver) new_audio_driver = nullptr;
    decltype(&::new_fluid_player) new_player = nullptr;
    decltype(&::new_fluid_settings) new_settings = nullptr;
    decltype(&::new_fluid_synth) new_synth = nullptr;

    // The library, loaded on the first call from any thread; nullptr when it cannot be loaded.
    static const FluidSynthLibrary* get();
    // Points every function above into the library; false when one is missing.
    bool bindAll(RuntimeLibrary& library);
};

} // namespace velmoa
