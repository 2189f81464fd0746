#include "formats/metafile/MetafileData.h"

#include <QPainter>

namespace velmoa {

const char* const MetafileData::kTooComplexMessage = "メタファイルが複雑すぎるため、途中までを表示しています";

MetafileData::MetafileData(std::string bytes, const WmfPlayer::Header& header, QSize size)
    : bytes_(std::move(bytes)), header_(header), size_(size) {}

MetafileData::MetafileData(std::string bytes, const EmfPlayer::Header& header, QSize size)
    : bytes_(std::move(bytes)), header_(header), size_(size) {}

void MetafileData::draw(QPainter& painter, const QRect& target) const {
    if (target.isEmpty() || !painter.isActive()) {
        return;
    }
    std::lock_guard lock(mutex_);
    if (qint64{target.width()} * target.height() > kMaxCachedPixels) {
        play(painter, target);
        return;
    }
    if (drawn_.size() != target.size()) {
        QImage image(target.size(), QImage::Format_RGB32);
        if (image.isNull()) {
            return;
        }
        image.fill(Qt::white);
        QPainter onImage(&image);
        play(onImage, QRectF(QPointF(0, 0), QSizeF(target.size())));
        onImage.end();
        drawn_ = std::move(image);
    }
    painter.drawImage(target.topLeft(), drawn_);
}

int MetafileData::playCount() const {
    std::lock_guard lock(mutex_);
    return playCount_;
}

std::optional<std::string> MetafileData::takeDrawFailure() const {
    std::lock_guard lock(mutex_);
    return failure_.take();
}

// Called with mutex_ held.
void MetafileData::play(QPainter& painter, const QRectF& target) const {
    ++playCount_;
    try {
        bool exhausted = false;
        if (const auto* wmf = std::get_if<WmfPlayer::Header>(&header_)) {
            const WmfPlayer player(bytes_, *wmf);
            player.play(painter, target);
            exhausted = player.exhausted();
        } else {
            const EmfPlayer player(bytes_, std::get<EmfPlayer::Header>(header_));
            player.play(painter, target);
            exhausted = player.exhausted();
        }
        if (exhausted) {
            // What was reached is shown; say once that the rest is not.
            failure_.note(kTooComplexMessage);
        }
    } catch (...) {
        // Only allocation failures can get here; a picture is not worth ending the program for.
    }
}

} // namespace velmoa
