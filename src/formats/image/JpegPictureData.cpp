#include "formats/image/JpegPictureData.h"

#include "platform/FailureReporter.h"

#include <QPainter>

namespace velmoa {

JpegPictureData::JpegPictureData(ByteBuffer bytes) : bytes_(std::move(bytes)) {
    if (bytes_.size() != 0) {
        header_ = JpegDecoder::readHeader(bytes_.view());
    }
}

int JpegPictureData::width() const {
    return JpegDecoder::swapsSides(header_.orientation) ? header_.height : header_.width;
}

int JpegPictureData::height() const {
    return JpegDecoder::swapsSides(header_.orientation) ? header_.width : header_.height;
}

int JpegPictureData::decodeCount() const {
    std::lock_guard lock(mutex_);
    return decodeCount_;
}

int JpegPictureData::decodedScale() const {
    std::lock_guard lock(mutex_);
    return decodedScale_;
}

void JpegPictureData::draw(QPainter& painter, const QRect& target) const {
    if (header_.width <= 0 || header_.height <= 0 || target.isEmpty()) {
        return;
    }
    std::lock_guard lock(mutex_);
    const QSize device = ScaledImageCache::deviceSize(painter, target);
    const QSize storedTarget = JpegDecoder::swapsSides(header_.orientation) ? device.transposed() : device;
    const int needed = JpegDecoder::chooseScale(QSize(header_.width, header_.height), storedTarget);
    if (decodedScale_ < needed) {
        JpegDecoder::Decoded result = JpegDecoder::decode(bytes_.view(), needed);
        ++decodeCount_;
        decodedScale_ = needed;
        decoded_ = JpegDecoder::oriented(result.image, header_.orientation);
        scaled_.clear();
        if (result.errorCode != 0 && !failureReported_) {
            failureReported_ = true;
            postFailure(JpegDecoder::errorMessage(result.errorCode));
        }
    }
    if (!decoded_.isNull()) {
        painter.drawImage(target.topLeft(),
                          scaled_.scaled(decoded_, device, ScaledImageCache::devicePixelRatio(painter)));
    }
}

} // namespace velmoa
