#include "formats/metafile/EmfRecords.h"

#include "formats/metafile/MetafileReader.h"
#include "formats/metafile/MetafileText.h"

#include <QLinearGradient>

namespace velmoa::emf {

std::optional<bool> playDrawingRecord(MetafileCanvas& canvas, std::uint32_t type, MetafileReader& r) {
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
    case 15:
        canvas.setPixel(point32(r, 8), canvas.colour(r.u32(16)));
        break;
    case 27:
        canvas.moveTo(point32(r, 8));
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
    case 68:
        canvas.abortPath();
        break;
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
        std::vector<double> dx, dy;
        const bool pdy = (options & 0x2000) != 0; // ETO_PDY gives x and y advances
        const std::size_t step = pdy ? 8 : 4;
        if (offDx != 0 && r.has(offDx, std::size_t{chars} * step) &&
            static_cast<qsizetype>(chars) == text.size()) {
            for (std::uint32_t i = 0; i < chars; ++i) {
                dx.push_back(r.i32(offDx + i * step));
                if (pdy) {
                    dy.push_back(r.i32(offDx + i * step + 4));
                }
            }
        }
        if (options & 0x10) { // glyph indexes cannot be shown as text; keep only the background
            text.clear();
        }
        // ETO_NO_RECT: the rectangle is there but means nothing.
        const bool hasRect = !(options & 0x100) && (rect.width() != 0 || rect.height() != 0);
        canvas.textOut(reference, text, dx, options, hasRect ? std::optional<QRectF>(rect) : std::nullopt,
                       nullptr, dy);
        break;
    }
    default:
        return std::nullopt;
    }
    return true;
}

} // namespace velmoa::emf
