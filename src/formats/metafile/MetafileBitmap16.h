#pragma once

#include <QImage>
#include <string_view>
#include <vector>

namespace velmoa {

// A device-dependent bitmap of an old Windows metafile (the Bitmap16 object: type, width,
// height, bytes a row, planes, bits a pixel, then the rows top row first; or the older records'
// header of the same fields without the type). One plane of 1, 4,
// 8, 16, 24 or 32 bits a pixel. A monochrome bitmap takes the device context's colours: 0
// bits the text colour, 1 bits the background colour; 8-bit pixels index the palette. A null
// image for anything unreadable, too large, or with rows missing.
QImage decodeBitmap16(std::string_view bytes, QRgb textColour, QRgb backgroundColour,
                      const std::vector<QRgb>& palette);

} // namespace velmoa
