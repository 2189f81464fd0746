#include "formats/metafile/MetafileData.h"

namespace velmoa {

MetafileData::MetafileData(std::string bytes, const WmfPlayer::Header& header, QSize size)
    : bytes_(std::move(bytes)), header_(header), size_(size) {}

MetafileData::MetafileData(std::string bytes, const EmfPlayer::Header& header, QSize size)
    : bytes_(std::move(bytes)), header_(header), size_(size) {}

void MetafileData::draw(QPainter& painter, const QRect& target) const {
    if (target.isEmpty() || !painter.isActive()) {
        return;
    }
    try {
        if (const auto* wmf = std::get_if<WmfPlayer::Header>(&header_)) {
            WmfPlayer(bytes_, *wmf).play(painter, target);
        } else {
            EmfPlayer(bytes_, std::get<EmfPlayer::Header>(header_)).play(painter, target);
        }
    } catch (...) {
        // Only allocation failures can get here; a picture is not worth ending the program for.
    }
}

} // namespace velmoa
