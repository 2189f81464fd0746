#include "media/engines/FluidSynthEngine.h"
#include "base/Failure.h"
#include "formats/midi/MidiWriter.h"
#include "media/MediaFixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace velmoa;
using namespace velmoa::testing;

namespace {

class FluidSynthEngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        engine.setEndNotification([this] { ++ends; });
    }
    std::string write(const std::string& name, const std::string& bytes) {
        std::string path = dir.path().toStdString() + "/" + name;
        QFile file(QString::fromStdString(path));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path;
    }

    QTemporaryDir dir;
    FluidSynthEngine engine{FluidSynthEngine::Outputs::Silent};
    int ends = 0;
};

// Half a second at half the default speed: 240 ticks of a quarter note of a second.
std::string halfSecond() {
    return smf(0, 480, {tempoEvent(0, 1000000) + noteEvents(0, 120) + noteEvents(0, 120) + endOfTrack()});
}

constexpr int kWaitMs = 10000;

} // namespace

TEST_F(FluidSynthEngineTest, PlaysSmfAndRmidToTheEndInRealTime) {
    for (const auto& [name, bytes] :
         {std::pair{"song.mid", halfSecond()}, std::pair{"song.rmi", rmid(halfSecond())}}) {
        SCOPED_TRACE(name);
        ASSERT_NO_THROW(engine.open(write(name, bytes)));
        EXPECT_EQ(engine.length(), 500);
        EXPECT_EQ(engine.position(), 0);
        const int before = ends;
        engine.play();
        EXPECT_TRUE(engine.isPlaying());
        ASSERT_TRUE(QTest::qWaitFor([&] { return ends > before; }, kWaitMs));
        EXPECT_FALSE(engine.isPlaying());
        EXPECT_EQ(engine.position(), 500);
        // Play at the end starts from the beginning again.
        engine.play();
        EXPECT_LT(engine.position(), 500);
        engine.stop();
    }
}

TEST_F(FluidSynthEngineTest, StopHoldsThePositionAndSeeksMoveIt) {
    engine.open(write("long.mid", smf(0, 480, {noteEvents(0, 480 * 600) + endOfTrack()})));
    EXPECT_EQ(engine.length(), 300000);
    engine.setPosition(120000);
    EXPECT_EQ(engine.position(), 120000);
    engine.play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.position() > 120000; }, kWaitMs));
    engine.stop();
    const std::int32_t stopped = engine.position();
    EXPECT_LT(stopped, 130000);
    // Held while another engine plays a song through in real time.
    FluidSynthEngine witness{FluidSynthEngine::Outputs::Silent};
    bool witnessEnded = false;
    witness.setEndNotification([&] { witnessEnded = true; });
    witness.open(write("witness.mid", halfSecond()));
    witness.play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return witnessEnded; }, kWaitMs));
    EXPECT_EQ(engine.position(), stopped);
    engine.play();
    engine.setPosition(200000);
    EXPECT_GE(engine.position(), 200000);
    engine.rewind();
    EXPECT_LT(engine.position(), 1000);
    EXPECT_TRUE(engine.isPlaying());
    engine.stop();
    EXPECT_EQ(ends, 0);
}

TEST_F(FluidSynthEngineTest, BadFilesAndMissingDevicesFail) {
    struct Row {
        std::string path;
        const char* message;
    };
    const Row rows[] = {
        {dir.path().toStdString() + "/missing.mid", kCannotOpenMessage},
        {write("garbage.mid", std::string(300, 'x')), MidiFile::kNotMidiMessage},
        {write("cut.rmi", rmid(halfSecond()).substr(0, 40)), MidiFile::kDamagedMessage},
    };
    for (const Row& row : rows) {
        engine.open(write("ok.mid", halfSecond()));
        EXPECT_EQ(failureOf([&] { engine.open(row.path); }), row.message) << row.path;
        EXPECT_FALSE(engine.isOpen()) << row.path;
        EXPECT_EQ(engine.position(), 0);
        for (const auto& operation : std::initializer_list<std::function<void()>>{
                 [&] { engine.play(); }, [&] { engine.stop(); }, [&] { engine.rewind(); },
                 [&] { engine.setPosition(5); }, [&] { engine.length(); }}) {
            EXPECT_EQ(failureOf(operation), kNoDeviceMessage);
        }
    }
}

TEST_F(FluidSynthEngineTest, ASoundFontThatDoesNotLoadLeavesNoSynthesizerBehind) {
    const struct {
        const char* name;
        std::string soundFont;
    } rows[] = {
        {"missing", dir.path().toStdString() + "/missing.sf2"},
        {"not a sound font", write("garbage.sf2", std::string(4096, 'x'))},
    };
    const std::string song = write("song.mid", halfSecond());
    for (const auto& row : rows) {
        FluidSynthEngine fontless{FluidSynthEngine::Outputs::Silent, row.soundFont};
        // Every open fails alike: the first failure kept nothing that a later open could use.
        for (int attempt = 0; attempt < 2; ++attempt) {
            EXPECT_EQ(failureOf([&] { fontless.open(song); }), kCannotOpenMessage) << row.name << attempt;
            EXPECT_FALSE(fontless.isOpen()) << row.name << attempt;
        }
    }
}

// Songs that crashed the synthesizer's renderer (a tick's flood), its file player (ticks past an
// int, raced by seeks from this thread) or took seconds and hundreds of megabytes to read. Each is
// played, sought while it plays, stopped and closed; the audio thread renders all along.
TEST_F(FluidSynthEngineTest, HostileSongsPlaySeekAndCloseWithoutHarm) {
    const struct {
        const char* name;
        std::string bytes;
    } rows[] = {
        {"programs.mid", programChangeFlood(1'000'000)},
        {"alternating-programs.mid", programChangeFlood(200'000, true)},
        {"resets.mid", resetFlood(20'000)},
        {"notes.mid", notesOnOneTick(100'000)},
        {"deltas.mid", largestDeltas(1'000'000)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_NO_THROW(engine.open(write(row.name, row.bytes)));
        engine.play();
        ASSERT_TRUE(QTest::qWaitFor([&] { return engine.position() > 0; }, kWaitMs));
        const std::int32_t length = engine.length();
        // Seeks in a burst, as a dragged position bar sends them, while the audio thread renders.
        for (int seek = 0; seek < 200; ++seek) {
            engine.setPosition(length / 200 * seek);
            engine.position();
        }
        for (int seek = 0; seek < 5; ++seek) {
            const std::int32_t target = length / 5 * seek;
            engine.setPosition(target);
            // The audio thread plays on from there before the next seek.
            ASSERT_TRUE(
                QTest::qWaitFor([&] { return engine.position() > target || !engine.isPlaying(); }, kWaitMs));
        }
        engine.stop();
        engine.play();
        engine.close();
        EXPECT_FALSE(engine.isOpen());
    }
    // A song that reads as many tempo changes as it has bytes is refused, not read on.
    const std::string tempos = write("tempos.mid", tempoAtEveryTick(64 * 1024 * 1024 - 100));
    EXPECT_EQ(failureOf([&] { engine.open(tempos); }), MidiFile::kDamagedMessage);
}
