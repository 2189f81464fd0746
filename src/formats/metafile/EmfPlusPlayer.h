#pragma once

#include "formats/metafile/EmfPlusImages.h"
#include "formats/metafile/EmfPlusObjectPieces.h"
#include "formats/metafile/EmfPlusObjects.h"
#include "formats/metafile/MetafileClipper.h"
#include "formats/metafile/MetafileWorkBudget.h"

#include <QPainter>
#include <QTransform>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmoa {

// Plays the EMF+ records that GDI+ keeps inside an enhanced metafile's comments: its own
// object table, world and page transforms, clip and saved states, drawn on the painter
// through the enhanced metafile's device-to-target mapping.
class EmfPlusPlayer {
  public:
    // deviceToTarget and devicePerMm: those of the enhanced metafile around the records, and its
    // drawing's budget, which the work of these records is paid from too.
    EmfPlusPlayer(QPainter& painter, const QRectF& target, const QTransform& deviceToTarget,
                  QSizeF devicePerMm, MetafileWorkBudget& budget);

    // Plays the records of one comment's data (after the "EMF+" signature). False when a
    // malformed record or too much work stopped the drawing.
    bool playComment(std::string_view records);

    // Once a header has been played, the plain records are a stand-in for the EMF+ ones and
    // are passed over, except those drawn through a device context GDI+ handed out, and, in a file
    // that says they stand in, those after a comment whose records could not be played.
    bool active() const { return active_; }
    bool plainRecordsDrawn() const { return !active_ || getDc_ || standInDrawn_; }
    // True once the drawing has done so much work that playing on would freeze the program.
    bool exhausted() const { return budget_.exhausted(); }

  private:
    struct State {
        QTransform world;
        int pageUnit = 2; // pixels
        double pageScale = 1;
        std::optional<QPainterPath> clip; // target coordinates
    };
    using Record = MetafileReader;

    bool playRecords(std::string_view records);
    bool playRecord(std::uint16_t type, std::uint16_t flags, Record& r);
    void defineObject(std::uint16_t flags, std::string_view data);
    bool playStateRecord(std::uint16_t type, std::uint16_t flags, Record& r);
    bool playDrawingRecord(std::uint16_t type, std::uint16_t flags, Record& r);
    bool playTextRecord(std::uint16_t type, std::uint16_t flags, Record& r);
    bool playImageRecord(std::uint16_t type, std::uint16_t flags, Record& r);

    // A page unit in pixels of the recording, each way; world units to the target.
    QSizeF unitToPixels(int unit) const;
    QTransform worldToTarget() const;
    void combineClip(const QPainterPath& targetPath, int mode);
    // Readies the painter for a drawing in world units; false when nothing may be drawn.
    bool begin(const QRectF& worldBounds);
    void end();
    const emfplus::Object* object(std::size_t id) const;
    // A brush given by the record: a colour when the flag says so, otherwise an object.
    std::optional<emfplus::Brush> brushFor(bool isColour, std::uint32_t value);
    // The object of the type a drawing uses; null, and the comment not drawn whole, without it.
    template <class T> const T* uses(std::size_t id) {
        const T* found = id < objects_.size() ? std::get_if<T>(&objects_[id]) : nullptr;
        incomplete_ = incomplete_ || !found;
        return found;
    }
    void fill(const QPainterPath& path, const emfplus::Brush& brush);
    void stroke(const QPainterPath& path, std::size_t penId);
    // The part of a path in units of unit world units that may be drawn with the pen (none for a
    // fill): within reach of the target when it runs far outside, and as much as the budget pays for.
    QPainterPath drawable(const QPainterPath& path, const QPen& pen, double unit = 1);
    void drawBitmap(const emfplus::Image& image, const QRectF& source);

    QPainter& painter_;
    QTransform origin_;
    QRectF target_;
    QTransform deviceToTarget_;
    QSizeF dpi_; // the recording's, as its header gives it (the device's until then)
    bool videoDevice_ = true;
    MetafileWorkBudget& budget_;
    MetafileClipper clipper_;
    State state_;
    std::vector<std::pair<std::uint32_t, State>> saved_;
    std::array<emfplus::Object, 64> objects_;
    EmfPlusObjectPieces pieces_;
    bool active_ = false;
    bool getDc_ = false;
    bool dual_ = false;
    bool standInDrawn_ = false;
    bool incomplete_ = false; // a drawing of this comment went without an object it uses
    emfplus::ImageCache images_;
};

} // namespace velmoa
