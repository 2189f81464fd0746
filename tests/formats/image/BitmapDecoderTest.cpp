#include "formats/image/BitmapDecoder.h"

#include "PictureFixtures.h"
#include "base/Failure.h"

#include <climits>
#include <gtest/gtest.h>

using namespace std::string_literals;

using namespace velmoa;
using namespace fixtures;

namespace {

const QRgb R = qRgb(255, 0, 0), G = qRgb(0, 255, 0), B = qRgb(0, 0, 255), W = qRgb(255, 255, 255),
           K = qRgb(0, 0, 0), Y = qRgb(128, 128, 128);
const std::vector<QRgb> kPalette = {K, W, R, G, B, Y};

const std::string kBad = "ビットマップイメージが不正です";
const std::string kStream = "ストリームからの読み込みエラー";

std::string messageOf(const std::string& bytes) {
    try {
        BitmapDecoder::decodeFile(bytes);
    } catch (const Failure& f) {
        return f.what();
    }
    return "(decoded)";
}

std::vector<QRgb> pixelsOf(const QImage& image) {
    std::vector<QRgb> out;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            out.push_back(image.pixel(x, y));
        }
    }
    return out;
}

std::string words16(const std::vector<std::uint32_t>& v) {
    std::string s;
    for (auto p : v) {
        s += le16(p);
    }
    return s;
}

std::string words32(const std::vector<std::uint32_t>& v, std::uint32_t junk = 0) {
    std::string s;
    for (auto p : v) {
        s += le32(p | junk);
    }
    return s;
}

std::string patched(std::string s, std::size_t at, const std::string& bytes) {
    s.replace(at, bytes.size(), bytes);
    return s;
}

} // namespace

// Most variants store the same 3 x 2 picture: top row red, green, blue; bottom row white,
// black, grey. Bottom-up bitmaps store the bottom row first.
TEST(BitmapDecoder, DecodesEachVariantToKnownPixels) {
    const std::vector<QRgb> top = {R, G, B}, bottom = {W, K, Y};
    const std::vector<QRgb> expected = {R, G, B, W, K, Y};
    std::vector<QRgb> corePalette = kPalette;
    corePalette.resize(256, K);
    // Grey 0x80 in 5 bits is 16, widened back to 132; in 6 bits 32, widened to 130.
    const QRgb Y5 = qRgb(132, 132, 132), Y565 = qRgb(132, 130, 132);
    struct Row {
        const char* name;
        Dib dib;
        QSize size;
        std::vector<QRgb> pixels;
    };
    const Row rows[] = {
        {"24-bit bottom-up", {40, 3, 2, 24, 0, {}, 0, {}, {bgr(bottom), bgr(top)}}, {3, 2}, expected},
        {"24-bit top-down", {40, 3, -2, 24, 0, {}, 0, {}, {bgr(top), bgr(bottom)}}, {3, 2}, expected},
        {"24-bit OS/2 core", {12, 3, 2, 24, 0, {}, 0, {}, {bgr(bottom), bgr(top)}}, {3, 2}, expected},
        {"8-bit OS/2 core, 3-byte palette",
         {12, 3, 2, 8, 0, corePalette, 0, {}, {"\1\0\5"s, "\2\3\4"s}},
         {3, 2},
         expected},
        {"32-bit, alpha byte ignored",
         {40,
          3,
          2,
          32,
          0,
          {},
          0,
          {},
          {words32({0xFFFFFF, 0, 0x808080}), words32({0xFF0000, 0xFF00, 0xFF}, 0x12000000)}},
         {3, 2},
         expected},
        {"16-bit 5-5-5",
         {40, 3, 2, 16, 0, {}, 0, {}, {words16({0x7FFF, 0, 0x4210}), words16({0x7C00, 0x03E0, 0x001F})}},
         {3, 2},
         {R, G, B, W, K, Y5}},
        {"16-bit bit fields 5-6-5",
         {40,
          3,
          2,
          16,
          3,
          {},
          0,
          {0xF800, 0x07E0, 0x001F},
          {words16({0xFFFF, 0, 0x8410}), words16({0xF800, 0x07E0, 0x001F})}},
         {3, 2},
         {R, G, B, W, K, Y565}},
        {"32-bit bit fields in a V4 header",
         {108,
          3,
          2,
          32,
          3,
          {},
          0,
          {0xFF, 0xFF00, 0xFF0000, 0},
          {words32({0xFFFFFF, 0, 0x808080}), words32({0xFF, 0xFF00, 0xFF0000})}},
         {3, 2},
         expected},
        {"32-bit bit fields in a V5 header, alpha ignored, top-down",
         {124,
          3,
          -2,
          32,
          3,
          {},
          0,
          {0xFF000000, 0xFF0000, 0xFF00, 0xFF},
          {words32({0xFF000000, 0x00FF0000, 0x0000FF00}), words32({0xFFFFFF00, 0, 0x80808000})}},
         {3, 2},
         expected},
        {"8-bit palette, 6 colours used",
         {40, 3, 2, 8, 0, kPalette, 6, {}, {"\1\0\5"s, "\2\3\4"s}},
         {3, 2},
         expected},
        {"4-bit palette", {40, 3, 2, 4, 0, kPalette, 6, {}, {"\x10\x50", "\x23\x40"}}, {3, 2}, expected},
        {"1-bit palette", {40, 3, 2, 1, 0, {K, W}, 0, {}, {"\xA0", "\x40"}}, {3, 2}, {K, W, K, W, K, W}},
        {"8-bit, indices past a short palette",
         {40, 3, 2, 8, 0, {R, G}, 2, {}, {"\0\1\7"s, "\7\0\1"s}},
         {3, 2},
         {K, R, G, R, G, K}},
        // Runs, an end of line, an absolute run padded to 16 bits, the end of the bitmap.
        {"RLE8",
         {40, 3, 2, 8, 1, kPalette, 6, {}, {}, std::string("\1\1\1\0\1\5\0\0\0\3\2\3\4\0\0\1", 16)},
         {3, 2},
         expected},
        {"RLE4",
         {40, 3, 2, 4, 2, kPalette, 6, {}, {}, std::string("\2\x10\1\x50\0\0\0\3\x23\x40\0\1", 12)},
         {3, 2},
         expected},
        // A run past the right edge is clipped; a delta moves on; a delta past the top ends it.
        {"RLE8 clipping and deltas",
         {40, 4, 3, 8, 1, kPalette, 6, {}, {}, std::string("\5\3\0\0\0\2\1\0\2\2\0\2\0\5\7\7", 16)},
         {4, 3},
         {K, K, K, K, K, R, R, K, G, G, G, G}},
    };
    for (const auto& row : rows) {
        const QImage image = BitmapDecoder::decodeFile(bmpFile(row.dib));
        ASSERT_EQ(image.size(), row.size) << row.name;
        EXPECT_EQ(image.format(), QImage::Format_RGB32) << row.name;
        EXPECT_EQ(pixelsOf(image), row.pixels) << row.name;
    }
}

TEST(BitmapDecoder, HonoursThePixelOffsetOfTheFileHeader) {
    Dib dib{40, 1, 1, 24, 0, {}, 0, {}, {bgr({G})}};
    std::string file = bmpFile(dib);
    file.insert(54, "gap!");
    file = patched(file, 10, le32(58));
    EXPECT_EQ(pixelsOf(BitmapDecoder::decodeFile(file)), std::vector<QRgb>{G});
}

// Writers put colour tables, profiles or padding between the masks and the pixels; the file
// header's offset says where the pixels are. Each file holds one row: red, blue.
TEST(BitmapDecoder, ReadsBitFieldPixelsFromTheFileHeadersOffset) {
    const std::vector<std::uint32_t> masks565 = {0xF800, 0x07E0, 0x001F}, masks888 = {0xFF0000, 0xFF00, 0xFF};
    const struct {
        const char* name;
        int headerSize;
        int bitCount;
        std::uint32_t compression;
        std::vector<std::uint32_t> masks;
        std::size_t gap;
    } rows[] = {
        {"16-bit, masks after a 40-byte header", 40, 16, 3, masks565, 20},
        {"32-bit, masks after a 40-byte header", 40, 32, 3, masks888, 20},
        {"16-bit, masks in a V4 header", 108, 16, 3, masks565, 12},
        {"32-bit, masks in a V5 header, a profile past the first read", 124, 32, 3, masks888, 100000},
        {"32-bit, four masks after a 40-byte header", 40, 32, 6, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, 8},
        {"no gap", 40, 32, 3, masks888, 0},
    };
    for (const auto& row : rows) {
        const std::string pixels = row.bitCount == 16 ? words16({0xF800, 0x001F}) : words32({0xFF0000, 0xFF});
        std::string file =
            bmpFile({row.headerSize, 2, 1, row.bitCount, row.compression, {}, 0, row.masks, {pixels}});
        const std::size_t at = file.size() - 4 * ((pixels.size() + 3) / 4);
        // A gap that looks like pixels: read as such, it would show grey.
        file.insert(at, std::string(row.gap, '\x55'));
        file = patched(file, 2, le32(static_cast<std::uint32_t>(file.size())));
        file = patched(file, 10, le32(static_cast<std::uint32_t>(at + row.gap)));
        EXPECT_EQ(pixelsOf(BitmapDecoder::decodeFile(file)), (std::vector<QRgb>{R, B})) << row.name;
        // The same file read in pieces, as from disk.
        std::size_t next = std::min(file.size(), BitmapDecoder::kPrefixBytes);
        const QImage streamed =
            BitmapDecoder::decodeFile(std::string_view(file).substr(0, next),
                                      static_cast<std::int64_t>(file.size()), [&](std::size_t n) {
                                          std::string piece = file.substr(next, n);
                                          next += piece.size();
                                          return piece;
                                      });
        EXPECT_EQ(pixelsOf(streamed), (std::vector<QRgb>{R, B})) << row.name << ", read in pieces";
    }
}

// As office and paint programs write them: a 40-byte header, the masks, a colour table for palette
// displays that the header counts (colours used), then the pixels, two rows of two. The file
// header's offset points past the table, or is left 0 and the header's count alone places them.
TEST(BitmapDecoder, ReadsBitFieldPixelsPastTheColourTableTheHeaderCounts) {
    const std::vector<std::uint32_t> masks565 = {0xF800, 0x07E0, 0x001F}, masks888 = {0xFF0000, 0xFF00, 0xFF};
    // Table entries that look like pixels: read as such, they would show grey.
    const std::vector<QRgb> table(16, qRgb(0x55, 0x55, 0x55));
    const struct {
        const char* name;
        int bitCount;
        std::vector<std::uint32_t> masks;
        bool fileOffset;
    } rows[] = {
        {"16-bit, with the file offset", 16, masks565, true},
        {"32-bit, with the file offset", 32, masks888, true},
        {"16-bit, file offset 0", 16, masks565, false},
        {"32-bit, file offset 0", 32, masks888, false},
    };
    for (const auto& row : rows) {
        const bool deep = row.bitCount == 32;
        const std::vector<std::string> pixels = {deep ? words32({0xFF0000, 0xFF}) : words16({0xF800, 0x001F}),
                                                 deep ? words32({0xFF00, 0xFFFFFF})
                                                      : words16({0x07E0, 0xFFFF})};
        std::string file = bmpFile(
            {40, 2, -2, row.bitCount, 3, table, static_cast<std::uint32_t>(table.size()), row.masks, pixels});
        if (!row.fileOffset) {
            file = patched(file, 10, le32(0));
        }
        EXPECT_EQ(pixelsOf(BitmapDecoder::decodeFile(file)), (std::vector<QRgb>{R, B, G, W})) << row.name;
    }
}

// Offsets in a file with a 40-byte header: size 14, width 18, height 22, bit count 28,
// compression 30, colours used 46; the pixel offset is at 10.
TEST(BitmapDecoder, RefusesBrokenAndHostileFilesCleanly) {
    const std::string good = bmpFile({40, 3, 2, 24, 0, {}, 0, {}, {bgr({W, K, Y}), bgr({R, G, B})}});
    const std::string paletted =
        bmpFile({40, 3, 2, 8, 0, std::vector<QRgb>(256, K), 256, {}, {"\0\0\0"s, "\0\0\0"s}});
    const struct {
        const char* name;
        std::string bytes;
        std::string message;
    } rows[] = {
        {"not BM", "XM" + good.substr(2), kBad},
        {"a single byte", "B", kStream},
        {"file header cut short", good.substr(0, 10), kStream},
        {"bitmap header cut short", good.substr(0, 30), kStream},
        {"unknown header size", patched(good, 14, le32(20)), kBad},
        {"negative width", patched(good, 18, le32(static_cast<std::uint32_t>(-3))), kBad},
        {"zero width", patched(good, 18, le32(0)), kBad},
        {"zero height", patched(good, 22, le32(0)), kBad},
        {"most negative height", patched(good, 22, le32(static_cast<std::uint32_t>(INT_MIN))), kBad},
        {"huge dimensions", patched(patched(good, 18, le32(100000)), 22, le32(100000)), kBad},
        {"7 bits a pixel", patched(good, 28, le16(7)), kBad},
        {"embedded JPEG compression", patched(good, 30, le32(4)), kBad},
        {"RLE8 on a 24-bit bitmap", patched(good, 30, le32(1)), kBad},
        {"top-down run-length data", bmpFile({40, 3, -2, 8, 1, kPalette, 6, {}, {}, std::string("\0\1", 2)}),
         kBad},
        {"more colours than the bit count allows", patched(paletted, 46, le32(300)), kBad},
        {"palette past the end of the file", paletted.substr(0, 54 + 40), kStream},
        {"huge colour count", patched(paletted, 46, le32(0xFFFFFFFF)), kBad},
        {"pixels cut short", good.substr(0, good.size() - 1), kStream},
        {"pixel offset past the end", patched(good, 10, le32(1u << 30)), kStream},
        {"32 bits in an OS/2 core header", bmpFile({12, 1, 1, 32, 0, {}, 0, {}, {"\0\0\0\0"s}}), kBad},
        {"run-length header claiming 16384 x 16384 in a few bytes",
         bmpFile({40, 16384, 16384, 8, 1, {K}, 1, {}, {}, std::string("\0\0\0\1", 4)}), kBad},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(messageOf(row.bytes), row.message) << row.name;
    }
}

// A run-length bitmap's size is bounded by its data: a small file may claim only a small picture,
// and more data allows more pixels.
TEST(BitmapDecoder, BoundsRunLengthPicturesByTheirData) {
    const auto rle = [](int width, int height, std::size_t dataBytes) {
        std::string data(dataBytes, '\0'); // end-of-line codes: black rows
        data[dataBytes - 1] = '\1';        // end of bitmap
        return bmpFile({40, width, height, 8, 1, {W}, 1, {}, {}, data});
    };
    const struct {
        const char* name;
        std::string bytes;
        bool loads;
    } rows[] = {
        {"free size with a tiny file", rle(2048, 2048, 4), true},
        {"just past the free size", rle(2048, 2049, 4), false},
        {"larger picture backed by its data", rle(4096, 2048, 40000), true},
        {"the same picture with too little data", rle(4096, 2048, 20000), false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(messageOf(row.bytes) == "(decoded)", row.loads) << row.name;
    }
}
