#include "formats/metafile/WmfRecords.h"

#include "formats/metafile/MetafileBitmap16.h"
#include "formats/metafile/MetafileDib.h"
#include "formats/metafile/MetafileGdi.h"

namespace velmoa::wmf {
namespace {

// A packed DIB's source rectangle counts rows from the bottom for bottom-up bitmaps.
QRectF dibSource(std::string_view dib, const QImage& image, double x, double y, double w, double h,
                 bool fromBottom) {
    constexpr std::uint32_t kCoreHeaderSize = 12; // BITMAPCOREHEADER: always bottom-up
    MetafileReader r(dib);
    const bool bottomUp = r.u32(0) == kCoreHeaderSize ? true : r.i32(8) > 0;
    if (fromBottom && bottomUp) {
        y = image.height() - (y + h);
    }
    return QRectF(x, y, w, h);
}

const std::vector<QRgb>* paletteFor(MetafileCanvas& canvas, std::uint16_t usage) {
    return usage == gdi::DIB_PAL_COLORS ? &canvas.palette() : nullptr;
}

bool patBlt(MetafileCanvas& canvas, MetafileReader& r) {
    if (!r.has(0, 12)) {
        return false;
    }
    canvas.patBlt(QRectF(r.i16(10), r.i16(8), r.i16(6), r.i16(4)), r.u32(0));
    return true;
}

bool stretchDib(MetafileCanvas& canvas, MetafileReader& r) {
    if (!r.has(0, 22)) {
        return false;
    }
    const std::string_view dib = r.all().substr(22);
    const QImage image = decodePackedMetafileDib(dib, paletteFor(canvas, r.u16(4)));
    const QRectF dest(r.i16(20), r.i16(18), r.i16(16), r.i16(14));
    canvas.stretchImage(dest, image, dibSource(dib, image, r.i16(12), r.i16(10), r.i16(8), r.i16(6), true),
                        r.u32(0));
    return true;
}

// The four block transfers: with a device-independent bitmap (the DIB records) or a Windows 2
// bitmap, with a source size of their own (stretch) or the destination's.
template <bool stretch, bool dib> bool blit(MetafileCanvas& canvas, MetafileReader& r) {
    const std::size_t size = r.size();
    const std::size_t fixed = stretch ? 20 : 16;
    if (size < fixed) {
        return false;
    }
    if (size <= fixed + 2) {
        // No bitmap: the destination (its last four words) takes the operation.
        canvas.patBlt(QRectF(r.i16(size - 2), r.i16(size - 4), r.i16(size - 6), r.i16(size - 8)), r.u32(0));
        return true;
    }
    const std::string_view bits = r.all().substr(fixed);
    const QImage image =
        dib ? decodePackedMetafileDib(bits)
            : decodeBitmap16(bits, canvas.textColor().rgb(), canvas.bkColor().rgb(), canvas.palette());
    if (stretch) {
        canvas.stretchImage(QRectF(r.i16(18), r.i16(16), r.i16(14), r.i16(12)), image,
                            QRectF(r.i16(10), r.i16(8), r.i16(6), r.i16(4)), r.u32(0));
    } else {
        const double w = r.i16(10), h = r.i16(8);
        canvas.stretchImage(QRectF(r.i16(14), r.i16(12), w, h), image, QRectF(r.i16(6), r.i16(4), w, h),
                            r.u32(0));
    }
    return true;
}

bool setDibToDev(MetafileCanvas& canvas, MetafileReader& r) {
    if (!r.has(0, 18)) {
        return false;
    }
    const std::string_view dib = r.all().substr(18);
    const QImage image = decodePackedMetafileDib(dib, paletteFor(canvas, r.u16(0)));
    const double w = r.i16(12), h = r.i16(10);
    canvas.stretchImage(QRectF(r.i16(16), r.i16(14), w, h), image,
                        dibSource(dib, image, r.i16(8), r.i16(6), w, h, true), gdi::SRCCOPY);
    return true;
}

constexpr RecordEntry kRecords[] = {
    {META_PATBLT, patBlt},
    {META_STRETCHDIB, stretchDib},
    {META_DIBSTRETCHBLT, blit<true, true>},
    {META_DIBBITBLT, blit<false, true>},
    {META_STRETCHBLT, blit<true, false>},
    {META_BITBLT, blit<false, false>},
    {META_SETDIBTODEV, setDibToDev},
};

} // namespace

std::span<const RecordEntry> bitmapRecords() {
    return kRecords;
}

} // namespace velmoa::wmf
