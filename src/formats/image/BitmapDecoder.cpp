#include "formats/image/BitmapDecoder.h"

#include "base/Failure.h"
#include "formats/image/BitmapColourSpace.h"

#include <algorithm>
#include <array>
#include <bit>
#include <vector>

namespace velmoa {

const char* const BitmapDecoder::kBadBitmapMessage = "ビットマップイメージが不正です";
const char* const BitmapDecoder::kStreamErrorMessage = "ストリームからの読み込みエラー";

namespace {

// AlphaBitFields is BitFields with a fourth (alpha) mask after a 40-byte header.
enum Compression : std::uint32_t { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3, AlphaBitFields = 6 };

// Colour table entries: RGBTRIPLE after a core header, RGBQUAD after any other.
constexpr std::size_t kTripleBytes = 3;
constexpr std::size_t kQuadBytes = 4;

// Pixels are read from a file in pieces of about this size.
constexpr std::size_t kPiece = std::size_t{1} << 20;

std::uint16_t u16(std::string_view b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      static_cast<unsigned char>(b[at + 1]) << 8);
}

std::uint32_t u32(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(u16(b, at)) | static_cast<std::uint32_t>(u16(b, at + 2)) << 16;
}

[[noreturn]] void streamError() {
    throw Failure(BitmapDecoder::kStreamErrorMessage);
}

void need(std::string_view b, std::int64_t end) {
    if (end > static_cast<std::int64_t>(b.size())) {
        streamError();
    }
}

// One colour channel described by a bit mask, widened to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;

    explicit Channel(std::uint32_t m = 0) : mask(m) {
        if (m != 0) {
            shift = std::countr_zero(m);
            max = m >> shift;
        }
    }
    std::uint32_t operator()(std::uint32_t pixel) const {
        if (max == 0) {
            return 0;
        }
        return static_cast<std::uint32_t>((std::uint64_t{(pixel & mask) >> shift} * 255 + max / 2) / max);
    }
};

struct Layout {
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = Rgb;
    std::array<std::uint32_t, 4> masks{}; // red, green, blue, alpha
    std::vector<QRgb> palette;
    std::size_t pixelOffset = 0;
    std::size_t pixelEnd = 0; // end of the pixel data within the bytes
    BitmapColourSpace colours;
};

void needTotal(std::int64_t total, std::int64_t end) {
    if (end > total) {
        streamError();
    }
}

// Reads the bitmap header at `at`. b holds at least the header and palette when the file has
// them; total is the size of the whole file, which the pixel data is checked against.
// fileOffBits is the file header's pixel offset (0 for none); icon halves the height.
Layout parseHeader(std::string_view b, std::int64_t total, std::size_t at, std::uint32_t fileOffBits,
                   bool icon, std::int64_t maxPixels, const std::string& badMessage) {
    auto bad = [&]() -> Layout { throw Failure(badMessage); };
    need(b, static_cast<std::int64_t>(at) + 4);
    const std::uint32_t headerSize = u32(b, at);
    const bool core = headerSize == 12;
    if (!core && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 &&
        headerSize != 124) {
        return bad();
    }
    need(b, static_cast<std::int64_t>(at) + headerSize);

    Layout l;
    std::uint32_t colorsUsed = 0;
    if (core) {
        l.width = u16(b, at + 4);
        l.height = u16(b, at + 6);
        l.bitCount = u16(b, at + 10);
    } else {
        l.width = static_cast<std::int32_t>(u32(b, at + 4));
        l.height = static_cast<std::int32_t>(u32(b, at + 8));
        l.bitCount = u16(b, at + 14);
        l.compression = u32(b, at + 16);
        colorsUsed = u32(b, at + 32);
    }
    if (icon) {
        if (l.height <= 0) {
            return bad();
        }
        l.height /= 2;
    }
    l.topDown = l.height < 0;
    if (l.topDown) {
        l.height = -l.height;
    }
    if (l.width <= 0 || l.height <= 0 || l.width * l.height > maxPixels) {
        return bad();
    }
    switch (l.bitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
        break;
    case 16:
    case 32:
        if (core) {
            return bad();
        }
        break;
    default:
        return bad();
    }
    switch (l.compression) {
    case Rgb:
        break;
    case Rle8:
    case Rle4:
        // Run-length data is always stored bottom-up.
        if (l.bitCount != (l.compression == Rle8 ? 8 : 4) || l.topDown) {
            return bad();
        }
        break;
    case BitFields:
    case AlphaBitFields:
        if (l.bitCount != 16 && l.bitCount != 32) {
            return bad();
        }
        break;
    default:
        return bad();
    }

    std::size_t pos = at + headerSize;
    if (l.compression == BitFields || l.compression == AlphaBitFields) {
        if (headerSize == 40) {
            const bool alpha = l.compression == AlphaBitFields;
            need(b, static_cast<std::int64_t>(pos) + (alpha ? 16 : 12));
            l.masks = {u32(b, pos), u32(b, pos + 4), u32(b, pos + 8), alpha ? u32(b, pos + 12) : 0};
            pos += alpha ? 16 : 12;
        } else {
            l.masks = {u32(b, at + 40), u32(b, at + 44), u32(b, at + 48),
                       headerSize >= 56 ? u32(b, at + 52) : 0};
        }
    } else if (l.bitCount == 16) {
        l.masks = {0x7C00, 0x03E0, 0x001F, 0};
    } else if (l.bitCount == 32) {
        l.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, icon ? 0xFF000000u : 0u};
    }
    if (!icon) {
        l.masks[3] = 0; // bitmaps are drawn opaque, whatever alpha they carry
        // Icons are drawn as stored: their headers are the small ones anyway.
        l.colours = BitmapColourSpace::read(b, at, headerSize, total);
    }

    if (l.bitCount <= 8) {
        const std::uint32_t full = 1u << l.bitCount;
        if (colorsUsed > full) {
            return bad();
        }
        const std::uint32_t count = colorsUsed != 0 ? colorsUsed : full;
        const std::size_t entry = core ? kTripleBytes : kQuadBytes;
        need(b, static_cast<std::int64_t>(pos) + static_cast<std::int64_t>(count * entry));
        l.palette.reserve(full);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::size_t e = pos + i * entry;
            l.palette.push_back(qRgb(static_cast<unsigned char>(b[e + 2]),
                                     static_cast<unsigned char>(b[e + 1]), static_cast<unsigned char>(b[e])));
        }
        l.palette.resize(full, qRgb(0, 0, 0)); // indices past a short palette show black
        pos += count * entry;
    }

    // The file header's offset wins when it is plausible; some writers leave it 0, and a bitmap
    // inside an icon has none. Without it the pixels follow the colour table that a bitmap of more
    // than 8 bits may still carry for palette displays, of the size its header gives.
    if (fileOffBits != 0 && fileOffBits >= pos) {
        needTotal(total, fileOffBits);
        pos = fileOffBits;
    } else if (l.bitCount > 8 && !core) {
        const std::size_t table = std::size_t{colorsUsed} * kQuadBytes;
        needTotal(total, static_cast<std::int64_t>(pos + table));
        pos += table;
    }
    l.pixelOffset = pos;
    if (l.compression == Rle8 || l.compression == Rle4) {
        const std::uint32_t sizeImage = u32(b, at + 20);
        if (sizeImage != 0) {
            needTotal(total, static_cast<std::int64_t>(pos) + sizeImage);
            l.pixelEnd = pos + sizeImage;
        } else {
            l.pixelEnd = static_cast<std::size_t>(total);
        }
        // Run-length data cannot cover more pixels than its runs reach; a header that claims more
        // would only make a tiny file fill a huge picture with black.
        const auto dataBytes = static_cast<std::int64_t>(l.pixelEnd) - static_cast<std::int64_t>(pos);
        if (l.width * l.height > std::max(BitmapDecoder::kRunLengthFreePixels,
                                          BitmapDecoder::kRunLengthPixelsPerByte * dataBytes)) {
            return bad();
        }
    } else {
        const std::int64_t stride = (l.width * l.bitCount + 31) / 32 * 4;
        needTotal(total, static_cast<std::int64_t>(pos) + stride * l.height);
        l.pixelEnd = static_cast<std::size_t>(pos + stride * l.height);
    }
    return l;
}

QImage allocate(const Layout& l, QImage::Format format, const std::string& badMessage) {
    QImage image(static_cast<int>(l.width), static_cast<int>(l.height), format);
    if (image.isNull()) {
        throw Failure(badMessage);
    }
    return image;
}

QRgb* rowOf(QImage& image, const Layout& l, std::int64_t storedRow) {
    const auto y = l.topDown ? storedRow : l.height - 1 - storedRow;
    return reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(y)));
}

// Stored rows firstRow .. firstRow + count - 1, starting at rows.
void decodeRows(const unsigned char* rows, std::int64_t firstRow, std::int64_t count, const Layout& l,
                QImage& image) {
    const std::int64_t stride = (l.width * l.bitCount + 31) / 32 * 4;
    const Channel red(l.masks[0]), green(l.masks[1]), blue(l.masks[2]), alpha(l.masks[3]);
    const bool withAlpha = l.masks[3] != 0;
    auto masked = [&](std::uint32_t p) {
        return qRgba(static_cast<int>(red(p)), static_cast<int>(green(p)), static_cast<int>(blue(p)),
                     withAlpha ? static_cast<int>(alpha(p)) : 255);
    };
    const bool plain32 = l.bitCount == 32 && l.masks[0] == 0xFF0000 && l.masks[1] == 0xFF00 &&
                         l.masks[2] == 0xFF && (l.masks[3] == 0 || l.masks[3] == 0xFF000000u);
    const std::int64_t w = l.width;
    // One loop per depth: the per-pixel work is small, so a switch inside would dominate.
    for (std::int64_t row = firstRow; row < firstRow + count; ++row) {
        const unsigned char* src = rows + (row - firstRow) * stride;
        QRgb* out = rowOf(image, l, row);
        switch (l.bitCount) {
        case 1:
            for (std::int64_t x = 0; x < w; ++x) {
                out[x] = l.palette[(src[x >> 3] >> (7 - (x & 7))) & 1];
            }
            break;
        case 4:
            for (std::int64_t x = 0; x < w; ++x) {
                out[x] = l.palette[(x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4)];
            }
            break;
        case 8:
            for (std::int64_t x = 0; x < w; ++x) {
                out[x] = l.palette[src[x]];
            }
            break;
        case 24:
            for (std::int64_t x = 0; x < w; ++x, src += 3) {
                out[x] =
                    0xFF000000u | static_cast<QRgb>(src[2]) << 16 | static_cast<QRgb>(src[1]) << 8 | src[0];
            }
            break;
        case 16:
            for (std::int64_t x = 0; x < w; ++x) {
                out[x] = masked(static_cast<std::uint32_t>(src[2 * x] | src[2 * x + 1] << 8));
            }
            break;
        case 32:
            for (std::int64_t x = 0; x < w; ++x, src += 4) {
                const std::uint32_t p =
                    static_cast<std::uint32_t>(src[0]) | static_cast<std::uint32_t>(src[1]) << 8 |
                    static_cast<std::uint32_t>(src[2]) << 16 | static_cast<std::uint32_t>(src[3]) << 24;
                out[x] = plain32 ? (withAlpha ? p : (p | 0xFF000000u)) : masked(p);
            }
            break;
        }
    }
}

// RLE8/RLE4 with end-of-line, end-of-bitmap and delta escapes. Pixels the data never reaches
// stay black; data ending early just ends the picture.
void decodeRunLength(std::string_view b, const Layout& l, QImage& image) {
    image.fill(qRgb(0, 0, 0));
    const bool rle8 = l.compression == Rle8;
    const auto* data = reinterpret_cast<const unsigned char*>(b.data());
    std::size_t p = l.pixelOffset;
    const std::size_t end = l.pixelEnd;
    std::int64_t x = 0;
    std::int64_t y = 0;
    auto put = [&](std::uint32_t index) {
        if (x < l.width && y < l.height) {
            rowOf(image, l, y)[x] = l.palette[index];
        }
        ++x;
    };
    while (p + 1 < end && y < l.height) {
        const unsigned count = data[p];
        const unsigned value = data[p + 1];
        p += 2;
        if (count > 0) {
            for (unsigned i = 0; i < count; ++i) {
                put(rle8 ? value : ((i & 1) ? value & 0x0F : value >> 4));
            }
            continue;
        }
        switch (value) {
        case 0: // end of line
            x = 0;
            ++y;
            break;
        case 1: // end of bitmap
            return;
        case 2: // delta
            if (p + 1 >= end) {
                return;
            }
            x += data[p];
            y += data[p + 1];
            p += 2;
            break;
        default: { // absolute run, padded to a 16-bit boundary
            const std::size_t bytes = rle8 ? value : (value + 1) / 2;
            for (unsigned i = 0; i < value; ++i) {
                const std::size_t at = p + (rle8 ? i : i / 2);
                if (at >= end) {
                    return;
                }
                put(rle8 ? data[at] : ((i & 1) ? data[at] & 0x0F : data[at] >> 4));
            }
            p += (bytes + 1) & ~std::size_t{1};
            break;
        }
        }
    }
}

// Converts the decoded pixels to the display's colours when the header names a space that needs
// it. profile holds an embedded profile's bytes.
void convertColours(QImage& image, const BitmapColourSpace& space, std::string_view profile) {
    if (!space.named()) {
        return;
    }
    const std::shared_ptr<const ColourConversion> conversion = space.conversion(profile);
    if (!conversion) {
        return;
    }
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        conversion->convertRow(line, line, image.width());
    }
}

// The embedded profile when b holds it (b starting where the header's offsets count from).
std::string_view profileIn(std::string_view b, const BitmapColourSpace& space) {
    if (space.profileSize() == 0 || space.profileAt() + space.profileSize() > b.size()) {
        return {};
    }
    return b.substr(space.profileAt(), space.profileSize());
}

QImage decodeLayout(std::string_view b, const Layout& l, QImage::Format format,
                    const std::string& badMessage) {
    QImage image = allocate(l, format, badMessage);
    if (l.compression == Rle8 || l.compression == Rle4) {
        decodeRunLength(b, l, image);
    } else {
        decodeRows(reinterpret_cast<const unsigned char*>(b.data()) + l.pixelOffset, 0, l.height, l, image);
    }
    convertColours(image, l.colours, profileIn(b, l.colours));
    return image;
}

} // namespace

QImage BitmapDecoder::decodeFile(std::string_view file) {
    return decodeFile(file, static_cast<std::int64_t>(file.size()),
                      [](std::size_t) { return std::string(); });
}

QImage BitmapDecoder::decodeFile(std::string_view prefix, std::int64_t total, const ReadMore& readMore) {
    if (prefix.size() >= 2 && (prefix[0] != 'B' || prefix[1] != 'M')) {
        throw Failure(kBadBitmapMessage);
    }
    need(prefix, 14);
    const Layout l = parseHeader(prefix, total, 14, u32(prefix, 10), false, kMaxPixels, kBadBitmapMessage);
    // Every pixel is written opaque, as RGB32 wants.
    if (l.pixelEnd <= prefix.size()) {
        return decodeLayout(prefix, l, QImage::Format_RGB32, kBadBitmapMessage);
    }
    if (l.compression == Rle8 || l.compression == Rle4) {
        std::string whole(prefix);
        whole += readMore(static_cast<std::size_t>(total) - prefix.size());
        if (whole.size() < l.pixelEnd) {
            streamError();
        }
        return decodeLayout(whole, l, QImage::Format_RGB32, kBadBitmapMessage);
    }

    // Uncompressed pixels go from the file into the picture a few rows at a time.
    QImage image = allocate(l, QImage::Format_RGB32, kBadBitmapMessage);
    const std::int64_t stride = (l.width * l.bitCount + 31) / 32 * 4;
    std::string pending(prefix.substr(std::min(l.pixelOffset, prefix.size())));
    for (std::size_t skip = l.pixelOffset > prefix.size() ? l.pixelOffset - prefix.size() : 0; skip > 0;) {
        const std::string gap = readMore(std::min<std::size_t>(skip, kPiece));
        if (gap.empty()) {
            streamError();
        }
        skip -= gap.size();
    }
    const std::int64_t rowsPerPiece = std::max<std::int64_t>(1, static_cast<std::int64_t>(kPiece) / stride);
    for (std::int64_t row = 0; row < l.height; row += rowsPerPiece) {
        const std::int64_t count = std::min(rowsPerPiece, l.height - row);
        const auto bytes = static_cast<std::size_t>(count * stride);
        while (pending.size() < bytes) {
            const std::string more = readMore(std::max(bytes - pending.size(), kPiece));
            if (more.empty()) {
                streamError();
            }
            pending += more;
        }
        decodeRows(reinterpret_cast<const unsigned char*>(pending.data()), row, count, l, image);
        pending.erase(0, bytes);
    }
    // pending now begins where the pixels end: a profile after them (where writers put it) is read
    // on to; one anywhere else beyond the first bytes is not looked for.
    std::string_view profile = profileIn(prefix, l.colours);
    if (profile.empty() && l.colours.profileSize() != 0 && l.colours.profileAt() >= l.pixelEnd) {
        const std::size_t end = l.colours.profileAt() + l.colours.profileSize() - l.pixelEnd;
        while (pending.size() < end) {
            const std::string more = readMore(end - pending.size());
            if (more.empty()) {
                break;
            }
            pending += more;
        }
        if (pending.size() >= end) {
            profile =
                std::string_view(pending).substr(l.colours.profileAt() - l.pixelEnd, l.colours.profileSize());
        }
    }
    convertColours(image, l.colours, profile);
    return image;
}

QImage BitmapDecoder::decodePackedDib(std::string_view dib, std::int64_t maxPixels) {
    const Layout l = parseHeader(dib, static_cast<std::int64_t>(dib.size()), 0, 0, false,
                                 std::min(maxPixels, kMaxPixels), kBadBitmapMessage);
    return decodeLayout(dib, l, QImage::Format_RGB32, kBadBitmapMessage);
}

QImage BitmapDecoder::decodeIconImage(std::string_view dib, const std::string& badMessage,
                                      std::int64_t maxPixels) {
    const Layout l = parseHeader(dib, static_cast<std::int64_t>(dib.size()), 0, 0, true,
                                 std::min(maxPixels, kMaxPixels), badMessage);
    QImage image = decodeLayout(dib, l, QImage::Format_ARGB32, badMessage);

    bool hasAlpha = false;
    if (l.bitCount == 32) {
        for (int y = 0; y < image.height() && !hasAlpha; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if (qAlpha(row[x]) != 0) {
                    hasAlpha = true;
                    break;
                }
            }
        }
    }
    if (!hasAlpha) {
        // The AND mask: 1 bit a pixel, set where the picture is transparent. Some icons leave
        // it out; they show opaque.
        const std::int64_t stride = (l.width + 31) / 32 * 4;
        const bool maskPresent = static_cast<std::int64_t>(l.pixelEnd) + stride * l.height <=
                                 static_cast<std::int64_t>(dib.size());
        const auto* mask = reinterpret_cast<const unsigned char*>(dib.data()) + l.pixelEnd;
        for (std::int64_t row = 0; row < l.height; ++row) {
            QRgb* out = rowOf(image, l, row);
            for (std::int64_t x = 0; x < l.width; ++x) {
                const bool transparent =
                    maskPresent && ((mask[row * stride + (x >> 3)] >> (7 - (x & 7))) & 1);
                out[x] = transparent ? qRgba(0, 0, 0, 0) : (out[x] | 0xFF000000u);
            }
        }
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace velmoa
