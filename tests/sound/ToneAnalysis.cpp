#include "sound/ToneAnalysis.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velmoa::testing {

double toneShare(std::span<const std::int16_t> samples, int rate, double frequency) {
    double energy = 0;
    for (const std::int16_t sample : samples) {
        energy += static_cast<double>(sample) * sample;
    }
    if (samples.empty() || energy == 0) {
        return 0;
    }
    // The power at one frequency, which need not be a whole number of cycles in the window.
    const double coefficient = 2 * std::cos(2 * std::numbers::pi * frequency / rate);
    double previous = 0;
    double beforePrevious = 0;
    for (const std::int16_t sample : samples) {
        const double current = sample + coefficient * previous - beforePrevious;
        beforePrevious = previous;
        previous = current;
    }
    const double power =
        previous * previous + beforePrevious * beforePrevious - coefficient * previous * beforePrevious;
    // A sine of amplitude A over N samples has power (A N / 2)^2 and energy A^2 N / 2.
    return 2 * power / (static_cast<double>(samples.size()) * energy);
}

Hearing::Hearing(std::span<const std::int16_t> samples, int rate, std::span<const double> frequencies)
    : seconds_(static_cast<double>(samples.size()) / rate) {
    const auto window = static_cast<std::size_t>(std::lround(kWindowSeconds * rate));
    const auto hop = static_cast<std::size_t>(std::lround(kHopSeconds * rate));
    for (std::size_t start = 0; start + window <= samples.size(); start += hop) {
        const std::span<const std::int16_t> part = samples.subspan(start, window);
        double energy = 0;
        for (const std::int16_t sample : part) {
            energy += static_cast<double>(sample) * sample;
        }
        if (std::sqrt(energy / static_cast<double>(window)) < kSilenceRms) {
            verdicts_.push_back(kSilent);
            continue;
        }
        int verdict = kOtherSound;
        for (std::size_t i = 0; i < frequencies.size(); ++i) {
            if (toneShare(part, rate, frequencies[i]) >= kDominantShare) {
                verdict = static_cast<int>(i);
            }
        }
        verdicts_.push_back(verdict);
    }
}

double Hearing::heardSeconds(std::size_t index) const {
    std::size_t count = 0;
    for (const int verdict : verdicts_) {
        count += verdict == static_cast<int>(index) ? 1 : 0;
    }
    return static_cast<double>(count) * kHopSeconds;
}

std::optional<double> Hearing::firstSoundSeconds() const {
    for (std::size_t i = 0; i < verdicts_.size(); ++i) {
        if (verdicts_[i] != kSilent) {
            return static_cast<double>(i) * kHopSeconds;
        }
    }
    return std::nullopt;
}

std::optional<double> Hearing::lastHeardEndSeconds(std::size_t index) const {
    for (std::size_t i = verdicts_.size(); i-- > 0;) {
        if (verdicts_[i] == static_cast<int>(index)) {
            return static_cast<double>(i) * kHopSeconds + kWindowSeconds;
        }
    }
    return std::nullopt;
}

double Hearing::trailingSilenceSeconds() const {
    for (std::size_t i = verdicts_.size(); i-- > 0;) {
        if (verdicts_[i] != kSilent) {
            return std::max(0.0, seconds_ - (static_cast<double>(i) * kHopSeconds + kWindowSeconds));
        }
    }
    return seconds_;
}

} // namespace velmoa::testing
