#pragma once

#include "formats/image/PictureData.h"
#include "formats/metafile/EmfPlayer.h"
#include "formats/metafile/WmfPlayer.h"

#include <string>
#include <variant>

namespace velmoa {

// A validated metafile: its bytes, header and size; drawn by playing its records.
class MetafileData : public PictureData {
  public:
    MetafileData(std::string bytes, const WmfPlayer::Header& header, QSize size);
    MetafileData(std::string bytes, const EmfPlayer::Header& header, QSize size);

    int width() const override { return size_.width(); }
    int height() const override { return size_.height(); }
    // A malformed record stops the drawing where it is; nothing is reported, since the file
    // passed its checks at load and what could be drawn is shown.
    void draw(QPainter& painter, const QRect& target) const override;

  private:
    std::string bytes_;
    std::variant<WmfPlayer::Header, EmfPlayer::Header> header_;
    QSize size_;
};

} // namespace velmoa
