#include "formats/metafile/WmfPlayer.h"

#include "formats/metafile/EmfPlayer.h"
#include "formats/metafile/MetafileDib.h"
#include "formats/metafile/MetafileReader.h"
#include "formats/metafile/MetafileText.h"
#include "formats/metafile/WmfBitmapRecords.h"
#include "formats/metafile/WmfEmbeddedEmf.h"

#include <algorithm>
#include <cmath>

namespace velmoa {
namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kPlaceableSize = 22;
constexpr std::size_t kStandardHeaderSize = 18;
constexpr std::size_t kMaxRecords = 1'000'000;
constexpr std::size_t kMaxRegionRects = 20000;

QPointF pointAt(MetafileReader& r, std::size_t at) {
    return QPointF(r.i16(at), r.i16(at + 2));
}
// Most records give coordinates last-first: y before x, bottom-right before top-left.
QPointF yxAt(MetafileReader& r, std::size_t at) {
    return QPointF(r.i16(at + 2), r.i16(at));
}
QRectF rectBrtl(MetafileReader& r, std::size_t at) {
    const double bottom = r.i16(at), right = r.i16(at + 2), top = r.i16(at + 4), left = r.i16(at + 6);
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

bool readPoints(MetafileReader& r, std::size_t at, std::size_t count, std::vector<QPointF>& out) {
    if (!r.has(at, count * 4)) {
        return false;
    }
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        out.push_back(pointAt(r, at + i * 4));
    }
    return true;
}

MetafileCanvas::Region readRegion(MetafileReader& r) {
    MetafileCanvas::Region region;
    region.logical = true;
    const int scans = r.i16(10);
    std::size_t at = 22;
    std::size_t rects = 0;
    for (int s = 0; s < scans && r.has(at, 6) && rects < kMaxRegionRects; ++s) {
        const std::size_t count = r.u16(at);
        const double top = r.i16(at + 2);
        const double bottom = r.i16(at + 4);
        std::size_t x = at + 6;
        for (std::size_t k = 0; k + 1 < count && r.has(x, 4) && rects < kMaxRegionRects;
             k += 2, x += 4, ++rects) {
            region.path.addRect(QRectF(QPointF(r.i16(x), top), QPointF(r.i16(x + 2), bottom)).normalized());
        }
        at += 6 + (count / 2) * 4 + 2;
    }
    if (region.path.isEmpty() && r.has(14, 8)) {
        // No scans: the bounding box stands for the region.
        region.path.addRect(
            QRectF(QPointF(r.i16(14), r.i16(16)), QPointF(r.i16(18), r.i16(20))).normalized());
    }
    region.path.setFillRule(Qt::WindingFill);
    return region;
}

// Per-character advances from the per-byte advances of a text record.
std::vector<double> charAdvances(std::string_view text, int charset, MetafileReader& r, std::size_t at,
                                 qsizetype decodedLength) {
    std::vector<double> dx;
    if (!r.has(at, text.size() * 2)) {
        return dx;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        double advance = r.i16(at + i * 2);
        const bool lead =
            (charset == 128 && ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC))) ||
            ((charset == 129 || charset == 134 || charset == 136) && byte >= 0x81 && byte <= 0xFE);
        if (lead && i + 1 < text.size()) {
            ++i;
            advance += r.i16(at + i * 2);
        }
        dx.push_back(advance);
    }
    if (static_cast<qsizetype>(dx.size()) != decodedLength) {
        dx.clear();
    }
    return dx;
}

} // namespace

std::optional<WmfPlayer::Header> WmfPlayer::readHeader(std::string_view bytes) {
    MetafileReader r(bytes);
    if (r.u32(0) != kPlaceableKey || !r.has(0, kPlaceableSize + kStandardHeaderSize)) {
        return std::nullopt;
    }
    std::uint16_t checksum = 0;
    for (std::size_t i = 0; i < 10; ++i) {
        checksum ^= r.u16(i * 2);
    }
    if (checksum != r.u16(20)) {
        return std::nullopt;
    }
    Header h;
    h.left = r.i16(6);
    h.top = r.i16(8);
    h.right = r.i16(10);
    h.bottom = r.i16(12);
    h.unitsPerInch = r.u16(14);
    if (h.right == h.left || h.bottom == h.top) {
        return std::nullopt;
    }
    // The standard header: memory (1) or disk (2) metafile, nine words long, Windows 2 or 3.
    const std::size_t at = kPlaceableSize;
    const std::uint16_t type = r.u16(at);
    const std::uint16_t words = r.u16(at + 2);
    const std::uint16_t version = r.u16(at + 4);
    if ((type != 1 && type != 2) || words != 9 || (version != 0x0100 && version != 0x0300)) {
        return std::nullopt;
    }
    h.objects = r.u16(at + 10);
    h.firstRecord = at + kStandardHeaderSize;
    // The first record must be whole.
    const std::uint32_t firstWords = r.u32(h.firstRecord);
    if (!r.ok() || firstWords < 3 || firstWords > (bytes.size() - h.firstRecord) / 2) {
        return std::nullopt;
    }
    return h;
}

bool WmfPlayer::play(QPainter& painter, const QRectF& target) const {
    // Office programs keep the picture's enhanced form beside the old records; it is the
    // finer of the two (transparency, gradients, exact text).
    if (const auto embedded = embeddedEnhancedMetafile(bytes_.substr(header_.firstRecord))) {
        if (const auto header = EmfPlayer::readHeader(*embedded)) {
            return EmfPlayer(*embedded, *header).play(painter, target);
        }
    }
    const double width = header_.right - header_.left;
    const double height = header_.bottom - header_.top;
    // The device space is the bounding box's units with the box at the origin; it is
    // stretched onto the target.
    const QTransform deviceToTarget(target.width() / std::abs(width), 0, 0,
                                    target.height() / std::abs(height), target.x(), target.y());
    const double unitsPerInch = header_.unitsPerInch == 0 ? 96.0 : header_.unitsPerInch;
    MetafileCanvas canvas(painter, target, deviceToTarget, QSizeF(unitsPerInch / 25.4, unitsPerInch / 25.4));
    canvas.setObjectTableSize(header_.objects);
    // Played as a picture placed with its bounding box: the window is the box until the
    // file sets its own, and it always fills the viewport.
    canvas.setMapMode(8);
    canvas.setWindowOrg(
        QPointF(std::min(header_.left, header_.right), std::min(header_.top, header_.bottom)));
    canvas.setWindowExt(QSizeF(std::abs(width), std::abs(height)));
    canvas.setViewportExt(QSizeF(std::abs(width), std::abs(height)));

    std::size_t at = header_.firstRecord;
    for (std::size_t count = 0; at < bytes_.size() && count < kMaxRecords; ++count) {
        if (canvas.exhausted()) {
            return false;
        }
        MetafileReader head(bytes_.substr(at));
        const std::uint32_t words = head.u32(0);
        const std::uint16_t function = head.u16(4);
        if (!head.ok() || words < 3 || words > (bytes_.size() - at) / 2) {
            return false;
        }
        if (function == 0) {
            return true;
        }
        MetafileReader params(bytes_.substr(at + 6, std::size_t{words} * 2 - 6));
        if (!playRecord(canvas, function, params)) {
            return false;
        }
        at += std::size_t{words} * 2;
    }
    return true;
}

bool WmfPlayer::playRecord(MetafileCanvas& canvas, std::uint16_t function, MetafileReader& r) const {
    const std::size_t size = r.size();
    switch (function) {
    case 0x001E:
        canvas.saveDc();
        break;
    case 0x0127:
        canvas.restoreDc(r.i16(0));
        break;
    case 0x0103:
        canvas.setMapMode(r.u16(0));
        break;
    case 0x020B:
        canvas.setWindowOrg(yxAt(r, 0));
        break;
    case 0x020C: {
        const QPointF ext = yxAt(r, 0);
        canvas.setWindowExt(QSizeF(ext.x(), ext.y()));
        break;
    }
    case 0x020D:
        canvas.setViewportOrg(yxAt(r, 0));
        break;
    case 0x020E: {
        const QPointF ext = yxAt(r, 0);
        canvas.setViewportExt(QSizeF(ext.x(), ext.y()));
        break;
    }
    case 0x020F:
        canvas.offsetWindowOrg(yxAt(r, 0));
        break;
    case 0x0211:
        canvas.offsetViewportOrg(yxAt(r, 0));
        break;
    case 0x0410:
        canvas.scaleWindowExt(r.i16(6), r.i16(4), r.i16(2), r.i16(0));
        break;
    case 0x0412:
        canvas.scaleViewportExt(r.i16(6), r.i16(4), r.i16(2), r.i16(0));
        break;
    case 0x0201:
        canvas.setBkColor(canvas.colour(r.u32(0)));
        break;
    case 0x0209:
        canvas.setTextColor(canvas.colour(r.u32(0)));
        break;
    case 0x0102:
        canvas.setBkMode(r.u16(0));
        break;
    case 0x012E:
        canvas.setTextAlign(r.u16(0));
        break;
    case 0x0106:
        canvas.setPolyFillMode(r.u16(0));
        break;
    case 0x0104:
        canvas.setRop2(r.u16(0));
        break;
    case 0x0107:
        canvas.setStretchBltMode(r.u16(0));
        break;

    case 0x02FA: { // CreatePenIndirect
        MetafileCanvas::Pen pen{r.u16(0), static_cast<double>(std::abs(r.i16(2))), canvas.colour(r.u32(6))};
        if (!r.ok()) {
            return false;
        }
        canvas.addObject(pen);
        break;
    }
    case 0x02FC: { // CreateBrushIndirect
        const std::uint16_t style = r.u16(0);
        MetafileCanvas::Brush brush;
        brush.color = canvas.colour(r.u32(2));
        brush.hatch = r.u16(6);
        brush.kind = style == 1   ? MetafileCanvas::Brush::Kind::Null
                     : style == 2 ? MetafileCanvas::Brush::Kind::Hatched
                                  : MetafileCanvas::Brush::Kind::Solid;
        if (!r.ok()) {
            return false;
        }
        canvas.addObject(brush);
        break;
    }
    case 0x0142: { // DIBCreatePatternBrush
        MetafileCanvas::Brush brush;
        brush.kind = MetafileCanvas::Brush::Kind::Pattern;
        brush.pattern = decodePackedMetafileDib(r.all().substr(std::min<std::size_t>(4, size)),
                                                r.u16(2) == 1 ? &canvas.palette() : nullptr);
        canvas.addObject(brush);
        break;
    }
    case 0x02FB: { // CreateFontIndirect
        MetafileCanvas::Font font;
        font.height = r.i16(0);
        font.width = r.i16(2);
        font.escapement = r.i16(4);
        font.weight = r.i16(8);
        font.italic = r.u8(10) != 0;
        font.underline = r.u8(11) != 0;
        font.strikeOut = r.u8(12) != 0;
        font.charset = r.u8(13);
        if (!r.ok()) {
            return false;
        }
        std::string_view face = r.all().substr(std::min<std::size_t>(18, size));
        face = face.substr(0, std::min<std::size_t>(32, face.find('\0')));
        font.face = decodeMetafileText(face, font.charset);
        canvas.addObject(font);
        break;
    }
    case 0x00F7: { // CreatePalette
        MetafileCanvas::Palette palette;
        const std::size_t count = std::min<std::size_t>(r.u16(2), (size >= 4 ? size - 4 : 0) / 4);
        for (std::size_t i = 0; i < count; ++i) {
            palette.colours.push_back(qRgb(r.u8(4 + i * 4), r.u8(5 + i * 4), r.u8(6 + i * 4)));
        }
        canvas.addObject(palette);
        break;
    }
    case 0x0234: { // SelectPalette
        const auto* object = canvas.object(r.u16(0));
        canvas.selectPalette(object ? std::get_if<MetafileCanvas::Palette>(object) : nullptr);
        break;
    }
    case 0x01F9: // CreatePatternBrush (device-dependent bitmap)
    case 0x06FE: // CreateBitmap
    case 0x02FD: // CreateBitmapIndirect
        // Objects we do not draw with still take their slot, or later indexes would shift.
        canvas.addObject(function == 0x01F9 ? MetafileCanvas::Object(MetafileCanvas::Brush{
                                                  MetafileCanvas::Brush::Kind::Solid, Qt::gray, 0, {}})
                                            : MetafileCanvas::Object(MetafileCanvas::Palette{}));
        break;
    case 0x06FF: // CreateRegion
        canvas.addObject(readRegion(r));
        break;
    case 0x012D: // SelectObject
        canvas.selectObject(r.u16(0));
        break;
    case 0x01F0: // DeleteObject
        canvas.deleteObject(r.u16(0));
        break;

    case 0x0214:
        canvas.moveTo(yxAt(r, 0));
        break;
    case 0x0213:
        if (!r.has(0, 4)) {
            return false;
        }
        canvas.lineTo(yxAt(r, 0));
        break;
    case 0x0325:   // Polyline
    case 0x0324: { // Polygon
        std::vector<QPointF> points;
        if (!readPoints(r, 2, r.u16(0), points)) {
            return false;
        }
        if (function == 0x0325) {
            canvas.polyline(points);
        } else {
            canvas.polygon(points);
        }
        break;
    }
    case 0x0538: { // PolyPolygon
        const std::size_t polygons = r.u16(0);
        if (!r.has(2, polygons * 2)) {
            return false;
        }
        std::size_t at = 2 + polygons * 2;
        std::vector<std::vector<QPointF>> all(polygons);
        for (std::size_t i = 0; i < polygons; ++i) {
            const std::size_t count = r.u16(2 + i * 2);
            if (!readPoints(r, at, count, all[i])) {
                return false;
            }
            at += count * 4;
        }
        canvas.polyPolygon(all);
        break;
    }
    case 0x041B:
    case 0x0418:
        if (!r.has(0, 8)) {
            return false;
        }
        if (function == 0x041B) {
            canvas.rectangle(rectBrtl(r, 0));
        } else {
            canvas.ellipse(rectBrtl(r, 0));
        }
        break;
    case 0x061C: { // RoundRect
        if (!r.has(0, 12)) {
            return false;
        }
        canvas.roundRect(rectBrtl(r, 4), QSizeF(r.i16(2), r.i16(0)));
        break;
    }
    case 0x0817:
    case 0x0830:
    case 0x081A: { // Arc, Chord, Pie
        if (!r.has(0, 16)) {
            return false;
        }
        const auto kind = function == 0x0817   ? MetafileCanvas::ArcKind::Arc
                          : function == 0x0830 ? MetafileCanvas::ArcKind::Chord
                                               : MetafileCanvas::ArcKind::Pie;
        canvas.arc(rectBrtl(r, 8), yxAt(r, 4), yxAt(r, 0), kind);
        break;
    }
    case 0x041F: // SetPixel
        if (!r.has(0, 8)) {
            return false;
        }
        canvas.setPixel(yxAt(r, 4), canvas.colour(r.u32(0)));
        break;

    case 0x0521: { // TextOut
        const std::size_t length = r.u16(0);
        const std::size_t padded = (length + 1) & ~std::size_t{1};
        if (!r.has(2, padded + 4)) {
            return false;
        }
        const std::string_view text = r.bytes(2, length);
        canvas.textOut(yxAt(r, 2 + padded), decodeMetafileText(text, canvas.currentFont().charset), {}, 0,
                       {});
        break;
    }
    case 0x0A32: { // ExtTextOut
        const QPointF at = yxAt(r, 0);
        const std::size_t length = r.u16(4);
        const std::uint16_t options = r.u16(6);
        std::size_t textAt = 8;
        std::optional<QRectF> rect;
        if (options & 6) {
            rect = QRectF(QPointF(r.i16(8), r.i16(10)), QPointF(r.i16(12), r.i16(14)));
            textAt = 16;
        }
        if (!r.ok() || !r.has(textAt, length)) {
            return false;
        }
        const std::string_view text = r.bytes(textAt, length);
        const int charset = canvas.currentFont().charset;
        const QString decoded = decodeMetafileText(text, charset);
        const std::size_t dxAt = textAt + ((length + 1) & ~std::size_t{1});
        canvas.textOut(at, decoded, charAdvances(text, charset, r, dxAt, decoded.size()), options, rect);
        break;
    }

    case 0x0416:
    case 0x0415:
        if (!r.has(0, 8)) {
            return false;
        }
        if (function == 0x0416) {
            canvas.intersectClipRect(rectBrtl(r, 0));
        } else {
            canvas.excludeClipRect(rectBrtl(r, 0));
        }
        break;
    case 0x0220:
        canvas.offsetClip(yxAt(r, 0));
        break;
    case 0x012C: { // SelectClipRegion
        const auto* object = canvas.object(r.u16(0));
        const auto* region = object ? std::get_if<MetafileCanvas::Region>(object) : nullptr;
        canvas.selectClipRegion(region, 5);
        break;
    }
    case 0x0228:   // FillRegion
    case 0x0429: { // FrameRegion
        const auto* regionObject = canvas.object(r.u16(0));
        const auto* brushObject = canvas.object(r.u16(2));
        const auto* region = regionObject ? std::get_if<MetafileCanvas::Region>(regionObject) : nullptr;
        const auto* brush = brushObject ? std::get_if<MetafileCanvas::Brush>(brushObject) : nullptr;
        if (region && brush) {
            if (function == 0x0228) {
                canvas.fillRegion(*region, *brush);
            } else {
                canvas.frameRegion(*region, *brush, QSizeF(r.i16(6), r.i16(4)));
            }
        }
        break;
    }
    case 0x012B:   // PaintRegion
    case 0x012A: { // InvertRegion
        const auto* object = canvas.object(r.u16(0));
        if (const auto* region = object ? std::get_if<MetafileCanvas::Region>(object) : nullptr) {
            if (function == 0x012B) {
                canvas.fillRegion(*region, canvas.currentBrush());
            } else {
                canvas.invertRegion(*region);
            }
        }
        break;
    }

    default:
        // Bitmaps and blocks; escapes, palette changes and other records that do not change
        // the drawing are passed over.
        return wmf::playBitmapRecord(canvas, function, r).value_or(true);
    }
    return true;
}

} // namespace velmoa
