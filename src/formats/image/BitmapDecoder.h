#pragma once

#include <QImage>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace velmoa {

// Device-independent bitmaps as .bmp files and icon images hold them: OS/2 core, Windows
// info, V4 and V5 headers; 1, 4, 8 (palette), 16, 24 and 32 bits; bit fields; RLE4 and RLE8.
class BitmapDecoder {
  public:
    // Larger bitmaps are refused before anything is allocated (1 GiB of pixels at this size).
    static constexpr std::int64_t kMaxPixels = std::int64_t{1} << 28;
    // A run-length bitmap may claim at most this many pixels for each byte of its data (a run of
    // two bytes covers at most 255 pixels; the rest allows for rows ended early), or this many
    // whatever its size.
    static constexpr std::int64_t kRunLengthPixelsPerByte = 256;
    static constexpr std::int64_t kRunLengthFreePixels = std::int64_t{1} << 22;

    static const char* const kBadBitmapMessage;
    static const char* const kStreamErrorMessage;

    // A whole .bmp file ("BM", file header, bitmap). Opaque RGB32. Throws Failure with the bitmap
    // message for a bad header, or the stream message when the file ends before its pixels.
    static QImage decodeFile(std::string_view file);

    // The first bytes of a file are already read (at least the header and palette when the file
    // holds them); readMore(n) reads up to n more (empty at the end). The pixels are decoded
    // piece by piece, so a large bitmap never stands in memory twice.
    using ReadMore = std::function<std::string(std::size_t)>;
    static QImage decodeFile(std::string_view prefix, std::int64_t total, const ReadMore& readMore);
    // Reading more than this first covers any header and palette.
    static constexpr std::size_t kPrefixBytes = std::size_t{64} * 1024;

    // A packed bitmap, as documents and the clipboard hold one: header, colour table and pixels,
    // without a file header. Opaque RGB32. Throws Failure like decodeFile, and the bitmap message
    // for more than maxPixels pixels.
    static QImage decodePackedDib(std::string_view dib, std::int64_t maxPixels = kMaxPixels);

    // An icon image: the bitmap header gives twice the height (colour rows, then the AND mask).
    // ARGB32 premultiplied: a 32-bit image's alpha when it has any, otherwise the mask.
    // badMessage is thrown for a bad header and for more than maxPixels pixels.
    static QImage decodeIconImage(std::string_view dib, const std::string& badMessage,
                                  std::int64_t maxPixels);
};

} // namespace velmoa
