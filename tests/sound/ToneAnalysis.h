#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace velmoa::testing {

// What a recording of mono 16-bit samples lets a listener hear: in each short window, silence,
// one of the chosen frequencies standing out above everything else, or some other sound.
class Hearing {
  public:
    // Each window is this long, and a new one starts every hop.
    static constexpr double kWindowSeconds = 0.02;
    static constexpr double kHopSeconds = 0.01;
    // A window quieter than this (RMS, in sample units: about -50 dBFS) is silence.
    static constexpr double kSilenceRms = 100;
    // A frequency is heard when it carries at least this share of the window's energy.
    static constexpr double kDominantShare = 0.6;

    Hearing(std::span<const std::int16_t> samples, int rate, std::span<const double> frequencies);

    // Seconds during which frequencies[index] stood out.
    double heardSeconds(std::size_t index) const;
    // Where the first window with any sound starts, in seconds from the recording's start.
    std::optional<double> firstSoundSeconds() const;
    // Where the last window in which frequencies[index] stood out ends.
    std::optional<double> lastHeardEndSeconds(std::size_t index) const;
    // Seconds of silence at the end of the recording (all of it when nothing was heard).
    double trailingSilenceSeconds() const;
    // The recording's length in seconds.
    double seconds() const { return seconds_; }

  private:
    static constexpr int kSilent = -1;
    static constexpr int kOtherSound = -2;
    // One entry a hop: kSilent, kOtherSound or the index of the frequency heard.
    std::vector<int> verdicts_;
    double seconds_ = 0;
};

// The share of the samples' energy at the frequency (Goertzel): 1 for a pure tone of exactly that
// frequency, near 0 for one far from it or for silence.
double toneShare(std::span<const std::int16_t> samples, int rate, double frequency);

} // namespace velmoa::testing
