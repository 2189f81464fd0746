#include "media/engines/FluidSynthLibrary.h"

#include "platform/RuntimeLibrary.h"

namespace velmoa {

bool FluidSynthLibrary::bindAll(RuntimeLibrary& library) {
    return library.bind("delete_fluid_audio_driver", delete_audio_driver) &&
           library.bind("delete_fluid_player", delete_player) &&
           library.bind("delete_fluid_settings", delete_settings) &&
           library.bind("delete_fluid_synth", delete_synth) &&
           library.bind("fluid_player_add_mem", player_add_mem) &&
           library.bind("fluid_player_get_current_tick", player_get_current_tick) &&
           library.bind("fluid_player_get_status", player_get_status) &&
           library.bind("fluid_player_join", player_join) && library.bind("fluid_player_play", player_play) &&
           library.bind("fluid_player_seek", player_seek) && library.bind("fluid_player_stop", player_stop) &&
           library.bind("fluid_set_log_function", set_log_function) &&
           library.bind("fluid_settings_setnum", settings_setnum) &&
           library.bind("fluid_settings_setstr", settings_setstr) &&
           library.bind("fluid_synth_all_notes_off", synth_all_notes_off) &&
           library.bind("fluid_synth_sfload", synth_sfload) &&
           library.bind("fluid_synth_write_float", synth_write_float) &&
           library.bind("new_fluid_audio_driver", new_audio_driver) &&
           library.bind("new_fluid_player", new_player) && library.bind("new_fluid_settings", new_settings) &&
           library.bind("new_fluid_synth", new_synth);
}

const FluidSynthLibrary* FluidSynthLibrary::get() {
    return bindOnce<FluidSynthLibrary>("libfluidsynth.so.3");
}

} // namespace velmoa
