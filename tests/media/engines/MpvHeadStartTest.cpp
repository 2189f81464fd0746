#include "media/engines/MpvHeadStart.h"
#include "media/MediaFixtures.h"
#include "media/engines/MpvEngine.h"
#include "media/engines/MpvLibrary.h"

#include <QFile>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <mpv/client.h>

using namespace velmoa;
using namespace velmoa::testing;

namespace {

class MpvHeadStartTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir = new QTemporaryDir;
        fixtures = new MediaFixtures(*dir);
        // A film without sound: the head start holds its only track back.
        silentMade = ffmpeg({"-f", "lavfi", "-i", "testsrc=size=160x120:rate=25:duration=1", "-c:v",
                             "mpeg1video", "-f", "mpeg"},
                            fixtures->path("silent.mpg"));
        QFile garbage(QString::fromStdString(fixtures->path("garbage.mp3")));
        garbage.open(QIODevice::WriteOnly);
        garbage.write(QByteArray(4096, '\x5a'));
    }
    static void TearDownTestSuite() {
        delete fixtures;
        delete dir;
    }
    void SetUp() override {
        ASSERT_TRUE(fixtures->made && silentMade) << "ffmpeg could not make the media files";
    }

    // Plays the file to its end in an engine of its own, as fast as decoding goes.
    static bool witnessPlaysThrough(const std::string& path) {
        MpvEngine witness(MpvEngine::Outputs::Null);
        int ends = 0;
        witness.setEndNotification([&] { ++ends; });
        witness.open(path);
        witness.play();
        return QTest::qWaitFor([&] { return ends > 0; }, 20000);
    }

    static QTemporaryDir* dir;
    static MediaFixtures* fixtures;
    static bool silentMade;
};
QTemporaryDir* MpvHeadStartTest::dir = nullptr;
MediaFixtures* MpvHeadStartTest::fixtures = nullptr;
bool MpvHeadStartTest::silentMade = false;

// The property as mpv writes it; "(none)" when it has no value.
std::string textProperty(mpv_handle* player, const char* name) {
    mpv_node node{};
    if (MpvLibrary::get()->get_property(player, name, MPV_FORMAT_NODE, &node) < 0) {
        return "(none)";
    }
    std::string text = node.format == MPV_FORMAT_STRING ? node.u.string
                       : node.format == MPV_FORMAT_FLAG ? (node.u.flag ? "yes" : "no")
                                                        : "(other)";
    MpvLibrary::get()->free_node_contents(&node);
    return text;
}

} // namespace

TEST_F(MpvHeadStartTest, TheFileStandsPausedAtItsStartWithoutVideoUntilTaken) {
    MpvPlayerSettings settings;
    settings.null = true;
    settings.videoHeld = true;
    for (const char* name : {"tone.wav", "clip.mpg", "list.m3u"}) {
        SCOPED_TRACE(name);
        MpvHeadStart headStart(fixtures->path(name), settings);
        std::optional<MpvHeadStart::Opened> opened = headStart.take(fixtures->path(name));
        ASSERT_TRUE(opened && opened->player);
        EXPECT_EQ(opened->load.failure, nullptr);
        EXPECT_EQ(opened->load.entryIds.size(), 1U);
        EXPECT_EQ(opened->load.loadedEntry, opened->load.entryIds.front());
        // Untimed, a player left running would be at its end once another has played the file through.
        ASSERT_TRUE(witnessPlaysThrough(opened->files.front()));
        EXPECT_EQ(textProperty(opened->player, "pause"), "yes");
        EXPECT_EQ(textProperty(opened->player, "eof-reached"), "no");
        EXPECT_EQ(textProperty(opened->player, "vid"), "no");
        double at = 1;
        MpvLibrary::get()->get_property(opened->player, "time-pos", MPV_FORMAT_DOUBLE, &at);
        EXPECT_LT(at, 0.2);
        // Taken once only.
        EXPECT_FALSE(headStart.take(fixtures->path(name)));
        MpvLibrary::get()->terminate_destroy(opened->player);
    }
}

TEST_F(MpvHeadStartTest, TheStepOpensAsItWouldHaveWithoutAndReportsFailuresItself) {
    struct Row {
        const char* ahead;
        const char* opened;
    };
    const Row rows[] = {
        {"tone.wav", "tone.wav"},       {"clip.mpg", "clip.mpg"},       {"list.m3u", "list.m3u"},
        {"silent.mpg", "silent.mpg"},   {"tone.wav", "clip.wmv"},       {"garbage.mp3", "garbage.mp3"},
        {"missing.wav", "missing.wav"}, {"missing.m3u", "missing.m3u"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.opened);
        const std::string path = fixtures->path(row.opened);
        MpvEngine unprepared(MpvEngine::Outputs::Null);
        const std::string expected = failureOf([&] { unprepared.open(path); });
        MpvEngine engine(MpvEngine::Outputs::Null);
        int ends = 0;
        engine.setEndNotification([&] { ++ends; });
        engine.prepareOpening(fixtures->path(row.ahead));
        EXPECT_EQ(failureOf([&] { engine.open(path); }), expected);
        EXPECT_EQ(engine.isOpen(), unprepared.isOpen());
        if (!engine.isOpen()) {
            continue;
        }
        EXPECT_FALSE(engine.isPlaying());
        EXPECT_EQ(engine.position(), 0);
        EXPECT_EQ(engine.length(), unprepared.length());
        engine.play();
        ASSERT_TRUE(QTest::qWaitFor([&] { return ends > 0; }, 20000));
        // A film without sound learns its full length only once read to the end.
        EXPECT_EQ(engine.position(), engine.length());
    }
}
