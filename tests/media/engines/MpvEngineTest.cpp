#include "media/engines/MpvEngine.h"
#include "TemporaryFolder.h"
#include "base/Failure.h"
#include "media/MediaFixtures.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>

using namespace velmoa;
using namespace velmoa::testing;

namespace {

class MpvEngineTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir = new TemporaryFolder;
        fixtures = new MediaFixtures(*dir);
    }
    static void TearDownTestSuite() {
        delete fixtures;
        delete dir;
    }
    void SetUp() override {
        ASSERT_TRUE(fixtures->made) << "ffmpeg could not make the media files";
        engine = std::make_unique<MpvEngine>(MpvEngine::Outputs::Null);
        engine->setEndNotification([this] { ++ends; });
    }
    // Plays to the end; the null outputs run as fast as decoding goes.
    bool playToEnd() {
        const int before = ends;
        engine->play();
        return QTest::qWaitFor([&] { return ends > before; }, 20000);
    }

    static TemporaryFolder* dir;
    static MediaFixtures* fixtures;
    std::unique_ptr<MpvEngine> engine;
    int ends = 0;
};
TemporaryFolder* MpvEngineTest::dir = nullptr;
MediaFixtures* MpvEngineTest::fixtures = nullptr;

} // namespace

TEST_F(MpvEngineTest, OpensPlaysToTheEndSeeksAndRewindsEveryContainer) {
    for (const char* name : {"tone.wav", "tone.mp3", "tone.mp2", "tone.wma", "clip.mpg", "clip.avi",
                             "clip.wmv", "list.m3u", "sound.wax"}) {
        SCOPED_TRACE(name);
        ASSERT_NO_THROW(engine->open(fixtures->path(name)));
        EXPECT_TRUE(engine->isOpen());
        EXPECT_FALSE(engine->isPlaying());
        const std::int32_t length = engine->length();
        // One second of sound; containers pad a few frames.
        EXPECT_GE(length, 900);
        EXPECT_LE(length, 1200);
        EXPECT_EQ(engine->position(), 0);

        ASSERT_TRUE(playToEnd());
        EXPECT_FALSE(engine->isPlaying());
        EXPECT_EQ(engine->position(), length);

        engine->setPosition(400);
        EXPECT_EQ(engine->position(), 400);
        engine->rewind();
        EXPECT_EQ(engine->position(), 0);
        // Play at the end rewinds first, and plays to the end again.
        engine->setPosition(length);
        ASSERT_TRUE(playToEnd());
        EXPECT_EQ(engine->position(), length);
    }
}

TEST_F(MpvEngineTest, StopHoldsThePositionAndPlayGoesOnFromIt) {
    // A long file, so that decoding cannot reach its end between the calls.
    const std::string longWav = fixtures->path("long.wav");
    {
        QFile file(QString::fromStdString(longWav));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const std::string bytes = wavBytes(600000);
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    engine->open(longWav);
    EXPECT_EQ(engine->length(), 600000);
    engine->setPosition(300000);
    engine->play();
    EXPECT_TRUE(engine->isPlaying());
    engine->stop();
    EXPECT_FALSE(engine->isPlaying());
    // Held while a second engine, as untimed as this one, plays the same file from the same place
    // to its end: had the stop not held, this one would have got there first.
    MpvEngine witness(MpvEngine::Outputs::Null);
    int witnessEnds = 0;
    witness.setEndNotification([&] { ++witnessEnds; });
    witness.open(longWav);
    const auto witnessPlaysThrough = [&] {
        witness.setPosition(300000);
        const int before = witnessEnds;
        witness.play();
        return QTest::qWaitFor([&] { return witnessEnds > before; }, 20000);
    };
    ASSERT_TRUE(witnessPlaysThrough());
    const std::int32_t stopped = engine->position();
    EXPECT_GE(stopped, 300000);
    EXPECT_LT(stopped, 600000);
    ASSERT_TRUE(witnessPlaysThrough());
    EXPECT_EQ(engine->position(), stopped);
    EXPECT_EQ(ends, 0);
}

TEST_F(MpvEngineTest, FailuresAreToldInJapaneseAndLeaveNoDeviceOpen) {
    auto write = [&](const std::string& name, const QByteArray& bytes) {
        std::string path = fixtures->path(name);
        QFile file(QString::fromStdString(path));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    };
    struct Row {
        std::string path;
        const char* message;
    };
    const Row rows[] = {
        {fixtures->path("missing.wav"), kCannotOpenMessage},
        {write("garbage.mp3", QByteArray(4096, '\x5a')), kUnknownFormatMessage},
        {write("text.mpg", "This is a letter, not a film.\n"), kUnknownFormatMessage},
        {write("remote.m3u", "http://127.0.0.1:9/tone.wav\n"), kNoPlayableEntryMessage},
        {write("generated.asx", R"(<asx><entry><ref href="file:av://lavfi:sine"/></entry></asx>)"),
         kNoPlayableEntryMessage},
        {write("gone.wpl", R"(<smil><body><seq><media src="gone.wav"/></seq></body></smil>)"),
         kEntriesMissingMessage},
        {write("empty.m3u", ""), kNoPlayableEntryMessage},
    };
    for (const Row& row : rows) {
        engine->open(fixtures->path("tone.wav"));
        EXPECT_EQ(failureOf([&] { engine->open(row.path); }), row.message) << row.path;
        EXPECT_FALSE(engine->isOpen()) << row.path;
        EXPECT_EQ(engine->position(), 0) << row.path;
    }
}

TEST_F(MpvEngineTest, PlaylistsNamedRelativelyPlayEveryEntryAndEndOnlyAfterTheLast) {
    // Lists name their entries relative to their own folder; the program's current folder is
    // another one, and the list itself is named relative to it.
    const QString lists = QString::fromStdString(fixtures->path("lists dir"));
    ASSERT_TRUE(QDir().mkpath(lists));
    // Written by their bytes: one name is Shift-JIS, which no QString keeps.
    auto write = [&](const std::string& name, const std::string& bytes) {
        std::ofstream(lists.toStdString() + "/" + name, std::ios::binary) << bytes;
    };
    write("\x83\x65\x83\x58\x83\x67.m3u", "#EXTM3U\n../missing.wav\n../tone.wav\n../tone.mp3\n");
    write("list.asx",
          R"(<asx><entry><ref href="..\tone.wav"/></entry><entry><ref href="../tone.mp3"/></entry></asx>)");
    write("list.wpl",
          R"(<smil><body><seq><media src="../tone.mp3"/><media src="../tone.wav"/></seq></body></smil>)");
    const QString startFolder = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(fixtures->folder)));
    for (const char* name : {"lists dir/\x83\x65\x83\x58\x83\x67.m3u", "./lists dir/list.asx",
                             "lists dir/../lists dir/list.wpl"}) {
        SCOPED_TRACE(name);
        ASSERT_NO_THROW(engine->open(name));
        EXPECT_GE(engine->length(), 900);
        EXPECT_LE(engine->length(), 1200);
        const int before = ends;
        ASSERT_TRUE(playToEnd());
        // One end, after the last entry; then it stands at the end as a single file does.
        EXPECT_EQ(ends, before + 1);
        EXPECT_FALSE(engine->isPlaying());
        EXPECT_EQ(engine->position(), engine->length());
        // Back to the first entry, standing still.
        engine->rewind();
        EXPECT_EQ(engine->position(), 0);
        EXPECT_FALSE(engine->isPlaying());
        EXPECT_GE(engine->length(), 900);
        ASSERT_TRUE(playToEnd());
        EXPECT_EQ(ends, before + 2);
    }
    QDir::setCurrent(startFolder);
}

TEST_F(MpvEngineTest, OperationsWithoutAnOpenDeviceFail) {
    const std::function<void()> operations[] = {
        [&] { engine->play(); },          [&] { engine->stop(); },   [&] { engine->rewind(); },
        [&] { engine->setPosition(10); }, [&] { engine->length(); },
    };
    for (const auto& operation : operations) {
        EXPECT_EQ(failureOf(operation), "MCI デバイスがありません");
    }
    EXPECT_EQ(engine->position(), 0);
    EXPECT_NO_THROW(engine->setDisplayRect(QRect(0, 0, 10, 10)));
    engine->open(fixtures->path("tone.wav"));
    engine->close();
    EXPECT_EQ(failureOf([&] { engine->play(); }), "MCI デバイスがありません");
}
