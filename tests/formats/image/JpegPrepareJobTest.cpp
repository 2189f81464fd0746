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
