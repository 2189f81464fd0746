#include "formats/image/JpegPictureData.h"

#include "PictureFixtures.h"
#include "PreviewFixtures.h"
#include "base/Failure.h"
#include "formats/picture/Picture.h"
#include "picture/PictureFile.h"

#include <QPainter>
#include <cstdio>
#include <filesystem>
#include <future>
#include <gtest/gtest.h>
#include <jerror.h>
#include <jpeglib.h>

using namespace velmoa;
using namespace fixtures;

namespace {

const QRgb kRed = qRgb(255, 0, 0), kGreen = qRgb(0, 255, 0), kBlue = qRgb(0, 0, 255),
           kWhite = qRgb(255, 255, 255), kGrey = qRgb(128, 128, 128);

const JpegPictureData& jpegData(const Picture& picture) {
    return dynamic_cast<const JpegPictureData&>(*picture.data());
}

// The colours at the centres of the four quadrants: top-left, top-right, bottom-left, bottom-right.
std::array<QRgb, 4> quadrantColours(const QImage& image) {
    const int w = image.width(), h = image.height();
    return {image.pixel(w / 4, h / 4), image.pixel(3 * w / 4, h / 4), image.pixel(w / 4, 3 * h / 4),
            image.pixel(3 * w / 4, 3 * h / 4)};
}

std::string headerMessage(const std::string& bytes) {
    try {
        jpegPictureFromBytes(bytes);
    } catch (const Failure& f) {
        return f.what();
    }
    return "(loaded)";
}

// A grey progressive picture of side x side whose scans hold no coded data: a DC scan, then the
// same AC band again and again (libjpeg only warns about the repeats).
std::string emptyScans(int side, int scans) {
    auto segment = [](int marker, const std::string& payload) {
        const auto length = static_cast<unsigned>(payload.size() + 2);
        return std::string{'\xFF', static_cast<char>(marker), static_cast<char>(length >> 8),
                           static_cast<char>(length & 0xFF)} +
               payload;
    };
    const std::string sideBytes{static_cast<char>(side >> 8), static_cast<char>(side & 0xFF)};
    // One Huffman code, of one bit, for symbol 0.
    const std::string oneCode = std::string(1, '\1') + std::string(15, '\0') + std::string(1, '\0');
    std::string out = "\xFF\xD8";
    out += segment(0xDB, std::string(1, '\0') + std::string(64, '\1'));
    out += segment(0xC2, "\x08" + sideBytes + sideBytes + std::string("\x01\x01\x11\x00", 4));
    out += segment(0xC4, std::string(1, '\x00') + oneCode);
    out += segment(0xC4, std::string(1, '\x10') + oneCode);
    out += segment(0xDA, std::string("\x01\x01\x00\x00\x00\x00", 6)) + std::string(1, '\0');
    for (int i = 1; i < scans; ++i) {
        out += segment(0xDA, std::string("\x01\x01\x00\x01\x3F\x00", 6)) + std::string(1, '\0');
    }
    return out + "\xFF\xD9";
}

} // namespace

TEST(JpegPictureData, TurnsThePictureUprightForEachExifOrientation) {
    const QImage stored = quadrants(64, 32); // red, green / blue, white
    const struct {
        int orientation;
        std::array<QRgb, 4> upright;
    } rows[] = {
        {1, {kRed, kGreen, kBlue, kWhite}}, {2, {kGreen, kRed, kWhite, kBlue}},
        {3, {kWhite, kBlue, kGreen, kRed}}, {4, {kBlue, kWhite, kRed, kGreen}},
        {5, {kRed, kBlue, kGreen, kWhite}}, {6, {kBlue, kRed, kWhite, kGreen}},
        {7, {kWhite, kGreen, kBlue, kRed}}, {8, {kGreen, kWhite, kRed, kBlue}},
    };
    for (const bool bigEndian : {false, true}) {
        for (const auto& row : rows) {
            const Picture picture = jpegPictureFromBytes(
                jpegBytes(stored, {.quality = 100, .app1 = exifWithOrientation(row.orientation, bigEndian)}));
            const bool turned = row.orientation >= 5;
            EXPECT_EQ(picture.width(), turned ? 32 : 64) << row.orientation;
            EXPECT_EQ(picture.height(), turned ? 64 : 32) << row.orientation;
            const auto colours = quadrantColours(drawn(picture, QSize(picture.width(), picture.height())));
            for (std::size_t i = 0; i < 4; ++i) {
                EXPECT_TRUE(near(colours[i], row.upright[i]))
                    << "orientation " << row.orientation << " quadrant " << i << (bigEndian ? " MM" : " II");
            }
        }
    }
    // No EXIF, and an orientation out of range, leave the picture as stored.
    for (const std::string& app1 :
         {std::string(), exifWithOrientation(9, false), std::string("Exif\0\0junk", 10)}) {
        const Picture picture = jpegPictureFromBytes(jpegBytes(stored, {.app1 = app1}));
        EXPECT_EQ(jpegData(picture).orientation(), 1);
        EXPECT_EQ(picture.width(), 64);
    }
}

TEST(JpegPictureData, ReadsTheOrientationWhateverIntegerTypeHoldsIt) {
    const struct {
        const char* name;
        int value;
        ExifType type;
        int expected;
    } rows[] = {
        {"SHORT", 6, ExifType::Short, 6},
        {"LONG", 6, ExifType::Long, 6},
        {"SLONG", 8, ExifType::SignedLong, 8},
        {"BYTE", 3, ExifType::Byte, 3},
        {"negative SLONG", -6, ExifType::SignedLong, 1},
        // Not cut down to its low half, which would read 6.
        {"LONG past 16 bits", 0x10006, ExifType::Long, 1},
        {"LONG out of range", 9, ExifType::Long, 1},
    };
    for (const bool bigEndian : {false, true}) {
        for (const auto& row : rows) {
            const std::string exif = exifWithOrientation(row.value, bigEndian, row.type);
            EXPECT_EQ(JpegDecoder::exifOrientation(reinterpret_cast<const unsigned char*>(exif.data()),
                                                   exif.size()),
                      row.expected)
                << row.name << (bigEndian ? " MM" : " II");
        }
    }
    // Through a whole file: the sides are the turned ones.
    const Picture picture = jpegPictureFromBytes(
        jpegBytes(quadrants(64, 32), {.app1 = exifWithOrientation(6, false, ExifType::SignedLong)}));
    EXPECT_EQ(picture.width(), 32);
    EXPECT_EQ(picture.height(), 64);
}

TEST(JpegPictureData, ChoosesTheSmallestScaleCoveringTheTarget) {
    const struct {
        QSize stored;
        QSize target;
        int eighths;
    } rows[] = {
        {{6000, 4000}, {640, 480}, 1},
        {{6000, 4000}, {750, 500}, 1},
        {{6000, 4000}, {751, 500}, 2},
        {{6000, 4000}, {640, 501}, 2},
        {{6000, 4000}, {1920, 1080}, 3},
        {{6000, 4000}, {3000, 2000}, 4},
        {{6000, 4000}, {5999, 10}, 8},
        {{6000, 4000}, {9000, 6000}, 8},
        {{100, 100}, {13, 13}, 1},
        {{100, 100}, {14, 13}, 2},
        {{1, 1}, {1, 1}, 1},
        {{7, 7}, {2, 2}, 2},
        // Past the decoded-pixel limit a coarser scale is taken.
        {{65000, 65000}, {65000, 65000}, 1},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(JpegDecoder::chooseScale(row.stored, row.target), row.eighths)
            << row.stored.width() << "x" << row.stored.height() << " into " << row.target.width() << "x"
            << row.target.height();
    }
}

TEST(JpegPictureData, KeepsDecodedPixelsForRedrawsThatTheyCover) {
    const Picture picture = jpegPictureFromBytes(jpegBytes(quadrants(800, 600)));
    const Picture copy = picture;
    const struct {
        const Picture* drawnBy;
        QSize size;
        int decodes;
        int scale;
    } steps[] = {
        {&picture, {100, 75}, 1, 1},  {&picture, {100, 75}, 1, 1},    {&copy, {100, 75}, 1, 1},
        {&picture, {50, 30}, 1, 1},   {&copy, {400, 300}, 2, 4},      {&picture, {100, 75}, 2, 4},
        {&picture, {800, 600}, 3, 8}, {&picture, {1600, 1200}, 3, 8},
    };
    for (const auto& step : steps) {
        const QImage canvas = drawn(*step.drawnBy, step.size);
        EXPECT_EQ(jpegData(picture).decodeCount(), step.decodes) << step.size.width();
        EXPECT_EQ(jpegData(picture).decodedScale(), step.scale) << step.size.width();
        EXPECT_TRUE(near(canvas.pixel(step.size.width() / 4, step.size.height() / 4), kRed))
            << step.size.width();
    }

    // A picture turned by its orientation measures the target the stored way round.
    const Picture turned =
        jpegPictureFromBytes(jpegBytes(quadrants(800, 600), {.app1 = exifWithOrientation(6, false)}));
    drawn(turned, QSize(75, 100));
    EXPECT_EQ(jpegData(turned).decodedScale(), 1);

    // On a high-density device the target's device pixels count.
    const Picture sharp = jpegPictureFromBytes(jpegBytes(quadrants(800, 600)));
    QImage canvas(200, 150, QImage::Format_RGB32);
    canvas.setDevicePixelRatio(2.0);
    QPainter painter(&canvas);
    sharp.draw(painter, QRect(0, 0, 100, 75));
    EXPECT_EQ(jpegData(sharp).decodedScale(), 2);
}

// A header may claim far more pixels than the data holds; drawing it must not exhaust memory.
TEST(JpegPictureData, ReportsHugeClaimedSizesAtDrawInsteadOfAllocating) {
    RecordingReporter reporter;
    const struct {
        const char* name;
        JpegOptions options;
        int side;
    } rows[] = {
        {"baseline beyond the decoded-pixel limit even at 1/8", {}, 65000},
        {"progressive beyond libjpeg's working memory", {.progressive = true}, 20000},
        // 384 MB of coefficients claimed by a file of a few hundred bytes.
        {"progressive beyond what its few bytes can hold", {.progressive = true}, 8000},
    };
    for (const auto& row : rows) {
        std::string bytes = jpegBytes(quadrants(16, 16), row.options);
        const std::size_t sof = bytes.find(row.options.progressive ? "\xFF\xC2" : "\xFF\xC0");
        ASSERT_NE(sof, std::string::npos) << row.name;
        const std::string side{static_cast<char>(row.side >> 8), static_cast<char>(row.side & 0xFF)};
        bytes.replace(sof + 5, 2, side);
        bytes.replace(sof + 7, 2, side);
        const Picture picture = jpegPictureFromBytes(bytes);
        EXPECT_EQ(picture.width(), row.side) << row.name;
        drawn(picture, QSize(640, 480));
        const QStringList messages = reporter.delivered();
        ASSERT_EQ(messages.size(), 1) << row.name;
        EXPECT_TRUE(messages.front().startsWith(QStringLiteral("JPEG エラー #"))) << row.name;
        reporter.messages.clear();
    }
}

TEST(JpegPictureData, DecodesEachColourLayout) {
    const QImage stored = quadrants(64, 64);
    const QRgb grey = qRgb(255 * 299 / 1000, 255 * 299 / 1000, 255 * 299 / 1000);
    const std::array<QRgb, 4> colours = {kRed, kGreen, kBlue, kWhite};
    const struct {
        const char* name;
        JpegOptions options;
        std::array<QRgb, 4> expected;
    } rows[] = {
        {"4:4:4", {}, colours},
        {"4:2:2", {.hSampling = 2, .vSampling = 1}, colours},
        {"4:2:0", {.hSampling = 2, .vSampling = 2}, colours},
        {"progressive", {.progressive = true}, colours},
        {"restart markers", {.restartInterval = 1}, colours},
        {"grayscale", {.grayscale = true}, {grey, qRgb(150, 150, 150), qRgb(29, 29, 29), kWhite}},
        {"Adobe CMYK", {.cmyk = true}, colours},
        {"CMYK without Adobe's marker", {.cmyk = true, .adobeMarker = false}, colours},
    };
    for (const auto& row : rows) {
        const Picture picture = jpegPictureFromBytes(jpegBytes(stored, row.options));
        ASSERT_EQ(picture.width(), 64) << row.name;
        for (const int size : {8, 64}) {
            const auto got = quadrantColours(drawn(picture, QSize(size, size)));
            for (std::size_t i = 0; i < 4; ++i) {
                EXPECT_TRUE(near(got[i], row.expected[i], 40))
                    << row.name << " at " << size << " quadrant " << i << ": " << std::hex << got[i];
            }
        }
        // Shrunk as the rows come out, as for a picture prepared ahead.
        const std::string bytes = jpegBytes(stored, row.options);
        const JpegDecoder::Decoded shrunk =
            JpegDecoder::decode(MemoryCodedSource(ByteBuffer::copyOf(bytes)), 8, nullptr, QSize(30, 30));
        ASSERT_EQ(shrunk.image.size(), QSize(30, 30)) << row.name;
        const auto got = quadrantColours(shrunk.image);
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_TRUE(near(got[i], row.expected[i], 40))
                << row.name << " shrunk, quadrant " << i << ": " << std::hex << got[i];
        }
    }
}

TEST(JpegPictureData, TruncatedDataShowsWhatWasDecodedWithoutAFailure) {
    RecordingReporter reporter;
    const std::string whole = jpegBytes(quadrants(64, 64));
    // Cut half way through the coded data, well past the top quadrants' rows.
    const std::size_t scan = whole.find("\xFF\xDA");
    const Picture picture = jpegPictureFromBytes(whole.substr(0, scan + (whole.size() - scan) * 6 / 10));
    const QImage canvas = drawn(picture, QSize(64, 64));
    EXPECT_TRUE(near(canvas.pixel(16, 16), kRed));
    EXPECT_TRUE(near(canvas.pixel(48, 16), kGreen));
    EXPECT_TRUE(reporter.delivered().isEmpty());
}

// Files of several scans (progressive ones) are read whole before a row comes out; one cut
// inside a later segment still shows the scans that were complete, in colour or CMYK alike.
TEST(JpegPictureData, TruncatedDataOfEachLayoutShowsWhatWasDecoded) {
    const struct {
        const char* name;
        JpegOptions options;
    } rows[] = {
        {"progressive YCbCr", {.progressive = true}},
        {"progressive Adobe CMYK", {.progressive = true, .cmyk = true}},
        {"baseline Adobe CMYK", {.cmyk = true}},
        {"baseline CMYK without Adobe's marker", {.cmyk = true, .adobeMarker = false}},
    };
    for (const auto& row : rows) {
        const std::string whole = jpegBytes(quadrants(64, 64), row.options);
        const std::size_t scan = whole.find("\xFF\xDA");
        for (int tenths = 5; tenths <= 9; ++tenths) {
            RecordingReporter reporter;
            const Picture picture =
                jpegPictureFromBytes(whole.substr(0, scan + (whole.size() - scan) * tenths / 10));
            const auto got = quadrantColours(drawn(picture, QSize(64, 64)));
            EXPECT_TRUE(near(got[0], kRed, 64))
                << row.name << " cut at " << tenths << std::hex << " " << got[0];
            EXPECT_TRUE(near(got[1], kGreen, 64))
                << row.name << " cut at " << tenths << std::hex << " " << got[1];
            reporter.delivered();
        }
    }
}

TEST(JpegPictureData, ReportsACodedDataErrorOnceAtDrawAndNeverThrows) {
    RecordingReporter reporter;
    std::string bytes = jpegBytes(quadrants(64, 64), {.progressive = true});
    // The second scan gets a spectral selection that ends before it starts.
    const std::size_t first = bytes.find("\xFF\xDA");
    const std::size_t second = bytes.find("\xFF\xDA", first + 2);
    ASSERT_NE(second, std::string::npos);
    const std::size_t components = static_cast<unsigned char>(bytes[second + 4]);
    bytes[second + 5 + 2 * components] = 10;
    bytes[second + 6 + 2 * components] = 5;

    const Picture picture = jpegPictureFromBytes(bytes);
    EXPECT_EQ(picture.width(), 64);
    drawn(picture, QSize(8, 8));
    drawn(picture, QSize(64, 64));
    EXPECT_EQ(jpegData(picture).decodeCount(), 2);
    EXPECT_EQ(reporter.delivered(),
              QStringList{QString::fromStdString(JpegDecoder::errorMessage(JERR_BAD_PROGRESSION))});

    // The reader reports nothing itself: it hands the error to the first drawer that asks, copies
    // included, and to no one after.
    const Picture again = jpegPictureFromBytes(bytes);
    const Picture copy = again; // NOLINT(performance-unnecessary-copy-initialization): copies share the error
    QImage canvas(64, 64, QImage::Format_RGB32);
    QPainter painter(&canvas);
    again.draw(painter, canvas.rect());
    copy.draw(painter, QRect(0, 0, 8, 8));
    EXPECT_EQ(copy.takeDrawFailure(), JpegDecoder::errorMessage(JERR_BAD_PROGRESSION));
    again.draw(painter, canvas.rect());
    EXPECT_EQ(again.takeDrawFailure(), std::nullopt);
    EXPECT_EQ(reporter.delivered().size(), 1);
}

// Each scan walks all the blocks of the picture, so a few kilobytes of empty scans over a large
// picture would keep the decoder busy for many seconds.
TEST(JpegPictureData, StopsDecodingScansWhoseBlockPassesAddUpBeyondAnyRealEncoder) {
    const struct {
        const char* name;
        int side;
        int scans;
        int errorCode;
    } rows[] = {
        {"a few scans over a large picture", 4096, 40, 0},
        {"many scans over a small picture", 64, 999, 0},
        {"more scans than any encoder writes", 64, 1001, JERR_BAD_PROGRESSION},
        {"many scans over a large picture", 4096, 999, JERR_BAD_PROGRESSION},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(JpegDecoder::decode(MemoryCodedSource(emptyScans(row.side, row.scans)), 1).errorCode,
                  row.errorCode)
            << row.name;
    }
}

TEST(JpegPictureData, HeaderErrorsCarryLibjpegsMessageNumber) {
    const std::string good = jpegBytes(quadrants(16, 16));
    const struct {
        const char* name;
        std::string bytes;
        int code;
    } rows[] = {
        {"not a JPEG", "BM" + good.substr(2), JERR_NO_SOI},
        {"unknown marker after the start", std::string("\xFF\xD8\xFF\x02", 4) + good.substr(2),
         JERR_UNKNOWN_MARKER},
        {"only the start marker", good.substr(0, 2), JERR_NO_IMAGE},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(headerMessage(row.bytes), JpegDecoder::errorMessage(row.code)) << row.name;
    }
    EXPECT_EQ(JpegDecoder::errorMessage(42), "JPEG エラー #42");
    // Cut inside the header: some libjpeg error, never a crash.
    EXPECT_EQ(headerMessage(good.substr(0, 100)).rfind("JPEG エラー #", 0), 0u);
}

// A loaded JPEG reads its coded data from the file it opened, when it is first drawn.
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
        const Picture loaded = loadPictureFile(path);
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
        const Picture loaded = loadPictureFile(path);
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
    const Picture loaded = loadPictureFile(path);
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

TEST(JpegPictureData, ADrawWaitingForPixelsMadeElsewhereHoldsNoLockMeanwhile) {
    const std::string bytes = solidJpeg(64, 48, kGreen);
    auto data = std::make_shared<JpegPictureData>(ByteBuffer::copyOf(bytes));
    const MemoryCodedSource source(ByteBuffer::copyOf(bytes));
    auto decode = std::make_shared<JpegDisplayDecode>(
        JpegDisplayDecode::makeFitted(source, JpegDecoder::readHeader(source), {64, 48}));
    ReadyFlag ready;
    bool answeredMeanwhile = false;
    std::future<bool> asked;
    // The draw waits in here, as for the worker: meanwhile another thread asks the picture about
    // itself, and is answered before the wait is over.
    data->offerPrepared(
        [&] {
            asked = std::async(std::launch::async, [&] { return data->pixelsPending(); });
            answeredMeanwhile = asked.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
            ready.set();
            return decode;
        },
        ready);
    QImage image(64, 48, QImage::Format_RGB32);
    QPainter painter(&image);
    data->draw(painter, image.rect());
    painter.end();
    asked.wait();
    EXPECT_TRUE(answeredMeanwhile);
    EXPECT_EQ(data->decodeCount(), 0);
    EXPECT_TRUE(near(image.pixel(32, 24), kGreen));
}
