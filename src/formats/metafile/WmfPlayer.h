#pragma once

#include "formats/metafile/MetafileCanvas.h"
#include "formats/metafile/MetafileWorkBudget.h"

#include <QRect>
#include <optional>
#include <string_view>

namespace velmoa {

class MetafileReader;

// Plays a placeable Windows metafile onto a painter.
class WmfPlayer {
  public:
    struct Header {
        int left = 0, top = 0, right = 0, bottom = 0; // bounding box in the file's units
        int unitsPerInch = 0;
        std::uint16_t objects = 0;
        std::size_t firstRecord = 0;
    };

    // The placeable header (key, checksum) and the standard header behind it, and a first
    // record that lies within the file; nullopt otherwise.
    static std::optional<Header> readHeader(std::string_view bytes);
    // A metafile without the placeable header, as documents embed one: the standard header and a
    // whole first record, drawn as though a box of width x height units at unitsPerInch placed it.
    static std::optional<Header> readBareHeader(std::string_view bytes, int width, int height,
                                                int unitsPerInch);

    // A metafile drawn inside another (as an image) pays its work from the other's budget.
    WmfPlayer(std::string_view bytes, const Header& header, MetafileWorkBudget* sharedBudget = nullptr)
        : bytes_(bytes), header_(header), shared_(sharedBudget) {}

    // Draws the picture scaled into target. False when a malformed record stopped the
    // drawing (what came before it stays drawn).
    bool play(QPainter& painter, const QRectF& target) const;
    // After play: the drawing stopped because it had done all the work one drawing may do.
    bool exhausted() const { return budget().exhausted(); }
    MetafileWorkBudget& budget() const { return shared_ ? *shared_ : own_; }

  private:
    static bool readStandardHeader(MetafileReader& r, std::size_t at, Header& h);

    std::string_view bytes_;
    Header header_;
    MetafileWorkBudget* shared_;
    mutable MetafileWorkBudget own_;
};

} // namespace velmoa
