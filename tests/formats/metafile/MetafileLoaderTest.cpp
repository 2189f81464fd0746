#include "formats/metafile/MetafileLoader.h"

#include "EmfWriter.h"
#include "WmfWriter.h"
#include "base/Failure.h"

#include <climits>
#include <gtest/gtest.h>

using namespace velmoa;

namespace {

std::string rectangleWmf() {
    return WmfWriter(0, 0, 1440, 720, 1440).rec(0x041B, {600, 1200, 100, 100}).build();
}

std::string rectangleEmf() {
    return EmfWriter(9999, 4999, 100, 50, 100, 50).rec(43, {10, 10, 90, 40}).build();
}

bool accepted(const std::string& bytes, bool enhanced) {
    try {
        loadMetafilePicture(bytes, enhanced);
        return true;
    } catch (const Failure& failure) {
        EXPECT_STREQ(failure.what(), "メタファイルが不正です");
        return false;
    }
}

} // namespace

TEST(MetafileLoader, ChecksWmfHeaders) {
    const std::string good = rectangleWmf();
    std::string badKey = good;
    badKey[0] = 0x00;
    std::string badChecksum = good;
    badChecksum[20] ^= 0x01;
    std::string badType = good;
    badType[22] = 7;
    std::string badVersion = good;
    badVersion[26] = 0x02;
    std::string firstRecordPastEnd = good;
    firstRecordPastEnd[40] = 0x7F;
    std::string zeroFirstRecord = good;
    zeroFirstRecord.replace(40, 4, std::string(4, '\0'));
    const struct {
        const char* name;
        std::string bytes;
        bool ok;
    } rows[] = {
        {"good", good, true},
        {"bad key", badKey, false},
        {"bad checksum", badChecksum, false},
        {"no standard header", good.substr(0, 22), false},
        {"standard header cut short", good.substr(0, 30), false},
        {"standard header of another type", badType, false},
        {"unknown version", badVersion, false},
        {"no records", good.substr(0, 40), false},
        {"first record past the end", firstRecordPastEnd, false},
        {"zero-length first record", zeroFirstRecord, false},
        {"empty bounding box", WmfWriter(5, 5, 5, 100, 1440).build(), false},
        {"empty file", "", false},
        {"an EMF given as WMF", rectangleEmf(), false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(accepted(row.bytes, false), row.ok) << row.name;
    }
}

TEST(MetafileLoader, ChecksEmfHeaders) {
    const std::string good = rectangleEmf();
    std::string noSignature = good;
    noSignature[40] = 'X';
    std::string notHeader = good;
    notHeader[0] = 2;
    std::string headerPastEnd = good;
    headerPastEnd[5] = 0x40;
    std::string noDeviceMillimetres = good;
    noDeviceMillimetres.replace(80, 4, EmfWriter::i32(0));
    std::string negativeFrame = good;
    negativeFrame.replace(32, 4, EmfWriter::i32(-10));
    const struct {
        const char* name;
        std::string bytes;
        bool ok;
    } rows[] = {
        {"good", good, true},
        {"no signature", noSignature, false},
        {"first record not a header", notHeader, false},
        {"header longer than the file", headerPastEnd, false},
        {"truncated header", good.substr(0, 60), false},
        {"no device size", noDeviceMillimetres, false},
        {"frame right of its left edge", negativeFrame, false},
        {"a WMF given as EMF", rectangleWmf(), false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(accepted(row.bytes, true), row.ok) << row.name;
    }
}

TEST(MetafileLoader, MeasuresPlaceableWmfThroughHundredthsOfAMillimetre) {
    const struct {
        int left, top, right, bottom, inch;
        QSize expected;
    } rows[] = {
        {0, 0, 1440, 720, 1440, {96, 48}},      // 2540 x 1270 hundredths
        {-720, -360, 720, 360, 1440, {96, 48}}, // only the box's size counts
        {0, 0, 9856, 7210, 2540, {373, 273}},   // 372.52 and 272.54 pixels
        {0, 0, 100, 100, 1000, {10, 10}},       // 254 hundredths: 9.6 pixels
        {0, 0, 1, 1, 1440, {0, 0}},             // 1.76 hundredths round to 2, then to 0 pixels
        {0, 0, 96, 48, 0, {96, 48}},            // no resolution: 96 per inch
        {0, 0, 500, 300, 0, {500, 300}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(placeableWmfPixelSize(row.left, row.top, row.right, row.bottom, row.inch), row.expected)
            << row.right << "x" << row.bottom << " at " << row.inch;
    }
}

TEST(MetafileLoader, MeasuresEmfInPixelsOfTheRecordingDevice) {
    const struct {
        int right, bottom, pxX, pxY, mmX, mmY;
        QSize expected;
    } rows[] = {
        {9999, 4999, 1920, 1080, 508, 286, {378, 189}}, // 100 mm x 50 mm: 377.95 and 188.81
        {9855, 7209, 373, 273, 98, 72, {375, 273}},     // as LibreOffice writes it
        {2539, 2539, 96, 96, 25, 25, {98, 98}},         // the device's own rounding shows
        {0, 0, 100, 100, 100, 100, {0, 0}},
        // Far past int: held at its largest (then refused by the loader), never wrapped round.
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX, 1, 1, {INT_MAX, INT_MAX}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(emfPixelSize(0, 0, row.right, row.bottom, row.pxX, row.pxY, row.mmX, row.mmY), row.expected)
            << row.right << "x" << row.bottom;
    }
}

TEST(MetafileLoader, ReturnsAMetafilePictureOfTheMeasuredSize) {
    const Picture wmf = loadMetafilePicture(rectangleWmf(), false);
    EXPECT_EQ(wmf.kind(), Picture::Kind::Metafile);
    EXPECT_EQ(QSize(wmf.width(), wmf.height()), QSize(96, 48));
    const Picture emf = loadMetafilePicture(rectangleEmf(), true);
    EXPECT_EQ(QSize(emf.width(), emf.height()), QSize(100, 50));
    // A picture too small to show a pixel is refused rather than given a zero size.
    EXPECT_FALSE(accepted(WmfWriter(0, 0, 1, 1, 1440).build(), false));
}
