#include "formats/image/IconPictureData.h"

#include "formats/image/BitmapDecoder.h"
#include "platform/Failure.h"

#include <QPainter>
#include <cstdint>

namespace velmoa {

const char* const IconPictureData::kBadIconMessage = "アイコンイメージが不正です";

namespace {

// Icons are small; this bounds what a hostile file can make us allocate.
constexpr std::int64_t kMaxIconPixels = std::int64_t{1} << 22;
constexpr std::int64_t kMaxTotalPixels = std::int64_t{1} << 24;

std::uint32_t le(std::string_view b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = v << 8 | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    }
    return v;
}

std::uint32_t be32(std::string_view b, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        v = v << 8 | static_cast<unsigned char>(b[at + i]);
    }
    return v;
}

QImage decodePng(std::string_view data) {
    // Look at the declared size before letting the PNG reader allocate for it.
    if (data.size() < 24) {
        throw Failure(BitmapDecoder::kStreamErrorMessage);
    }
    const std::int64_t w = be32(data, 16);
    const std::int64_t h = be32(data, 20);
    // Divided, not multiplied: two 32-bit sides overflow a signed 64-bit product.
    if (w <= 0 || h <= 0 || w > kMaxIconPixels / h) {
        throw Failure(IconPictureData::kBadIconMessage);
    }
    QImage image;
    if (!image.loadFromData(reinterpret_cast<const uchar*>(data.data()), static_cast<int>(data.size()),
                            "PNG")) {
        throw Failure(IconPictureData::kBadIconMessage);
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

std::shared_ptr<IconPictureData> IconPictureData::fromFileBytes(std::string_view bytes) {
    if (bytes.size() < 6 || le(bytes, 0, 2) != 0 || le(bytes, 2, 2) != 1 || le(bytes, 4, 2) == 0) {
        throw Failure(kBadIconMessage);
    }
    const std::size_t count = le(bytes, 4, 2);
    if (6 + 16 * count > bytes.size()) {
        throw Failure(BitmapDecoder::kStreamErrorMessage);
    }
    std::vector<QImage> images;
    images.reserve(count);
    std::int64_t totalPixels = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = 6 + 16 * i;
        const std::int64_t length = le(bytes, entry + 8, 4);
        const std::int64_t offset = le(bytes, entry + 12, 4);
        if (offset + length > static_cast<std::int64_t>(bytes.size())) {
            throw Failure(BitmapDecoder::kStreamErrorMessage);
        }
        const std::string_view data =
            bytes.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
        QImage image = data.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8)
                           ? decodePng(data)
                           : BitmapDecoder::decodeIconImage(data, kBadIconMessage, kMaxIconPixels);
        totalPixels += std::int64_t{image.width()} * image.height();
        if (std::int64_t{image.width()} * image.height() > kMaxIconPixels || totalPixels > kMaxTotalPixels) {
            throw Failure(kBadIconMessage);
        }
        images.push_back(std::move(image));
    }
    return std::make_shared<IconPictureData>(std::move(images));
}

std::size_t IconPictureData::chooseImage(const std::vector<QSize>& sizes, const QSize& target) {
    auto area = [](const QSize& s) { return std::int64_t{s.width()} * s.height(); };
    std::size_t best = sizes.size();
    std::size_t largest = 0;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const QSize& s = sizes[i];
        if (area(s) > area(sizes[largest])) {
            largest = i;
        }
        if (s.width() >= target.width() && s.height() >= target.height() &&
            (best == sizes.size() || area(s) < area(sizes[best]))) {
            best = i;
        }
    }
    return best != sizes.size() ? best : largest;
}

int IconPictureData::width() const {
    std::lock_guard lock(mutex_);
    return chosen_ < 0 ? kStandardIconSize : images_[static_cast<std::size_t>(chosen_)].width();
}

int IconPictureData::height() const {
    std::lock_guard lock(mutex_);
    return chosen_ < 0 ? kStandardIconSize : images_[static_cast<std::size_t>(chosen_)].height();
}

void IconPictureData::draw(QPainter& painter, const QRect& target) const {
    if (images_.empty() || target.isEmpty()) {
        return;
    }
    std::lock_guard lock(mutex_);
    std::vector<QSize> sizes;
    sizes.reserve(images_.size());
    for (const QImage& image : images_) {
        sizes.push_back(image.size());
    }
    chosen_ = static_cast<int>(chooseImage(sizes, ScaledImageCache::deviceSize(painter, target)));
    painter.drawImage(target.topLeft(), scaled_.scaled(images_[static_cast<std::size_t>(chosen_)],
                                                       ScaledImageCache::deviceSize(painter, target),
                                                       ScaledImageCache::devicePixelRatio(painter)));
}

} // namespace velmoa
