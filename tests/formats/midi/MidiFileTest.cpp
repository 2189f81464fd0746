#include "formats/midi/MidiFile.h"
#include "base/Failure.h"
#include "formats/midi/MidiWriter.h"

#include <gtest/gtest.h>

using namespace velmoa;
using namespace velmoa::testing;

TEST(MidiFile, LengthFollowsTheTempoMapOfEveryTrack) {
    struct Row {
        const char* label;
        std::string bytes;
        std::int64_t ticks;
        double milliseconds;
    };
    // 480 ticks a quarter; 120 beats a minute unless told: 960 ticks are one second.
    const std::string twoSeconds = noteEvents(0, 1920) + endOfTrack();
    const Row rows[] = {
        {"default tempo", smf(0, 480, {twoSeconds}), 1920, 2000},
        {"tempo halves the speed", smf(0, 480, {tempoEvent(0, 1000000) + twoSeconds}), 1920, 4000},
        {"tempo change half way", smf(0, 480, {tempoEvent(960, 250000) + noteEvents(0, 960) + endOfTrack()}),
         1920, 1500},
        {"tempo in another track", smf(1, 480, {tempoEvent(0, 1000000) + endOfTrack(), twoSeconds}), 1920,
         4000},
        {"longest track counts", smf(1, 96, {endOfTrack(96), endOfTrack(192)}), 192, 1000},
        {"time code 25 fps x 40", smf(0, 0xE728, {endOfTrack(2000)}), 2000, 2000},
        {"wrapped in RIFF", rmid(smf(0, 480, {twoSeconds})), 1920, 2000},
        {"odd-sized RIFF data", rmid(smf(0, 480, {endOfTrack(961)})), 961, 1000 + 1000.0 / 960},
        {"unknown chunk skipped", smf(0, 480, {}) + chunk("XFIH", "abc") + chunk("MTrk", twoSeconds), 1920,
         2000},
        {"no end marker", smf(0, 480, {noteEvents(0, 960)}), 960, 1000},
        {"end marker only", smf(0, 480, {endOfTrack()}), 0, 0},
    };
    for (const Row& row : rows) {
        std::string bytes = row.bytes;
        if (std::string(row.label) == "unknown chunk skipped") {
            bytes.replace(10, 2, be(1, 2)); // one track, after the foreign chunk
        }
        try {
            const MidiFile file = MidiFile::parse(bytes);
            EXPECT_EQ(file.totalTicks(), row.ticks) << row.label;
            EXPECT_NEAR(file.lengthMilliseconds(), row.milliseconds, 0.001) << row.label;
            EXPECT_EQ(file.smf().substr(0, 4), "MThd") << row.label;
        } catch (const Failure& failure) {
            ADD_FAILURE() << row.label << ": " << failure.what();
        }
    }
}

TEST(MidiFile, TicksAndMillisecondsConvertBothWays) {
    const MidiFile file =
        MidiFile::parse(smf(0, 480, {tempoEvent(960, 250000) + noteEvents(0, 960) + endOfTrack()}));
    struct Row {
        std::int64_t tick;
        double ms;
    };
    const Row rows[] = {{0, 0}, {480, 500}, {960, 1000}, {1440, 1250}, {1920, 1500}};
    for (const Row& row : rows) {
        EXPECT_NEAR(file.millisecondsAt(row.tick), row.ms, 0.001) << row.tick;
        EXPECT_EQ(file.tickAt(row.ms), row.tick) << row.ms;
    }
    // Outside the song the tick is held to its ends.
    EXPECT_EQ(file.tickAt(-50), 0);
    EXPECT_EQ(file.tickAt(1e12), 1920);
    EXPECT_EQ(file.millisecondsAt(-5), 0);
}

TEST(MidiFile, HostileInputGetsAMessageNeverACrash) {
    const std::string good = smf(0, 480, {noteEvents(0, 960) + endOfTrack()});
    struct Row {
        const char* label;
        std::string bytes;
        const char* message;
    };
    const Row rows[] = {
        {"empty", "", MidiFile::kNotMidiMessage},
        {"text", "hello, this is not a song", MidiFile::kNotMidiMessage},
        {"RIFF but WAVE", "RIFF\x04\x00\x00\x00WAVE", MidiFile::kNotMidiMessage},
        {"RIFF without data", rmid("").substr(0, 12), MidiFile::kNotMidiMessage},
        {"RIFF data longer than file", rmid(good).substr(0, 30), MidiFile::kDamagedMessage},
        {"header cut", good.substr(0, 13), MidiFile::kNotMidiMessage},
        {"header length huge", "MThd\xff\xff\xff\xff" + good.substr(8), MidiFile::kDamagedMessage},
        {"format 3", smf(3, 480, {endOfTrack()}), MidiFile::kDamagedMessage},
        {"no tracks declared", smf(0, 480, {}), MidiFile::kDamagedMessage},
        {"division 0", smf(0, 0, {endOfTrack()}), MidiFile::kDamagedMessage},
        {"time code with 0 ticks a frame", smf(0, 0xE700, {endOfTrack()}), MidiFile::kDamagedMessage},
        {"no track chunk", good.substr(0, 14), MidiFile::kDamagedMessage},
        {"track length past the end", good.substr(0, good.size() - 3), MidiFile::kDamagedMessage},
        {"data byte without status", smf(0, 480, {std::string("\x00\x3c\x64", 3) + endOfTrack()}),
         MidiFile::kDamagedMessage},
        {"note cut", smf(0, 480, {std::string("\x00\x90\x3c", 3)}), MidiFile::kDamagedMessage},
        {"delta of five bytes", smf(0, 480, {"\xff\xff\xff\xff\x7f" + endOfTrack()}),
         MidiFile::kDamagedMessage},
        {"meta length past the track",
         smf(0, 480,
             {std::string("\x00\xff\x01\x7f"
                          "ab",
                          6)}),
         MidiFile::kDamagedMessage},
        {"sysex length past the track", smf(0, 480, {std::string("\x00\xf0\x8f\xff\xff\x7f", 6)}),
         MidiFile::kDamagedMessage},
        {"system common byte", smf(0, 480, {std::string("\x00\xf2\x00\x00", 4) + endOfTrack()}),
         MidiFile::kDamagedMessage},
    };
    for (const Row& row : rows) {
        try {
            MidiFile::parse(row.bytes);
            ADD_FAILURE() << row.label << ": accepted";
        } catch (const Failure& failure) {
            EXPECT_STREQ(failure.what(), row.message) << row.label;
        }
    }
}
