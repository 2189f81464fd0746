#include "formats/image/IconPictureData.h"

#include "base/Failure.h"
#include "formats/image/BitmapDecoder.h"

#include <QPainter>
#include <algorithm>
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

// Bits a pixel of an image, from its own header: writers often leave the directory's count 0.
// The header has been checked by the decoder.
int depthOf(std::string_view data, bool png) {
    if (png) {
        const int bits = static_cast<unsigned char>(data[24]);
        switch (static_cast<unsigned char>(data[25])) { // colour type
        case 2:
            return 3 * bits;
        case 4:
            return 2 * bits;
        case 6:
            return 4 * bits;
        default: // grey or palette
            return bits;
        }
    }
    return static_cast<int>(le(data, le(data, 0, 4) == 12 ? 10 : 14, 2));
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
    std::vector<Entry> entries;
    entries.reserve(count);
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
        const bool png = data.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8);
        const QImage image =
            png ? decodePng(data) : BitmapDecoder::decodeIconImage(data, kBadIconMessage, kMaxIconPixels);
        totalPixels += std::int64_t{image.width()} * image.height();
        if (std::int64_t{image.width()} * image.height() > kMaxIconPixels || totalPixels > kMaxTotalPixels) {
            throw Failure(kBadIconMessage);
        }
        entries.push_back({image, depthOf(data, png)});
    }
    return std::make_shared<IconPictureData>(std::move(entries));
}

std::size_t IconPictureData::chooseImage(const std::vector<Candidate>& candidates, const QSize& target) {
    auto area = [](const QSize& s) { return std::int64_t{s.width()} * s.height(); };
    std::size_t best = candidates.size();
    std::size_t largest = 0;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const QSize& s = candidates[i].size;
        if (area(s) > area(candidates[largest].size)) {
            largest = i;
        }
        if (s.width() >= target.width() && s.height() >= target.height() &&
            (best == candidates.size() || area(s) < area(candidates[best].size))) {
            best = i;
        }
    }
    const QSize size = candidates[best != candidates.size() ? best : largest].size;
    auto colours = [](const Candidate& c) { return std::min(c.depth, kDisplayDepth); };
    std::size_t deepest = candidates.size();
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (candidates[i].size == size &&
            (deepest == candidates.size() || colours(candidates[i]) > colours(candidates[deepest]))) {
            deepest = i;
        }
    }
    return deepest;
}

int IconPictureData::width() const {
    std::lock_guard lock(mutex_);
    return chosen_ < 0 ? kStandardIconSize : entries_[static_cast<std::size_t>(chosen_)].image.width();
}

int IconPictureData::height() const {
    std::lock_guard lock(mutex_);
    return chosen_ < 0 ? kStandardIconSize : entries_[static_cast<std::size_t>(chosen_)].image.height();
}

void IconPictureData::draw(QPainter& painter, const QRect& target) const {
    if (entries_.empty() || target.isEmpty()) {
        return;
    }
    std::lock_guard lock(mutex_);
    std::vector<Candidate> candidates;
    candidates.reserve(entries_.size());
    for (const Entry& entry : entries_) {
        candidates.push_back({entry.image.size(), entry.depth});
    }
    const QSize device = ScaledImageCache::deviceSize(painter, target);
    chosen_ = static_cast<int>(chooseImage(candidates, device));
    painter.drawImage(target.topLeft(), scaled_.scaled(entries_[static_cast<std::size_t>(chosen_)].image,
                                                       device, ScaledImageCache::devicePixelRatio(painter)));
}

} // namespace velmoa
