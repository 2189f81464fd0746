#pragma once

#include <string>
#include <vector>

namespace velmoa {

// Which sound outputs this desktop offers, seen from outside (sockets, devices), without starting
// any: a player that tries each output in turn loads its client libraries, waits on each, and fills
// standard error with their complaints.
struct SoundEnvironment {
    bool pipeWireServer = false; // a PipeWire socket in the session's runtime folder
    bool pulseServer = false;    // PULSE_SERVER set, or a PulseAudio socket (PipeWire's too)
    bool alsaDevice = false;     // a sound card's PCM device
};

// The session's sound environment, as it stands now.
SoundEnvironment detectSoundEnvironment();

// The libmpv audio output to use: the running sound server, else the card itself, else "null",
// which keeps true timing in silence.
std::string mpvSoundOutput(const SoundEnvironment& environment);

// The synthesizer's audio drivers to try, in order; none: it renders in silence on its own clock.
std::vector<std::string> fluidSynthDrivers(const SoundEnvironment& environment);

// Keeps the sound libraries' own complaints (ALSA's "ALSA lib …" lines) off standard error, unless
// VELMOA_DEBUG is set; call once the player's libraries are loaded.
void quietSoundLibraries();

} // namespace velmoa
