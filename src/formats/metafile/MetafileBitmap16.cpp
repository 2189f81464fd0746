#include "formats/metafile/MetafileBitmap16.h"

#include "formats/metafile/MetafileReader.h"

#include <cstdint>
#include <optional>

namespace velmoa {
namespace {

// The BITMAP structure some writers copy whole: its 4-byte pointer to the bits comes first.
constexpr std::size_t kPointerSize = 4;
constexpr std::int64_t kMaxPixels = 32LL * 1024 * 1024;

// Where the fields of the bitmap's header lie. Writers lay it out three ways: the Bitmap16
// object (a type word first, one byte each for planes and bits a pixel); the old records'
// words without a type (width, height, bytes a row, planes, bits a pixel); and the same with
// planes and bits a pixel as bytes.
struct Layout {
    std::size_t width, height, widthBytes, planes;
    bool wordCounts; // planes and bits a pixel are words
    std::size_t bits;
};
constexpr Layout kLayouts[] = {
    {2, 4, 6, 8, false, 10},
    {0, 2, 4, 6, true, 10},
    {0, 2, 4, 6, false, 8},
};

bool supportedDepth(int bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// The sixteen colours of a 4-bit device.
constexpr QRgb kVga[16] = {0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080,
                           0xFF008080, 0xFFC0C0C0, 0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00,
                           0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF};

QRgb pixelAt(const unsigned char* row, int x, int bits, QRgb text, QRgb background,
             const std::vector<QRgb>& palette) {
    switch (bits) {
    case 1:
        return (row[x / 8] >> (7 - x % 8)) & 1 ? background : text;
    case 4:
        return kVga[(row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF];
    case 8: {
        const unsigned index = row[x];
        // Without a palette the 8-bit device shows its grey ramp.
        return index < palette.size() ? palette[index] : qRgb(index, index, index);
    }
    case 16: {
        const std::size_t at = static_cast<std::size_t>(x) * 2;
        const unsigned v = row[at] | row[at + 1] << 8;
        return qRgb(((v >> 10) & 0x1F) * 255 / 31, ((v >> 5) & 0x1F) * 255 / 31, (v & 0x1F) * 255 / 31);
    }
    case 24: {
        const std::size_t at = static_cast<std::size_t>(x) * 3;
        return qRgb(row[at + 2], row[at + 1], row[at]);
    }
    default: {
        const std::size_t at = static_cast<std::size_t>(x) * 4;
        return qRgb(row[at + 2], row[at + 1], row[at]);
    }
    }
}

// The bitmap as one layout reads it: the size, depth and where the rows begin.
struct Reading {
    int width = 0;
    int height = 0;
    int bits = 0;
    std::size_t stride = 0;
    std::size_t at = 0;
    bool exact = false; // the rows end where the bytes do
};

std::optional<Reading> readAs(MetafileReader& r, std::size_t size, const Layout& l) {
    Reading g;
    const int planes = l.wordCounts ? r.u16(l.planes) : r.u8(l.planes);
    g.bits = l.wordCounts ? r.u16(l.planes + 2) : r.u8(l.planes + 1);
    g.width = r.i16(l.width);
    g.height = r.i16(l.height);
    const int widthBytes = r.i16(l.widthBytes);
    if (!r.has(0, l.bits) || planes != 1 || !supportedDepth(g.bits) || g.width <= 0 || g.height <= 0 ||
        std::int64_t{g.width} * g.height > kMaxPixels) {
        return std::nullopt;
    }
    // Rows are padded to whole words; a larger stride in the header is taken as written.
    const std::size_t minimum =
        (static_cast<std::size_t>(g.width) * static_cast<std::size_t>(g.bits) + 15) / 16 * 2;
    g.stride =
        static_cast<std::size_t>(widthBytes) >= minimum ? static_cast<std::size_t>(widthBytes) : minimum;
    const std::size_t needed = g.stride * static_cast<std::size_t>(g.height);
    g.at = l.bits;
    if (size - g.at == needed + kPointerSize) {
        g.at += kPointerSize;
    }
    if (!r.has(g.at, needed)) {
        return std::nullopt;
    }
    g.exact = size - g.at == needed;
    return g;
}

} // namespace

QImage decodeBitmap16(std::string_view bytes, QRgb textColour, QRgb backgroundColour,
                      const std::vector<QRgb>& palette) {
    // One plane of a known depth mostly tells the layout apart (read another way, the planes or
    // the depth come out as 0 or in the hundreds); where two layouts could both be read, the one
    // whose rows end with the bytes wins.
    MetafileReader r(bytes);
    std::optional<Reading> chosen;
    for (const Layout& layout : kLayouts) {
        const std::optional<Reading> reading = readAs(r, bytes.size(), layout);
        if (reading && (!chosen || (reading->exact && !chosen->exact))) {
            chosen = reading;
        }
    }
    if (!chosen) {
        return {};
    }
    const Reading& g = *chosen;
    QImage image(g.width, g.height, QImage::Format_RGB32);
    if (image.isNull()) {
        return {};
    }
    for (int y = 0; y < g.height; ++y) {
        const auto* row = reinterpret_cast<const unsigned char*>(bytes.data() + g.at +
                                                                 g.stride * static_cast<std::size_t>(y));
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < g.width; ++x) {
            out[x] = pixelAt(row, x, g.bits, textColour, backgroundColour, palette);
        }
    }
    return image;
}

} // namespace velmoa
