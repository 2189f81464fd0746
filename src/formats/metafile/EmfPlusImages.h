#pragma once

#include "formats/metafile/EmfPlusObjects.h"

#include <QImage>
#include <QSize>
#include <QSizeF>
#include <cstdint>
#include <vector>

namespace velmoa {

class MetafileWorkBudget;

namespace emfplus {

// A decode of so many pixels at most: 160 MB at four bytes a pixel.
inline constexpr std::int64_t kMaxDecodedPixels = std::int64_t{40} << 20;

struct DecodedImage {
    QImage pixels;        // null when the image could not be decoded
    bool refused = false; // too large to decode whole
};

// The size a bitmap image is decoded at when drawn scale times its size (image pixels to target
// pixels, each way): never larger than the image, at least a pixel.
QSize decodedSize(const Image& image, QSizeF scale);

// A bitmap image's pixels at size: files that can (PNG, JPEG) are decoded straight at that size,
// others whole and then scaled down, which is refused when the whole would take more than
// kMaxDecodedPixels.
DecodedImage decodeImage(const Image& image, QSize size);

// The bitmap images of one drawing decoded at the sizes they are drawn, the most recently drawn
// kept up to kMaxBytes, so that an image drawn again at the same size is not decoded again and a
// picture of many large images never holds them all.
class ImageCache {
  public:
    static constexpr std::int64_t kMaxBytes = std::int64_t{64} << 20;

    // The image at size, from the cache or decoded (and charged to the budget); null pixels when
    // it cannot be decoded or the budget cannot pay for it.
    DecodedImage image(const Image& image, QSize size, MetafileWorkBudget& budget);
    std::int64_t bytes() const { return bytes_; }

  private:
    struct Entry {
        std::uint64_t id;
        QImage pixels;
    };
    std::vector<Entry> entries_; // the most recently used last
    std::int64_t bytes_ = 0;
};

} // namespace emfplus
} // namespace velmoa
