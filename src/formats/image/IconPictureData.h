#pragma once

#include "formats/image/PictureData.h"
#include "formats/image/ScaledImageCache.h"

#include <QImage>
#include <QSize>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

namespace velmoa {

// An .ico file: every image decoded at load (all or nothing), drawn with its transparency.
//
// Size: the desktop's standard icon size (32 x 32) until an image has been chosen, which is the
// case at the first placement; a draw chooses the image that best suits the drawn size, and
// from then on the picture (and every copy, as they share this data) reports that image's size.
class IconPictureData : public PictureData {
  public:
    static constexpr int kStandardIconSize = 32;
    static const char* const kBadIconMessage;

    explicit IconPictureData(std::vector<QImage> images) : images_(std::move(images)) {}
    // Throws Failure: the icon message for a header that is not an icon's (a cursor, an empty
    // file), the stream message for a directory or image past the end of the file.
    static std::shared_ptr<IconPictureData> fromFileBytes(std::string_view bytes);

    // The smallest image at least as large as target on both sides, otherwise the largest.
    static std::size_t chooseImage(const std::vector<QSize>& sizes, const QSize& target);

    int width() const override;
    int height() const override;
    void draw(QPainter& painter, const QRect& target) const override;
    std::size_t imageCount() const { return images_.size(); }

  private:
    std::vector<QImage> images_;
    mutable std::mutex mutex_;
    mutable int chosen_ = -1;
    mutable ScaledImageCache scaled_;
};

} // namespace velmoa
