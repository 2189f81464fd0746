#pragma once

#include "formats/midi/MidiFile.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace velmoa {

// One thing to send to the synthesizer.
struct MidiMessage {
    enum class Kind { Reset, Channel, SysEx };
    Kind kind = Kind::Channel;
    std::uint8_t status = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
    std::string_view sysEx; // the song's bytes, without 0xF0 and 0xF7
};

// Plays a song on a clock of audio frames: block by block, what the synthesizer is to be sent before
// the block is rendered. What one block sends is bounded, whatever the song holds at one tick: the
// synthesizer's queue of voice changes overflows (and its renderer crashes) when one block brings
// thousands of notes or resets. Messages past a block's share wait for the next blocks, in order.
class MidiSequencer {
  public:
    static constexpr int kBlockFrames = 64; // the synthesizer's own block
    // A block's share, counted in channel messages; a reset or system exclusive message (which may
    // reset every channel) counts as several.
    static constexpr int kBudgetPerBlock = 16;
    static constexpr int kHeavyMessageCost = 4;

    // Starts at startTick: first a reset and the settings in force there (programs, controllers,
    // bends), then the song's messages from that tick on.
    MidiSequencer(std::shared_ptr<const MidiFile> song, std::int64_t startTick, int sampleRate);

    // Fills out with the messages to send before the next block, then moves the clock past it.
    // Nothing once the clock has reached the song's end.
    void nextBlock(std::vector<MidiMessage>& out);

    // Where the clock stands, held to the song's length.
    double milliseconds() const;
    std::int64_t tick() const;
    bool finished() const;

    static int costOf(const MidiMessage& message);

  private:
    double clockMilliseconds(std::int64_t blocks) const;
    void chaseSettingsBefore(std::int64_t tick);
    MidiMessage messageOf(const MidiEvent& event) const;

    std::shared_ptr<const MidiFile> song_;
    std::vector<MidiMessage> chase_;
    std::size_t chaseAt_ = 0;
    std::size_t next_ = 0;
    double startMilliseconds_ = 0;
    std::int64_t blocks_ = 0;
    int sampleRate_;
};

} // namespace velmoa
