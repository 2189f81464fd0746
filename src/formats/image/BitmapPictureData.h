#pragma once

#include "formats/image/BitmapDecoder.h"
#include "formats/image/ScaledImageCache.h"
#include "formats/picture/PictureData.h"

#include <QImage>
#include <memory>
#include <mutex>

namespace velmoa {

// A .bmp picture, decoded whole at load. Drawn opaque: leaving the colour of the bottom-left
// pixel transparent would turn real colours of a photo white.
class BitmapPictureData : public PictureData {
  public:
    explicit BitmapPictureData(QImage image) : image_(std::move(image)) {}
    // A .bmp file of total bytes, of which prefix (up to BitmapDecoder::kPrefixBytes) has been read
    // and readMore reads the rest piece by piece. Throws Failure; an empty file gives a picture of
    // size 0 x 0.
    static std::shared_ptr<BitmapPictureData> load(std::string_view prefix, std::int64_t total,
                                                   const BitmapDecoder::ReadMore& readMore);

    int width() const override { return image_.width(); }
    int height() const override { return image_.height(); }
    void draw(QPainter& painter, const QRect& target) const override;
    const QImage& image() const { return image_; }

  private:
    QImage image_;
    mutable std::mutex mutex_;
    mutable ScaledImageCache scaled_;
};

} // namespace velmoa
