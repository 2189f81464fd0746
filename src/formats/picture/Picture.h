#pragma once

#include "formats/image/PictureData.h"
#include "platform/ReadOnlyFile.h"

#include <memory>
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

    // Loads a file, choosing the decoder by its extension (bmp, ico, wmf, emf, jpg, jpeg, any
    // case). All or nothing: throws Failure with the user's message. identity, when given, receives
    // the identity of the file that was read. A JPEG keeps its file open and reads only its header
    // here; its pixels are read from that file when it is drawn.
    static Picture loadFromFile(const std::string& path, FileIdentity* identity = nullptr);
    // A JPEG held in memory (the built-in pictures).
    static Picture fromJpegBytes(std::string bytes);

    Kind kind() const { return kind_; }
    bool isEmpty() const { return !data_; }
    int width() const { return data_ ? data_->width() : 0; }
    int height() const { return data_ ? data_->height() : 0; }
    // Draws the picture stretched into target; nothing for an empty picture.
    void draw(QPainter& painter, const QRect& target) const;
    bool pixelsPending() const { return data_ && data_->pixelsPending(); }
    const PictureData* data() const { return data_.get(); }

  private:
    Kind kind_ = Kind::Empty;
    std::shared_ptr<const PictureData> data_;
};

} // namespace velmoa
