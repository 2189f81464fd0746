#include "platform/ScaledImageCache.h"

namespace velmoa {

const QImage& ScaledImageCache::scaled(const QImage& source, const QSize& size) {
    if (result_.isNull() || sourceKey_ != source.cacheKey() || size_ != size) {
        result_ = source.size() == size
                      ? source
                      : source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        sourceKey_ = source.cacheKey();
        size_ = size;
    }
    return result_;
}

void ScaledImageCache::clear() {
    result_ = QImage();
    sourceKey_ = 0;
    size_ = QSize();
}

} // namespace velmoa
