#include "formats/metafile/MetafileMapping.h"

#include "formats/metafile/MetafileGdi.h"
#include <algorithm>
#include <cmath>

namespace velmoa {

void MetafileMapping::setMapMode(int mode) {
    if (mode >= gdi::MM_TEXT && mode <= gdi::MM_ANISOTROPIC) {
        mapMode_ = mode;
    }
}

// Extents only count in the two scalable modes; zero extents are refused as GDI does.
void MetafileMapping::setWindowExt(QSizeF ext) {
    if (mapMode_ >= 7 && ext.width() != 0 && ext.height() != 0) {
        windowExt_ = ext;
    }
}

void MetafileMapping::setViewportExt(QSizeF ext) {
    if (mapMode_ >= 7 && ext.width() != 0 && ext.height() != 0) {
        viewportExt_ = ext;
    }
}

void MetafileMapping::scaleWindowExt(double xNum, double xDenom, double yNum, double yDenom) {
    if (xDenom != 0 && yDenom != 0) {
        setWindowExt(QSizeF(windowExt_.width() * xNum / xDenom, windowExt_.height() * yNum / yDenom));
    }
}

void MetafileMapping::scaleViewportExt(double xNum, double xDenom, double yNum, double yDenom) {
    if (xDenom != 0 && yDenom != 0) {
        setViewportExt(QSizeF(viewportExt_.width() * xNum / xDenom, viewportExt_.height() * yNum / yDenom));
    }
}

void MetafileMapping::modifyWorldTransform(const QTransform& by, int mode) {
    QTransform next = world_;
    switch (mode) {
    case gdi::MWT_IDENTITY:
        next = QTransform();
        break;
    case gdi::MWT_LEFTMULTIPLY:
        next = by * world_;
        break;
    case gdi::MWT_RIGHTMULTIPLY:
        next = world_ * by;
        break;
    case gdi::MWT_SET:
        next = by;
        break;
    default:
        break;
    }
    setWorldTransform(next);
}

void MetafileMapping::setWorldTransform(const QTransform& world) {
    // A product of finite transforms can overflow; GDI fails such a call and keeps the transform it
    // had, and every coordinate drawn later stays a number.
    const double values[] = {world.m11(), world.m12(), world.m21(), world.m22(), world.dx(), world.dy()};
    if (std::all_of(std::begin(values), std::end(values), [](double v) { return std::isfinite(v); })) {
        world_ = world;
    }
}

QTransform MetafileMapping::pageTransform(QSizeF devicePerMm) const {
    double sx = 1;
    double sy = 1;
    double millimetres = 0;
    switch (mapMode_) {
    case gdi::MM_LOMETRIC:
        millimetres = 0.1;
        break;
    case gdi::MM_HIMETRIC:
        millimetres = 0.01;
        break;
    case gdi::MM_LOENGLISH:
        millimetres = 0.254;
        break;
    case gdi::MM_HIENGLISH:
        millimetres = 0.0254;
        break;
    case gdi::MM_TWIPS:
        millimetres = 25.4 / 1440;
        break;
    case gdi::MM_ISOTROPIC:
    case gdi::MM_ANISOTROPIC:
        sx = viewportExt_.width() / windowExt_.width();
        sy = viewportExt_.height() / windowExt_.height();
        if (mapMode_ == gdi::MM_ISOTROPIC) {
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
        sx = millimetres * devicePerMm.width();
        sy = -millimetres * devicePerMm.height();
    }
    return QTransform(sx, 0, 0, sy, viewportOrg_.x() - windowOrg_.x() * sx,
                      viewportOrg_.y() - windowOrg_.y() * sy);
}

} // namespace velmoa
