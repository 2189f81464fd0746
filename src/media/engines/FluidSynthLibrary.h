#pragma once

#include <fluidsynth.h>

namespace velmoa {

class RuntimeLibrary;

// fluidsynth's functions, bound when first needed (see RuntimeLibrary).
struct FluidSynthLibrary {
    decltype(&::delete_fluid_audio_driver) delete_audio_driver = nullptr;
    decltype(&::delete_fluid_settings) delete_settings = nullptr;
    decltype(&::delete_fluid_synth) delete_synth = nullptr;
    decltype(&::fluid_set_log_function) set_log_function = nullptr;
    decltype(&::fluid_settings_setnum) settings_setnum = nullptr;
    decltype(&::fluid_settings_setstr) settings_setstr = nullptr;
    decltype(&::fluid_synth_all_notes_off) synth_all_notes_off = nullptr;
    decltype(&::fluid_synth_cc) synth_cc = nullptr;
    decltype(&::fluid_synth_channel_pressure) synth_channel_pressure = nullptr;
    decltype(&::fluid_synth_key_pressure) synth_key_pressure = nullptr;
    decltype(&::fluid_synth_noteoff) synth_noteoff = nullptr;
    decltype(&::fluid_synth_noteon) synth_noteon = nullptr;
    decltype(&::fluid_synth_pitch_bend) synth_pitch_bend = nullptr;
    decltype(&::fluid_synth_program_change) synth_program_change = nullptr;
    decltype(&::fluid_synth_sfload) synth_sfload = nullptr;
    decltype(&::fluid_synth_sysex) synth_sysex = nullptr;
    decltype(&::fluid_synth_system_reset) synth_system_reset = nullptr;
    decltype(&::fluid_synth_write_float) synth_write_float = nullptr;
    decltype(&::new_fluid_audio_driver2) new_audio_driver2 = nullptr;
    decltype(&::new_fluid_settings) new_settings = nullptr;
    decltype(&::new_fluid_synth) new_synth = nullptr;
    // The library, loaded on the first call from any thread; nullptr when it cannot be loaded.
    static const FluidSynthLibrary* get();
    // Points every function above into the library; false when one is missing.
    bool bindAll(RuntimeLibrary& library);
};

} // namespace velmoa
