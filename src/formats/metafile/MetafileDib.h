#pragma once

#include <QImage>
#include <string_view>
#include <vector>

namespace velmoa {

// A device-independent bitmap from a metafile record: info is the BITMAPINFO (header and
// colour table), bits the pixel rows. Uncompressed 1, 4, 8, 16, 24 and 32 bits per pixel.
// A null image for anything unreadable, too large, or with rows missing.
// keepAlpha: 32-bit pixels keep their alpha byte as premultiplied alpha (AlphaBlend sources).
// palette: given when the colour table holds 16-bit indexes into it (DIB_PAL_COLORS).
QImage decodeMetafileDib(std::string_view info, std::string_view bits, bool keepAlpha = false,
                         const std::vector<QRgb>* palette = nullptr);

// The same for a packed DIB (header, colour table and rows one after the other).
QImage decodePackedMetafileDib(std::string_view dib, const std::vector<QRgb>* palette = nullptr);

} // namespace velmoa
