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
        {"RIFF but WAVE", std::string("RIFF\x04\x00\x00\x00WAVE", 12), MidiFile::kNotMidiMessage},
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

namespace {

struct Sent {
    std::int64_t tick;
    int status;
    int data1;
    int data2;
    bool operator==(const Sent&) const = default;
};

std::vector<Sent> sentOf(const MidiFile& file) {
    std::vector<Sent> out;
    for (const MidiEvent& e : file.events()) {
        out.push_back({e.tick, e.status, e.data1, e.data2});
    }
    return out;
}

} // namespace

TEST(MidiFile, HoldsTheMessagesOfEveryTrackInTheOrderTheySound) {
    const std::string sysEx = std::string("\x00\xf0\x04\x7e\x7f\x09\x01", 7); // closing 0xF7 missing
    const struct {
        const char* label;
        std::string bytes;
        std::vector<Sent> expected;
    } rows[] = {
        {"running status",
         smf(0, 480, {noteEvents(10, 20) + endOfTrack()}),
         {{10, 0x90, 0x3c, 0x64}, {30, 0x90, 0x3c, 0}}},
        {"tracks merged by tick, in track order on a tick",
         smf(1, 480,
             {std::string("\x00\xc0\x01\x0a\xc0\x02", 6) + endOfTrack(),
              std::string("\x0a\xc1\x03", 3) + endOfTrack()}),
         {{0, 0xc0, 1, 0}, {10, 0xc0, 2, 0}, {10, 0xc1, 3, 0}}},
        {"a setting repeated on its tick kept once, a note struck twice kept twice",
         smf(0, 480,
             {std::string("\x00\xb0\x07\x64\x00\x07\x64\x00\x07\x50\x00\x90\x3c\x64\x00\x3c\x64", 17) +
              endOfTrack()}),
         {{0, 0xb0, 7, 100}, {0, 0xb0, 7, 80}, {0, 0x90, 0x3c, 100}, {0, 0x90, 0x3c, 100}}},
        {"system exclusive kept, escaped bytes and meta events not",
         smf(0, 480,
             {sysEx + std::string("\x00\xf7\x02\x01\x02\x00\xff\x01\x01x", 10) + tempoEvent(5, 400000) +
              endOfTrack()}),
         {{0, 0xf0, 0, 0}}},
    };
    for (const auto& row : rows) {
        try {
            const MidiFile file = MidiFile::parse(row.bytes);
            EXPECT_EQ(sentOf(file), row.expected) << row.label;
            for (const MidiEvent& e : file.events()) {
                if (e.status == 0xf0) {
                    EXPECT_EQ(file.sysEx(e), std::string("\x7e\x7f\x09\x01", 4)) << row.label;
                }
            }
        } catch (const Failure& failure) {
            ADD_FAILURE() << row.label << ": " << failure.what();
        }
    }
}

// Songs of hostile shapes are held in bounded memory or refused, and refused without reading on.
TEST(MidiFile, FloodsAreHeldSmallAndSongsPastTheLimitsRefused) {
    const struct {
        const char* label;
        std::string bytes;
        std::size_t mostEvents; // 0: refused as damaged
    } rows[] = {
        {"a million program changes on one tick", programChangeFlood(1'000'000), 3},
        {"alternating program changes past the limit", programChangeFlood(MidiFile::kMaxEvents, true), 0},
        {"100 000 notes on one tick", notesOnOneTick(100'000), 100'002},
        {"GM and GS resets within the limit", resetFlood(MidiFile::kMaxSysExMessages - 1), 65'537},
        {"GM and GS resets past the limit", resetFlood(MidiFile::kMaxSysExMessages + 1), 0},
        {"one system exclusive message past the limit",
         smf(0, 480,
             {vlq(0) + "\xf0" + vlq(MidiFile::kMaxSysExBytes + 1) +
              std::string(MidiFile::kMaxSysExBytes + 1, 1) + endOfTrack()}),
         0},
        {"a tempo change on every tick past the limit", tempoAtEveryTick(MidiFile::kMaxTempoChanges * 7 + 70),
         0},
        {"the largest delta times", largestDeltas(100'000), 100'000},
    };
    for (const auto& row : rows) {
        try {
            const MidiFile file = MidiFile::parse(row.bytes);
            EXPECT_NE(row.mostEvents, 0u) << row.label << ": accepted";
            EXPECT_LE(file.events().size(), row.mostEvents) << row.label;
        } catch (const Failure& failure) {
            EXPECT_EQ(row.mostEvents, 0u) << row.label << ": " << failure.what();
            EXPECT_STREQ(failure.what(), MidiFile::kDamagedMessage) << row.label;
        }
    }
    // Ticks far past what an int holds still convert both ways.
    const MidiFile far = MidiFile::parse(largestDeltas(100'000));
    EXPECT_GT(far.totalTicks(), std::int64_t{1} << 44);
    EXPECT_EQ(far.tickAt(far.lengthMilliseconds()), far.totalTicks());
    EXPECT_EQ(far.tickAt(1e300), far.totalTicks());
}
