#include "formats/metafile/MetafileDib.h"

#include "formats/metafile/MetafileReader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace velmoa {
namespace {

// 128 MB of pixels at most; the rows must also be present in the file.
constexpr std::int64_t kMaxPixels = 32LL * 1024 * 1024;

struct DibHeader {
    std::int64_t width = 0;
    std::int64_t height = 0; // negative: rows stored top-down
    int bitCount = 0;
    std::uint32_t compression = 0;
    std::size_t headerSize = 0;
    std::size_t colours = 0;
    // Entries of a colour table that a deeper bitmap may carry for palette displays, unused here.
    std::size_t unusedColours = 0;
    std::array<std::uint32_t, 3> masks{0x7C00, 0x03E0, 0x001F};
    bool masksGiven = false;
};

bool readHeader(MetafileReader& r, DibHeader& h) {
    h.headerSize = r.u32(0);
    if (h.headerSize == 12) {
        h.width = r.u16(4);
        h.height = r.i16(6);
        h.bitCount = r.u16(10);
    } else if (h.headerSize >= 40 && h.headerSize <= 1024) {
        h.width = r.i32(4);
        h.height = r.i32(8);
        h.bitCount = r.u16(14);
        h.compression = r.u32(16);
        h.colours = r.u32(32);
    } else {
        return false;
    }
    if (!r.ok() || h.width <= 0 || h.height == 0 || h.height == INT32_MIN) {
        return false;
    }
    if (h.width * (h.height < 0 ? -h.height : h.height) > kMaxPixels) {
        return false;
    }
    if (h.bitCount <= 8) {
        const std::size_t full = std::size_t{1} << h.bitCount;
        if (h.colours == 0 || h.colours > full) {
            h.colours = full;
        }
    } else {
        h.unusedColours = h.colours;
        h.colours = 0;
    }
    if (h.compression == 3 && (h.bitCount == 16 || h.bitCount == 32)) {
        // Masks follow a 40-byte header, or sit inside a larger one.
        for (int i = 0; i < 3; ++i) {
            h.masks[static_cast<std::size_t>(i)] = r.u32(40 + 4 * static_cast<std::size_t>(i));
        }
        h.masksGiven = true;
    } else if (h.compression != 0 && !(h.compression == 1 && h.bitCount == 8) &&
               !(h.compression == 2 && h.bitCount == 4)) {
        return false;
    }
    if (h.bitCount == 32 && !h.masksGiven) {
        h.masks = {0xFF0000, 0xFF00, 0xFF};
    }
    return r.ok() && (h.bitCount == 1 || h.bitCount == 4 || h.bitCount == 8 || h.bitCount == 16 ||
                      h.bitCount == 24 || h.bitCount == 32);
}

std::size_t colourTableOffset(const DibHeader& h) {
    return h.headerSize + (h.masksGiven && h.headerSize == 40 ? 12 : 0);
}

int maskShift(std::uint32_t mask) {
    int shift = 0;
    while (mask != 0 && (mask & 1) == 0) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

int maskChannel(std::uint32_t pixel, std::uint32_t mask) {
    if (mask == 0) {
        return 0;
    }
    const std::uint32_t value = (pixel & mask) >> maskShift(mask);
    const std::uint32_t max = mask >> maskShift(mask);
    return static_cast<int>(value * 255 / max);
}

// Run-length encoded rows (RLE8, RLE4) expanded into plain bottom-up rows of the stride;
// pixels the runs skip keep index 0.
std::string expandRle(std::string_view data, int bitCount, int width, int height, std::size_t stride) {
    std::string rows(stride * static_cast<std::size_t>(height), '\0');
    const auto put = [&](int x, int y, unsigned index) {
        if (x < 0 || x >= width || y < 0 || y >= height) {
            return;
        }
        const std::size_t at = static_cast<std::size_t>(y) * stride;
        if (bitCount == 8) {
            rows[at + static_cast<std::size_t>(x)] = static_cast<char>(index);
        } else {
            auto& byte = reinterpret_cast<unsigned char&>(rows[at + static_cast<std::size_t>(x) / 2]);
            byte = static_cast<unsigned char>(x % 2 ? (byte & 0xF0) | (index & 0xF)
                                                    : (byte & 0x0F) | (index << 4));
        }
    };
    const auto byteAt = [&](std::size_t i) {
        return i < data.size() ? static_cast<unsigned char>(data[i]) : 0u;
    };
    int x = 0, y = 0;
    for (std::size_t i = 0; i + 1 < data.size() && y < height;) {
        const unsigned count = byteAt(i), value = byteAt(i + 1);
        i += 2;
        if (count > 0) { // a run of one value (RLE4: two alternating nibbles)
            for (unsigned k = 0; k < count; ++k, ++x) {
                put(x, y, bitCount == 8 ? value : (k % 2 ? value & 0xF : value >> 4));
            }
        } else if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of bitmap
            break;
        } else if (value == 2) { // move right and up
            x += static_cast<int>(byteAt(i));
            y += static_cast<int>(byteAt(i + 1));
            i += 2;
        } else { // value pixels as they are, padded to a whole word
            const std::size_t bytes = bitCount == 8 ? value : (value + 1) / 2;
            for (unsigned k = 0; k < value; ++k, ++x) {
                const unsigned byte = byteAt(i + (bitCount == 8 ? k : k / 2));
                put(x, y, bitCount == 8 ? byte : (k % 2 ? byte & 0xF : byte >> 4));
            }
            i += (bytes + 1) & ~std::size_t{1};
        }
    }
    return rows;
}

} // namespace

QImage decodeMetafileDib(std::string_view info, std::string_view bits, bool keepAlpha,
                         const std::vector<QRgb>* indexed) {
    MetafileReader r(info);
    DibHeader h;
    if (!readHeader(r, h)) {
        return {};
    }
    const std::size_t entrySize = indexed ? 2 : h.headerSize == 12 ? 3 : 4;
    std::vector<QRgb> palette(h.colours);
    const std::size_t tableAt = colourTableOffset(h);
    for (std::size_t i = 0; i < h.colours; ++i) {
        const std::size_t at = tableAt + i * entrySize;
        if (indexed) {
            const std::size_t index = r.u16(at);
            palette[i] = index < indexed->size() ? (*indexed)[index] : qRgb(0, 0, 0);
        } else {
            palette[i] = qRgb(r.u8(at + 2), r.u8(at + 1), r.u8(at));
        }
    }
    if (!r.ok()) {
        // A short colour table: grey levels keep the picture recognisable.
        for (std::size_t i = 0; i < h.colours; ++i) {
            const int level = h.colours > 1 ? static_cast<int>(i * 255 / (h.colours - 1)) : 0;
            palette[i] = qRgb(level, level, level);
        }
    }
    const int width = static_cast<int>(h.width);
    const int height = static_cast<int>(h.height < 0 ? -h.height : h.height);
    const std::size_t stride =
        ((static_cast<std::size_t>(width) * static_cast<std::size_t>(h.bitCount) + 31) / 32) * 4;
    std::string expanded;
    if (h.compression == 1 || h.compression == 2) {
        if (h.height < 0) {
            return {}; // run-length rows are always stored bottom-up
        }
        expanded = expandRle(bits, h.bitCount, width, height, stride);
        bits = expanded;
    }
    if (bits.size() / stride < static_cast<std::size_t>(height)) {
        return {};
    }
    const bool alpha = keepAlpha && h.bitCount == 32;
    QImage image(width, height, alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (image.isNull()) {
        return {};
    }
    MetafileReader px(bits);
    for (int y = 0; y < height; ++y) {
        const int row = h.height < 0 ? y : height - 1 - y;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
        const std::size_t base = static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < width; ++x) {
            const auto ux = static_cast<std::size_t>(x);
            QRgb colour = 0;
            switch (h.bitCount) {
            case 1:
            case 4:
            case 8: {
                const std::size_t bitPos = ux * static_cast<std::size_t>(h.bitCount);
                const unsigned byte = px.u8(base + bitPos / 8);
                const unsigned shift = 8 - static_cast<unsigned>(h.bitCount) - bitPos % 8;
                const unsigned index = (byte >> shift) & ((1u << h.bitCount) - 1);
                colour = index < palette.size() ? palette[index] : qRgb(0, 0, 0);
                break;
            }
            case 16: {
                const std::uint32_t v = px.u16(base + ux * 2);
                colour =
                    qRgb(maskChannel(v, h.masks[0]), maskChannel(v, h.masks[1]), maskChannel(v, h.masks[2]));
                break;
            }
            case 24:
                colour = qRgb(px.u8(base + ux * 3 + 2), px.u8(base + ux * 3 + 1), px.u8(base + ux * 3));
                break;
            default: {
                const std::uint32_t v = px.u32(base + ux * 4);
                colour =
                    qRgb(maskChannel(v, h.masks[0]), maskChannel(v, h.masks[1]), maskChannel(v, h.masks[2]));
                if (alpha) {
                    // Premultiplied channels never exceed alpha; clamp files that break that.
                    const int a = static_cast<int>(v >> 24);
                    colour = qRgba(std::min(qRed(colour), a), std::min(qGreen(colour), a),
                                   std::min(qBlue(colour), a), a);
                }
                break;
            }
            }
            line[x] = colour;
        }
    }
    return image;
}

QImage decodePackedMetafileDib(std::string_view dib, const std::vector<QRgb>* palette) {
    MetafileReader r(dib);
    DibHeader h;
    if (!readHeader(r, h)) {
        return {};
    }
    const std::size_t entrySize = palette ? 2 : h.headerSize == 12 ? 3 : 4;
    const std::size_t bitsAt = colourTableOffset(h) + (h.colours + h.unusedColours) * entrySize;
    if (bitsAt > dib.size()) {
        return {};
    }
    return decodeMetafileDib(dib.substr(0, bitsAt), dib.substr(bitsAt), false, palette);
}

} // namespace velmoa
