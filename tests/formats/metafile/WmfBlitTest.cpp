#include "formats/metafile/WmfPlayer.h"

#include "MetafileRendering.h"
#include "WmfWriter.h"

#include <gtest/gtest.h>

using namespace velmoa;

namespace {

constexpr int kBitBlt = 0x0922, kStretchBlt = 0x0B23, kCreateBrush = 0x02FC, kSelect = 0x012D;
constexpr int kRectangle = 0x041B, kCreatePen = 0x02FA, kSetTextColor = 0x0209, kSetBkColor = 0x0201;
constexpr std::uint32_t kSrcCopy = 0x00CC0020, kDstInvert = 0x00550009, kBlackness = 0x00000042,
                        kPatCopy = 0x00F00021, kSrcAnd = 0x008800C6;

const QColor kRed(255, 0, 0), kBlue(0, 0, 255), kGreen(0, 255, 0), kWhite(255, 255, 255), kBlack(0, 0, 0),
    kCyan(0, 255, 255);

WmfWriter picture() {
    return WmfWriter(0, 0, 100, 100, 96);
}

std::string colourRef(QColor c) {
    return WmfWriter::dword(static_cast<std::uint32_t>(c.red() | c.green() << 8 | c.blue() << 16));
}

// Fills the whole picture with the colour; the brush stays selected.
WmfWriter& background(WmfWriter& w, QColor c) {
    w.raw(kCreateBrush, WmfWriter::word(0) + colourRef(c) + WmfWriter::word(0)).rec(kSelect, {0});
    return w.rec(kCreatePen, {5, 0, 0, 0, 0}).rec(kSelect, {1}).rec(kRectangle, {101, 101, -1, -1});
}

// A device-dependent bitmap: header, then the rows as given (already word-padded).
std::string bitmap16(int width, int height, int bitsPixel, const std::string& rows,
                     bool withPointer = false) {
    const int widthBytes = (width * bitsPixel + 15) / 16 * 2;
    return WmfWriter::word(0) + WmfWriter::word(width) + WmfWriter::word(height) +
           WmfWriter::word(widthBytes) + std::string{1, static_cast<char>(bitsPixel)} +
           (withPointer ? std::string(4, '\0') : std::string()) + rows;
}

// The same bitmap as the older records lay it out: no type word; planes and bits a pixel as words,
// or as bytes.
std::string oldBitmap(int width, int height, int bitsPixel, const std::string& rows,
                      bool byteCounts = false) {
    const int widthBytes = (width * bitsPixel + 15) / 16 * 2;
    const std::string counts = byteCounts ? std::string{1, static_cast<char>(bitsPixel)}
                                          : WmfWriter::word(1) + WmfWriter::word(bitsPixel);
    return WmfWriter::word(width) + WmfWriter::word(height) + WmfWriter::word(widthBytes) + counts + rows;
}

std::string rop(std::uint32_t code) {
    return WmfWriter::dword(code);
}

// Two 24-bit pixels, red then green: one row, six bytes, a whole number of words.
const std::string kRedGreen = std::string("\x00\x00\xFF\x00\xFF\x00", 6);

// BitBlt of a 2 x 1 bitmap to (x, y).
std::string bitBltParams(int x, int y, const std::string& bitmap) {
    return rop(kSrcCopy) + WmfWriter::word(0) + WmfWriter::word(0) + WmfWriter::word(1) + WmfWriter::word(2) +
           WmfWriter::word(y) + WmfWriter::word(x) + bitmap;
}

// StretchBlt of a w x h bitmap over the whole picture.
std::string stretchParams(std::uint32_t code, int w, int h, const std::string& bitmap) {
    return rop(code) + WmfWriter::word(h) + WmfWriter::word(w) + WmfWriter::word(0) + WmfWriter::word(0) +
           WmfWriter::word(100) + WmfWriter::word(100) + WmfWriter::word(0) + WmfWriter::word(0) + bitmap;
}

} // namespace

TEST(WmfBlit, DrawsDeviceDependentBitmaps) {
    using Row = DrawRow<WmfWriter>;
    const std::vector<Row> rows = {
        {"bit block of 24-bit pixels",
         [](WmfWriter& w) { w.raw(kBitBlt, bitBltParams(10, 20, bitmap16(2, 1, 24, kRedGreen))); },
         {{{10, 20}, kRed}, {{11, 20}, kGreen}, {{12, 20}, kWhite}, {{10, 21}, kWhite}}},
        {"bit block whose bitmap keeps the pointer of its structure",
         [](WmfWriter& w) { w.raw(kBitBlt, bitBltParams(10, 20, bitmap16(2, 1, 24, kRedGreen, true))); },
         {{{10, 20}, kRed}, {{11, 20}, kGreen}}},
        {"stretched monochrome bitmap in the text and background colours",
         [](WmfWriter& w) {
             w.raw(kSetTextColor, colourRef(kRed)).raw(kSetBkColor, colourRef(kBlue));
             // Rows top first: 0 1 / 1 0.
             const std::string bits = std::string("\x40\x00\x80\x00", 4);
             w.raw(kStretchBlt, stretchParams(kSrcCopy, 2, 2, bitmap16(2, 2, 1, bits)));
         },
         {{{25, 25}, kRed}, {{75, 25}, kBlue}, {{25, 75}, kBlue}, {{75, 75}, kRed}}},
        {"stretched 4-bit bitmap in the sixteen device colours",
         [](WmfWriter& w) {
             w.raw(kStretchBlt, stretchParams(kSrcCopy, 2, 1, bitmap16(2, 1, 4, std::string("\x9C\x00", 2))));
         },
         {{{25, 50}, kRed}, {{75, 50}, kBlue}}},
        {"stretched bitmap ANDed onto the picture",
         [](WmfWriter& w) {
             background(w, QColor(0, 255, 255));
             w.raw(kStretchBlt, stretchParams(kSrcAnd, 2, 1, bitmap16(2, 1, 24, kRedGreen)));
         },
         {{{25, 50}, kBlack}, {{75, 50}, kGreen}}},
        {"stretched 24-bit bitmap of the older records",
         [](WmfWriter& w) {
             w.raw(kStretchBlt, stretchParams(kSrcCopy, 2, 1, oldBitmap(2, 1, 24, kRedGreen)));
         },
         {{{25, 50}, kRed}, {{75, 50}, kGreen}}},
        {"stretched 24-bit bitmap of the older records, counts as bytes",
         [](WmfWriter& w) {
             w.raw(kStretchBlt, stretchParams(kSrcCopy, 2, 1, oldBitmap(2, 1, 24, kRedGreen, true)));
         },
         {{{25, 50}, kRed}, {{75, 50}, kGreen}}},
        {"stretched 8-bit bitmap of the older records in the device's grey ramp",
         [](WmfWriter& w) {
             w.raw(kStretchBlt,
                   stretchParams(kSrcCopy, 2, 1, oldBitmap(2, 1, 8, std::string("\x40\xC0", 2))));
         },
         {{{25, 50}, QColor(64, 64, 64)}, {{75, 50}, QColor(192, 192, 192)}}},
        {"stretched 4-bit bitmap of the older records",
         [](WmfWriter& w) {
             w.raw(kStretchBlt,
                   stretchParams(kSrcCopy, 2, 1, oldBitmap(2, 1, 4, std::string("\x9C\x00", 2))));
         },
         {{{25, 50}, kRed}, {{75, 50}, kBlue}}},
        {"stretched monochrome bitmap of the older records",
         [](WmfWriter& w) {
             w.raw(kSetTextColor, colourRef(kRed)).raw(kSetBkColor, colourRef(kBlue));
             const std::string bits = std::string("\x40\x00\x80\x00", 4);
             w.raw(kStretchBlt, stretchParams(kSrcCopy, 2, 2, oldBitmap(2, 2, 1, bits)));
         },
         {{{25, 25}, kRed}, {{75, 25}, kBlue}, {{25, 75}, kBlue}, {{75, 75}, kRed}}},
        {"bit block without a bitmap inverts the destination",
         [](WmfWriter& w) {
             background(w, kRed);
             w.raw(kBitBlt, rop(kDstInvert) + WmfWriter::word(0) + WmfWriter::word(0) + WmfWriter::word(0) +
                                WmfWriter::word(50) + WmfWriter::word(100) + WmfWriter::word(0) +
                                WmfWriter::word(0));
         },
         {{{50, 25}, kCyan}, {{50, 75}, kRed}}},
        {"stretch without a bitmap: blackness, then the brush",
         [](WmfWriter& w) {
             background(w, kBlue);
             const auto block = [](std::uint32_t code, int x) {
                 return rop(code) + std::string(10, '\0') + WmfWriter::word(100) + WmfWriter::word(30) +
                        WmfWriter::word(0) + WmfWriter::word(x);
             };
             w.raw(kStretchBlt, block(kBlackness, 0));
             w.raw(kCreateBrush, WmfWriter::word(0) + colourRef(kGreen) + WmfWriter::word(0))
                 .rec(kSelect, {2});
             w.raw(kStretchBlt, block(kPatCopy, 30));
         },
         {{{15, 50}, kBlack}, {{45, 50}, kGreen}, {{80, 50}, kBlue}}},
    };
    checkDrawRows(rows, &picture, false);
}

TEST(WmfBlit, PassesOverBitmapsItCannotRead) {
    const struct {
        const char* name;
        std::string bitmap;
    } rows[] = {
        {"rows missing", bitmap16(64, 64, 24, std::string(10, '\0'))},
        {"a giant size", bitmap16(30000, 30000, 8, std::string(16, '\0'))},
        {"older layout, rows missing", oldBitmap(64, 64, 24, std::string(10, '\0'))},
        {"older layout, a giant size", oldBitmap(30000, 30000, 1, std::string(16, '\0'))},
        {"two planes", WmfWriter::word(0) + WmfWriter::word(2) + WmfWriter::word(1) + WmfWriter::word(2) +
                           std::string{2, 1} + std::string(4, '\0')},
        {"no header", std::string(3, '\0')},
    };
    for (const auto& row : rows) {
        WmfWriter w = picture();
        w.raw(kStretchBlt, stretchParams(kSrcCopy, 2, 1, row.bitmap));
        background(w, kRed);
        QImage image;
        EXPECT_TRUE(playsToEnd<WmfPlayer>(w.build(), &image)) << row.name;
        EXPECT_TRUE(near(image.pixel(50, 50), kRed)) << row.name << ": drawing goes on after it";
    }
}
