#include "document/RtfPictureImages.h"

#include "base/Failure.h"
#include "formats/image/BitmapDecoder.h"
#include "formats/image/DeviceBitmap.h"
#include "formats/metafile/MetafileLoader.h"

#include <QPainter>
#include <new>
#include <string>

namespace velmoa {
namespace {

constexpr double kHundredthsOfMmPerPixel = 2540.0 / 96;

QImage drawnMetafile(const Picture& picture, QSize size, std::int64_t maxPixels) {
    if (size.isEmpty()) {
        size = QSize(picture.width(), picture.height());
    }
    if (size.isEmpty() || std::int64_t{size.width()} * size.height() > maxPixels) {
        return {};
    }
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) {
        return {};
    }
    // The page beneath the picture shows where it draws nothing.
    image.fill(Qt::white);
    QPainter painter(&image);
    picture.draw(painter, image.rect());
    return image;
}

} // namespace

QImage rtfPictureImage(const RtfPicture& picture, QSize shownSize, std::int64_t maxPixels) {
    try {
        switch (picture.format) {
        case RtfPicture::Format::Emf:
            return drawnMetafile(loadMetafilePicture(std::string(picture.bytes), true), shownSize, maxPixels);
        case RtfPicture::Format::Wmf:
            if (shownSize.isEmpty()) {
                return {}; // such a metafile has no size but the one the document gives
            }
            // Without an extent of its own, the metafile fills the size it is shown at.
            return drawnMetafile(
                loadBareWmfPicture(
                    std::string(picture.bytes),
                    picture.width > 0 ? picture.width
                                      : static_cast<int>(shownSize.width() * kHundredthsOfMmPerPixel),
                    picture.height > 0 ? picture.height
                                       : static_cast<int>(shownSize.height() * kHundredthsOfMmPerPixel)),
                shownSize, maxPixels);
        case RtfPicture::Format::Dib:
            return BitmapDecoder::decodePackedDib(picture.bytes, maxPixels);
        case RtfPicture::Format::DeviceBitmap:
            return decodeDeviceBitmap(
                picture.bytes,
                {picture.width, picture.height, picture.bitsPerPixel, picture.planes, picture.widthBytes},
                maxPixels);
        case RtfPicture::Format::Png:
        case RtfPicture::Format::Jpeg:
            break; // the reader's own
        }
    } catch (const Failure&) {
        // A damaged picture is left out; the document's text still shows.
    } catch (const std::bad_alloc&) {
    }
    return {};
}

} // namespace velmoa
