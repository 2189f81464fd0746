#include "formats/metafile/MetafileCanvas.h"

#include "formats/metafile/MetafileGdi.h"
#include "formats/metafile/MetafileRasterOp.h"

#include <algorithm>
#include <cmath>

namespace velmoa {

void MetafileCanvas::setPixel(QPointF p, QColor colour) {
    if (!prepare()) {
        return;
    }
    const QPointF device = state_.mapping.logicalToDevice(devicePerMm_).map(p);
    painter_.setTransform(deviceToTarget_ * origin_);
    painter_.fillRect(QRectF(std::floor(device.x()), std::floor(device.y()), 1, 1), colour);
}

void MetafileCanvas::patBlt(const QRectF& rect, std::uint32_t rop) {
    rasterOp(rect, rop::indexOf(rop), {});
}

void MetafileCanvas::rasterOp(const QRectF& dest, std::uint8_t index,
                              const std::function<void(QPainter&)>& paintSource) {
    // Blits are not pen drawings: the binary raster operation of SetROP2 does not apply.
    if (index == rop::kNoOp || dest.width() == 0 || dest.height() == 0 || !prepare(true)) {
        return;
    }
    const QTransform t = logicalToTarget();
    charge(t.mapRect(dest));
    painter_.setTransform(t * origin_);
    const QPainterPath area = rectPath(dest);
    const auto paintPattern = [&](QPainter& p) { fillWithBrush(p, area, state_.brush, true); };
    if (!rop::usesDestination(index) && !rop::usesSource(index)) {
        if (index == rop::kPatternCopy) {
            fillWithBrush(area, state_.brush);
        } else {
            painter_.fillPath(area, QColor(rop::apply(index, state_.brush.color.rgb(), 0, 0) | 0xFF000000));
        }
        return;
    }
    if (rop::applyOnDevice(painter_, index, area, paintSource, paintPattern)) {
        return;
    }
    // No pixels to read (a vector device): Qt's raster compositions cover the two-operand cases.
    if (const auto mode = rop::compositionMode(index); mode && rasterOps_) {
        painter_.setCompositionMode(*mode);
        if (paintSource && rop::usesSource(index)) {
            paintSource(painter_);
        } else {
            paintPattern(painter_);
        }
    }
}

void MetafileCanvas::stretchImage(const QRectF& dest, const QImage& image, const QRectF& source,
                                  std::uint32_t rop, double opacity) {
    const std::uint8_t index = rop::indexOf(rop);
    if (!rop::usesSource(index)) {
        patBlt(dest, rop);
        return;
    }
    if (image.isNull() || source.width() == 0 || source.height() == 0 || dest.width() == 0 ||
        dest.height() == 0) {
        return;
    }
    const double sx = dest.width() / source.width();
    const double sy = dest.height() / source.height();
    const QTransform imageToLogical(sx, 0, 0, sy, dest.x() - source.x() * sx, dest.y() - source.y() * sy);
    const QRectF drawn = source.normalized().intersected(QRectF(image.rect()));
    if (drawn.isEmpty()) {
        return;
    }
    if (rop::usesDestination(index)) {
        // Combined bit by bit with the destination, pixels are taken whole: a blend of a mask's
        // edge would let the picture show through where the mask keeps the background.
        rasterOp(dest, index, [&](QPainter& p) {
            p.setTransform(imageToLogical * p.transform());
            p.setRenderHint(QPainter::SmoothPixmapTransform, false);
            p.drawImage(drawn, image, drawn);
        });
        return;
    }
    // Smooth when shrinking (photos) or when the file asks for halftone; enlarged pixel
    // art stays crisp.
    const QTransform toTarget = imageToLogical * logicalToTarget();
    const bool smooth =
        (std::abs(toTarget.m11()) < 1 && std::abs(toTarget.m22()) < 1) || state_.stretchMode == gdi::HALFTONE;
    if (!prepare(true)) {
        return;
    }
    charge(toTarget.mapRect(drawn));
    painter_.setTransform(toTarget * origin_);
    painter_.setOpacity(std::clamp(opacity, 0.0, 1.0));
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    // Without the destination the operation is a function of the source and the brush colour.
    painter_.drawImage(drawn, rop::applyToImage(index, image, state_.brush.color.rgb()), drawn);
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
