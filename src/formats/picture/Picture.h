#pragma once

#include "formats/picture/PictureData.h"

#include <memory>
#include <optional>
#include <string>

class QPainter;

namespace velmoa {

// A loaded picture: its kind and shared data. Copies are cheap and share the data (and so
// whatever the data has decoded).
class Picture {
  public:
    enum class Kind { Empty, Bitmap, Jpeg, Icon, Metafile };

    Picture() = default;
    Picture(Kind kind, std::shared_ptr<const PictureData> data) : kind_(kind), data_(std::move(data)) {}

    Kind kind() const { return kind_; }
    bool isEmpty() const { return !data_; }
    int width() const { return data_ ? data_->width() : 0; }
    int height() const { return data_ ? data_->height() : 0; }
    // Draws the picture stretched into target; nothing for an empty picture. Never throws: see
    // takeDrawFailure().
    void draw(QPainter& painter, const QRect& target) const {
        if (data_) {
            data_->draw(painter, target);
        }
    }
    // A decoding error that a draw of this picture or of a copy found, given once.
    std::optional<std::string> takeDrawFailure() const {
        return data_ ? data_->takeDrawFailure() : std::nullopt;
    }
    bool pixelsPending() const { return data_ && data_->pixelsPending(); }
    // Calls onReady once the pending pixels are ready (see PictureData); the watch ends it early.
    [[nodiscard]] ReadyFlag::Watch whenPixelsReady(std::function<void()> onReady) const {
        if (!data_) {
            onReady();
            return {};
        }
        return data_->whenPixelsReady(std::move(onReady));
    }
    const PictureData* data() const { return data_.get(); }

  private:
    Kind kind_ = Kind::Empty;
    std::shared_ptr<const PictureData> data_;
};

} // namespace velmoa
