#include "media/engines/MpvEngine.h"
#include "base/Failure.h"
#include "media/MediaFixtures.h"

#include <QFile>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace velmoa;
using namespace velmoa::testing;

namespace {

class MpvEngineTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir = new QTemporaryDir;
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

    static QTemporaryDir* dir;
    static MediaFixtures* fixtures;
    std::unique_ptr<MpvEngine> engine;
    int ends = 0;
};
QTemporaryDir* MpvEngineTest::dir = nullptr;
MediaFixtures* MpvEngineTest::fixtures = nullptr;

} // namespace

TEST_F(MpvEngineTest, OpensPlaysToTheEndSeeksAndRewindsEveryContainer) {
    for (const char* name :
         {"tone.wav", "tone.mp3", "tone.mp2", "tone.wma", "clip.mpg", "clip.avi", "clip.wmv", "list.m3u"}) {
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
    QTest::qWait(100);
    const std::int32_t stopped = engine->position();
    EXPECT_GE(stopped, 300000);
    QTest::qWait(100);
    EXPECT_EQ(engine->position(), stopped);
    EXPECT_EQ(ends, 0);
}

TEST_F(MpvEngineTest, FailuresGiveMpvsTextAndLeaveNoDeviceOpen) {
    const std::string garbage = fixtures->path("garbage.mp3");
    {
        QFile file(QString::fromStdString(garbage));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, '\x5a'));
    }
    const std::string remote = fixtures->path("remote.m3u");
    {
        QFile file(QString::fromStdString(remote));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("http://127.0.0.1:9/tone.wav\n");
    }
    struct Row {
        std::string path;
        const char* message;
    };
    const Row rows[] = {
        {fixtures->path("missing.wav"), "loading failed"},
        {garbage, "unrecognized file format"},
        {remote, "loading failed"},
    };
    for (const Row& row : rows) {
        engine->open(fixtures->path("tone.wav"));
        EXPECT_EQ(failureOf([&] { engine->open(row.path); }), row.message) << row.path;
        EXPECT_FALSE(engine->isOpen()) << row.path;
        EXPECT_EQ(engine->position(), 0) << row.path;
    }
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
