#include "media/engines/MidiSequencer.h"
#include "formats/midi/MidiWriter.h"

#include <gtest/gtest.h>

using namespace velmoa;
using namespace velmoa::testing;

namespace {

constexpr int kRate = 44100;

std::shared_ptr<const MidiFile> songOf(const std::string& bytes) {
    return std::make_shared<const MidiFile>(MidiFile::parse(bytes));
}

struct Played {
    std::vector<MidiMessage> messages;
    std::vector<std::int64_t> blockOf; // the block each message was sent before
    int heaviestBlock = 0;
};

// Runs the sequencer block by block to the song's end.
Played playThrough(MidiSequencer& sequencer) {
    Played played;
    std::vector<MidiMessage> due;
    for (std::int64_t block = 0; !sequencer.finished(); ++block) {
        sequencer.nextBlock(due);
        int cost = 0;
        for (const MidiMessage& m : due) {
            cost += MidiSequencer::costOf(m);
            played.messages.push_back(m);
            played.blockOf.push_back(block);
        }
        played.heaviestBlock = std::max(played.heaviestBlock, cost);
    }
    return played;
}

} // namespace

TEST(MidiSequencer, NoBlockSendsMoreThanItsShareAndNothingIsLost) {
    constexpr unsigned kHeld = 480 * 60; // half a minute
    const struct {
        const char* label;
        std::string bytes;
    } rows[] = {
        // Each held long enough for every message to go out at a block's share.
        {"100 000 notes on one tick", notesOnOneTick(100'000, kHeld)},
        {"GM and GS resets on one tick", resetFlood(2'000, kHeld)},
        {"alternating program changes on one tick", programChangeFlood(50'000, true, kHeld)},
    };
    for (const auto& row : rows) {
        const auto song = songOf(row.bytes);
        MidiSequencer sequencer(song, 0, kRate);
        const Played played = playThrough(sequencer);
        EXPECT_LE(played.heaviestBlock, MidiSequencer::kBudgetPerBlock) << row.label;
        // A reset first, then every message of the song in its order.
        ASSERT_EQ(played.messages.size(), song->events().size() + 1) << row.label;
        EXPECT_EQ(played.messages.front().kind, MidiMessage::Kind::Reset) << row.label;
        for (std::size_t i = 0; i < song->events().size(); ++i) {
            const MidiEvent& e = song->events()[i];
            const MidiMessage& m = played.messages[i + 1];
            ASSERT_TRUE(m.status == e.status && m.data1 == e.data1 && m.data2 == e.data2)
                << row.label << " " << i;
        }
    }
}

TEST(MidiSequencer, MessagesGoOutInTheBlockOfTheirTimeAndTheClockStopsAtTheEnd) {
    // 480 ticks a quarter at 120 beats a minute: tick 480 sounds at 500 ms, the song ends at 1000.
    const auto song = songOf(smf(0, 480, {noteEvents(480, 480) + endOfTrack()}));
    MidiSequencer sequencer(song, 0, kRate);
    const Played played = playThrough(sequencer);
    ASSERT_EQ(played.messages.size(), 3u); // the reset, the note, its end on the song's last tick
    EXPECT_EQ(played.messages[2].data2, 0);
    const double blockMs = MidiSequencer::kBlockFrames * 1000.0 / kRate;
    // Sent before the block in which its time falls.
    EXPECT_LE(static_cast<double>(played.blockOf[1]) * blockMs, 500.0);
    EXPECT_GT(static_cast<double>(played.blockOf[1] + 1) * blockMs + blockMs / 2, 500.0);
    EXPECT_TRUE(sequencer.finished());
    EXPECT_DOUBLE_EQ(sequencer.milliseconds(), 1000.0);
    EXPECT_EQ(sequencer.tick(), 960);
    std::vector<MidiMessage> due{MidiMessage{}};
    sequencer.nextBlock(due);
    EXPECT_TRUE(due.empty());
}

TEST(MidiSequencer, AStartPastTheBeginningRestoresTheSettingsInForceThere) {
    // Channel 1: bank, program, a parameter number then its value, volume twice, a bend, all notes
    // off (not a setting), a note; channel 2: a program. Then at tick 960, a note.
    const std::string before("\x00\xb0\x00\x01"
                             "\x00\xc0\x05"
                             "\x00\xb0\x65\x00"
                             "\x00\x64\x00"
                             "\x00\x06\x0c"
                             "\x00\x07\x28"
                             "\x0a\x07\x64"
                             "\x00\xe0\x00\x50"
                             "\x00\xb0\x7b\x00"
                             "\x00\x90\x3c\x64"
                             "\x00\xc1\x09",
                             38);
    const auto song = songOf(smf(0, 480, {before + noteEvents(950, 10) + endOfTrack(960)}));
    MidiSequencer sequencer(song, 960, kRate);
    EXPECT_DOUBLE_EQ(sequencer.milliseconds(), 1000.0);
    const Played played = playThrough(sequencer);
    struct Expected {
        MidiMessage::Kind kind;
        int status, data1, data2;
    };
    const Expected expected[] = {
        {MidiMessage::Kind::Reset, 0, 0, 0},           {MidiMessage::Kind::Channel, 0xb0, 0x00, 1},
        {MidiMessage::Kind::Channel, 0xc0, 5, 0},      {MidiMessage::Kind::Channel, 0xb0, 0x65, 0},
        {MidiMessage::Kind::Channel, 0xb0, 0x64, 0},   {MidiMessage::Kind::Channel, 0xb0, 0x06, 12},
        {MidiMessage::Kind::Channel, 0xb0, 0x07, 100}, {MidiMessage::Kind::Channel, 0xe0, 0, 0x50},
        {MidiMessage::Kind::Channel, 0xc1, 9, 0},      {MidiMessage::Kind::Channel, 0x90, 0x3c, 0x64},
        {MidiMessage::Kind::Channel, 0x90, 0x3c, 0},
    };
    ASSERT_EQ(played.messages.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const MidiMessage& m = played.messages[i];
        EXPECT_TRUE(m.kind == expected[i].kind && m.status == expected[i].status &&
                    m.data1 == expected[i].data1 && m.data2 == expected[i].data2)
            << i << ": " << int(m.status) << " " << int(m.data1) << " " << int(m.data2);
    }
}
