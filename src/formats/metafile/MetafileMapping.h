#pragma once

#include <QPointF>
#include <QSizeF>
#include <QTransform>

namespace velmoa {

// How a device context maps logical units onto device units: the mapping mode with its
// window and viewport, and (EMF) the world transform in front of them.
class MetafileMapping {
  public:
    void setMapMode(int mode);
    void setWindowOrg(QPointF org) { windowOrg_ = org; }
    void setWindowExt(QSizeF ext);
    void setViewportOrg(QPointF org) { viewportOrg_ = org; }
    void setViewportExt(QSizeF ext);
    void offsetWindowOrg(QPointF by) { windowOrg_ += by; }
    void offsetViewportOrg(QPointF by) { viewportOrg_ += by; }
    void scaleWindowExt(double xNum, double xDenom, double yNum, double yDenom);
    void scaleViewportExt(double xNum, double xDenom, double yNum, double yDenom);
    QPointF windowOrg() const { return windowOrg_; }
    QSizeF windowExt() const { return windowExt_; }
    // A transform with a value that is not a number, or not finite, is refused.
    void setWorldTransform(const QTransform& world);
    void modifyWorldTransform(const QTransform& by, int mode);
    const QTransform& world() const { return world_; }
    // Logical to device units; devicePerMm is the device resolution the metric modes use.
    QTransform logicalToDevice(QSizeF devicePerMm) const { return world_ * pageTransform(devicePerMm); }

  private:
    QTransform pageTransform(QSizeF devicePerMm) const;

    int mapMode_ = 1;
    QPointF windowOrg_;
    QSizeF windowExt_{1, 1};
    QPointF viewportOrg_;
    QSizeF viewportExt_{1, 1};
    QTransform world_;
};

} // namespace velmoa
