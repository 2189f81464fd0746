#pragma once

#include <QImage>
#include <QSize>

namespace velmoa {

// Keeps the last smooth-scaled copy of an image: paint events repeat the same size, and a smooth
// resample of a large picture costs more than the paint itself. Not thread-safe; owners guard it.
class ScaledImageCache {
  public:
    // source resampled to size with a high-quality filter (the source itself when sizes agree).
    const QImage& scaled(const QImage& source, const QSize& size);
    void clear();

  private:
    QImage result_;
    qint64 sourceKey_ = 0;
    QSize size_;
};

} // namespace velmoa
