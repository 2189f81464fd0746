#include "picture/JpegPrepareJob.h"

#include "formats/image/PictureFixtures.h"
#include "picture/PictureFile.h"

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

TEST(JpegPrepareJob, PreparesWhatADrawAtTheFittedSizeShowsAndNothingLarger) {
    QTemporaryDir dir;
    const struct {
        const char* name;
        int orientation;
        QSize upright; // what the target is taken from
        QSize target;  // the upright device size drawn at
    } rows[] = {
        {"as stored, odd size", 1, {800, 600}, {333, 250}},
        {"turned a quarter", 6, {600, 800}, {150, 201}},
        {"exactly a DCT scale", 1, {800, 600}, {400, 300}},
    };
    const std::atomic<bool> running{false};
    for (const auto& row : rows) {
        const std::string path =
            writeFile(dir, std::string(row.name) + ".jpg",
                      jpegBytes(quadrants(800, 600), {.app1 = exifWithOrientation(row.orientation, false)}));
        const PreparedJpeg prepared = JpegPrepareJob::run(
            path, [&](const QSize& upright) { return upright == row.upright ? row.target : QSize(); },
            running);
        ASSERT_NE(prepared.decode, nullptr) << row.name;
        const QImage shown = drawn(loadPictureFile(path), row.target);
        // Shrunk by area averaging as it is decoded; a draw resamples with the toolkit's filter.
        ASSERT_EQ(prepared.decode->upright.size(), shown.size()) << row.name;
        int worst = 0;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                const QRgb a = prepared.decode->upright.pixel(x, y), b = shown.pixel(x, y);
                worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                  std::abs(qBlue(a) - qBlue(b))});
            }
        }
        EXPECT_LE(worst, 2) << row.name;
        const QSize stored = row.orientation == 6 ? row.target.transposed() : row.target;
        EXPECT_TRUE(prepared.decode->serves(stored)) << row.name;
        EXPECT_FALSE(prepared.decode->serves(stored - QSize(1, 0))) << row.name;
        EXPECT_FALSE(prepared.decode->serves(stored + QSize(0, 1))) << row.name;
    }
}
