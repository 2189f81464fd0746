#include "formats/metafile/EmfRecords.h"

#include "formats/metafile/EmfRecordTypes.h"
#include "formats/metafile/MetafileGdi.h"
#include "formats/metafile/MetafileReader.h"

#include <array>

namespace velmoa::emf {
namespace {

// BLENDFUNCTION's format: the source carries its own alpha.
constexpr std::uint32_t kAcSrcAlpha = 1;

// The destination and source rectangles of a StretchDIBits record, as the record holds them.
std::array<std::int32_t, 8> placement(MetafileReader& r) {
    return {r.i32(24), r.i32(28), r.i32(72), r.i32(76), r.i32(32), r.i32(36), r.i32(40), r.i32(44)};
}

} // namespace

bool playMaskPair(MetafileCanvas& canvas, MetafileReader& mask, MetafileReader& image) {
    if (mask.u32(0) != EMR_STRETCHDIBITS || image.u32(0) != EMR_STRETCHDIBITS || !mask.has(8, 72) ||
        !image.has(8, 72) || mask.u32(68) != gdi::SRCPAINT || image.u32(68) != gdi::SRCAND ||
        placement(mask) != placement(image)) {
        return false;
    }
    const QImage alpha = recordDib(mask, 48, canvas, 64);
    QImage colours = recordDib(image, 48, canvas, 64);
    if (alpha.isNull() || colours.isNull() || alpha.size() != colours.size()) {
        return false;
    }
    colours = colours.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < colours.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(colours.scanLine(y));
        const auto* m = reinterpret_cast<const QRgb*>(alpha.constScanLine(y));
        for (int x = 0; x < colours.width(); ++x) {
            line[x] = (line[x] & 0xFFFFFF) | static_cast<QRgb>(qGray(m[x])) << 24;
        }
    }
    const double h = image.i32(44);
    double ySrc = image.i32(36);
    if (bottomUp(image, 48)) {
        ySrc = colours.height() - (ySrc + h);
    }
    canvas.stretchImage(QRectF(image.i32(24), image.i32(28), image.i32(72), image.i32(76)), colours,
                        QRectF(image.i32(32), ySrc, image.i32(40), h), gdi::SRCCOPY);
    return true;
}

std::optional<bool> playBitmapRecord(MetafileCanvas& canvas, std::uint32_t type, MetafileReader& r) {
    switch (type) {
    case EMR_FILLRGN:    // FillRgn
    case EMR_FRAMERGN: { // FrameRgn
        const std::size_t dataAt = type == EMR_FILLRGN ? 32 : 40;
        const std::uint32_t index = r.u32(28);
        const auto* object = canvas.object(index);
        const auto stock = (index & gdi::kStockObjectFlag) ? MetafileCanvas::stockBrush(index) : std::nullopt;
        const auto* brush = stock ? &*stock : object ? std::get_if<MetafileCanvas::Brush>(object) : nullptr;
        const MetafileCanvas::Region region = readRegion(r, dataAt, r.u32(24));
        if (brush) {
            if (type == EMR_FILLRGN) {
                canvas.fillRegion(region, *brush);
            } else {
                canvas.frameRegion(region, *brush, QSizeF(r.i32(32), r.i32(36)));
            }
        }
        break;
    }
    case EMR_INVERTRGN:  // InvertRgn
    case EMR_PAINTRGN: { // PaintRgn
        const MetafileCanvas::Region region = readRegion(r, 28, r.u32(24));
        if (type == EMR_INVERTRGN) {
            canvas.invertRegion(region);
        } else {
            canvas.fillRegion(region, canvas.currentBrush());
        }
        break;
    }
    case EMR_BITBLT:       // BitBlt
    case EMR_STRETCHBLT: { // StretchBlt
        if (!r.has(8, 92)) {
            return false;
        }
        const QRectF dest(r.i32(24), r.i32(28), r.i32(32), r.i32(36));
        const std::uint32_t rop = r.u32(40);
        if (r.u32(88) == 0) { // no source bitmap
            canvas.patBlt(dest, rop);
            break;
        }
        const QImage image = recordDib(r, 84, canvas, 80);
        const QSizeF source = type == EMR_STRETCHBLT ? QSizeF(r.i32(100), r.i32(104)) : dest.size();
        canvas.stretchImage(dest, image, QRectF(QPointF(r.i32(44), r.i32(48)), source), rop);
        break;
    }
    case EMR_SETDIBITSTODEVICE: { // SetDIBitsToDevice
        if (!r.has(8, 68)) {
            return false;
        }
        const QImage image = recordDib(r, 48, canvas, 64);
        const double w = r.i32(40), h = r.i32(44);
        double ySrc = r.i32(36);
        if (bottomUp(r, 48)) {
            ySrc = image.height() - (ySrc + h);
        }
        canvas.stretchImage(QRectF(r.i32(24), r.i32(28), w, h), image, QRectF(r.i32(32), ySrc, w, h),
                            gdi::SRCCOPY);
        break;
    }
    case EMR_STRETCHDIBITS: { // StretchDIBits
        if (!r.has(8, 72)) {
            return false;
        }
        const QImage image = recordDib(r, 48, canvas, 64);
        const double h = r.i32(44);
        double ySrc = r.i32(36);
        if (bottomUp(r, 48)) {
            ySrc = image.height() - (ySrc + h);
        }
        canvas.stretchImage(QRectF(r.i32(24), r.i32(28), r.i32(72), r.i32(76)), image,
                            QRectF(r.i32(32), ySrc, r.i32(40), h), r.u32(68));
        break;
    }
    case EMR_ALPHABLEND:       // AlphaBlend
    case EMR_TRANSPARENTBLT: { // TransparentBlt
        if (!r.has(8, 100)) {
            return false;
        }
        const std::uint32_t blend = r.u32(40);
        QImage image =
            recordDib(r, 84, canvas, 80, type == EMR_ALPHABLEND && ((blend >> 24) & 0xFF) == kAcSrcAlpha);
        double opacity = 1.0;
        if (type == EMR_ALPHABLEND) {
            opacity = ((blend >> 16) & 0xFF) / 255.0;
        } else if (!image.isNull()) {
            // The colour given in place of the blend function is left out.
            image = image.convertToFormat(QImage::Format_ARGB32);
            const QRgb key = MetafileCanvas::colourRef(blend).rgb() & 0xFFFFFF;
            for (int y = 0; y < image.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = 0; x < image.width(); ++x) {
                    if ((line[x] & 0xFFFFFF) == key) {
                        line[x] = 0;
                    }
                }
            }
        }
        canvas.stretchImage(QRectF(r.i32(24), r.i32(28), r.i32(32), r.i32(36)), image,
                            QRectF(r.i32(44), r.i32(48), r.i32(100), r.i32(104)), gdi::SRCCOPY, opacity);
        break;
    }
    default:
        return std::nullopt;
    }
    return true;
}

} // namespace velmoa::emf
