#include "formats/image/JpegPictureData.h"

#include <QPainter>

namespace velmoa {

JpegPictureData::JpegPictureData(ByteBuffer bytes)
    : JpegPictureData(std::make_shared<const MemoryCodedSource>(std::move(bytes))) {}

JpegPictureData::JpegPictureData(std::shared_ptr<const CodedSource> source) : source_(std::move(source)) {
    if (source_->size() != 0) {
        header_ = JpegDecoder::readHeader(*source_);
    }
}

int JpegPictureData::width() const {
    return JpegDecoder::swapsSides(header_.orientation) ? header_.height : header_.width;
}

int JpegPictureData::height() const {
    return JpegDecoder::swapsSides(header_.orientation) ? header_.width : header_.height;
}

void JpegPictureData::offerPrepared(PreparedDecode prepared, ReadyFlag ready) const {
    std::lock_guard lock(mutex_);
    prepared_ = std::move(prepared);
    preparedReady_ = std::move(ready);
}

bool JpegPictureData::pixelsPending() const {
    std::lock_guard lock(mutex_);
    return prepared_ && preparedReady_ && !preparedReady_->isSet();
}

ReadyFlag::Watch JpegPictureData::whenPixelsReady(std::function<void()> onReady) const {
    std::optional<ReadyFlag> ready;
    {
        std::lock_guard lock(mutex_);
        if (prepared_) {
            ready = preparedReady_;
        }
    }
    if (!ready) {
        onReady();
        return {};
    }
    return ready->watch(std::move(onReady));
}

int JpegPictureData::decodeCount() const {
    std::lock_guard lock(mutex_);
    return decodeCount_;
}

int JpegPictureData::decodedScale() const {
    std::lock_guard lock(mutex_);
    return decoded_.mainScale;
}

bool JpegPictureData::decodedFromPreview() const {
    std::lock_guard lock(mutex_);
    return decoded_.fromPreview();
}

void JpegPictureData::keep(JpegDisplayDecode decoded) const {
    decoded_ = std::move(decoded);
    scaled_.clear();
    if (decoded_.errorCode != 0) {
        failure_.note(JpegDecoder::errorMessage(decoded_.errorCode));
    }
}

std::optional<std::string> JpegPictureData::takeDrawFailure() const {
    std::lock_guard lock(mutex_);
    return failure_.take();
}

void JpegPictureData::draw(QPainter& painter, const QRect& target) const {
    if (header_.width <= 0 || header_.height <= 0 || target.isEmpty()) {
        return;
    }
    const QSize device = ScaledImageCache::deviceSize(painter, target);
    const QSize storedTarget = JpegDecoder::swapsSides(header_.orientation) ? device.transposed() : device;
    PreparedDecode prepared;
    {
        std::lock_guard lock(mutex_);
        prepared = std::exchange(prepared_, {});
        preparedReady_.reset();
    }
    // Waited for without the lock: the thread making the pixels, or any other, may ask this
    // picture about itself meanwhile.
    const std::shared_ptr<const JpegDisplayDecode> offered = prepared ? prepared() : nullptr;
    std::lock_guard lock(mutex_);
    if (offered && offered->serves(storedTarget) && !decoded_.serves(storedTarget)) {
        keep(*offered);
    }
    if (!decoded_.serves(storedTarget)) {
        ++decodeCount_;
        keep(JpegDisplayDecode::make(*source_, header_, storedTarget));
    }
    if (!decoded_.upright.isNull()) {
        painter.drawImage(target.topLeft(), scaled_.scaled(decoded_.upright, device,
                                                           ScaledImageCache::devicePixelRatio(painter)));
    }
}

Picture jpegPictureFromBytes(std::string_view bytes) {
    return Picture(Picture::Kind::Jpeg, std::make_shared<JpegPictureData>(ByteBuffer::copyOf(bytes)));
}

} // namespace velmoa
