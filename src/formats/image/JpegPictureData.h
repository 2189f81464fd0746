#pragma once

#include "formats/image/JpegDecoder.h"
#include "formats/image/PictureData.h"
#include "formats/image/ScaledImageCache.h"
#include "platform/ByteBuffer.h"

#include <QImage>
#include <memory>
#include <mutex>
#include <string>

namespace velmoa {

// A JPEG: the header is read at load; pixels are decoded when first drawn, at the smallest DCT
// scale that covers the drawn size. The decoded pixels are kept here, so every copy of the
// picture shares them and a redraw at the same or a smaller size never decodes again; a coded-data
// error is therefore reported once per loaded picture.
class JpegPictureData : public PictureData {
  public:
    // Throws Failure "JPEG エラー #n" for a header libjpeg rejects; no bytes give a 0 x 0 picture.
    explicit JpegPictureData(ByteBuffer bytes);

    // Upright width and height: sides swapped for the EXIF orientations that turn by 90 degrees.
    int width() const override;
    int height() const override;
    void draw(QPainter& painter, const QRect& target) const override;

    int orientation() const { return header_.orientation; }
    // How often the pixels were decoded, and the scale (eighths) of the kept pixels (0: none).
    int decodeCount() const;
    int decodedScale() const;

  private:
    ByteBuffer bytes_;
    JpegHeader header_;
    mutable std::mutex mutex_;
    mutable QImage decoded_; // upright
    mutable int decodedScale_ = 0;
    mutable int decodeCount_ = 0;
    mutable bool failureReported_ = false;
    mutable ScaledImageCache scaled_;
};

} // namespace velmoa
