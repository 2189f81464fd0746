#include "formats/metafile/MetafileBitmap16.h"

#include "formats/metafile/MetafileReader.h"

#include <cstdint>

namespace velmoa {
namespace {

constexpr std::size_t kHeaderSize = 10;
// The BITMAP structure some writers copy whole: its 4-byte pointer to the bits comes first.
constexpr std::size_t kPointerSize = 4;
constexpr std::int64_t kMaxPixels = 32LL * 1024 * 1024;

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
        const unsigned v = row[x * 2] | row[x * 2 + 1] << 8;
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

} // namespace

QImage decodeBitmap16(std::string_view bytes, QRgb textColour, QRgb backgroundColour,
                      const std::vector<QRgb>& palette) {
    MetafileReader r(bytes);
    const int width = r.i16(2);
    const int height = r.i16(4);
    const int widthBytes = r.i16(6);
    const int planes = r.u8(8);
    const int bits = r.u8(9);
    if (!r.ok() || width <= 0 || height <= 0 || planes != 1 ||
        (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) ||
        std::int64_t{width} * height > kMaxPixels) {
        return {};
    }
    // Rows are padded to whole words; a larger stride in the header is taken as written.
    const std::size_t minimum =
        (static_cast<std::size_t>(width) * static_cast<std::size_t>(bits) + 15) / 16 * 2;
    const std::size_t stride = static_cast<std::size_t>(widthBytes) >= minimum ? widthBytes : minimum;
    const std::size_t needed = stride * static_cast<std::size_t>(height);
    std::size_t at = kHeaderSize;
    if (bytes.size() - kHeaderSize == needed + kPointerSize) {
        at += kPointerSize;
    }
    if (!r.has(at, needed)) {
        return {};
    }
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) {
        return {};
    }
    for (int y = 0; y < height; ++y) {
        const auto* row =
            reinterpret_cast<const unsigned char*>(bytes.data() + at + stride * static_cast<std::size_t>(y));
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            out[x] = pixelAt(row, x, bits, textColour, backgroundColour, palette);
        }
    }
    return image;
}

} // namespace velmoa
