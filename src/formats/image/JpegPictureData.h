#pragma once

#include "base/CodedSource.h"
#include "formats/image/JpegDecoder.h"
#include "formats/image/JpegDisplayDecode.h"
#include "formats/image/ScaledImageCache.h"
#include "formats/picture/DrawFailureNote.h"
#include "formats/picture/Picture.h"

#include <QImage>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace velmoa {

// A JPEG: the header is read at load; pixels are decoded when first drawn, at the smallest DCT
// scale that covers the drawn size (or from the camera's preview when that covers it), reading the
// coded data from its source as the decoder goes, never whole. The decoded pixels are kept here, so
// every copy of the picture shares them and a redraw at the same or a smaller size never decodes
// again (once it has decoded here: pixels prepared elsewhere come fitted to one size); a coded-data
// error is therefore found, and given to takeDrawFailure(), once per loaded picture.
class JpegPictureData : public PictureData {
  public:
    // Throws Failure "JPEG エラー #n" for a header libjpeg rejects; no bytes give a 0 x 0 picture.
    explicit JpegPictureData(std::shared_ptr<const CodedSource> source);
    explicit JpegPictureData(ByteBuffer bytes);

    // Upright width and height: sides swapped for the EXIF orientations that turn by 90 degrees.
    int width() const override;
    int height() const override;
    void draw(QPainter& painter, const QRect& target) const override;
    std::optional<std::string> takeDrawFailure() const override;

    // A decode of the same file made elsewhere (ahead of time, on another thread). The first draw
    // calls it, waiting if it is still running, and takes its pixels instead of decoding when they
    // serve the drawn size. It may give nothing.
    // ready is set by the thread making it once it has finished.
    using PreparedDecode = std::function<std::shared_ptr<const JpegDisplayDecode>()>;
    void offerPrepared(PreparedDecode prepared, ReadyFlag ready) const;
    bool pixelsPending() const override;
    ReadyFlag::Watch whenPixelsReady(std::function<void()> onReady) const override;

    int orientation() const { return header_.orientation; }
    // How often the pixels were decoded here, the scale (eighths) of the kept pixels (0: none, or a
    // preview), and whether they came from the camera's preview.
    int decodeCount() const;
    int decodedScale() const;
    bool decodedFromPreview() const;

  private:
    void keep(JpegDisplayDecode decoded) const;

    std::shared_ptr<const CodedSource> source_;
    JpegHeader header_;
    mutable std::mutex mutex_;
    mutable JpegDisplayDecode decoded_;
    mutable PreparedDecode prepared_;
    mutable std::optional<ReadyFlag> preparedReady_;
    mutable int decodeCount_ = 0;
    mutable DrawFailureNote failure_;
    mutable ScaledImageCache scaled_;
};

// A JPEG held in memory (the built-in pictures). Throws Failure as the constructor does.
Picture jpegPictureFromBytes(std::string_view bytes);

} // namespace velmoa
