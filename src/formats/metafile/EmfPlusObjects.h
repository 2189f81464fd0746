#pragma once

#include "formats/metafile/EmfPlusRecordTypes.h"
#include "formats/metafile/MetafileReader.h"

#include <QBrush>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QPen>
#include <optional>
#include <string_view>
#include <variant>

namespace velmoa {
class MetafileWorkBudget;
}

namespace velmoa::emfplus {

// The objects an EMF+ picture keeps in its table of 64, in world units.
struct Brush {
    QBrush brush;
    std::optional<QPainterPath> boundary; // a path gradient paints only inside its boundary
};
struct Pen {
    QPen pen;                // its width is set when drawing: Qt refuses the widths of some files
    double width = 0;        // in world units; 0 draws one pixel wide
    bool pixelWidth = false; // the width is in device pixels
    int startCap = 0, endCap = 0;
    std::vector<double> compound; // pairs of fractions across the width, each a band drawn
};
struct Font {
    double emSize = 0;
    int unit = 3; // of emSize: 0 world, 2 pixel, 3 point, 4 inch, 5 document, 6 millimetre
    QFont font;   // family and style; its size is set when drawing
};
struct StringFormat {
    static constexpr std::uint32_t kNoWrap = 0x1000;
    static constexpr std::uint32_t kNoClip = 0x4000;
    std::uint32_t flags = 0;
    int alignment = 0; // 0 near, 1 centre, 2 far
    int lineAlignment = 0;
};
// An image: a bitmap (an image file, or rows of pixels) or a metafile drawn in its place. A
// bitmap is kept as its bytes and decoded when drawn, at the size it is drawn (EmfPlusImages.h).
struct Image {
    enum class Kind { Metafile, File, Pixels };
    Kind kind = Kind::Metafile;
    std::string bytes;
    bool enhanced = true; // a metafile's kind
    QSize pixels;         // a bitmap's size; a file's as its own header gives it
    int stride = 0;       // rows of pixels: bytes from one to the next, and their format
    QImage::Format format = QImage::Format_Invalid;
    bool swapRedBlue = false;
    std::uint64_t id = 0; // tells the decoded images of a drawing apart
};
using Region = QPainterPath; // an infinite region is a very large rectangle
// Region and path objects both read into the QPainterPath alternative.
using Object = std::variant<std::monostate, Brush, Pen, QPainterPath, Image, Font, StringFormat>;

QColor argb(std::uint32_t v);
// Points as a record holds them: 16-bit integers (compressed), relative 7/15-bit steps, or
// 32-bit floats. at moves past them. False when they are not all there.
bool readPoints(MetafileReader& r, std::size_t& at, std::size_t count, bool compressed, bool relative,
                std::vector<QPointF>& out);
QRectF readRect(MetafileReader& r, std::size_t at, bool compressed); // x, y, width, height

// Reads one object of the type from its bytes; nullopt when they are malformed, or when the region
// combinations they ask for are more than the budget can pay for.
std::optional<Object> readObject(int type, std::string_view bytes, MetafileWorkBudget& budget);

} // namespace velmoa::emfplus
