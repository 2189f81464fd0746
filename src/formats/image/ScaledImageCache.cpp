#include "formats/image/ScaledImageCache.h"

#include <QPaintDevice>
#include <QPainter>

namespace velmoa {

const QImage& ScaledImageCache::scaled(const QImage& source, const QSize& size, qreal devicePixelRatio) {
    if (result_.isNull() || sourceKey_ != source.cacheKey() || size_ != size ||
        devicePixelRatio_ != devicePixelRatio) {
        result_ = resampled(source, size);
        sourceKey_ = source.cacheKey();
        size_ = size;
        devicePixelRatio_ = devicePixelRatio;
        result_.setDevicePixelRatio(devicePixelRatio);
    }
    return result_;
}

QImage ScaledImageCache::resampled(const QImage& source, const QSize& size) {
    return source.size() == size ? source
                                 : source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

qreal ScaledImageCache::devicePixelRatio(const QPainter& painter) {
    const QPaintDevice* device = painter.device();
    return device ? device->devicePixelRatio() : 1.0;
}

QSize ScaledImageCache::deviceSize(const QPainter& painter, const QRect& target) {
    return (QSizeF(target.size()) * devicePixelRatio(painter)).toSize();
}

void ScaledImageCache::clear() {
    result_ = QImage();
    sourceKey_ = 0;
    size_ = QSize();
}

} // namespace velmoa
