#pragma once

#include <QImage>
#include <QSize>

class QPainter;

namespace velmoa {

// Keeps the last smooth-scaled copy of an image: paint events repeat the same size, and a smooth
// resample of a large picture costs more than the paint itself. Not thread-safe; owners guard it.
class ScaledImageCache {
  public:
    // source resampled to size (device pixels) with a high-quality filter, the source itself when
    // the sizes agree; tagged with the painter's device pixel ratio so it covers size / ratio.
    const QImage& scaled(const QImage& source, const QSize& size, qreal devicePixelRatio = 1.0);

    // source resampled to size with the filter scaled() uses; source itself when the sizes agree.
    static QImage resampled(const QImage& source, const QSize& size);

    // The device pixels a painter gives to target (more than its size on high-density screens).
    static QSize deviceSize(const QPainter& painter, const QRect& target);
    static qreal devicePixelRatio(const QPainter& painter);
    void clear();

  private:
    QImage result_;
    qint64 sourceKey_ = 0;
    QSize size_;
    qreal devicePixelRatio_ = 1.0;
};

} // namespace velmoa
