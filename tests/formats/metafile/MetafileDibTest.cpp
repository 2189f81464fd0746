#include "formats/metafile/MetafileDib.h"

#include "EmfWriter.h"
#include "TestDib.h"

#include <gtest/gtest.h>

using namespace velmoa;

using testdib::header;
using testdib::palette;

TEST(MetafileDib, DecodesEachDepthWithRowsBottomFirst) {
    const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);
    const struct {
        const char* name;
        std::string dib;
        QRgb topLeft, topRight, bottomLeft;
    } rows[] = {
        {"1 bit", header(2, 2, 1) + palette({red, blue}) + std::string("\x80\0\0\0\x40\0\0\0", 8), red, blue,
         blue},
        {"4 bits", header(2, 2, 4, 2) + palette({red, blue}) + std::string("\x10\0\0\0\x01\0\0\0", 8), red,
         blue, blue},
        {"8 bits", header(2, 2, 8, 2) + palette({red, blue}) + std::string("\x01\x00\0\0\x00\x01\0\0", 8),
         red, blue, blue},
        {"24 bits", header(2, 2, 24) + std::string("\xFF\0\0\0\0\0\0\0\0\0\xFF\xFF\0\0\0\0", 16), red, blue,
         blue},
        // Bottom row: a run of blue, a run of red; end of line; top row: three pixels as they are
        // (the third past the width), padded to a word; end of bitmap.
        {"8-bit runs",
         header(2, 2, 8, 2, 1) + palette({red, blue}) + std::string("\1\1\1\0\0\0\0\3\0\1\0\0\0\1", 14), red,
         blue, blue},
        // Bottom row: a run of two alternating nibbles; top row likewise, the other way round.
        {"4-bit runs", header(2, 2, 4, 2, 2) + palette({red, blue}) + std::string("\2\x10\0\0\2\x01\0\1", 8),
         red, blue, blue},
        {"top-down rows", header(2, -2, 24) + std::string("\0\0\xFF\xFF\0\0\0\0\xFF\0\0\0\0\0\0\0", 16), red,
         blue, blue},
        // A colour table for palette displays that the header counts lies before the pixels.
        {"24 bits after the colour table the header counts",
         header(2, 2, 24, 2) + palette({qRgb(0x55, 0x55, 0x55), qRgb(0x55, 0x55, 0x55)}) +
             std::string("\xFF\0\0\0\0\0\0\0\0\0\xFF\xFF\0\0\0\0", 16),
         red, blue, blue},
    };
    for (const auto& row : rows) {
        const QImage image = decodePackedMetafileDib(row.dib);
        ASSERT_EQ(image.size(), QSize(2, 2)) << row.name;
        EXPECT_EQ(image.pixel(0, 0), row.topLeft) << row.name;
        EXPECT_EQ(image.pixel(1, 0), row.topRight) << row.name;
        EXPECT_EQ(image.pixel(0, 1), row.bottomLeft) << row.name;
    }
}

TEST(MetafileDib, RefusesWhatCannotBeDecoded) {
    const struct {
        const char* name;
        std::string dib;
    } rows[] = {
        {"rows missing", header(4, 4, 24) + std::string(20, '\0')},
        {"too many pixels", header(100000, 100000, 1) + std::string(64, '\0')},
        {"zero width", header(0, 4, 24) + std::string(64, '\0')},
        {"unknown depth", header(2, 2, 7) + std::string(64, '\0')},
        {"JPEG inside", header(2, 2, 24, 0, 4) + std::string(64, '\0')},
        {"8-bit runs for a 4-bit bitmap", header(2, 2, 4, 2, 1) + std::string(64, '\0')},
        {"runs with rows top-down", header(2, -2, 8, 2, 1) + std::string(64, '\0')},
        {"odd header size", EmfWriter::u32(20) + std::string(64, '\0')},
        {"header cut short", header(2, 2, 24).substr(0, 20)},
        {"colour table past the end", header(2, 2, 8)},
    };
    for (const auto& row : rows) {
        EXPECT_TRUE(decodePackedMetafileDib(row.dib).isNull()) << row.name;
    }
}
