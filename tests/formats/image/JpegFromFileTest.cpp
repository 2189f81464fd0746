#include "formats/image/JpegPictureData.h"

#include "PictureFixtures.h"
#include "PreviewFixtures.h"
#include "formats/image/Picture.h"

#include <QPainter>
#include <filesystem>
#include <gtest/gtest.h>
#include <jerror.h>

using namespace velmoa;
using namespace fixtures;

// A loaded JPEG reads its coded data from the file it opened, when it is first drawn.
namespace {

const QRgb kRed = qRgb(255, 0, 0), kGreen = qRgb(0, 255, 0), kBlue = qRgb(0, 0, 255),
           kGrey = qRgb(128, 128, 128);

std::string solidJpeg(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return jpegBytes(image, {.quality = 90});
}

QImage drawn(const Picture& picture, QSize size) {
    QImage canvas(size, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    picture.draw(painter, QRect(QPoint(0, 0), size));
    return canvas;
}

const JpegPictureData& jpegData(const Picture& picture) {
    return dynamic_cast<const JpegPictureData&>(*picture.data());
}

} // namespace

TEST(JpegFromFile, DrawsThePictureItLoadedWhenTheNameNowNamesAnotherFileOrNone) {
    const struct {
        const char* name;
        void (*change)(const std::string& path, const std::string& other);
    } rows[] = {
        {"replaced by a rename",
         [](const std::string& path, const std::string& other) { std::filesystem::rename(other, path); }},
        {"removed", [](const std::string& path, const std::string&) { std::filesystem::remove(path); }},
    };
    for (const auto& row : rows) {
        QTemporaryDir dir;
        RecordingReporter reporter;
        const std::string path = writeFile(dir, "p.jpg", solidJpeg(320, 240, kRed));
        const std::string other = writeFile(dir, "q.jpg", solidJpeg(320, 240, kBlue));
        const Picture loaded = Picture::loadFromFile(path);
        row.change(path, other);
        EXPECT_TRUE(near(drawn(loaded, QSize(80, 60)).pixel(40, 30), kRed)) << row.name;
        EXPECT_TRUE(near(drawn(loaded, QSize(320, 240)).pixel(160, 120), kRed)) << row.name;
        EXPECT_EQ(jpegData(loaded).decodeCount(), 2) << row.name;
        EXPECT_TRUE(reporter.delivered().isEmpty()) << row.name;
    }
}

// Cut after loading, a file draws as a file that was cut before: what is there, grey after it; a
// file left without its header reports libjpeg's error once, at the draw.
TEST(JpegFromFile, AFileCutAfterLoadingDrawsWhatIsLeft) {
    const std::string whole = jpegBytes(quadrants(64, 64));
    const std::size_t scan = whole.find("\xFF\xDA");
    const struct {
        const char* name;
        std::size_t keep;
        bool topDrawn;
        QStringList messages;
    } rows[] = {
        {"in the coded data", scan + (whole.size() - scan) * 6 / 10, true, {}},
        {"to nothing", 0, false, {QString::fromStdString(JpegDecoder::errorMessage(JERR_NO_SOI))}},
    };
    for (const auto& row : rows) {
        QTemporaryDir dir;
        RecordingReporter reporter;
        const std::string path = writeFile(dir, "p.jpg", whole);
        const Picture loaded = Picture::loadFromFile(path);
        std::filesystem::resize_file(path, row.keep);
        const QImage canvas = drawn(loaded, QSize(64, 64));
        drawn(loaded, QSize(64, 64));
        if (row.topDrawn) {
            EXPECT_TRUE(near(canvas.pixel(16, 16), kRed)) << row.name;
            EXPECT_TRUE(near(canvas.pixel(48, 16), kGreen)) << row.name;
            EXPECT_TRUE(near(canvas.pixel(48, 60), kGrey, 8)) << row.name << std::hex << canvas.pixel(48, 60);
        }
        EXPECT_EQ(reporter.delivered(), row.messages) << row.name;
    }
}

TEST(JpegFromFile, TakesTheCameraPreviewFromTheFile) {
    QTemporaryDir dir;
    const std::string path = writeFile(
        dir, "DSC0001.JPG", withMultiPicturePreview(solidJpeg(1200, 800, kRed), solidJpeg(600, 400, kGreen)));
    const Picture loaded = Picture::loadFromFile(path);
    const struct {
        QSize size;
        bool preview;
        QRgb colour;
    } steps[] = {{{300, 200}, true, kGreen}, {{900, 600}, false, kRed}};
    for (const auto& step : steps) {
        EXPECT_TRUE(
            near(drawn(loaded, step.size).pixel(step.size.width() / 2, step.size.height() / 2), step.colour))
            << step.size.width();
        EXPECT_EQ(jpegData(loaded).decodedFromPreview(), step.preview) << step.size.width();
    }
}
