#include "formats/metafile/MetafileCanvas.h"

#include "formats/metafile/MetafileText.h"

#include <QFontMetricsF>
#include <QLineF>
#include <QPaintEngine>
#include <algorithm>
#include <cmath>

namespace velmoa {
namespace {

constexpr std::size_t kMaxObjects = 65536;
constexpr std::size_t kMaxSavedStates = 1024;
// A clip built from many pieces makes every later clip operation slower; past this size
// further clip changes are ignored rather than letting a hostile file stall the draw.
constexpr int kMaxClipElements = 4000;
// Clip combinations cost time by the size of their operands; a file that keeps asking for
// large ones gets its later clip changes ignored once this much work has been done.
constexpr long long kMaxClipWork = 5'000'000;
constexpr double kMaxFontPixels = 8000;

QPainter::CompositionMode rop2Mode(int rop) {
    switch (rop) {
    case 1:
        return QPainter::RasterOp_ClearDestination;
    case 4:
        return QPainter::RasterOp_NotSource;
    case 6:
        return QPainter::RasterOp_NotDestination;
    case 7:
        return QPainter::RasterOp_SourceXorDestination;
    case 9:
        return QPainter::RasterOp_SourceAndDestination;
    case 10:
        return QPainter::RasterOp_NotSourceXorDestination;
    case 15:
        return QPainter::RasterOp_SourceOrDestination;
    case 16:
        return QPainter::RasterOp_SetDestination;
    default:
        return QPainter::CompositionMode_SourceOver;
    }
}

QPainter::CompositionMode ropMode(std::uint32_t rop) {
    switch (rop) {
    case 0x00EE0086: // SRCPAINT
        return QPainter::RasterOp_SourceOrDestination;
    case 0x008800C6: // SRCAND
        return QPainter::RasterOp_SourceAndDestination;
    case 0x00660046: // SRCINVERT
        return QPainter::RasterOp_SourceXorDestination;
    case 0x00330008: // NOTSRCCOPY
        return QPainter::RasterOp_NotSource;
    case 0x00440328: // SRCERASE
        return QPainter::RasterOp_SourceAndNotDestination;
    case 0x001100A6: // NOTSRCERASE
        return QPainter::RasterOp_NotSourceAndNotDestination;
    case 0x00BB0226: // MERGEPAINT
        return QPainter::RasterOp_NotSourceOrDestination;
    default:
        return QPainter::CompositionMode_SourceOver;
    }
}

bool isPatternRop(std::uint32_t rop) {
    return rop == 0x00F00021 || rop == 0x005A0049 || rop == 0x00550009 || rop == 0x00000042 ||
           rop == 0x00FF0062;
}

QPainterPath rectPath(const QRectF& rect) {
    QPainterPath path;
    path.addRect(rect.normalized());
    return path;
}

Qt::BrushStyle hatchStyle(int hatch) {
    switch (hatch) {
    case 0:
        return Qt::HorPattern;
    case 1:
        return Qt::VerPattern;
    case 2:
        return Qt::FDiagPattern;
    case 3:
        return Qt::BDiagPattern;
    case 4:
        return Qt::CrossPattern;
    default:
        return Qt::DiagCrossPattern;
    }
}

double axisLength(const QTransform& t, QPointF axis) {
    return QLineF(t.map(QPointF()), t.map(axis)).length();
}

} // namespace

MetafileCanvas::MetafileCanvas(QPainter& painter, const QRectF& target, const QTransform& deviceToTarget,
                               QSizeF devicePerMillimetre)
    : painter_(painter), origin_(painter.transform()), target_(target), deviceToTarget_(deviceToTarget),
      devicePerMm_(devicePerMillimetre) {
    painter_.save();
    targetClip_ = rectPath(target);
    if (painter_.hasClipping()) {
        targetClip_ = targetClip_.intersected(painter_.clipPath());
    }
    rasterOps_ = painter_.paintEngine() && painter_.paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
    painter_.setRenderHint(QPainter::Antialiasing, true);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
}

MetafileCanvas::~MetafileCanvas() {
    painter_.restore();
}

void MetafileCanvas::setObjectTableSize(std::size_t size) {
    objects_.assign(std::min(size, kMaxObjects), {});
}

bool MetafileCanvas::addObject(Object object) {
    for (auto& slot : objects_) {
        if (std::holds_alternative<std::monostate>(slot)) {
            slot = std::move(object);
            return true;
        }
    }
    return false;
}

bool MetafileCanvas::setObject(std::size_t index, Object object) {
    if (index >= objects_.size()) {
        return false;
    }
    objects_[index] = std::move(object);
    return true;
}

const MetafileCanvas::Object* MetafileCanvas::object(std::size_t index) const {
    if (index >= objects_.size() || std::holds_alternative<std::monostate>(objects_[index])) {
        return nullptr;
    }
    return &objects_[index];
}

bool MetafileCanvas::selectObject(std::size_t index) {
    const Object* found = object(index);
    if (!found) {
        return false;
    }
    if (const auto* pen = std::get_if<Pen>(found)) {
        state_.pen = *pen;
    } else if (const auto* brush = std::get_if<Brush>(found)) {
        state_.brush = *brush;
    } else if (const auto* font = std::get_if<Font>(found)) {
        state_.font = *font;
    } else if (const auto* region = std::get_if<Region>(found)) {
        selectClipRegion(region, 5);
    }
    return true;
}

std::optional<MetafileCanvas::Brush> MetafileCanvas::stockBrush(std::uint32_t stock) {
    const int greys[] = {255, 192, 128, 64, 0};
    const std::uint32_t which = stock & 0x7FFFFFFF;
    if (which <= 4) {
        return Brush{Brush::Kind::Solid, QColor(greys[which], greys[which], greys[which]), 0, {}};
    }
    if (which == 5) {
        return Brush{Brush::Kind::Null, Qt::black, 0, {}};
    }
    if (which == 18) {
        return Brush{};
    }
    return std::nullopt;
}

bool MetafileCanvas::selectStockObject(std::uint32_t stock) {
    const std::uint32_t which = stock & 0x7FFFFFFF;
    if (auto brush = stockBrush(stock)) {
        state_.brush = *brush;
    } else if (which == 6 || which == 7) {
        state_.pen = Pen{0, 0, which == 6 ? QColor(Qt::white) : QColor(Qt::black)};
    } else if (which == 8) {
        state_.pen = Pen{5, 0, Qt::black};
    } else if (which >= 10 && which <= 17 && which != 15) {
        state_.font = Font{};
    } else if (which == 19) {
        state_.pen = Pen{};
    } else if (which != 15) {
        return false;
    }
    return true;
}

QColor MetafileCanvas::colour(std::uint32_t ref) const {
    if ((ref >> 24) == 1) {
        const std::size_t index = ref & 0xFFFF;
        return index < palette_.size() ? QColor(palette_[index]) : QColor(Qt::black);
    }
    return QColor(ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF);
}

bool MetafileCanvas::deleteObject(std::size_t index) {
    if (index >= objects_.size()) {
        return false;
    }
    objects_[index] = std::monostate{};
    return true;
}

void MetafileCanvas::setMapMode(int mode) {
    if (mode >= 1 && mode <= 8) {
        state_.mapMode = mode;
    }
}

// Extents only count in the two scalable modes; zero extents are refused as GDI does.
void MetafileCanvas::setWindowExt(QSizeF ext) {
    if (state_.mapMode >= 7 && ext.width() != 0 && ext.height() != 0) {
        state_.windowExt = ext;
    }
}

void MetafileCanvas::setViewportExt(QSizeF ext) {
    if (state_.mapMode >= 7 && ext.width() != 0 && ext.height() != 0) {
        state_.viewportExt = ext;
    }
}

void MetafileCanvas::scaleWindowExt(double xNum, double xDenom, double yNum, double yDenom) {
    if (xDenom != 0 && yDenom != 0) {
        setWindowExt(
            QSizeF(state_.windowExt.width() * xNum / xDenom, state_.windowExt.height() * yNum / yDenom));
    }
}

void MetafileCanvas::scaleViewportExt(double xNum, double xDenom, double yNum, double yDenom) {
    if (xDenom != 0 && yDenom != 0) {
        setViewportExt(
            QSizeF(state_.viewportExt.width() * xNum / xDenom, state_.viewportExt.height() * yNum / yDenom));
    }
}

void MetafileCanvas::modifyWorldTransform(const QTransform& by, int mode) {
    switch (mode) {
    case 1:
        state_.world = QTransform();
        break;
    case 2:
        state_.world = by * state_.world;
        break;
    case 3:
        state_.world = state_.world * by;
        break;
    case 4:
        state_.world = by;
        break;
    default:
        break;
    }
}

QTransform MetafileCanvas::pageTransform() const {
    double sx = 1;
    double sy = 1;
    double millimetres = 0;
    switch (state_.mapMode) {
    case 2:
        millimetres = 0.1;
        break;
    case 3:
        millimetres = 0.01;
        break;
    case 4:
        millimetres = 0.254;
        break;
    case 5:
        millimetres = 0.0254;
        break;
    case 6:
        millimetres = 25.4 / 1440;
        break;
    case 7:
    case 8:
        sx = state_.viewportExt.width() / state_.windowExt.width();
        sy = state_.viewportExt.height() / state_.windowExt.height();
        if (state_.mapMode == 7) {
            const double m = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(m, sx);
            sy = std::copysign(m, sy);
        }
        break;
    default:
        break;
    }
    if (millimetres > 0) {
        // The metric modes put y upwards.
        sx = millimetres * devicePerMm_.width();
        sy = -millimetres * devicePerMm_.height();
    }
    return QTransform(sx, 0, 0, sy, state_.viewportOrg.x() - state_.windowOrg.x() * sx,
                      state_.viewportOrg.y() - state_.windowOrg.y() * sy);
}

QTransform MetafileCanvas::logicalToTarget() const {
    return state_.world * pageTransform() * deviceToTarget_;
}

double MetafileCanvas::averageScale() const {
    return std::sqrt(std::abs(logicalToTarget().determinant()));
}

bool MetafileCanvas::saveDc() {
    if (saved_.size() >= kMaxSavedStates) {
        return false;
    }
    saved_.push_back(state_);
    return true;
}

bool MetafileCanvas::restoreDc(int which) {
    std::size_t keep;
    if (which < 0) {
        const auto back = static_cast<std::size_t>(-static_cast<long long>(which));
        if (back > saved_.size()) {
            return false;
        }
        keep = saved_.size() - back;
    } else if (which > 0 && static_cast<std::size_t>(which) <= saved_.size()) {
        keep = static_cast<std::size_t>(which) - 1;
    } else {
        return false;
    }
    state_ = saved_[keep];
    saved_.resize(keep);
    clipApplied_ = false;
    return true;
}

void MetafileCanvas::combineClip(const QPainterPath& path, int mode) {
    const QPainterPath current = state_.clip ? *state_.clip : targetClip_;
    if (current.elementCount() > kMaxClipElements || path.elementCount() > kMaxClipElements ||
        clipWork_ > kMaxClipWork) {
        return;
    }
    clipWork_ += current.elementCount() + path.elementCount();
    QPainterPath result;
    switch (mode) {
    case 1:
        result = current.intersected(path);
        break;
    case 2:
        result = current.united(path).intersected(targetClip_);
        break;
    case 3:
        result = current.united(path).subtracted(current.intersected(path)).intersected(targetClip_);
        break;
    case 4:
        result = current.subtracted(path);
        break;
    case 5:
        result = path.intersected(targetClip_);
        break;
    default:
        return;
    }
    state_.clip = result;
    clipApplied_ = false;
}

void MetafileCanvas::intersectClipRect(const QRectF& rect) {
    combineClip(logicalToTarget().map(rectPath(rect)), 1);
}

void MetafileCanvas::excludeClipRect(const QRectF& rect) {
    combineClip(logicalToTarget().map(rectPath(rect)), 4);
}

void MetafileCanvas::offsetClip(QPointF by) {
    if (!state_.clip) {
        return;
    }
    const QTransform t = logicalToTarget();
    const QPointF shift = t.map(by) - t.map(QPointF());
    state_.clip = state_.clip->translated(shift).intersected(targetClip_);
    clipApplied_ = false;
}

QPainterPath MetafileCanvas::regionPath(const Region& region) const {
    return region.logical ? logicalToTarget().map(region.path) : deviceToTarget_.map(region.path);
}

void MetafileCanvas::selectClipRegion(const Region* region, int mode) {
    if (!region) {
        if (mode == 5) {
            state_.clip.reset();
            clipApplied_ = false;
        }
        return;
    }
    combineClip(regionPath(*region), mode);
}

void MetafileCanvas::applyClip() {
    if (clipApplied_) {
        return;
    }
    painter_.setTransform(origin_);
    painter_.setClipPath(state_.clip ? *state_.clip : targetClip_, Qt::ReplaceClip);
    clipApplied_ = true;
}

bool MetafileCanvas::prepare(bool forText) {
    if (state_.rop2 == 11 && !forText) { // R2_NOP draws nothing
        return false;
    }
    applyClip();
    painter_.setOpacity(1.0);
    painter_.setCompositionMode(rasterOps_ && !forText ? rop2Mode(state_.rop2)
                                                       : QPainter::CompositionMode_SourceOver);
    return true;
}

void MetafileCanvas::charge(const QRectF& targetBounds) {
    // Every call costs something even when it covers nothing.
    work_ += 256 + targetBounds.normalized().intersected(target_).width() *
                       targetBounds.normalized().intersected(target_).height();
}

QPen MetafileCanvas::makePen(double widthFactor) const {
    const Pen& p = state_.pen;
    const std::uint32_t style = p.style & 0xF;
    if (style == 5) {
        return Qt::NoPen;
    }
    QPen pen(p.color);
    // Lines thinner than a pixel of the target still show, as on a device they take a pixel.
    const bool hairline = p.width <= 0 || p.width * averageScale() < 1;
    pen.setWidthF(hairline ? 0 : p.width * widthFactor);
    pen.setCosmetic(hairline);
    switch (style) {
    case 1:
        pen.setStyle(Qt::DashLine);
        break;
    case 2:
    case 8:
        pen.setStyle(Qt::DotLine);
        break;
    case 3:
        pen.setStyle(Qt::DashDotLine);
        break;
    case 4:
        pen.setStyle(Qt::DashDotDotLine);
        break;
    default:
        break;
    }
    switch (p.style & 0xF00) {
    case 0x100:
        pen.setCapStyle(Qt::SquareCap);
        break;
    case 0x200:
        pen.setCapStyle(Qt::FlatCap);
        break;
    default:
        pen.setCapStyle(Qt::RoundCap);
        break;
    }
    switch (p.style & 0xF000) {
    case 0x1000:
        pen.setJoinStyle(Qt::BevelJoin);
        break;
    case 0x2000:
        pen.setJoinStyle(Qt::MiterJoin);
        pen.setMiterLimit(state_.miterLimit);
        break;
    default:
        pen.setJoinStyle(Qt::RoundJoin);
        break;
    }
    return pen;
}

void MetafileCanvas::fillWithBrush(const QPainterPath& path, const Brush& brush) {
    switch (brush.kind) {
    case Brush::Kind::Null:
        break;
    case Brush::Kind::Solid:
        painter_.fillPath(path, brush.color);
        break;
    case Brush::Kind::Hatched:
        if (state_.bkMode == 2) {
            painter_.fillPath(path, state_.bkColor);
        }
        painter_.fillPath(path, QBrush(brush.color, hatchStyle(brush.hatch)));
        break;
    case Brush::Kind::Pattern:
        painter_.fillPath(path, brush.pattern.isNull() ? QBrush(Qt::gray) : QBrush(brush.pattern));
        break;
    }
}

void MetafileCanvas::appendToPath(const QPainterPath& logicalPath) {
    path_.addPath(logicalToTarget().map(logicalPath));
}

void MetafileCanvas::drawPath(const QPainterPath& logicalPath, bool fill, bool stroke) {
    if (inPath_) {
        appendToPath(logicalPath);
        return;
    }
    if (!prepare()) {
        return;
    }
    const QTransform t = logicalToTarget();
    charge(t.mapRect(logicalPath.controlPointRect()));
    painter_.setTransform(t * origin_);
    const QPen pen = stroke ? makePen(1.0) : QPen(Qt::NoPen);
    if (fill) {
        fillWithBrush(logicalPath, state_.brush);
        // Shapes split into touching pieces (as converters write thick lines) would show
        // hairline seams where antialiased edges meet; a hairline of the fill closes them.
        if (pen.style() == Qt::NoPen && state_.brush.kind == Brush::Kind::Solid && state_.rop2 == 13) {
            painter_.strokePath(logicalPath, QPen(state_.brush.color, 0));
        }
    }
    if (pen.style() != Qt::NoPen) {
        painter_.strokePath(logicalPath, pen);
    }
}

void MetafileCanvas::drawTargetPath(const QPainterPath& targetPath, bool fill, bool stroke) {
    if (!prepare()) {
        return;
    }
    charge(targetPath.controlPointRect());
    painter_.setTransform(origin_);
    if (fill) {
        QPainterPath filled = targetPath;
        filled.setFillRule(state_.polyFillMode == 2 ? Qt::WindingFill : Qt::OddEvenFill);
        fillWithBrush(filled, state_.brush);
        if (!stroke && state_.brush.kind == Brush::Kind::Solid && state_.rop2 == 13) {
            painter_.strokePath(filled, QPen(state_.brush.color, 0)); // closes seams, as in drawPath
        }
    }
    if (stroke) {
        const QPen pen = makePen(averageScale());
        if (pen.style() != Qt::NoPen) {
            painter_.strokePath(targetPath, pen);
        }
    }
}

void MetafileCanvas::moveTo(QPointF p) {
    state_.position = p;
    if (inPath_) {
        path_.moveTo(logicalToTarget().map(p));
    }
}

void MetafileCanvas::lineTo(QPointF p) {
    polylineTo({p});
}

void MetafileCanvas::polylineTo(const std::vector<QPointF>& points) {
    if (points.empty()) {
        return;
    }
    if (inPath_) {
        const QTransform t = logicalToTarget();
        if (path_.elementCount() == 0) {
            path_.moveTo(t.map(state_.position));
        }
        for (const QPointF& p : points) {
            path_.lineTo(t.map(p));
        }
    } else {
        QPainterPath path(state_.position);
        for (const QPointF& p : points) {
            path.lineTo(p);
        }
        drawPath(path, false, true);
    }
    state_.position = points.back();
}

void MetafileCanvas::polyline(const std::vector<QPointF>& points) {
    if (points.size() < 2) {
        return;
    }
    QPainterPath path(points.front());
    for (std::size_t i = 1; i < points.size(); ++i) {
        path.lineTo(points[i]);
    }
    drawPath(path, false, true);
}

void MetafileCanvas::polyPolyline(const std::vector<std::vector<QPointF>>& lines) {
    QPainterPath path;
    for (const auto& line : lines) {
        if (line.size() < 2) {
            continue;
        }
        path.moveTo(line.front());
        for (std::size_t i = 1; i < line.size(); ++i) {
            path.lineTo(line[i]);
        }
    }
    drawPath(path, false, true);
}

void MetafileCanvas::polyBezier(const std::vector<QPointF>& points) {
    if (points.size() < 4) {
        return;
    }
    QPainterPath path(points.front());
    for (std::size_t i = 1; i + 2 < points.size(); i += 3) {
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
    }
    drawPath(path, false, true);
}

void MetafileCanvas::polyBezierTo(const std::vector<QPointF>& points) {
    if (points.size() < 3) {
        return;
    }
    if (inPath_) {
        const QTransform t = logicalToTarget();
        if (path_.elementCount() == 0) {
            path_.moveTo(t.map(state_.position));
        }
        for (std::size_t i = 0; i + 2 < points.size(); i += 3) {
            path_.cubicTo(t.map(points[i]), t.map(points[i + 1]), t.map(points[i + 2]));
        }
    } else {
        QPainterPath path(state_.position);
        for (std::size_t i = 0; i + 2 < points.size(); i += 3) {
            path.cubicTo(points[i], points[i + 1], points[i + 2]);
        }
        drawPath(path, false, true);
    }
    state_.position = points[(points.size() / 3) * 3 - 1];
}

void MetafileCanvas::polyPolygon(const std::vector<std::vector<QPointF>>& polygons) {
    QPainterPath path;
    path.setFillRule(state_.polyFillMode == 2 ? Qt::WindingFill : Qt::OddEvenFill);
    for (const auto& polygon : polygons) {
        if (polygon.size() < 2) {
            continue;
        }
        path.moveTo(polygon.front());
        for (std::size_t i = 1; i < polygon.size(); ++i) {
            path.lineTo(polygon[i]);
        }
        path.closeSubpath();
    }
    drawPath(path, true, true);
}

QRectF MetafileCanvas::framed(const QRectF& rect) const {
    // An inside-frame pen keeps its whole width within the shape's rectangle.
    const double inset = (state_.pen.style & 0xF) == 6 ? state_.pen.width / 2 : 0;
    const QRectF normal = rect.normalized();
    if (inset <= 0 || normal.width() <= 2 * inset || normal.height() <= 2 * inset) {
        return normal;
    }
    return normal.adjusted(inset, inset, -inset, -inset);
}

void MetafileCanvas::rectangle(const QRectF& rect) {
    drawPath(rectPath(framed(rect)), true, true);
}

void MetafileCanvas::roundRect(const QRectF& rect, QSizeF corner) {
    QPainterPath path;
    path.addRoundedRect(framed(rect), std::abs(corner.width()) / 2, std::abs(corner.height()) / 2);
    drawPath(path, true, true);
}

void MetafileCanvas::ellipse(const QRectF& rect) {
    QPainterPath path;
    path.addEllipse(framed(rect));
    drawPath(path, true, true);
}

QPainterPath MetafileCanvas::arcPath(const QRectF& r, QPointF start, QPointF end, ArcKind kind) const {
    const QRectF rect = r.normalized();
    QPainterPath path;
    const double rx = rect.width() / 2;
    const double ry = rect.height() / 2;
    if (rx <= 0 || ry <= 0) {
        return path;
    }
    const QPointF c = rect.center();
    // Angles of the radials through the start and end points, counter-clockwise on screen.
    const auto angleOf = [&](QPointF p) {
        return std::atan2(-(p.y() - c.y()) / ry, (p.x() - c.x()) / rx) * 180 / M_PI;
    };
    const double a0 = angleOf(start);
    double sweep = angleOf(end) - a0;
    while (sweep <= 0) {
        sweep += 360;
    }
    while (sweep > 360) {
        sweep -= 360;
    }
    if (state_.arcClockwise) {
        sweep -= 360;
    }
    if (kind == ArcKind::Pie) {
        path.moveTo(c);
        path.arcTo(rect, a0, sweep);
        path.closeSubpath();
        return path;
    }
    if (kind == ArcKind::ArcTo) {
        path.moveTo(state_.position);
        QPainterPath arc;
        arc.arcMoveTo(rect, a0);
        path.lineTo(arc.currentPosition());
    } else {
        path.arcMoveTo(rect, a0);
    }
    path.arcTo(rect, a0, sweep);
    if (kind == ArcKind::Chord) {
        path.closeSubpath();
    }
    return path;
}

void MetafileCanvas::arc(const QRectF& rect, QPointF start, QPointF end, ArcKind kind) {
    const QPainterPath path =
        arcPath(kind == ArcKind::Arc || kind == ArcKind::ArcTo ? rect : framed(rect), start, end, kind);
    if (path.isEmpty()) {
        return;
    }
    const bool closed = kind == ArcKind::Chord || kind == ArcKind::Pie;
    if (kind == ArcKind::ArcTo && inPath_) {
        const QTransform t = logicalToTarget();
        if (path_.elementCount() == 0) {
            path_.moveTo(t.map(state_.position));
        }
        path_.connectPath(t.map(path));
    } else {
        drawPath(path, closed, true);
    }
    if (kind == ArcKind::ArcTo) {
        state_.position = path.currentPosition();
    }
}

void MetafileCanvas::angleArc(QPointF centre, double radius, double startDegrees, double sweepDegrees) {
    const QRectF rect(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    QPainterPath path(state_.position);
    QPainterPath arc;
    arc.arcMoveTo(rect, startDegrees);
    path.lineTo(arc.currentPosition());
    path.arcTo(rect, startDegrees, sweepDegrees);
    if (inPath_) {
        path_.connectPath(logicalToTarget().map(path));
    } else {
        drawPath(path, false, true);
    }
    state_.position = path.currentPosition();
}

void MetafileCanvas::polyDraw(const std::vector<QPointF>& points, const std::vector<std::uint8_t>& types) {
    QPainterPath path(state_.position);
    QPointF figureStart = state_.position;
    for (std::size_t i = 0; i < points.size() && i < types.size(); ++i) {
        const std::uint8_t type = types[i] & 6;
        if (type == 6) {
            path.moveTo(points[i]);
            figureStart = points[i];
        } else if (type == 4 && i + 2 < points.size()) {
            path.cubicTo(points[i], points[i + 1], points[i + 2]);
            i += 2;
        } else {
            path.lineTo(points[i]);
        }
        if (types[i] & 1) {
            path.lineTo(figureStart);
        }
    }
    state_.position = path.currentPosition();
    drawPath(path, false, true);
}

void MetafileCanvas::fillLogical(const QPainterPath& path, const QBrush& brush) {
    if (inPath_ || !prepare()) {
        return;
    }
    charge(logicalToTarget().mapRect(path.controlPointRect()));
    painter_.setTransform(logicalToTarget() * origin_);
    painter_.fillPath(path, brush);
}

void MetafileCanvas::setPixel(QPointF p, QColor colour) {
    if (!prepare()) {
        return;
    }
    const QPointF device = (state_.world * pageTransform()).map(p);
    painter_.setTransform(deviceToTarget_ * origin_);
    painter_.fillRect(QRectF(std::floor(device.x()), std::floor(device.y()), 1, 1), colour);
}

void MetafileCanvas::textOut(QPointF reference, const QString& text, const std::vector<double>& dx,
                             std::uint32_t options, const std::optional<QRectF>& rect, const Font* fontIn) {
    const Font& f = fontIn ? *fontIn : state_.font;
    if (!prepare(true)) {
        return;
    }
    const QTransform t = logicalToTarget();
    const bool updateCp = (state_.textAlign & 1) != 0;
    const QPointF ref = updateCp ? state_.position : reference;
    const double sx = axisLength(t, QPointF(1, 0));
    const double sy = axisLength(t, QPointF(0, 1));
    painter_.setTransform(t * origin_);
    if (rect && (options & 2)) { // ETO_OPAQUE
        painter_.fillRect(rect->normalized(), state_.bkColor);
    }
    if (rect && (options & 4)) { // ETO_CLIPPED
        painter_.setClipPath(rectPath(*rect), Qt::IntersectClip);
        clipApplied_ = false;
    }
    if (text.isEmpty()) {
        return;
    }

    QFont font(metafileFontFamily(f.face.isEmpty() ? QStringLiteral("MS Sans Serif") : f.face));
    double em;
    if (f.height < 0) {
        em = -f.height * sy;
    } else if (f.height > 0) {
        // A positive height is the cell (ascent plus descent); the em is a share of it.
        font.setPixelSize(100);
        const QFontMetricsF probe(font);
        em = f.height * sy * 100 / std::max(1.0, probe.ascent() + probe.descent());
    } else {
        em = 16 * std::sqrt(std::abs(deviceToTarget_.determinant()));
    }
    font.setPixelSize(static_cast<int>(std::clamp(std::round(em), 1.0, kMaxFontPixels)));
    font.setWeight(static_cast<QFont::Weight>(std::clamp(f.weight == 0 ? 400 : f.weight, 1, 1000)));
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeOut);
    if (f.width != 0) {
        const double average = QFontMetricsF(font).averageCharWidth();
        if (average > 0) {
            font.setStretch(
                static_cast<int>(std::clamp(std::abs(f.width) * sx / average * 100, 1.0, 4000.0)));
        }
    }
    const QFontMetricsF metrics(font);

    double width = 0;
    if (!dx.empty()) {
        for (std::size_t i = 0; i < dx.size() && i < static_cast<std::size_t>(text.size()); ++i) {
            width += dx[i] * sx;
        }
    } else {
        width = metrics.horizontalAdvance(text);
    }
    double x = 0;
    switch (state_.textAlign & 6) {
    case 2:
        x = -width;
        break;
    case 6:
        x = -width / 2;
        break;
    default:
        break;
    }
    double y = 0;
    switch (state_.textAlign & 24) {
    case 0:
        y = metrics.ascent();
        break;
    case 8:
        y = -metrics.descent();
        break;
    default:
        break;
    }
    charge(QRectF(t.map(ref), QSizeF(width + metrics.height(), width + metrics.height())));
    const double worldAngle = QLineF(state_.world.map(QPointF()), state_.world.map(QPointF(1, 0))).angle();
    QTransform placed = QTransform::fromTranslate(t.map(ref).x(), t.map(ref).y());
    placed.rotate(-(f.escapement / 10 + worldAngle));
    painter_.setTransform(placed * origin_);
    if (state_.bkMode == 2) {
        painter_.fillRect(QRectF(x, y - metrics.ascent(), width, metrics.ascent() + metrics.descent()),
                          state_.bkColor);
    }
    painter_.setFont(font);
    painter_.setPen(state_.textColor);
    if (dx.empty()) {
        painter_.drawText(QPointF(x, y), text);
    } else {
        double pen = x;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            painter_.drawText(QPointF(pen, y), text.mid(i, length));
            for (qsizetype k = i; k < i + length && static_cast<std::size_t>(k) < dx.size(); ++k) {
                pen += dx[static_cast<std::size_t>(k)] * sx;
            }
            i += length - 1;
        }
    }
    if (updateCp && (state_.textAlign & 6) == 0) {
        bool invertible = false;
        const QTransform back = t.inverted(&invertible);
        if (invertible) {
            state_.position = back.map(placed.map(QPointF(x + width, 0)));
            state_.position.setY(ref.y());
        }
    }
}

void MetafileCanvas::patBlt(const QRectF& rect, std::uint32_t rop) {
    if (!prepare()) {
        return;
    }
    charge(logicalToTarget().mapRect(rect));
    painter_.setTransform(logicalToTarget() * origin_);
    const QPainterPath path = rectPath(rect);
    switch (rop) {
    case 0x00550009: // DSTINVERT
        if (rasterOps_) {
            painter_.setCompositionMode(QPainter::RasterOp_NotDestination);
            painter_.fillPath(path, Qt::black);
        }
        break;
    case 0x00000042: // BLACKNESS
        painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter_.fillPath(path, Qt::black);
        break;
    case 0x00FF0062: // WHITENESS
        painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter_.fillPath(path, Qt::white);
        break;
    case 0x005A0049: // PATINVERT
        painter_.setCompositionMode(rasterOps_ ? QPainter::RasterOp_SourceXorDestination
                                               : QPainter::CompositionMode_SourceOver);
        fillWithBrush(path, state_.brush);
        break;
    default:
        painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
        fillWithBrush(path, state_.brush);
        break;
    }
}

void MetafileCanvas::stretchImage(const QRectF& dest, const QImage& image, const QRectF& source,
                                  std::uint32_t rop, double opacity) {
    if (isPatternRop(rop)) {
        patBlt(dest, rop);
        return;
    }
    if (image.isNull() || source.width() == 0 || source.height() == 0 || dest.width() == 0 ||
        dest.height() == 0 || !prepare()) {
        return;
    }
    const double sx = dest.width() / source.width();
    const double sy = dest.height() / source.height();
    const QTransform imageToLogical(sx, 0, 0, sy, dest.x() - source.x() * sx, dest.y() - source.y() * sy);
    const QRectF drawn = source.normalized().intersected(QRectF(image.rect()));
    if (drawn.isEmpty()) {
        return;
    }
    charge((imageToLogical * logicalToTarget()).mapRect(drawn));
    const QTransform full = imageToLogical * logicalToTarget() * origin_;
    painter_.setTransform(full);
    painter_.setCompositionMode(rasterOps_ ? ropMode(rop) : QPainter::CompositionMode_SourceOver);
    painter_.setOpacity(std::clamp(opacity, 0.0, 1.0));
    // Smooth when shrinking (photos) or when the file asks for halftone; enlarged pixel
    // art stays crisp.
    const bool shrinking = std::abs(full.m11()) < 1 && std::abs(full.m22()) < 1;
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, shrinking || state_.stretchMode == 4);
    painter_.drawImage(drawn, image, drawn);
    painter_.setOpacity(1.0);
}

void MetafileCanvas::fillRegion(const Region& region, const Brush& brush) {
    if (inPath_ || !prepare()) {
        return;
    }
    const QPainterPath path = regionPath(region);
    charge(path.controlPointRect());
    painter_.setTransform(origin_);
    fillWithBrush(path, brush);
}

void MetafileCanvas::frameRegion(const Region& region, const Brush& brush, QSizeF frame) {
    if (inPath_ || !prepare()) {
        return;
    }
    const QPainterPath path = regionPath(region);
    charge(path.controlPointRect());
    const double scale = std::sqrt(std::abs(deviceToTarget_.determinant()));
    painter_.setTransform(origin_);
    QPen pen(brush.color, std::max(1.0, (std::abs(frame.width()) + std::abs(frame.height())) / 2 * scale));
    pen.setJoinStyle(Qt::MiterJoin);
    painter_.strokePath(path, pen);
}

void MetafileCanvas::invertRegion(const Region& region) {
    if (inPath_ || !rasterOps_ || !prepare()) {
        return;
    }
    const QPainterPath path = regionPath(region);
    charge(path.controlPointRect());
    painter_.setTransform(origin_);
    painter_.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter_.fillPath(path, Qt::black);
}

void MetafileCanvas::beginPath() {
    inPath_ = true;
    path_ = QPainterPath();
}

void MetafileCanvas::abortPath() {
    inPath_ = false;
    path_ = QPainterPath();
}

void MetafileCanvas::closeFigure() {
    if (inPath_) {
        path_.closeSubpath();
    }
}

void MetafileCanvas::fillPath() {
    drawTargetPath(path_, true, false);
    path_ = QPainterPath();
}

void MetafileCanvas::strokePath() {
    drawTargetPath(path_, false, true);
    path_ = QPainterPath();
}

void MetafileCanvas::strokeAndFillPath() {
    drawTargetPath(path_, true, true);
    path_ = QPainterPath();
}

void MetafileCanvas::selectClipPath(int mode) {
    QPainterPath path = path_;
    path.setFillRule(state_.polyFillMode == 2 ? Qt::WindingFill : Qt::OddEvenFill);
    combineClip(path, mode);
    path_ = QPainterPath();
}

} // namespace velmoa
