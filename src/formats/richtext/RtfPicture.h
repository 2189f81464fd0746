#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <functional>
#include <string_view>

namespace velmoa {

// A picture of a rich-text document as its \pict group gives it.
struct RtfPicture {
    enum class Format {
        Png,
        Jpeg,
        Emf,          // \emfblip: an enhanced metafile
        Wmf,          // \wmetafileN: a Windows metafile without its placeable header
        Dib,          // \dibitmapN: a device-independent bitmap, header and colour table first
        DeviceBitmap, // \wbitmapN: the bare rows of a device-dependent bitmap
    };
    Format format = Format::Png;
    std::string_view bytes;
    // \picw \pich: pixels for bitmaps, hundredths of a millimetre for metafiles.
    int width = 0;
    int height = 0;
    // Of a device-dependent bitmap: \wbmbitspixel, \wbmplanes, \wbmwidthbytes.
    int bitsPerPixel = 1;
    int planes = 1;
    int widthBytes = 0;
};

// Turns a picture that the reader does not decode itself (metafiles and bitmaps) into an image:
// a metafile drawn at shownSize, a bitmap at its own size. A null image when the picture cannot be
// read or its image would have more than maxPixels pixels. Given by the reader's user, who may reach
// the picture readers.
using RtfPictureDecoder =
    std::function<QImage(const RtfPicture& picture, QSize shownSize, std::int64_t maxPixels)>;

} // namespace velmoa
