#pragma once

#include "formats/image/ScaledImageCache.h"
#include "formats/picture/PictureData.h"

#include <QImage>
#include <QSize>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

namespace velmoa {

// An .ico file: every image decoded at load (all or nothing), drawn with its own transparency: what
// its mask or alpha leaves out shows the surface beneath (the picture frame's white).
//
// Size: the desktop's standard icon size (32 x 32) until an image has been chosen, which is the
// case at the first placement; a draw chooses the image that best suits the drawn size, and
// from then on the picture (and every copy, as they share this data) reports that image's size.
class IconPictureData : public PictureData {
  public:
    static constexpr int kStandardIconSize = 32;
    // Deeper images count as this deep, the depth of the display.
    static constexpr int kDisplayDepth = 32;
    static const char* const kBadIconMessage;

    struct Entry {
        QImage image;  // premultiplied alpha
        int depth = 0; // bits a pixel as stored
    };
    explicit IconPictureData(std::vector<Entry> entries) : entries_(std::move(entries)) {}
    // Throws Failure: the icon message for a header that is not an icon's (a cursor, an empty
    // file), the stream message for a directory or image past the end of the file.
    static std::shared_ptr<IconPictureData> fromFileBytes(std::string_view bytes);

    struct Candidate {
        QSize size;
        int depth = 0;
    };
    // Of the images of the best size (the smallest at least as large as target on both sides,
    // otherwise the largest), the one with the most colours; the first of equals.
    static std::size_t chooseImage(const std::vector<Candidate>& candidates, const QSize& target);

    int width() const override;
    int height() const override;
    void draw(QPainter& painter, const QRect& target) const override;
    std::size_t imageCount() const { return entries_.size(); }

  private:
    std::vector<Entry> entries_;
    mutable std::mutex mutex_;
    mutable int chosen_ = -1;
    mutable ScaledImageCache scaled_;
};

} // namespace velmoa
