#include "platform/BitmapPictureData.h"

#include "platform/BitmapDecoder.h"

#include <QPainter>

namespace velmoa {

std::shared_ptr<BitmapPictureData> BitmapPictureData::fromFileBytes(std::string_view bytes) {
    if (bytes.empty()) {
        return std::make_shared<BitmapPictureData>(QImage());
    }
    return std::make_shared<BitmapPictureData>(BitmapDecoder::decodeFile(bytes));
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
