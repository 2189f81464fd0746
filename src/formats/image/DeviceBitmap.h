#pragma once

#include <QImage>
#include <cstdint>
#include <string_view>

namespace velmoa {

// The bare rows of a device-dependent bitmap, as older documents hold one: no header and no colour
// table, rows from the top, each padded to a whole 16-bit word unless widthBytes says otherwise.
struct DeviceBitmapShape {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 1; // 1 (black on white), 4 (the 16 standard colours), 16, 24 or 32
    int planes = 1;       // only single-plane bitmaps are read
    int widthBytes = 0;   // bytes a row; 0 for the word-aligned length
};

// Opaque RGB32. Throws Failure with the bitmap message for a shape it does not read, for rows
// missing, or for more than maxPixels pixels.
QImage decodeDeviceBitmap(std::string_view rows, const DeviceBitmapShape& shape, std::int64_t maxPixels);

} // namespace velmoa
