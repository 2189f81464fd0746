#pragma once

#include "formats/metafile/MetafileCanvas.h"
#include "formats/metafile/MetafileWorkBudget.h"

#include <QRect>
#include <optional>
#include <string_view>

namespace velmoa {

class MetafileReader;

// Plays an enhanced metafile onto a painter.
class EmfPlayer {
  public:
    struct Header {
        int frameLeft = 0, frameTop = 0, frameRight = 0, frameBottom = 0; // hundredths of a millimetre
        int devicePixelsX = 0, devicePixelsY = 0;                         // the recording device
        int deviceMillimetresX = 0, deviceMillimetresY = 0;
        std::uint32_t handles = 0;
    };

    // The header record (type 1 with the " EMF" signature) whole within the file and with a
    // usable frame and device size; nullopt otherwise.
    static std::optional<Header> readHeader(std::string_view bytes);

    // A metafile drawn inside another (as an image) pays its work from the other's budget.
    EmfPlayer(std::string_view bytes, const Header& header, MetafileWorkBudget* sharedBudget = nullptr)
        : bytes_(bytes), header_(header), shared_(sharedBudget) {}

    // Draws the picture scaled into target. False when a malformed record stopped the
    // drawing (what came before it stays drawn).
    bool play(QPainter& painter, const QRectF& target) const;
    // After play: the drawing stopped because it had done all the work one drawing may do.
    bool exhausted() const { return budget().exhausted(); }
    MetafileWorkBudget& budget() const { return shared_ ? *shared_ : own_; }

  private:
    bool playRecord(MetafileCanvas& canvas, std::uint32_t type, MetafileReader& r) const;

    std::string_view bytes_;
    Header header_;
    MetafileWorkBudget* shared_;
    mutable MetafileWorkBudget own_;
};

} // namespace velmoa
