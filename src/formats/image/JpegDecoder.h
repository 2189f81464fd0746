#pragma once

#include "base/CodedSource.h"

#include <QImage>
#include <QSize>
#include <atomic>
#include <cstdint>
#include <string>

namespace velmoa {

// The size and EXIF orientation (1..8, 1 when absent) found in a JPEG header.
struct JpegHeader {
    int width = 0; // as stored, before the orientation is applied
    int height = 0;
    int orientation = 1;
};

// libjpeg (libjpeg-turbo) called directly. Errors carry libjpeg's message number; warnings
// (such as data that ends early) are dropped and the decoder fills in what is missing.
class JpegDecoder {
  public:
    // Beyond this many decoded pixels a coarser scale is taken, whatever the drawn size.
    static constexpr std::int64_t kMaxDecodedPixels = std::int64_t{1} << 25;

    static std::string errorMessage(int code);

    // Reads the header only (and the EXIF orientation from APP1). Throws Failure
    // "JPEG エラー #n" when libjpeg rejects it.
    static JpegHeader readHeader(const CodedSource& source);

    // The smallest DCT scale, in eighths (1..8), whose output covers target on both sides; 8 when
    // none does. Both sizes are as stored.
    static int chooseScale(const QSize& stored, const QSize& target);
    // libjpeg's output size at that scale.
    static QSize scaledSize(const QSize& stored, int eighths);

    struct Decoded {
        QImage image;           // RGB32; rows past an error are grey
        int errorCode = 0;      // libjpeg's message number when decoding stopped at an error
        int warnings = 0;       // libjpeg's warnings (such as data that ends early), otherwise dropped
        bool cancelled = false; // stopped because cancel was set; image is then null
    };
    // Decodes at eighths/8 of the stored size. Never throws for bad data. When cancel is given
    // and becomes true, decoding stops within a row or two. When shrinkTo is given and no larger
    // than the decoded size, the rows are shrunk to it by area averaging as they come out, and
    // the decoded size is never held.
    static Decoded decode(const CodedSource& source, int eighths, const std::atomic<bool>* cancel = nullptr,
                          const QSize& shrinkTo = {});

    // The orientation tag of an EXIF block ("Exif\0\0" + TIFF); 1 when missing or out of range.
    static int exifOrientation(const unsigned char* data, std::size_t size);
    static bool swapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }
    // The stored image turned upright for its orientation.
    static QImage oriented(const QImage& stored, int orientation);
};

} // namespace velmoa
