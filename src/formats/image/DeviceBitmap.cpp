#include "formats/image/DeviceBitmap.h"

#include "base/Failure.h"
#include "formats/image/BitmapDecoder.h"

#include <array>
#include <string>

namespace velmoa {
namespace {

constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kPixelsPerMetre = 3780; // 96 per inch

// Colours of a monochrome bitmap's 0 and 1 bits, and the 16 standard colours a 4-bit one indexes.
constexpr std::array<QRgb, 2> kMonochrome = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
constexpr std::array<QRgb, 16> kStandardColours = {
    qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
    qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
    qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255),
};

void putLittleEndian(std::string& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i, v >>= 8) {
        out += static_cast<char>(static_cast<unsigned char>(v));
    }
}

void put16(std::string& out, std::uint32_t v) {
    putLittleEndian(out, v, 2);
}

void put32(std::string& out, std::uint32_t v) {
    putLittleEndian(out, v, 4);
}

[[noreturn]] void refuse() {
    throw Failure(BitmapDecoder::kBadBitmapMessage);
}

} // namespace

QImage decodeDeviceBitmap(std::string_view rows, const DeviceBitmapShape& shape, std::int64_t maxPixels) {
    const int bits = shape.bitsPerPixel;
    const bool readable = bits == 1 || bits == 4 || bits == 16 || bits == 24 || bits == 32;
    if (!readable || shape.planes != 1 || shape.width <= 0 || shape.height <= 0 ||
        std::int64_t{shape.width} * shape.height > maxPixels) {
        refuse();
    }
    const std::int64_t usedBytes = (std::int64_t{shape.width} * bits + 7) / 8;
    const std::int64_t wordAligned = (std::int64_t{shape.width} * bits + 15) / 16 * 2;
    const std::int64_t widthBytes = shape.widthBytes > 0 ? shape.widthBytes : wordAligned;
    if (widthBytes < usedBytes || widthBytes * shape.height > static_cast<std::int64_t>(rows.size())) {
        refuse();
    }
    // Made into a packed device-independent bitmap, stored top-down as the rows come.
    std::string dib;
    put32(dib, kInfoHeaderSize);
    put32(dib, static_cast<std::uint32_t>(shape.width));
    put32(dib, static_cast<std::uint32_t>(-shape.height));
    put16(dib, 1);
    put16(dib, static_cast<std::uint32_t>(bits));
    put32(dib, 0); // uncompressed
    put32(dib, 0);
    put32(dib, kPixelsPerMetre);
    put32(dib, kPixelsPerMetre);
    put32(dib, 0);
    put32(dib, 0);
    auto putColours = [&dib](const auto& colours) {
        for (const QRgb c : colours) {
            dib += static_cast<char>(qBlue(c));
            dib += static_cast<char>(qGreen(c));
            dib += static_cast<char>(qRed(c));
            dib += '\0';
        }
    };
    if (bits == 1) {
        putColours(kMonochrome);
    } else if (bits == 4) {
        putColours(kStandardColours);
    }
    const auto stride = static_cast<std::size_t>((std::int64_t{shape.width} * bits + 31) / 32 * 4);
    for (int y = 0; y < shape.height; ++y) {
        std::string row(
            rows.substr(static_cast<std::size_t>(widthBytes * y), static_cast<std::size_t>(usedBytes)));
        row.resize(stride, '\0');
        dib += row;
    }
    return BitmapDecoder::decodePackedDib(dib, maxPixels);
}

} // namespace velmoa
