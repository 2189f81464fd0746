#pragma once

#include "formats/metafile/EmfPlayer.h"
#include "formats/metafile/WmfPlayer.h"
#include "formats/picture/DrawFailureNote.h"
#include "formats/picture/PictureData.h"

#include <QImage>
#include <mutex>
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
    // passed its checks at load and what could be drawn is shown. A drawing that runs out of its
    // work budget shows what it reached and gives kTooComplexMessage to takeDrawFailure(), once for
    // the picture. The records are played once for a target size, onto white as the picture always
    // stands; a repaint at that size (and every copy of the picture, as they share this data) draws
    // the kept pixels.
    void draw(QPainter& painter, const QRect& target) const override;
    std::optional<std::string> takeDrawFailure() const override;
    // How often the records were played.
    int playCount() const;

    // Larger targets (printing at full resolution) are played straight onto the painter.
    static constexpr qint64 kMaxCachedPixels = qint64{16} << 20;
    static const char* const kTooComplexMessage;

  private:
    void play(QPainter& painter, const QRectF& target) const;

    std::string bytes_;
    std::variant<WmfPlayer::Header, EmfPlayer::Header> header_;
    QSize size_;
    mutable std::mutex mutex_;
    mutable QImage drawn_; // at the size last drawn
    mutable int playCount_ = 0;
    mutable DrawFailureNote failure_;
};

} // namespace velmoa
