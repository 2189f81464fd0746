#include "formats/metafile/EmfPlayer.h"
#include "formats/metafile/EmfPlusPenShapes.h"
#include "formats/metafile/EmfPlusPlayer.h"
#include "formats/metafile/EmfPlusRecordTypes.h"
#include "formats/metafile/MetafileGlyphs.h"
#include "formats/metafile/MetafilePathCulling.h"
#include "formats/metafile/WmfPlayer.h"

#include <QLineF>
#include <cmath>

namespace velmoa {
namespace {

// Metafiles drawn as images inside metafiles, at most this deep below the picture: each level
// multiplies the draws of the one inside it.
constexpr int kMaxNesting = 2;
// The resolution a plain metafile image, which carries no box of its own, is taken to have.
constexpr int kImagePixelsPerInch = 96;
constexpr double kMaxImageBoxSide = 0x7FFF; // a metafile box's coordinates are 16-bit
// The widest pen Qt draws with, in the units it is given.
constexpr double kMaxPenWidth = 1000;
// How far beyond its path a pen may draw, in its widths: mitres and anchor caps.
constexpr double kPenReach = 5;
thread_local int nesting = 0;

// A cardinal spline through the points as Bezier segments.
QPainterPath curve(const std::vector<QPointF>& p, double tension, bool closed) {
    QPainterPath path;
    const std::size_t n = p.size();
    if (n < 2) {
        return path;
    }
    const double k = tension / 3;
    const auto at = [&](std::ptrdiff_t i) {
        if (closed) {
            return p[static_cast<std::size_t>((i % static_cast<std::ptrdiff_t>(n) + n) % n)];
        }
        return p[static_cast<std::size_t>(
            std::clamp<std::ptrdiff_t>(i, 0, static_cast<std::ptrdiff_t>(n) - 1))];
    };
    path.moveTo(p[0]);
    const std::size_t segments = closed ? n : n - 1;
    for (std::size_t s = 0; s < segments; ++s) {
        const auto i = static_cast<std::ptrdiff_t>(s);
        path.cubicTo(at(i) + (at(i + 1) - at(i - 1)) * k, at(i + 1) - (at(i + 2) - at(i)) * k, at(i + 1));
    }
    if (closed) {
        path.closeSubpath();
    }
    return path;
}

QPainterPath arcPath(const QRectF& rect, double start, double sweep, bool pie) {
    // Angles turn clockwise on the y-down page, against Qt's.
    QPainterPath path;
    if (pie) {
        path.moveTo(rect.center());
    } else {
        path.arcMoveTo(rect, -start);
    }
    path.arcTo(rect, -start, -sweep);
    if (pie) {
        path.closeSubpath();
    }
    return path;
}

// A metafile image's header: its placeable header, or for a plain metafile a box of the source
// rectangle's size in pixels, so that the window the file sets fills the rectangle it is drawn in.
std::optional<WmfPlayer::Header> wmfImageHeader(std::string_view bytes, const QRectF& source) {
    if (auto placed = WmfPlayer::readHeader(bytes)) {
        return placed;
    }
    const auto side = [](double length) {
        return std::isfinite(length)
                   ? static_cast<int>(std::clamp(std::round(std::abs(length)), 1.0, kMaxImageBoxSide))
                   : 1;
    };
    return WmfPlayer::readBareHeader(bytes, side(source.width()), side(source.height()), kImagePixelsPerInch);
}

} // namespace

std::optional<emfplus::Brush> EmfPlusPlayer::brushFor(bool isColour, std::uint32_t value) {
    if (isColour) {
        return emfplus::Brush{QBrush(emfplus::argb(value)), std::nullopt};
    }
    if (const auto* brush = uses<emfplus::Brush>(value)) {
        return *brush;
    }
    return std::nullopt;
}

QPainterPath EmfPlusPlayer::drawable(const QPainterPath& path, const QPen& pen, double unit) {
    const QTransform t = QTransform::fromScale(unit, unit) * worldToTarget();
    const double scale = std::sqrt(std::abs(t.determinant()));
    const bool stroked = pen.style() != Qt::NoPen;
    const double penPixels = !stroked ? 0 : pen.isCosmetic() ? pen.widthF() : pen.widthF() * scale;
    const QPainterPath* within = &path;
    QPainterPath culled;
    // The target grown by more than the pen (with its joins) can reach, in world units.
    const double margin = penPixels / 2 * std::max(2.0, pen.miterLimit()) + 8;
    const QRectF area = t.inverted().mapRect(target_.adjusted(-margin, -margin, margin, margin));
    if (t.isInvertible() && MetafilePathCulling::worthCulling(path, area)) {
        culled = MetafilePathCulling::culled(path, area, !stroked);
        within = &culled;
    }
    // The area was charged as the drawing began.
    return budget_.pathWithinBudget(*within, {QRectF(), penPixels,
                                              stroked ? MetafileWorkBudget::dashPeriod(pen, scale) : 0, scale,
                                              target_.height(), !stroked});
}

void EmfPlusPlayer::fill(const QPainterPath& path, const emfplus::Brush& brush) {
    if (!begin(path.controlPointRect())) {
        return;
    }
    const QPainterPath drawn = drawable(path, Qt::NoPen);
    if (brush.boundary) {
        if (!budget_.combine(state_.clip ? state_.clip->elementCount() : 0, brush.boundary->elementCount())) {
            end();
            return;
        }
        painter_.setClipPath(*brush.boundary, Qt::IntersectClip);
    }
    painter_.fillPath(drawn, brush.brush);
    end();
}

void EmfPlusPlayer::stroke(const QPainterPath& path, std::size_t penId) {
    const auto* pen = uses<emfplus::Pen>(penId);
    if (!pen || pen->pen.style() == Qt::NoPen) {
        return;
    }
    QPen q = pen->pen;
    if (pen->width == 0 || pen->pixelWidth) {
        // A width in pixels of the recording stays that wide whatever the world transform.
        q.setWidthF(std::max(1.0, pen->width * std::abs(deviceToTarget_.m11())));
        q.setCosmetic(true);
        if (begin(path.controlPointRect())) {
            painter_.strokePath(drawable(path, q), q);
            end();
        }
        return;
    }
    const double reach = pen->width * kPenReach;
    if (!begin(path.controlPointRect().adjusted(-reach, -reach, reach, reach))) {
        return;
    }
    // Qt refuses pens some thousands of units wide: such a drawing is made in larger units.
    const double unit = std::max(1.0, pen->width / kMaxPenWidth);
    const QPainterPath inUnits = unit == 1 ? path : QTransform::fromScale(1 / unit, 1 / unit).map(path);
    const double width = pen->width / unit;
    painter_.scale(unit, unit);
    if (pen->compound.empty()) {
        q.setWidthF(width);
        painter_.strokePath(drawable(inUnits, q, unit), q);
    } else {
        painter_.fillPath(drawable(emfplus::compoundBands(inUnits, width, pen->compound), Qt::NoPen, unit),
                          q.brush());
    }
    if (emfplus::isAnchorCap(pen->startCap) || emfplus::isAnchorCap(pen->endCap)) {
        painter_.fillPath(
            drawable(emfplus::anchorCaps(inUnits, width, pen->startCap, pen->endCap), Qt::NoPen, unit),
            q.brush());
    }
    end();
}

bool EmfPlusPlayer::playDrawingRecord(std::uint16_t type, std::uint16_t flags, Record& r) {
    const bool colour = (flags & 0x8000) != 0;
    const bool compressed = (flags & 0x4000) != 0;
    const bool relative = (flags & 0x0800) != 0;
    const std::size_t id = flags & 0xFF;
    const auto points = [&](std::size_t countAt, std::vector<QPointF>& out) {
        std::size_t at = countAt + 4;
        return emfplus::readPoints(r, at, r.u32(countAt), compressed, relative, out) && r.ok();
    };
    const auto fillWith = [&](std::uint32_t brushValue, const QPainterPath& path) {
        if (const auto brush = brushFor(colour, brushValue)) {
            fill(path, *brush);
        }
    };
    switch (type) {
    case emfplus::EmfPlusFillRects:
    case emfplus::EmfPlusDrawRects: {
        const std::size_t countAt = type == emfplus::EmfPlusFillRects ? 4 : 0;
        const std::uint32_t count = r.u32(countAt);
        const std::size_t each = compressed ? 8 : 16;
        if (!r.ok() || count > r.size() / each || !r.has(countAt + 4, count * each)) {
            return false;
        }
        QPainterPath path;
        for (std::uint32_t i = 0; i < count; ++i) {
            path.addRect(emfplus::readRect(r, countAt + 4 + i * each, compressed));
        }
        if (type == emfplus::EmfPlusFillRects) {
            fillWith(r.u32(0), path);
        } else {
            stroke(path, id);
        }
        return true;
    }
    case emfplus::EmfPlusFillPolygon:
    case emfplus::EmfPlusDrawLines:
    case emfplus::EmfPlusDrawBeziers:
    case emfplus::EmfPlusFillClosedCurve:
    case emfplus::EmfPlusDrawClosedCurve:
    case emfplus::EmfPlusDrawCurve: {
        const std::size_t countAt =
            type == emfplus::EmfPlusFillPolygon || type == emfplus::EmfPlusDrawClosedCurve ? 4
            : type == emfplus::EmfPlusFillClosedCurve                                      ? 8
            : type == emfplus::EmfPlusDrawCurve                                            ? 12
                                                                                           : 0;
        std::vector<QPointF> p;
        if (!points(countAt, p) || p.empty()) {
            return r.ok();
        }
        QPainterPath path;
        if (type == emfplus::EmfPlusFillClosedCurve || type == emfplus::EmfPlusDrawClosedCurve ||
            type == emfplus::EmfPlusDrawCurve) {
            const double tension = r.f32(type == emfplus::EmfPlusFillClosedCurve ? 4 : 0);
            path = curve(p, std::isfinite(tension) ? tension : 0.5, type != emfplus::EmfPlusDrawCurve);
        } else if (type == emfplus::EmfPlusDrawBeziers) {
            path.moveTo(p[0]);
            for (std::size_t i = 1; i + 2 < p.size(); i += 3) {
                path.cubicTo(p[i], p[i + 1], p[i + 2]);
            }
        } else {
            path.addPolygon(QPolygonF(QList<QPointF>(p.begin(), p.end())));
            if (type == emfplus::EmfPlusFillPolygon || (flags & 0x2000)) {
                path.closeSubpath();
            }
        }
        if (type == emfplus::EmfPlusFillPolygon || type == emfplus::EmfPlusFillClosedCurve) {
            path.setFillRule((flags & 0x2000) ? Qt::WindingFill : Qt::OddEvenFill);
            fillWith(r.u32(0), path);
        } else {
            stroke(path, id);
        }
        return true;
    }
    case emfplus::EmfPlusFillEllipse:
    case emfplus::EmfPlusDrawEllipse: {
        const std::size_t rectAt = type == emfplus::EmfPlusFillEllipse ? 4 : 0;
        QPainterPath path;
        path.addEllipse(emfplus::readRect(r, rectAt, compressed));
        if (!r.ok()) {
            return false;
        }
        if (type == emfplus::EmfPlusFillEllipse) {
            fillWith(r.u32(0), path);
        } else {
            stroke(path, id);
        }
        return true;
    }
    case emfplus::EmfPlusFillPie:
    case emfplus::EmfPlusDrawPie:
    case emfplus::EmfPlusDrawArc: {
        const std::size_t at = type == emfplus::EmfPlusFillPie ? 4 : 0;
        const double start = r.f32(at), sweep = r.f32(at + 4);
        const QRectF rect = emfplus::readRect(r, at + 8, compressed);
        if (!r.ok() || !std::isfinite(start) || !std::isfinite(sweep)) {
            return false;
        }
        const QPainterPath path = arcPath(rect, start, sweep, type != emfplus::EmfPlusDrawArc);
        if (type == emfplus::EmfPlusFillPie) {
            fillWith(r.u32(0), path);
        } else {
            stroke(path, id);
        }
        return true;
    }
    case emfplus::EmfPlusFillRegion:
    case emfplus::EmfPlusFillPath:
    case emfplus::EmfPlusDrawPath: {
        const auto* path = uses<QPainterPath>(id);
        if (!path) {
            return true;
        }
        if (type == emfplus::EmfPlusDrawPath) {
            stroke(*path, r.u32(0));
        } else {
            fillWith(r.u32(0), *path);
        }
        return r.ok();
    }
    default:
        return playImageRecord(type, flags, r);
    }
}

bool EmfPlusPlayer::playImageRecord(std::uint16_t type, std::uint16_t flags, Record& r) {
    const auto* image = uses<emfplus::Image>(flags & 0xFF);
    if (!image || (type != emfplus::EmfPlusDrawImage && type != emfplus::EmfPlusDrawImagePoints)) {
        return true;
    }
    const QRectF source = emfplus::readRect(r, 8, false);
    QTransform placed; // source rectangle (image pixels) to world units
    if (type == emfplus::EmfPlusDrawImage) {
        const QRectF dest = emfplus::readRect(r, 24, (flags & 0x4000) != 0);
        if (source.width() == 0 || source.height() == 0) {
            return r.ok();
        }
        placed = QTransform::fromTranslate(-source.x(), -source.y()) *
                 QTransform::fromScale(dest.width() / source.width(), dest.height() / source.height()) *
                 QTransform::fromTranslate(dest.x(), dest.y());
    } else {
        std::vector<QPointF> p;
        std::size_t at = 28;
        if (r.u32(24) != 3 || !emfplus::readPoints(r, at, 3, (flags & 0x4000) != 0, false, p) ||
            source.width() == 0 || source.height() == 0) {
            return r.ok();
        }
        // Upper-left, upper-right and lower-left corners of a parallelogram.
        const QPointF across = (p[1] - p[0]) / source.width(), down = (p[2] - p[0]) / source.height();
        placed = QTransform::fromTranslate(-source.x(), -source.y()) *
                 QTransform(across.x(), across.y(), down.x(), down.y(), p[0].x(), p[0].y());
    }
    if (!r.ok() || !begin(placed.mapRect(source))) {
        return r.ok();
    }
    painter_.setTransform(placed * painter_.transform());
    if (image->kind != emfplus::Image::Kind::Metafile) {
        drawBitmap(*image, source);
    } else if (nesting < kMaxNesting) {
        ++nesting;
        const std::string_view bytes = image->bytes;
        if (image->enhanced) {
            if (const auto header = EmfPlayer::readHeader(bytes)) {
                EmfPlayer(bytes, *header, &budget_).play(painter_, source);
            }
        } else if (const auto header = wmfImageHeader(bytes, source)) {
            WmfPlayer(bytes, *header, &budget_).play(painter_, source);
        }
        --nesting;
    }
    end();
    return true;
}

void EmfPlusPlayer::drawBitmap(const emfplus::Image& image, const QRectF& source) {
    // Decoded at the size the painter draws it, each way.
    const QTransform t = painter_.transform();
    const QSizeF scale(std::hypot(t.m11(), t.m12()), std::hypot(t.m21(), t.m22()));
    const emfplus::DecodedImage decoded = images_.image(image, emfplus::decodedSize(image, scale), budget_);
    if (decoded.refused) {
        // Shown as a picture past the budget: what came before it, and the message.
        budget_.spendAll();
    }
    if (decoded.pixels.isNull()) {
        return;
    }
    const double kx = double(decoded.pixels.width()) / image.pixels.width();
    const double ky = double(decoded.pixels.height()) / image.pixels.height();
    painter_.drawImage(source, decoded.pixels,
                       QRectF(source.x() * kx, source.y() * ky, source.width() * kx, source.height() * ky));
}

bool EmfPlusPlayer::playTextRecord(std::uint16_t type, std::uint16_t flags, Record& r) {
    const auto* font = uses<emfplus::Font>(flags & 0xFF);
    const auto brush = brushFor((flags & 0x8000) != 0, r.u32(0));
    if (!font || !brush || !r.ok()) {
        return r.ok();
    }
    // The em in world units; sizes in other units go through the page transform alone.
    const double page = unitToPixels(state_.pageUnit).height() * state_.pageScale;
    const double em = font->unit == emfplus::UnitWorld
                          ? font->emSize
                          : font->emSize * unitToPixels(font->unit).height() / page;
    if (!std::isfinite(em) || em <= 0 || em > 1e6) {
        return true;
    }
    // Drawn at a fixed pixel size, scaled to the em: Qt's pixel sizes are whole numbers.
    constexpr double kDrawnEm = 100;
    const double k = kDrawnEm / em;
    QFont qfont = font->font;
    qfont.setPixelSize(static_cast<int>(kDrawnEm));
    QString text;
    std::vector<QPointF> positions;
    QRectF layout;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
    std::uint32_t formatFlags = 0;
    if (type == emfplus::EmfPlusDrawString) {
        const std::uint32_t length = r.u32(8);
        layout = emfplus::readRect(r, 12, false);
        if (!r.ok() || length > r.size() / 2 || !r.has(28, std::size_t{length} * 2)) {
            return false;
        }
        for (std::uint32_t i = 0; i < length; ++i) {
            text.append(QChar(static_cast<char16_t>(r.u16(28 + std::size_t{i} * 2))));
        }
        if (const auto* format = std::get_if<emfplus::StringFormat>(object(r.u32(4)))) {
            alignment = (format->alignment == 1   ? Qt::AlignHCenter
                         : format->alignment == 2 ? Qt::AlignRight
                                                  : Qt::AlignLeft) |
                        (format->lineAlignment == 1   ? Qt::AlignVCenter
                         : format->lineAlignment == 2 ? Qt::AlignBottom
                                                      : Qt::AlignTop);
            formatFlags = format->flags;
        }
    } else { // driver string: characters (when looked up by code) and their baseline origins
        const std::uint32_t options = r.u32(4);
        const std::uint32_t count = r.u32(12);
        std::size_t at = 16 + std::size_t{count} * 2;
        if (!r.ok() || count > r.size() / 10 || !r.has(16, std::size_t{count} * 10)) {
            return false;
        }
        if (!(options & 1)) {
            return true; // glyph indexes of a font we do not have
        }
        for (std::uint32_t i = 0; i < count; ++i) {
            text.append(QChar(static_cast<char16_t>(r.u16(16 + i * 2))));
        }
        if (!emfplus::readPoints(r, at, (options & 4) ? 1 : count, false, false, positions)) {
            return false;
        }
    }
    QRectF bounds = layout.isEmpty()
                        ? QRectF(layout.topLeft(), QSizeF(em * static_cast<double>(text.size()), em * 2))
                        : layout;
    if (!positions.empty()) {
        bounds =
            QRectF(positions.front() - QPointF(0, em), QSizeF(em * static_cast<double>(text.size()), em * 2));
    }
    if (text.isEmpty() || !begin(bounds)) {
        return true;
    }
    if (brush->boundary) {
        painter_.setClipPath(*brush->boundary, Qt::IntersectClip);
    }
    painter_.scale(1 / k, 1 / k);
    painter_.setFont(qfont);
    painter_.setPen(QPen(brush->brush, 0));
    if (type == emfplus::EmfPlusDrawString) {
        // A side of the layout rectangle of no length leaves the text unbounded that way: no line is
        // wrapped for a width of none, and only a rectangle with both sides clips.
        const QRectF scaled(layout.x() * k, layout.y() * k, layout.width() * k, layout.height() * k);
        const bool wrap = layout.width() > 0 && !(formatFlags & emfplus::StringFormat::kNoWrap);
        if (layout.width() > 0 && layout.height() > 0 && !(formatFlags & emfplus::StringFormat::kNoClip)) {
            painter_.setClipRect(scaled, Qt::IntersectClip);
        }
        drawMetafileText(painter_, scaled, alignment | Qt::TextDontClip | (wrap ? Qt::TextWordWrap : 0),
                         text);
    } else if (positions.size() == 1) {
        drawMetafileText(painter_, positions.front() * k, text);
    } else {
        for (qsizetype i = 0; i < text.size(); ++i) {
            drawMetafileText(painter_, positions[static_cast<std::size_t>(i)] * k, QString(text[i]));
        }
    }
    end();
    return true;
}

} // namespace velmoa
