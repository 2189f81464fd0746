// What the real program plays, as heard on the private sound server's null sink: every sound to its
// end, and playlists opened from their own folder by a relative name, entry after entry.
#include "TemporaryFolder.h"
#include "media/MediaFixtures.h"
#include "sound/ToneAnalysis.h"
#include "sound/Tones.h"
#include "sound/heard/RunningProgram.h"
#include "sound/heard/SinkRecorder.h"

#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace velmoa::testing;

namespace {

// A sound has ended once its last tone was heard and this much silence followed; when the last
// tone never comes, the longer silence after some sound, or after a reported failure, ends the wait.
constexpr double kSilenceAfterEndSeconds = 1;
constexpr double kSilenceAfterOtherSeconds = 3;
constexpr int kListenTimeoutMs = 30000;
constexpr int kPollMs = 20;

constexpr std::array<double, 3> kFrequencies{1000, 440, 2000};
enum ToneIndex : std::size_t { Low, Middle, High };

// What was heard from the program's start on, and how the program went.
struct Heard {
    std::array<double, kFrequencies.size()> seconds{};
    bool ended = false;  // the waiting saw the sound end
    bool closed = false; // the program closed by itself when its window was closed
    QStringList failures;
    double listenedSeconds = 0;
    double closingSeconds = 0;

    std::string describe() const {
        char text[200];
        std::snprintf(
            text, sizeof text,
            "heard 1000 Hz %.2f s, 440 Hz %.2f s, 2000 Hz %.2f s (listened %.1f s%s, closing %.1f s)",
            seconds[Low], seconds[Middle], seconds[High], listenedSeconds,
            ended ? "" : ": the sound did not end in time", closingSeconds);
        return text;
    }
};

// The program under test; VELMOA_SOUND_PROGRAM names another (a reference player, to check the
// checks).
QString programUnderTest() {
    const QString other = qEnvironmentVariable("VELMOA_SOUND_PROGRAM");
    return other.isEmpty() ? QStringLiteral(VELMOA_PROGRAM) : other;
}

// Starts the program in the folder with the file name as typed, listens until the sound whose
// last tone is lastTone has ended, then closes the program.
Heard listen(const std::string& folder, const std::string& name, ToneIndex lastTone) {
    Heard heard;
    SinkRecorder recorder;
    if (!recorder.start()) {
        ADD_FAILURE() << recorder.problem();
        return heard;
    }
    const std::size_t start = recorder.samples().size();
    QElapsedTimer clock;
    clock.start();
    RunningProgram program(programUnderTest(), QString::fromStdString(folder), name);
    heard.ended = QTest::qWaitFor(
        [&] {
            recorder.collect(kPollMs);
            const Hearing hearing(recorder.samplesFrom(start), SinkRecorder::kRate, kFrequencies);
            const double silence = hearing.trailingSilenceSeconds();
            return !program.running() ||
                   (hearing.lastHeardEndSeconds(lastTone) && silence >= kSilenceAfterEndSeconds) ||
                   ((hearing.firstSoundSeconds() || !program.failures().isEmpty()) &&
                    silence >= kSilenceAfterOtherSeconds);
        },
        kListenTimeoutMs);
    const Hearing hearing(recorder.samplesFrom(start), SinkRecorder::kRate, kFrequencies);
    for (std::size_t i = 0; i < kFrequencies.size(); ++i) {
        heard.seconds[i] = hearing.heardSeconds(i);
    }
    heard.listenedSeconds = static_cast<double>(clock.restart()) / 1000;
    heard.closed = program.close();
    heard.closingSeconds = static_cast<double>(clock.elapsed()) / 1000;
    heard.failures = program.failures();
    return heard;
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A WAV of the tones at CD rate.
void writeTones(const std::string& path, const std::vector<Tone>& tones) {
    writeFile(path, wavOf(toneSamples(tones, SinkRecorder::kRate), SinkRecorder::kRate));
}

// An MP3 of the WAV, as a user's encoder makes it.
bool mp3Of(const std::string& wav, const std::string& mp3) {
    return ffmpeg({"-i", QString::fromStdString(wav), "-c:a", "libmp3lame", "-b:a", "192k", "-ar", "44100"},
                  mp3);
}

class ListeningTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (SinkRecorder::monitor().isEmpty()) {
            GTEST_SKIP() << "no private sound server: run under tests/sound/run-with-sound-server.sh";
        }
        ASSERT_TRUE(dir.isValid());
    }
    std::string root() const { return dir.path().toStdString(); }
    TemporaryFolder dir;
};
using HeardSound = ListeningTest;
using HeardPlaylist = ListeningTest;

} // namespace

TEST_F(HeardSound, EveryToneIsHeardToTheEnd) {
    const std::vector<Tone> tones{
        {kFrequencies[Low], 0.5}, {kFrequencies[Middle], 2}, {kFrequencies[High], 0.5}};
    writeTones(root() + "/tones.wav", tones);
    ASSERT_TRUE(mp3Of(root() + "/tones.wav", root() + "/tones.mp3"));
    for (const char* name : {"tones.wav", "tones.mp3"}) {
        const Heard heard = listen(root(), name, High);
        std::printf("[ HEARD    ] %s: %s\n", name, heard.describe().c_str());
        EXPECT_TRUE(heard.ended) << name;
        EXPECT_GE(heard.seconds[Middle], 1.9) << name << ": " << heard.describe();
        EXPECT_GE(heard.seconds[High], 0.45) << name << ": " << heard.describe();
        EXPECT_TRUE(heard.closed) << name << ": the program did not end when its window was closed";
    }
}

namespace {

// Entry A, a second of 1000 Hz, and entry B, 1.5 s of 2000 Hz, as a playlist of the format.
constexpr double kEntryASeconds = 1;
constexpr double kEntryBSeconds = 1.5;
// Each entry counts as heard whole from this share of its length on.
constexpr double kWholeShare = 0.9;

std::string playlistOf(const std::string& format, const std::string& a, const std::string& b) {
    if (format == "m3u") {
        return "#EXTM3U\n" + a + "\n" + b + "\n";
    }
    if (format == "asx") {
        return R"(<asx version="3.0"><entry><ref href=")" + a + R"("/></entry><entry><ref href=")" + b +
               R"("/></entry></asx>)";
    }
    return R"(<?wpl version="1.0"?><smil><body><seq><media src=")" + a + R"("/><media src=")" + b +
           R"("/></seq></body></smil>)";
}

struct PlaylistRow {
    const char* label;
    std::string folder; // the playlist's folder under the test's own, also the working folder
    std::string file;   // the playlist's name there (bytes)
    std::string typed;  // the name as typed in that folder
};

} // namespace

namespace {

// Makes the playlist and its two entries in the row's folder, starts the program there with the
// name as typed, and expects both entries heard whole.
void expectBothEntriesHeard(const std::string& root, const PlaylistRow& row) {
    const std::string folder = root + "/" + row.folder;
    std::filesystem::create_directories(folder);
    writeTones(folder + "/a.wav", {{kFrequencies[Low], kEntryASeconds}});
    writeTones(folder + "/b.wav", {{kFrequencies[High], kEntryBSeconds}});
    ASSERT_TRUE(mp3Of(folder + "/b.wav", folder + "/b.mp3"));
    const std::string format = row.file.substr(row.file.rfind('.') + 1);
    writeFile(folder + "/" + row.file, playlistOf(format, "a.wav", "b.mp3"));

    const Heard heard = listen(folder, row.typed, High);
    std::printf("[ HEARD    ] %s: %s\n", row.label, heard.describe().c_str());
    EXPECT_GE(heard.seconds[Low], kWholeShare * kEntryASeconds) << row.label << ": " << heard.describe();
    EXPECT_GE(heard.seconds[High], kWholeShare * kEntryBSeconds) << row.label << ": " << heard.describe();
    EXPECT_TRUE(heard.closed) << row.label << ": the program did not end when its window was closed";
    EXPECT_TRUE(heard.failures.isEmpty()) << row.label << ": " << heard.failures.join('\n').toStdString();
}

} // namespace

TEST_F(HeardPlaylist, OpenedByARelativeNameEveryEntryIsHeardWhole) {
    const PlaylistRow rows[] = {
        {"m3u", "lists", "list.m3u", "list.m3u"},
        {"asx", "lists", "list.asx", "list.asx"},
        {"wpl", "lists", "list.wpl", "list.wpl"},
        {"m3u as ./", "lists", "list.m3u", "./list.m3u"},
        {"asx as ../folder/", "lists", "list.asx", "../lists/list.asx"},
    };
    for (const PlaylistRow& row : rows) {
        expectBothEntriesHeard(root(), row);
    }
}

TEST_F(HeardPlaylist, NamedWithASpaceOrInShiftJisEveryEntryIsHeardWhole) {
    const std::string sjis = "\x83\x65\x83\x58\x83\x67"; // "テスト" in Shift-JIS
    const PlaylistRow rows[] = {
        {"wpl in a folder with a space, as ../folder/", "my lists", "list.wpl", "../my lists/list.wpl"},
        {"asx with a space in its name", "lists", "my list.asx", "my list.asx"},
        {"m3u with a Shift-JIS name", "lists", sjis + ".m3u", sjis + ".m3u"},
        {"wpl with a Shift-JIS name, as ./", "lists", sjis + ".wpl", "./" + sjis + ".wpl"},
    };
    for (const PlaylistRow& row : rows) {
        expectBothEntriesHeard(root(), row);
    }
}

TEST_F(HeardPlaylist, AMissingFirstEntryIsPassedOverSilently) {
    writeTones(root() + "/b.wav", {{kFrequencies[High], kEntryBSeconds}});
    ASSERT_TRUE(mp3Of(root() + "/b.wav", root() + "/b.mp3"));
    for (const std::string format : {"m3u", "asx", "wpl"}) {
        const std::string name = "gone-first." + format;
        writeFile(root() + "/" + name, playlistOf(format, "gone.wav", "b.mp3"));
        const Heard heard = listen(root(), name, High);
        std::printf("[ HEARD    ] %s: %s\n", name.c_str(), heard.describe().c_str());
        EXPECT_GE(heard.seconds[High], kWholeShare * kEntryBSeconds) << name << ": " << heard.describe();
        // Each failure the program reports is also a line on standard error; an error box would
        // also keep the window from closing.
        EXPECT_TRUE(heard.failures.isEmpty()) << name << ": " << heard.failures.join('\n').toStdString();
        EXPECT_TRUE(heard.closed) << name << ": the program did not end when its window was closed";
    }
}
