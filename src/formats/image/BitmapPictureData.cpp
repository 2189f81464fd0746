#include "formats/image/BitmapPictureData.h"

#include <QPainter>

namespace velmoa {

std::shared_ptr<BitmapPictureData> BitmapPictureData::load(std::string_view prefix, std::int64_t total,
                                                           const BitmapDecoder::ReadMore& readMore) {
    if (prefix.empty()) {
        return std::make_shared<BitmapPictureData>(QImage());
    }
    return std::make_shared<BitmapPictureData>(BitmapDecoder::decodeFile(prefix, total, readMore));
}

void BitmapPictureData::draw(QPainter& painter, const QRect& target) const {
    if (image_.isNull() || target.isEmpty()) {
        return;
    }
    std::lock_guard lock(mutex_);
    painter.drawImage(target.topLeft(), scaled_.scaled(image_, ScaledImageCache::deviceSize(painter, target),
                                                       ScaledImageCache::devicePixelRatio(painter)));
}

} // namespace velmoa
