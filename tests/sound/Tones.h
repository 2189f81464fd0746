#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace velmoa::testing {

// A stretch of one sine tone; frequency 0 is silence.
struct Tone {
    double frequency;
    double seconds;
};

// Half of full scale: loud, with room for a decoder's overshoot.
constexpr double kToneAmplitude = 16384;

// Mono 16-bit samples of the tones one after the other.
std::vector<std::int16_t> toneSamples(std::span<const Tone> tones, int rate);

} // namespace velmoa::testing
