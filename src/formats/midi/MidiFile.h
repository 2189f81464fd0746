#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmoa {

// A Standard MIDI File (or the one inside a RIFF RMID wrapper), read and checked whole, with the
// tempo map that turns ticks into milliseconds.
class MidiFile {
  public:
    static constexpr const char* kNotMidiMessage = "認識できないファイル形式です";
    static constexpr const char* kDamagedMessage = "MIDI ファイルが壊れています";

    // Throws Failure with one of the messages above.
    static MidiFile parse(std::string_view bytes);

    // The SMF bytes (without a RIFF wrapper).
    const std::string& smf() const { return smf_; }
    std::int64_t totalTicks() const { return totalTicks_; }
    double millisecondsAt(std::int64_t tick) const;
    std::int64_t tickAt(double milliseconds) const;
    double lengthMilliseconds() const { return millisecondsAt(totalTicks_); }

  private:
    struct TempoSegment {
        std::int64_t tick;
        double msAtTick;
        double msPerTick;
    };
    std::string smf_;
    std::int64_t totalTicks_ = 0;
    std::vector<TempoSegment> tempo_;
};

} // namespace velmoa
