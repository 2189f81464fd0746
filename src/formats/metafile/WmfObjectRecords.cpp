#include "formats/metafile/WmfRecords.h"

#include "formats/metafile/MetafileDib.h"
#include "formats/metafile/MetafileGdi.h"
#include "formats/metafile/MetafileText.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace velmoa::wmf {
namespace {

constexpr std::size_t kMaxRegionRects = 20000;
constexpr std::size_t kFaceNameAt = 18;
constexpr std::size_t kFaceNameLength = 32;

MetafileCanvas::Brush::Kind brushKind(std::uint16_t style) {
    return style == gdi::BS_NULL      ? MetafileCanvas::Brush::Kind::Null
           : style == gdi::BS_HATCHED ? MetafileCanvas::Brush::Kind::Hatched
                                      : MetafileCanvas::Brush::Kind::Solid;
}

// The region object: a header (its scan count at 10, its bounding box at 14) and the scans from
// 22, each a count of x coordinates, its top and bottom, the left and right of each of its
// rectangles, and the count again. The region is the union of the scans' rectangles: a region of
// no scans is empty, whatever box the header gives (one writer leaves the scans out and gives
// only the box). A scan that does not add up (an odd count, the count not repeated, rows or
// columns reversed, bytes missing) ends the reading there.
MetafileCanvas::Region readRegion(MetafileReader& r) {
    constexpr std::size_t kScanCountAt = 10;
    constexpr std::size_t kScansAt = 22;
    constexpr std::size_t kScanHeader = 6; // count, top, bottom
    MetafileCanvas::Region region;
    region.logical = true;
    const std::size_t scans = r.u16(kScanCountAt);
    std::size_t at = kScansAt;
    std::size_t rects = 0;
    for (std::size_t s = 0; s < scans && r.has(at, kScanHeader); ++s) {
        const std::size_t count = r.u16(at);
        const int top = r.i16(at + 2);
        const int bottom = r.i16(at + 4);
        const std::size_t end = at + kScanHeader + 2 * count; // where the count is repeated
        if (count % 2 != 0 || top > bottom || !r.has(end, 2) || r.u16(end) != count ||
            rects + count / 2 > kMaxRegionRects) {
            break;
        }
        int lastRight = INT_MIN;
        bool ordered = true;
        for (std::size_t x = at + kScanHeader; x < end; x += 4) {
            const int left = r.i16(x);
            const int right = r.i16(x + 2);
            ordered = ordered && left >= lastRight && left <= right;
            lastRight = right;
        }
        if (!ordered) {
            break;
        }
        for (std::size_t x = at + kScanHeader; x < end; x += 4, ++rects) {
            region.path.addRect(QRectF(QPointF(r.i16(x), top), QPointF(r.i16(x + 2), bottom)));
        }
        at = end + 2;
    }
    region.path.setFillRule(Qt::WindingFill);
    return region;
}

bool createPenIndirect(MetafileCanvas& canvas, MetafileReader& r) {
    const MetafileCanvas::Pen pen{r.u16(0), static_cast<double>(std::abs(r.i16(2))), canvas.colour(r.u32(6))};
    if (!r.ok()) {
        return false;
    }
    canvas.addObject(pen);
    return true;
}

bool createBrushIndirect(MetafileCanvas& canvas, MetafileReader& r) {
    MetafileCanvas::Brush brush;
    brush.kind = brushKind(r.u16(0));
    brush.color = canvas.colour(r.u32(2));
    brush.hatch = r.u16(6);
    if (!r.ok()) {
        return false;
    }
    canvas.addObject(brush);
    return true;
}

bool dibCreatePatternBrush(MetafileCanvas& canvas, MetafileReader& r) {
    MetafileCanvas::Brush brush;
    brush.kind = MetafileCanvas::Brush::Kind::Pattern;
    brush.pattern = decodePackedMetafileDib(r.all().substr(std::min<std::size_t>(4, r.size())),
                                            r.u16(2) == gdi::DIB_PAL_COLORS ? &canvas.palette() : nullptr);
    canvas.addObject(brush);
    return true;
}

bool createFontIndirect(MetafileCanvas& canvas, MetafileReader& r) {
    MetafileCanvas::Font font;
    font.height = r.i16(0);
    font.width = r.i16(2);
    font.escapement = r.i16(4);
    font.weight = r.i16(8);
    font.italic = r.u8(10) != 0;
    font.underline = r.u8(11) != 0;
    font.strikeOut = r.u8(12) != 0;
    font.charset = r.u8(13);
    if (!r.ok()) {
        return false;
    }
    std::string_view face = r.all().substr(std::min<std::size_t>(kFaceNameAt, r.size()));
    face = face.substr(0, std::min<std::size_t>(kFaceNameLength, face.find('\0')));
    font.face = decodeMetafileText(face, font.charset);
    canvas.addObject(font);
    return true;
}

bool createPalette(MetafileCanvas& canvas, MetafileReader& r) {
    const std::size_t size = r.size();
    MetafileCanvas::Palette palette;
    const std::size_t count = std::min<std::size_t>(r.u16(2), (size >= 4 ? size - 4 : 0) / 4);
    for (std::size_t i = 0; i < count; ++i) {
        palette.colours.push_back(qRgb(r.u8(4 + i * 4), r.u8(5 + i * 4), r.u8(6 + i * 4)));
    }
    canvas.addObject(palette);
    return true;
}

// Objects we do not draw with still take their slot, or later indexes would shift.
bool createPlaceholderBrush(MetafileCanvas& canvas, MetafileReader&) {
    canvas.addObject(MetafileCanvas::Brush{MetafileCanvas::Brush::Kind::Solid, Qt::gray, 0, {}});
    return true;
}
bool createPlaceholder(MetafileCanvas& canvas, MetafileReader&) {
    canvas.addObject(MetafileCanvas::Palette{});
    return true;
}

constexpr RecordEntry kRecords[] = {
    {META_CREATEPENINDIRECT, createPenIndirect},
    {META_CREATEBRUSHINDIRECT, createBrushIndirect},
    {META_DIBCREATEPATTERNBRUSH, dibCreatePatternBrush},
    {META_CREATEFONTINDIRECT, createFontIndirect},
    {META_CREATEPALETTE, createPalette},
    {META_CREATEPATTERNBRUSH, createPlaceholderBrush}, // a device-dependent bitmap
    {META_CREATEBITMAP, createPlaceholder},
    {META_CREATEBITMAPINDIRECT, createPlaceholder},
    {META_CREATEREGION,
     [](MetafileCanvas& canvas, MetafileReader& r) {
         canvas.addObject(readRegion(r));
         return true;
     }},
    {META_SELECTPALETTE,
     [](MetafileCanvas& canvas, MetafileReader& r) {
         const auto* object = canvas.object(r.u16(0));
         canvas.selectPalette(object ? std::get_if<MetafileCanvas::Palette>(object) : nullptr);
         return true;
     }},
    {META_SELECTOBJECT,
     [](MetafileCanvas& canvas, MetafileReader& r) {
         canvas.selectObject(r.u16(0));
         return true;
     }},
    {META_DELETEOBJECT,
     [](MetafileCanvas& canvas, MetafileReader& r) {
         canvas.deleteObject(r.u16(0));
         return true;
     }},
};

} // namespace

std::span<const RecordEntry> objectRecords() {
    return kRecords;
}

} // namespace velmoa::wmf
