#include "sound/Tones.h"

#include <cmath>
#include <numbers>

namespace velmoa::testing {

std::vector<std::int16_t> toneSamples(std::span<const Tone> tones, int rate) {
    std::vector<std::int16_t> samples;
    for (const Tone& tone : tones) {
        const auto count = static_cast<std::size_t>(std::lround(tone.seconds * rate));
        for (std::size_t i = 0; i < count; ++i) {
            const double phase = 2 * std::numbers::pi * tone.frequency * static_cast<double>(i) / rate;
            samples.push_back(static_cast<std::int16_t>(std::lround(kToneAmplitude * std::sin(phase))));
        }
    }
    return samples;
}

} // namespace velmoa::testing
