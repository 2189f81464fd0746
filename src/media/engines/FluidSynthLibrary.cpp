#include "media/engines/FluidSynthLibrary.h"

#include "platform/RuntimeLibrary.h"

namespace velmoa {

bool FluidSynthLibrary::bindAll(RuntimeLibrary& library) {
    return library.bind("delete_fluid_audio_driver", delete_audio_driver) &&
           library.bind("delete_fluid_settings", delete_settings) &&
           library.bind("delete_fluid_synth", delete_synth) &&
           library.bind("fluid_set_log_function", set_log_function) &&
           library.bind("fluid_settings_setnum", settings_setnum) &&
           library.bind("fluid_settings_setstr", settings_setstr) &&
           library.bind("fluid_synth_all_notes_off", synth_all_notes_off) &&
           library.bind("fluid_synth_cc", synth_cc) &&
           library.bind("fluid_synth_channel_pressure", synth_channel_pressure) &&
           library.bind("fluid_synth_key_pressure", synth_key_pressure) &&
           library.bind("fluid_synth_noteoff", synth_noteoff) &&
           library.bind("fluid_synth_noteon", synth_noteon) &&
           library.bind("fluid_synth_pitch_bend", synth_pitch_bend) &&
           library.bind("fluid_synth_program_change", synth_program_change) &&
           library.bind("fluid_synth_sfload", synth_sfload) &&
           library.bind("fluid_synth_sysex", synth_sysex) &&
           library.bind("fluid_synth_system_reset", synth_system_reset) &&
           library.bind("fluid_synth_write_float", synth_write_float) &&
           library.bind("new_fluid_audio_driver2", new_audio_driver2) &&
           library.bind("new_fluid_settings", new_settings) && library.bind("new_fluid_synth", new_synth);
}

const FluidSynthLibrary* FluidSynthLibrary::get() {
    return bindOnce<FluidSynthLibrary>("libfluidsynth.so.3");
}

} // namespace velmoa
