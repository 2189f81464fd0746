#include "formats/metafile/EmfPlayer.h"

#include "formats/metafile/MetafileDib.h"
#include "formats/metafile/MetafileReader.h"
#include "formats/metafile/MetafileText.h"

#include <QLinearGradient>
#include <algorithm>
#include <cmath>

namespace velmoa {
namespace {

constexpr std::uint32_t kSignature = 0x464D4520; // " EMF"
constexpr std::size_t kHeaderMinimum = 88;
constexpr std::size_t kMaxRecords = 1'000'000;
constexpr std::uint32_t kMaxRegionRects = 20000;

QColor colourRef(std::uint32_t v) {
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}
QPointF point32(MetafileReader& r, std::size_t at) {
    return QPointF(r.i32(at), r.i32(at + 4));
}
QRectF rect32(MetafileReader& r, std::size_t at) {
    return QRectF(QPointF(r.i32(at), r.i32(at + 4)), QPointF(r.i32(at + 8), r.i32(at + 12)));
}

bool readPoints(MetafileReader& r, std::size_t at, std::size_t count, bool small, std::vector<QPointF>& out) {
    const std::size_t each = small ? 4 : 8;
    if (count > r.size() / each || !r.has(at, count * each)) {
        return false;
    }
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t p = at + i * each;
        out.push_back(small ? QPointF(r.i16(p), r.i16(p + 2)) : point32(r, p));
    }
    return true;
}

// A bitmap carried inside a record at the offsets the record gives.
QImage recordDib(MetafileReader& r, std::size_t infoOffsetAt, const MetafileCanvas& canvas,
                 std::size_t usageAt, bool keepAlpha = false) {
    const std::uint32_t offInfo = r.u32(infoOffsetAt);
    const std::uint32_t sizeInfo = r.u32(infoOffsetAt + 4);
    const std::uint32_t offBits = r.u32(infoOffsetAt + 8);
    const std::uint32_t sizeBits = r.u32(infoOffsetAt + 12);
    if (!r.ok() || sizeInfo == 0 || !r.has(offInfo, sizeInfo) || !r.has(offBits, sizeBits)) {
        return {};
    }
    const bool indexed = r.u32(usageAt) == 1; // DIB_PAL_COLORS
    return decodeMetafileDib(r.bytes(offInfo, sizeInfo), r.bytes(offBits, sizeBits), keepAlpha,
                             indexed ? &canvas.palette() : nullptr);
}

bool bottomUp(MetafileReader& r, std::size_t infoOffsetAt) {
    const std::uint32_t offInfo = r.u32(infoOffsetAt);
    return r.u32(offInfo) == 12 || r.i32(offInfo + 8) > 0;
}

MetafileCanvas::Region readRegion(MetafileReader& r, std::size_t at, std::size_t size) {
    MetafileCanvas::Region region;
    if (size < 32 || !r.has(at, size)) {
        return region;
    }
    const std::uint32_t count = std::min<std::uint32_t>(r.u32(at + 8), kMaxRegionRects);
    for (std::uint32_t i = 0; i < count && r.has(at + 32 + i * 16, 16) && 32 + (i + 1) * 16 <= size; ++i) {
        region.path.addRect(rect32(r, at + 32 + i * 16).normalized());
    }
    region.path.setFillRule(Qt::WindingFill);
    return region;
}

QTransform xform(MetafileReader& r, std::size_t at) {
    return QTransform(r.f32(at), r.f32(at + 4), r.f32(at + 8), r.f32(at + 12), r.f32(at + 16),
                      r.f32(at + 20));
}

bool finite(const QTransform& t) {
    const double values[] = {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()};
    return std::all_of(std::begin(values), std::end(values), [](double v) { return std::isfinite(v); });
}

} // namespace

std::optional<EmfPlayer::Header> EmfPlayer::readHeader(std::string_view bytes) {
    MetafileReader r(bytes);
    const std::uint32_t type = r.u32(0);
    const std::uint32_t size = r.u32(4);
    if (!r.ok() || type != 1 || size < kHeaderMinimum || size > bytes.size() || r.u32(40) != kSignature) {
        return std::nullopt;
    }
    Header h;
    h.frameLeft = r.i32(24);
    h.frameTop = r.i32(28);
    h.frameRight = r.i32(32);
    h.frameBottom = r.i32(36);
    h.handles = r.u16(56);
    h.devicePixelsX = r.i32(72);
    h.devicePixelsY = r.i32(76);
    h.deviceMillimetresX = r.i32(80);
    h.deviceMillimetresY = r.i32(84);
    if (!r.ok() || h.devicePixelsX <= 0 || h.devicePixelsY <= 0 || h.deviceMillimetresX <= 0 ||
        h.deviceMillimetresY <= 0 || h.frameRight < h.frameLeft || h.frameBottom < h.frameTop) {
        return std::nullopt;
    }
    return h;
}

bool EmfPlayer::play(QPainter& painter, const QRectF& target) const {
    const QSizeF perMm(double(header_.devicePixelsX) / header_.deviceMillimetresX,
                       double(header_.devicePixelsY) / header_.deviceMillimetresY);
    // The frame (inclusive, in hundredths of a millimetre) in device pixels fills the target.
    const QRectF frame(header_.frameLeft / 100.0 * perMm.width(), header_.frameTop / 100.0 * perMm.height(),
                       (header_.frameRight - header_.frameLeft + 1) / 100.0 * perMm.width(),
                       (header_.frameBottom - header_.frameTop + 1) / 100.0 * perMm.height());
    const double sx = target.width() / frame.width();
    const double sy = target.height() / frame.height();
    const QTransform deviceToTarget(sx, 0, 0, sy, target.x() - frame.x() * sx, target.y() - frame.y() * sy);
    MetafileCanvas canvas(painter, target, deviceToTarget, perMm);
    canvas.setObjectTableSize(header_.handles);

    std::size_t at = 0;
    for (std::size_t count = 0; at < bytes_.size() && count < kMaxRecords; ++count) {
        if (canvas.exhausted()) {
            return false;
        }
        MetafileReader head(bytes_.substr(at));
        const std::uint32_t type = head.u32(0);
        const std::uint32_t size = head.u32(4);
        if (!head.ok() || size < 8 || size > bytes_.size() - at) {
            return false;
        }
        if (type == 14) { // EOF
            return true;
        }
        MetafileReader record(bytes_.substr(at, size));
        if (at > 0 && !playRecord(canvas, type, record)) {
            return false;
        }
        at += size;
    }
    return true;
}

bool EmfPlayer::playRecord(MetafileCanvas& canvas, std::uint32_t type, MetafileReader& r) const {
    using ArcKind = MetafileCanvas::ArcKind;
    switch (type) {
    case 2:  // PolyBezier
    case 3:  // Polygon
    case 4:  // Polyline
    case 5:  // PolyBezierTo
    case 6:  // PolylineTo
    case 85: // the same five with 16-bit points
    case 86:
    case 87:
    case 88:
    case 89: {
        const bool small = type >= 85;
        const std::uint32_t kind = small ? type - 83 : type;
        std::vector<QPointF> points;
        if (!readPoints(r, 28, r.u32(24), small, points)) {
            return false;
        }
        switch (kind) {
        case 2:
            canvas.polyBezier(points);
            break;
        case 3:
            canvas.polygon(points);
            break;
        case 4:
            canvas.polyline(points);
            break;
        case 5:
            canvas.polyBezierTo(points);
            break;
        default:
            canvas.polylineTo(points);
            break;
        }
        break;
    }
    case 7:  // PolyPolyline
    case 8:  // PolyPolygon
    case 90: // 16-bit forms
    case 91: {
        const bool small = type >= 90;
        const std::uint32_t polys = r.u32(24);
        const std::uint32_t total = r.u32(28);
        if (!r.ok() || polys > r.size() / 4 || !r.has(32, std::size_t{polys} * 4)) {
            return false;
        }
        std::size_t at = 32 + std::size_t{polys} * 4;
        std::vector<std::vector<QPointF>> all(polys);
        std::size_t used = 0;
        for (std::uint32_t i = 0; i < polys; ++i) {
            const std::uint32_t count = r.u32(32 + std::size_t{i} * 4);
            used += count;
            if (used > total || !readPoints(r, at, count, small, all[i])) {
                return false;
            }
            at += std::size_t{count} * (small ? 4 : 8);
        }
        if (type == 7 || type == 90) {
            canvas.polyPolyline(all);
        } else {
            canvas.polyPolygon(all);
        }
        break;
    }
    case 9:
        canvas.setWindowExt(QSizeF(r.i32(8), r.i32(12)));
        break;
    case 10:
        canvas.setWindowOrg(point32(r, 8));
        break;
    case 11:
        canvas.setViewportExt(QSizeF(r.i32(8), r.i32(12)));
        break;
    case 12:
        canvas.setViewportOrg(point32(r, 8));
        break;
    case 15:
        canvas.setPixel(point32(r, 8), canvas.colour(r.u32(16)));
        break;
    case 17:
        canvas.setMapMode(static_cast<int>(r.u32(8)));
        break;
    case 18:
        canvas.setBkMode(static_cast<int>(r.u32(8)));
        break;
    case 19:
        canvas.setPolyFillMode(static_cast<int>(r.u32(8)));
        break;
    case 20:
        canvas.setRop2(static_cast<int>(r.u32(8)));
        break;
    case 21:
        canvas.setStretchBltMode(static_cast<int>(r.u32(8)));
        break;
    case 22:
        canvas.setTextAlign(r.u32(8));
        break;
    case 24:
        canvas.setTextColor(canvas.colour(r.u32(8)));
        break;
    case 25:
        canvas.setBkColor(canvas.colour(r.u32(8)));
        break;
    case 26:
        canvas.offsetClip(point32(r, 8));
        break;
    case 27:
        canvas.moveTo(point32(r, 8));
        break;
    case 29:
    case 30:
        if (!r.has(8, 16)) {
            return false;
        }
        if (type == 29) {
            canvas.excludeClipRect(rect32(r, 8));
        } else {
            canvas.intersectClipRect(rect32(r, 8));
        }
        break;
    case 31:
        canvas.scaleViewportExt(r.i32(8), r.i32(12), r.i32(16), r.i32(20));
        break;
    case 32:
        canvas.scaleWindowExt(r.i32(8), r.i32(12), r.i32(16), r.i32(20));
        break;
    case 33:
        canvas.saveDc();
        break;
    case 34:
        canvas.restoreDc(r.i32(8));
        break;
    case 35:
    case 36: {
        const QTransform t = xform(r, 8);
        if (!r.ok() || !finite(t)) {
            return false;
        }
        if (type == 35) {
            canvas.setWorldTransform(t);
        } else {
            canvas.modifyWorldTransform(t, static_cast<int>(r.u32(32)));
        }
        break;
    }
    case 37: { // SelectObject
        const std::uint32_t index = r.u32(8);
        if (index & 0x80000000) {
            canvas.selectStockObject(index);
        } else {
            canvas.selectObject(index);
        }
        break;
    }
    case 38: { // CreatePen
        MetafileCanvas::Pen pen{r.u32(12), static_cast<double>(std::abs(r.i32(16))),
                                canvas.colour(r.u32(24))};
        if (!r.ok()) {
            return false;
        }
        canvas.setObject(r.u32(8), pen);
        break;
    }
    case 95: { // ExtCreatePen
        const std::uint32_t style = r.u32(28);
        MetafileCanvas::Pen pen{style, (style & 0x10000) ? static_cast<double>(r.u32(32)) : 0.0,
                                canvas.colour(r.u32(40))};
        if (r.u32(36) == 1) { // a hollow brush draws nothing
            pen.style = 5;
        }
        if (!r.ok()) {
            return false;
        }
        canvas.setObject(r.u32(8), pen);
        break;
    }
    case 39: { // CreateBrushIndirect
        const std::uint32_t style = r.u32(12);
        MetafileCanvas::Brush brush;
        brush.color = canvas.colour(r.u32(16));
        brush.hatch = static_cast<int>(r.u32(20));
        brush.kind = style == 1   ? MetafileCanvas::Brush::Kind::Null
                     : style == 2 ? MetafileCanvas::Brush::Kind::Hatched
                                  : MetafileCanvas::Brush::Kind::Solid;
        if (!r.ok()) {
            return false;
        }
        canvas.setObject(r.u32(8), brush);
        break;
    }
    case 93:   // CreateMonoBrush
    case 94: { // CreateDIBPatternBrushPt
        MetafileCanvas::Brush brush;
        brush.kind = MetafileCanvas::Brush::Kind::Pattern;
        brush.pattern = recordDib(r, 16, canvas, 12);
        canvas.setObject(r.u32(8), brush);
        break;
    }
    case 82: { // ExtCreateFontIndirectW
        MetafileCanvas::Font font;
        font.height = r.i32(12);
        font.width = r.i32(16);
        font.escapement = r.i32(20);
        font.weight = r.i32(28);
        font.italic = r.u8(32) != 0;
        font.underline = r.u8(33) != 0;
        font.strikeOut = r.u8(34) != 0;
        font.charset = r.u8(35);
        if (!r.ok()) {
            return false;
        }
        for (std::size_t i = 0; i < 32 && r.has(40 + i * 2, 2); ++i) {
            const char16_t c = r.u16(40 + i * 2);
            if (c == 0) {
                break;
            }
            font.face.append(QChar(c));
        }
        canvas.setObject(r.u32(8), font);
        break;
    }
    case 49: { // CreatePalette
        MetafileCanvas::Palette palette;
        const std::size_t count = std::min<std::size_t>(r.u16(14), (r.size() >= 16 ? r.size() - 16 : 0) / 4);
        for (std::size_t i = 0; i < count; ++i) {
            palette.colours.push_back(qRgb(r.u8(16 + i * 4), r.u8(17 + i * 4), r.u8(18 + i * 4)));
        }
        canvas.setObject(r.u32(8), palette);
        break;
    }
    case 48: { // SelectPalette; the stock default palette clears it
        const auto* object = canvas.object(r.u32(8));
        canvas.selectPalette(object ? std::get_if<MetafileCanvas::Palette>(object) : nullptr);
        break;
    }
    case 40:
        canvas.deleteObject(r.u32(8));
        break;
    case 41: { // AngleArc
        canvas.angleArc(point32(r, 8), r.u32(16), r.f32(20), r.f32(24));
        break;
    }
    case 42:
    case 43:
        if (!r.has(8, 16)) {
            return false;
        }
        if (type == 42) {
            canvas.ellipse(rect32(r, 8));
        } else {
            canvas.rectangle(rect32(r, 8));
        }
        break;
    case 44:
        if (!r.has(8, 24)) {
            return false;
        }
        canvas.roundRect(rect32(r, 8), QSizeF(r.i32(24), r.i32(28)));
        break;
    case 45:
    case 46:
    case 47:
    case 55: {
        if (!r.has(8, 32)) {
            return false;
        }
        const ArcKind kind = type == 45   ? ArcKind::Arc
                             : type == 46 ? ArcKind::Chord
                             : type == 47 ? ArcKind::Pie
                                          : ArcKind::ArcTo;
        canvas.arc(rect32(r, 8), point32(r, 24), point32(r, 32), kind);
        break;
    }
    case 54:
        if (!r.has(8, 8)) {
            return false;
        }
        canvas.lineTo(point32(r, 8));
        break;
    case 57:
        canvas.setArcDirection(static_cast<int>(r.u32(8)));
        break;
    case 58: {
        const float limit = r.f32(8);
        if (std::isfinite(limit) && limit > 0 && limit < 1000) {
            canvas.setMiterLimit(limit);
        }
        break;
    }
    case 59:
        canvas.beginPath();
        break;
    case 60:
        canvas.endPath();
        break;
    case 61:
        canvas.closeFigure();
        break;
    case 62:
        canvas.fillPath();
        break;
    case 63:
        canvas.strokeAndFillPath();
        break;
    case 64:
        canvas.strokePath();
        break;
    case 67:
        canvas.selectClipPath(static_cast<int>(r.u32(8)));
        break;
    case 68:
        canvas.abortPath();
        break;
    case 71:   // FillRgn
    case 72: { // FrameRgn
        const std::size_t dataAt = type == 71 ? 32 : 40;
        const std::uint32_t index = r.u32(28);
        const auto* object = canvas.object(index);
        const auto stock = (index & 0x80000000) ? MetafileCanvas::stockBrush(index) : std::nullopt;
        const auto* brush = stock ? &*stock : object ? std::get_if<MetafileCanvas::Brush>(object) : nullptr;
        const MetafileCanvas::Region region = readRegion(r, dataAt, r.u32(24));
        if (brush) {
            if (type == 71) {
                canvas.fillRegion(region, *brush);
            } else {
                canvas.frameRegion(region, *brush, QSizeF(r.i32(32), r.i32(36)));
            }
        }
        break;
    }
    case 73:   // InvertRgn
    case 74: { // PaintRgn
        const MetafileCanvas::Region region = readRegion(r, 28, r.u32(24));
        if (type == 73) {
            canvas.invertRegion(region);
        } else {
            canvas.fillRegion(region, canvas.currentBrush());
        }
        break;
    }
    case 75: { // ExtSelectClipRgn
        const std::uint32_t size = r.u32(8);
        const int mode = static_cast<int>(r.u32(12));
        if (size == 0) {
            canvas.selectClipRegion(nullptr, mode);
        } else {
            const MetafileCanvas::Region region = readRegion(r, 16, size);
            canvas.selectClipRegion(&region, mode);
        }
        break;
    }
    case 76:   // BitBlt
    case 77: { // StretchBlt
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
        const QSizeF source = type == 77 ? QSizeF(r.i32(100), r.i32(104)) : dest.size();
        canvas.stretchImage(dest, image, QRectF(QPointF(r.i32(44), r.i32(48)), source), rop);
        break;
    }
    case 80: { // SetDIBitsToDevice
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
                            0x00CC0020);
        break;
    }
    case 81: { // StretchDIBits
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
    case 114:   // AlphaBlend
    case 116: { // TransparentBlt
        if (!r.has(8, 100)) {
            return false;
        }
        const std::uint32_t blend = r.u32(40);
        QImage image = recordDib(r, 84, canvas, 80, type == 114 && ((blend >> 24) & 0xFF) == 1);
        double opacity = 1.0;
        if (type == 114) {
            opacity = ((blend >> 16) & 0xFF) / 255.0;
        } else if (!image.isNull()) {
            // The colour given in place of the blend function is left out.
            image = image.convertToFormat(QImage::Format_ARGB32);
            const QRgb key = colourRef(blend).rgb() & 0xFFFFFF;
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
                            QRectF(r.i32(44), r.i32(48), r.i32(100), r.i32(104)), 0x00CC0020, opacity);
        break;
    }
    case 56:   // PolyDraw
    case 92: { // PolyDraw16
        const bool small = type == 92;
        const std::uint32_t count = r.u32(24);
        std::vector<QPointF> points;
        if (!readPoints(r, 28, count, small, points)) {
            return false;
        }
        const std::size_t typesAt = 28 + std::size_t{count} * (small ? 4 : 8);
        const std::string_view types = r.bytes(typesAt, count);
        if (!r.ok()) {
            return false;
        }
        canvas.polyDraw(points, std::vector<std::uint8_t>(types.begin(), types.end()));
        break;
    }
    case 118: { // GradientFill
        const std::uint32_t vertices = r.u32(24);
        const std::uint32_t shapes = r.u32(28);
        const std::uint32_t mode = r.u32(32);
        const std::size_t shapeSize = mode == 2 ? 12 : 8;
        if (!r.ok() || vertices > r.size() / 16 || shapes > r.size() / shapeSize ||
            !r.has(36, std::size_t{vertices} * 16 + std::size_t{shapes} * shapeSize)) {
            return false;
        }
        const auto vertex = [&](std::uint32_t i) { return point32(r, 36 + std::size_t{i} * 16); };
        // Colours are 16 bits a channel; the high byte is the 8-bit value.
        const auto colour = [&](std::uint32_t i) {
            const std::size_t at = 36 + std::size_t{i} * 16 + 8;
            return QColor(r.u16(at) >> 8, r.u16(at + 2) >> 8, r.u16(at + 4) >> 8);
        };
        const std::size_t shapesAt = 36 + std::size_t{vertices} * 16;
        for (std::uint32_t k = 0; k < shapes; ++k) {
            const std::size_t at = shapesAt + std::size_t{k} * shapeSize;
            const std::uint32_t a = r.u32(at), b = r.u32(at + 4);
            const std::uint32_t c = mode == 2 ? r.u32(at + 8) : 0;
            if (a >= vertices || b >= vertices || c >= vertices) {
                continue;
            }
            QPainterPath path;
            if (mode == 2) {
                // A triangle takes the mean of its corner colours.
                const QColor ca = colour(a), cb = colour(b), cc = colour(c);
                path.moveTo(vertex(a));
                path.lineTo(vertex(b));
                path.lineTo(vertex(c));
                path.closeSubpath();
                canvas.fillLogical(path, QColor((ca.red() + cb.red() + cc.red()) / 3,
                                                (ca.green() + cb.green() + cc.green()) / 3,
                                                (ca.blue() + cb.blue() + cc.blue()) / 3));
            } else {
                const QRectF rect = QRectF(vertex(a), vertex(b)).normalized();
                path.addRect(rect);
                const bool vertical = mode == 1;
                QLinearGradient gradient(rect.topLeft(), vertical ? rect.bottomLeft() : rect.topRight());
                const bool reversed =
                    vertical ? vertex(a).y() > vertex(b).y() : vertex(a).x() > vertex(b).x();
                gradient.setColorAt(0, colour(reversed ? b : a));
                gradient.setColorAt(1, colour(reversed ? a : b));
                canvas.fillLogical(path, gradient);
            }
        }
        break;
    }
    case 108: { // SmallTextOut
        const QPointF reference = point32(r, 8);
        const std::uint32_t chars = r.u32(16);
        const std::uint32_t options = r.u32(20);
        std::size_t textAt = 36;
        std::optional<QRectF> rect;
        if (!(options & 0x100)) { // a clipping or opaque rectangle unless ETO_NO_RECT
            rect = rect32(r, 36);
            textAt = 52;
        }
        const bool narrow = (options & 0x200) != 0; // ETO_SMALL_CHARS: one byte a character
        if (!r.ok() || chars > r.size() || !r.has(textAt, std::size_t{chars} * (narrow ? 1 : 2))) {
            return false;
        }
        QString text;
        for (std::uint32_t i = 0; i < chars; ++i) {
            text.append(QChar(static_cast<char16_t>(narrow ? r.u8(textAt + i) : r.u16(textAt + i * 2))));
        }
        canvas.textOut(reference, text, {}, options & 6, rect);
        break;
    }
    case 83:   // ExtTextOutA
    case 84: { // ExtTextOutW
        if (!r.has(8, 68)) {
            return false;
        }
        const QPointF reference = point32(r, 36);
        const std::uint32_t chars = r.u32(44);
        const std::uint32_t offString = r.u32(48);
        const std::uint32_t options = r.u32(52);
        const QRectF rect = rect32(r, 56);
        const std::uint32_t offDx = r.u32(72);
        const std::size_t charSize = type == 84 ? 2 : 1;
        if (chars > r.size() || !r.has(offString, chars * charSize)) {
            return false;
        }
        QString text;
        if (type == 84) {
            text.reserve(chars);
            for (std::uint32_t i = 0; i < chars; ++i) {
                text.append(QChar(static_cast<char16_t>(r.u16(offString + i * 2))));
            }
        } else {
            text = decodeMetafileText(r.bytes(offString, chars), canvas.currentFont().charset);
        }
        std::vector<double> dx;
        const std::size_t step = (options & 0x2000) ? 8 : 4; // ETO_PDY gives x and y advances
        if (offDx != 0 && r.has(offDx, std::size_t{chars} * step) &&
            static_cast<qsizetype>(chars) == text.size()) {
            for (std::uint32_t i = 0; i < chars; ++i) {
                dx.push_back(r.i32(offDx + i * step));
            }
        }
        if (options & 0x10) { // glyph indexes cannot be shown as text; keep only the background
            text.clear();
        }
        const bool hasRect = rect.width() != 0 || rect.height() != 0;
        canvas.textOut(reference, text, dx, options, hasRect ? std::optional<QRectF>(rect) : std::nullopt);
        break;
    }
    default:
        // Comments (EMF+ among them), palette and colour-management records, and anything
        // unknown do not change the plain drawing.
        break;
    }
    return true;
}

} // namespace velmoa
