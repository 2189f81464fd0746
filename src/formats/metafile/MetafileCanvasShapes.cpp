#include "formats/metafile/MetafileCanvas.h"

#include "formats/metafile/MetafileGdi.h"
#include "formats/metafile/MetafilePathCulling.h"

#include <algorithm>
#include <cmath>

namespace velmoa {

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
    const QPen pen = stroke ? makePen(1.0) : QPen(Qt::NoPen);
    const double penPixels =
        pen.style() == Qt::NoPen ? 0 : pen.widthF() * std::sqrt(std::abs(t.determinant()));
    const QPainterPath drawn = withinBudget(culledToTarget(logicalPath, t, penPixels, fill),
                                            t.mapRect(logicalPath.controlPointRect()), penPixels, pen,
                                            std::sqrt(std::abs(t.determinant())), fill);
    painter_.setTransform(t * origin_);
    if (fill) {
        fillWithBrush(drawn, state_.brush);
        // Shapes split into touching pieces (as converters write thick lines) would show
        // hairline seams where antialiased edges meet; a hairline of the fill closes them.
        if (pen.style() == Qt::NoPen && state_.brush.kind == Brush::Kind::Solid &&
            state_.rop2 == gdi::R2_COPYPEN) {
            painter_.strokePath(drawn, QPen(state_.brush.color, 0));
        }
    }
    if (pen.style() != Qt::NoPen) {
        painter_.strokePath(drawn, pen);
    }
}

const QPainterPath& MetafileCanvas::culledToTarget(const QPainterPath& logicalPath, const QTransform& t,
                                                   double penPixels, bool fill) {
    // The drawable area grown by more than the pen (with its joins) can reach, back in logical units.
    const double margin = penPixels / 2 * std::max(2.0, state_.miterLimit) + 8;
    const QRectF area = t.inverted().mapRect(target_.adjusted(-margin, -margin, margin, margin));
    if (!t.isInvertible() || !MetafilePathCulling::worthCulling(logicalPath, area)) {
        return logicalPath;
    }
    culled_ = MetafilePathCulling::culled(logicalPath, area, fill);
    return culled_;
}

void MetafileCanvas::drawTargetPath(const QPainterPath& targetPath, bool fill, bool stroke) {
    if (!prepare()) {
        return;
    }
    const QPen pen = stroke ? makePen(averageScale()) : QPen(Qt::NoPen);
    const QPainterPath drawn = withinBudget(targetPath, targetPath.controlPointRect(),
                                            pen.style() == Qt::NoPen ? 0 : pen.widthF(), pen, 1, fill);
    painter_.setTransform(origin_);
    if (fill) {
        QPainterPath filled = drawn;
        filled.setFillRule(state_.polyFillMode == gdi::WINDING ? Qt::WindingFill : Qt::OddEvenFill);
        fillWithBrush(filled, state_.brush);
        if (!stroke && state_.brush.kind == Brush::Kind::Solid && state_.rop2 == gdi::R2_COPYPEN) {
            painter_.strokePath(filled, QPen(state_.brush.color, 0)); // closes seams, as in drawPath
        }
    }
    if (pen.style() != Qt::NoPen) {
        painter_.strokePath(drawn, pen);
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
    path.setFillRule(state_.polyFillMode == gdi::WINDING ? Qt::WindingFill : Qt::OddEvenFill);
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
    const double inset =
        (state_.pen.style & gdi::PS_STYLE_MASK) == gdi::PS_INSIDEFRAME ? state_.pen.width / 2 : 0;
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
        const std::uint8_t type = types[i] & gdi::PT_MOVETO;
        if (type == gdi::PT_MOVETO) {
            path.moveTo(points[i]);
            figureStart = points[i];
        } else if (type == gdi::PT_BEZIERTO && i + 2 < points.size()) {
            path.cubicTo(points[i], points[i + 1], points[i + 2]);
            i += 2;
        } else {
            path.lineTo(points[i]);
        }
        if (types[i] & gdi::PT_CLOSEFIGURE) {
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
    path.setFillRule(state_.polyFillMode == gdi::WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    combineClip(path, mode);
    path_ = QPainterPath();
}

} // namespace velmoa
