#include "formats/image/BitmapPictureData.h"

#include "formats/image/BitmapDecoder.h"
#include "platform/ReadOnlyFile.h"

#include <QPainter>

namespace velmoa {

std::shared_ptr<BitmapPictureData> BitmapPictureData::load(ReadOnlyFile& file) {
    const std::string prefix = file.read(BitmapDecoder::kPrefixBytes);
    if (prefix.empty()) {
        return std::make_shared<BitmapPictureData>(QImage());
    }
    return std::make_shared<BitmapPictureData>(
        BitmapDecoder::decodeFile(prefix, file.size(), [&file](std::size_t n) { return file.read(n); }));
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
