#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmoa {

// One message of a song for the synthesizer: a channel message (status 0x80-0xEF with its data
// bytes) or a system exclusive message (status 0xF0, its bytes kept by the song).
struct MidiEvent {
    std::int64_t tick = 0;
    std::uint32_t sysExAt = 0; // system exclusive: where its bytes start in the song's store
    std::uint32_t sysExLength = 0;
    std::uint8_t status = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
};

// A Standard MIDI File (or the one inside a RIFF RMID wrapper), read and checked whole: the
// messages of every track merged in the order they sound, and the tempo map that turns ticks into
// milliseconds. A song is held in bounded memory: a file past the limits below is refused as damaged.
class MidiFile {
  public:
    static constexpr const char* kNotMidiMessage = "認識できないファイル形式です";
    static constexpr const char* kDamagedMessage = "MIDI ファイルが壊れています";

    // Far beyond what a composed song holds (a long orchestral piece has some hundred thousand).
    static constexpr std::size_t kMaxEvents = 2'000'000;
    static constexpr std::size_t kMaxTempoChanges = 100'000;
    static constexpr std::size_t kMaxSysExMessages = 65'536;
    static constexpr std::size_t kMaxSysExBytes = std::size_t{4} * 1024 * 1024;

    // Throws Failure with one of the messages above.
    static MidiFile parse(std::string_view bytes);

    // Every message for the synthesizer, by tick; at one tick in the order of the tracks.
    const std::vector<MidiEvent>& events() const { return events_; }
    // The bytes of a system exclusive message, without its leading 0xF0 and closing 0xF7.
    std::string_view sysEx(const MidiEvent& event) const {
        return std::string_view(sysEx_).substr(event.sysExAt, event.sysExLength);
    }
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
    std::vector<MidiEvent> events_;
    std::string sysEx_;
    std::int64_t totalTicks_ = 0;
    std::vector<TempoSegment> tempo_;
};

} // namespace velmoa
