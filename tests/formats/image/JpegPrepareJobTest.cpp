#include "formats/image/JpegPrepareJob.h"

#include "PictureFixtures.h"

#include <QDir>
#include <QTemporaryDir>
#include <filesystem>
#include <gtest/gtest.h>

using namespace velmoa;
using namespace fixtures;

namespace {
QSize halfOf(const QSize& upright) {
    return upright / 2;
}
} // namespace

TEST(JpegPrepareJob, PreparesJpegFilesAndGivesNothingForTheRest) {
    QTemporaryDir dir;
    const std::string good = writeFile(dir, "a.JPEG", jpegBytes(quadrants(64, 32)));
    const struct {
        const char* name;
        std::string path;
        bool handled;
        bool decoded;
    } rows[] = {
        {"a JPEG", good, true, true},
        {"lower-case jpg", writeFile(dir, "b.jpg", jpegBytes(quadrants(64, 32))), true, true},
        {"bad header", writeFile(dir, "c.jpg", "\xFF\xD8 nothing"), true, false},
        {"empty", writeFile(dir, "d.jpg", ""), true, false},
        {"missing", dir.path().toStdString() + "/missing.jpg", true, false},
        {"a folder", dir.path().toStdString() + "/.jpg", true, false},
        {"a bitmap", writeFile(dir, "e.bmp", "BM"), false, false},
    };
    QDir(dir.path()).mkdir(QStringLiteral(".jpg"));
    const std::atomic<bool> running{false};
    for (const auto& row : rows) {
        EXPECT_EQ(JpegPrepareJob::handles(row.path), row.handled) << row.name;
        if (!row.handled) {
            continue;
        }
        const PreparedJpeg prepared = JpegPrepareJob::run(row.path, halfOf, running);
        ASSERT_EQ(prepared.decode != nullptr, row.decoded) << row.name;
        if (row.decoded) {
            EXPECT_EQ(prepared.decode->upright.size(), QSize(32, 16)) << row.name;
            EXPECT_EQ(prepared.file.size, static_cast<std::int64_t>(std::filesystem::file_size(row.path)));
        }
    }
    const std::atomic<bool> cancelled{true};
    EXPECT_EQ(JpegPrepareJob::run(good, halfOf, cancelled).decode, nullptr);
}

TEST(JpegPrepareJob, SharesItsBytesOnlyWhileItHoldsThemAndOnlyForTheSameFile) {
    SharedJobBytes shared;
    const FileIdentity file{1, 2, 3, 4}, rewritten{1, 2, 3, 5};
    EXPECT_EQ(shared.take(file), nullptr);
    auto bytes = std::make_shared<const ByteBuffer>(ByteBuffer::copyOf("abc"));
    shared.publish(file, bytes);
    EXPECT_EQ(shared.take(file), bytes);
    EXPECT_EQ(shared.take(rewritten), nullptr);
    bytes.reset();
    EXPECT_EQ(shared.take(file), nullptr);

    // The opened picture's bytes outlive the job until its step takes them, once.
    SharedJobBytes kept(true);
    kept.publish(file, std::make_shared<const ByteBuffer>(ByteBuffer::copyOf("abc")));
    const auto taken = kept.take(file);
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(taken->view(), "abc");
    EXPECT_EQ(kept.take(file), taken); // still held by the taker
    SharedJobBytes keptButRewritten(true);
    keptButRewritten.publish(file, std::make_shared<const ByteBuffer>(ByteBuffer::copyOf("abc")));
    EXPECT_EQ(keptButRewritten.take(rewritten), nullptr);
    EXPECT_EQ(keptButRewritten.take(file), nullptr); // let go at the first step
}
