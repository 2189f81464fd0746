#include "formats/metafile/WmfRecords.h"

#include "formats/metafile/MetafileDib.h"
#include "formats/metafile/MetafileGdi.h"
#include "formats/metafile/MetafileText.h"

#include <algorithm>
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

MetafileCanvas::Region readRegion(MetafileReader& r) {
    MetafileCanvas::Region region;
    region.logical = true;
    const int scans = r.i16(10);
    std::size_t at = 22;
    std::size_t rects = 0;
    for (int s = 0; s < scans && r.has(at, 6) && rects < kMaxRegionRects; ++s) {
        const std::size_t count = r.u16(at);
        const double top = r.i16(at + 2);
        const double bottom = r.i16(at + 4);
        std::size_t x = at + 6;
        for (std::size_t k = 0; k + 1 < count && r.has(x, 4) && rects < kMaxRegionRects;
             k += 2, x += 4, ++rects) {
            region.path.addRect(QRectF(QPointF(r.i16(x), top), QPointF(r.i16(x + 2), bottom)).normalized());
        }
        at += 6 + (count / 2) * 4 + 2;
    }
    if (region.path.isEmpty() && r.has(14, 8)) {
        // No scans: the bounding box stands for the region.
        region.path.addRect(
            QRectF(QPointF(r.i16(14), r.i16(16)), QPointF(r.i16(18), r.i16(20))).normalized());
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
