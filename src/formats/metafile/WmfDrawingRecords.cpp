#include "formats/metafile/WmfRecords.h"

#include "formats/metafile/MetafileGdi.h"
#include "formats/metafile/MetafileText.h"

#include <optional>
#include <utility>
#include <vector>

namespace velmoa::wmf {
namespace {

// ExtTextOut's options that bring a rectangle with them.
constexpr std::uint16_t kRectOptions = gdi::ETO_OPAQUE | gdi::ETO_CLIPPED;

QPointF pointAt(MetafileReader& r, std::size_t at) {
    return QPointF(r.i16(at), r.i16(at + 2));
}

bool readPoints(MetafileReader& r, std::size_t at, std::size_t count, std::vector<QPointF>& out) {
    if (!r.has(at, count * 4)) {
        return false;
    }
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        out.push_back(pointAt(r, at + i * 4));
    }
    return true;
}

// A double-byte character set's lead byte: the character takes it and the byte after it.
bool leadByte(int charset, unsigned char byte) {
    switch (charset) {
    case gdi::SHIFTJIS_CHARSET:
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case gdi::HANGUL_CHARSET:
    case gdi::GB2312_CHARSET:
    case gdi::CHINESEBIG5_CHARSET:
        return byte >= 0x81 && byte <= 0xFE;
    default:
        return false;
    }
}

// Per-character advances from the per-byte advances of a text record.
std::vector<double> charAdvances(std::string_view text, int charset, MetafileReader& r, std::size_t at,
                                 qsizetype decodedLength) {
    std::vector<double> dx;
    if (!r.has(at, text.size() * 2)) {
        return dx;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        double advance = r.i16(at + i * 2);
        if (leadByte(charset, byte) && i + 1 < text.size()) {
            ++i;
            advance += r.i16(at + i * 2);
        }
        dx.push_back(advance);
    }
    if (static_cast<qsizetype>(dx.size()) != decodedLength) {
        dx.clear();
    }
    return dx;
}

std::size_t paddedToWord(std::size_t length) {
    return (length + 1) & ~std::size_t{1};
}

bool lineTo(MetafileCanvas& canvas, MetafileReader& r) {
    if (!r.has(0, 4)) {
        return false;
    }
    canvas.lineTo(yxAt(r, 0));
    return true;
}

bool polyline(MetafileCanvas& canvas, MetafileReader& r) {
    std::vector<QPointF> points;
    if (!readPoints(r, 2, r.u16(0), points)) {
        return false;
    }
    canvas.polyline(points);
    return true;
}

bool polygon(MetafileCanvas& canvas, MetafileReader& r) {
    std::vector<QPointF> points;
    if (!readPoints(r, 2, r.u16(0), points)) {
        return false;
    }
    canvas.polygon(points);
    return true;
}

bool polyPolygon(MetafileCanvas& canvas, MetafileReader& r) {
    const std::size_t polygons = r.u16(0);
    if (!r.has(2, polygons * 2)) {
        return false;
    }
    std::size_t at = 2 + polygons * 2;
    std::vector<std::vector<QPointF>> all(polygons);
    for (std::size_t i = 0; i < polygons; ++i) {
        const std::size_t count = r.u16(2 + i * 2);
        if (!readPoints(r, at, count, all[i])) {
            return false;
        }
        at += count * 4;
    }
    canvas.polyPolygon(all);
    return true;
}

bool rectangle(MetafileCanvas& canvas, MetafileReader& r) {
    if (!r.has(0, 8)) {
        return false;
    }
    canvas.rectangle(rectBrtl(r, 0));
    return true;
}

bool ellipse(MetafileCanvas& canvas, MetafileReader& r) {
    if (!r.has(0, 8)) {
        return false;
    }
    canvas.ellipse(rectBrtl(r, 0));
    return true;
}

bool roundRect(MetafileCanvas& canvas, MetafileReader& r) {
    if (!r.has(0, 12)) {
        return false;
    }
    canvas.roundRect(rectBrtl(r, 4), QSizeF(r.i16(2), r.i16(0)));
    return true;
}

template <MetafileCanvas::ArcKind kind> bool arc(MetafileCanvas& canvas, MetafileReader& r) {
    if (!r.has(0, 16)) {
        return false;
    }
    canvas.arc(rectBrtl(r, 8), yxAt(r, 4), yxAt(r, 0), kind);
    return true;
}

bool setPixel(MetafileCanvas& canvas, MetafileReader& r) {
    if (!r.has(0, 8)) {
        return false;
    }
    canvas.setPixel(yxAt(r, 4), canvas.colour(r.u32(0)));
    return true;
}

bool textOut(MetafileCanvas& canvas, MetafileReader& r) {
    const std::size_t length = r.u16(0);
    const std::size_t padded = paddedToWord(length);
    if (!r.has(2, padded + 4)) {
        return false;
    }
    const std::string_view text = r.bytes(2, length);
    canvas.textOut(yxAt(r, 2 + padded), decodeMetafileText(text, canvas.currentFont().charset), {}, 0, {});
    return true;
}

bool extTextOut(MetafileCanvas& canvas, MetafileReader& r) {
    const QPointF at = yxAt(r, 0);
    const std::size_t length = r.u16(4);
    const std::uint16_t options = r.u16(6);
    std::size_t textAt = 8;
    std::optional<QRectF> rect;
    if (options & kRectOptions) {
        rect = QRectF(QPointF(r.i16(8), r.i16(10)), QPointF(r.i16(12), r.i16(14)));
        textAt = 16;
    }
    if (!r.ok() || !r.has(textAt, length)) {
        return false;
    }
    const std::string_view text = r.bytes(textAt, length);
    const int charset = canvas.currentFont().charset;
    const QString decoded = decodeMetafileText(text, charset);
    const std::size_t dxAt = textAt + paddedToWord(length);
    canvas.textOut(at, decoded, charAdvances(text, charset, r, dxAt, decoded.size()), options, rect);
    return true;
}

const MetafileCanvas::Region* regionAt(const MetafileCanvas& canvas, MetafileReader& r, std::size_t at) {
    const auto* object = canvas.object(r.u16(at));
    return object ? std::get_if<MetafileCanvas::Region>(object) : nullptr;
}
const MetafileCanvas::Brush* brushAt(const MetafileCanvas& canvas, MetafileReader& r, std::size_t at) {
    const auto* object = canvas.object(r.u16(at));
    return object ? std::get_if<MetafileCanvas::Brush>(object) : nullptr;
}

// The region and the brush of a fill or frame record: the region's index first as documented, or
// the brush's first as some writers put them; the objects the two indexes hold tell which.
std::pair<const MetafileCanvas::Region*, const MetafileCanvas::Brush*>
regionAndBrush(const MetafileCanvas& canvas, MetafileReader& r) {
    if (const auto* region = regionAt(canvas, r, 0)) {
        return {region, brushAt(canvas, r, 2)};
    }
    return {regionAt(canvas, r, 2), brushAt(canvas, r, 0)};
}

bool fillRegion(MetafileCanvas& canvas, MetafileReader& r) {
    const auto [region, brush] = regionAndBrush(canvas, r);
    if (region && brush) {
        canvas.fillRegion(*region, *brush);
    }
    return true;
}

bool frameRegion(MetafileCanvas& canvas, MetafileReader& r) {
    const auto [region, brush] = regionAndBrush(canvas, r);
    if (region && brush) {
        canvas.frameRegion(*region, *brush, QSizeF(r.i16(6), r.i16(4)));
    }
    return true;
}

bool paintRegion(MetafileCanvas& canvas, MetafileReader& r) {
    if (const auto* region = regionAt(canvas, r, 0)) {
        canvas.fillRegion(*region, canvas.currentBrush());
    }
    return true;
}

bool invertRegion(MetafileCanvas& canvas, MetafileReader& r) {
    if (const auto* region = regionAt(canvas, r, 0)) {
        canvas.invertRegion(*region);
    }
    return true;
}

constexpr RecordEntry kRecords[] = {
    {META_MOVETO,
     [](MetafileCanvas& canvas, MetafileReader& r) {
         canvas.moveTo(yxAt(r, 0));
         return true;
     }},
    {META_LINETO, lineTo},
    {META_POLYLINE, polyline},
    {META_POLYGON, polygon},
    {META_POLYPOLYGON, polyPolygon},
    {META_RECTANGLE, rectangle},
    {META_ELLIPSE, ellipse},
    {META_ROUNDRECT, roundRect},
    {META_ARC, arc<MetafileCanvas::ArcKind::Arc>},
    {META_CHORD, arc<MetafileCanvas::ArcKind::Chord>},
    {META_PIE, arc<MetafileCanvas::ArcKind::Pie>},
    {META_SETPIXEL, setPixel},
    {META_TEXTOUT, textOut},
    {META_EXTTEXTOUT, extTextOut},
    {META_FILLREGION, fillRegion},
    {META_FRAMEREGION, frameRegion},
    {META_PAINTREGION, paintRegion},
    {META_INVERTREGION, invertRegion},
};

} // namespace

std::span<const RecordEntry> drawingRecords() {
    return kRecords;
}

} // namespace velmoa::wmf
