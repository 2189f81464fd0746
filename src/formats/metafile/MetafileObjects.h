#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QString>
#include <cstdint>
#include <variant>
#include <vector>

namespace velmoa {

// The graphics objects a metafile creates, selects and deletes, in logical units.
struct MetafilePen {
    std::uint32_t style = 0; // PS_* with end cap and join bits
    double width = 0;        // logical units; 0 draws one pixel wide
    QColor color = Qt::black;
};
struct MetafileBrush {
    enum class Kind { Solid, Null, Hatched, Pattern };
    Kind kind = Kind::Solid;
    QColor color = Qt::white;
    int hatch = 0;
    QImage pattern;
};
struct MetafileFont {
    double height = 0; // logical units; negative: character height, positive: cell height
    double width = 0;
    double escapement = 0; // tenths of a degree, counter-clockwise
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charset = 0;
    QString face;
};
struct MetafilePalette {
    std::vector<QRgb> colours;
};
struct MetafileRegion {
    QPainterPath path;
    bool logical = false; // WMF regions are in logical units, EMF regions in device units
};
using MetafileObject =
    std::variant<std::monostate, MetafilePen, MetafileBrush, MetafileFont, MetafilePalette, MetafileRegion>;

// The table of a metafile's objects by index. Indexes out of range are refused (false) so
// the player can stop; the size is capped so a header cannot claim memory without end.
class MetafileObjectTable {
  public:
    void resize(std::size_t size);
    std::size_t size() const { return objects_.size(); }
    bool add(MetafileObject object); // the lowest free slot, as WMF does
    bool set(std::size_t index, MetafileObject object);
    bool remove(std::size_t index);
    // Null for an index out of range or an empty slot.
    const MetafileObject* find(std::size_t index) const;

  private:
    std::vector<MetafileObject> objects_;
};

} // namespace velmoa
