#include "formats/metafile/MetafileCanvas.h"

#include <algorithm>
#include <cmath>

namespace velmoa {
namespace {

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

} // namespace

void MetafileCanvas::setPixel(QPointF p, QColor colour) {
    if (!prepare()) {
        return;
    }
    const QPointF device = state_.mapping.logicalToDevice(devicePerMm_).map(p);
    painter_.setTransform(deviceToTarget_ * origin_);
    painter_.fillRect(QRectF(std::floor(device.x()), std::floor(device.y()), 1, 1), colour);
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

} // namespace velmoa
