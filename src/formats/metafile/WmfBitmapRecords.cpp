#include "formats/metafile/WmfBitmapRecords.h"

#include "formats/metafile/MetafileBitmap16.h"
#include "formats/metafile/MetafileDib.h"
#include "formats/metafile/MetafileReader.h"

namespace velmoa::wmf {
namespace {

// A packed DIB's source rectangle counts rows from the bottom for bottom-up bitmaps.
QRectF dibSource(std::string_view dib, const QImage& image, double x, double y, double w, double h,
                 bool fromBottom) {
    MetafileReader r(dib);
    const bool bottomUp = r.u32(0) == 12 ? true : r.i32(8) > 0;
    if (fromBottom && bottomUp) {
        y = image.height() - (y + h);
    }
    return QRectF(x, y, w, h);
}

} // namespace

std::optional<bool> playBitmapRecord(MetafileCanvas& canvas, std::uint16_t function, MetafileReader& r) {
    const std::size_t size = r.size();
    switch (function) {
    case 0x061D: // PatBlt
        if (!r.has(0, 12)) {
            return false;
        }
        canvas.patBlt(QRectF(r.i16(10), r.i16(8), r.i16(6), r.i16(4)), r.u32(0));
        break;
    case 0x0F43: { // StretchDIB
        if (!r.has(0, 22)) {
            return false;
        }
        const std::string_view dib = r.all().substr(22);
        const QImage image = decodePackedMetafileDib(dib, r.u16(4) == 1 ? &canvas.palette() : nullptr);
        const QRectF dest(r.i16(20), r.i16(18), r.i16(16), r.i16(14));
        canvas.stretchImage(dest, image,
                            dibSource(dib, image, r.i16(12), r.i16(10), r.i16(8), r.i16(6), true), r.u32(0));
        break;
    }
    case 0x0B41:   // DIBStretchBlt
    case 0x0940:   // DIBBitBlt
    case 0x0B23:   // StretchBlt
    case 0x0922: { // BitBlt
        const bool stretch = function == 0x0B41 || function == 0x0B23;
        const std::size_t fixed = stretch ? 20 : 16;
        if (size < fixed) {
            return false;
        }
        if (size <= fixed + 2) {
            // No bitmap: the destination (its last four words) takes the operation.
            canvas.patBlt(QRectF(r.i16(size - 2), r.i16(size - 4), r.i16(size - 6), r.i16(size - 8)),
                          r.u32(0));
            break;
        }
        const std::string_view bits = r.all().substr(fixed);
        const QImage image =
            (function & 0xFF) >= 0x40
                ? decodePackedMetafileDib(bits)
                : decodeBitmap16(bits, canvas.textColor().rgb(), canvas.bkColor().rgb(), canvas.palette());
        if (stretch) {
            canvas.stretchImage(QRectF(r.i16(18), r.i16(16), r.i16(14), r.i16(12)), image,
                                QRectF(r.i16(10), r.i16(8), r.i16(6), r.i16(4)), r.u32(0));
        } else {
            const double w = r.i16(10), h = r.i16(8);
            canvas.stretchImage(QRectF(r.i16(14), r.i16(12), w, h), image, QRectF(r.i16(6), r.i16(4), w, h),
                                r.u32(0));
        }
        break;
    }
    case 0x0D33: { // SetDIBitsToDevice
        if (!r.has(0, 18)) {
            return false;
        }
        const std::string_view dib = r.all().substr(18);
        const QImage image = decodePackedMetafileDib(dib, r.u16(0) == 1 ? &canvas.palette() : nullptr);
        const double w = r.i16(12), h = r.i16(10);
        canvas.stretchImage(QRectF(r.i16(16), r.i16(14), w, h), image,
                            dibSource(dib, image, r.i16(8), r.i16(6), w, h, true), 0x00CC0020);
        break;
    }
    default:
        return std::nullopt;
    }
    return true;
}

} // namespace velmoa::wmf
