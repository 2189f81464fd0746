#include "formats/metafile/EmfRecords.h"

#include "formats/metafile/MetafileReader.h"

#include <algorithm>
#include <cmath>

namespace velmoa::emf {

std::optional<bool> playStateRecord(MetafileCanvas& canvas, std::uint32_t type, MetafileReader& r) {
    switch (type) {
    case 9:
        canvas.setWindowExt(QSizeF(r.i32(8), r.i32(12)));
        break;
    case 10:
        canvas.setWindowOrg(point32(r, 8));
        break;
    case 11:
        canvas.setViewportExt(QSizeF(r.i32(8), r.i32(12)));
        break;
    case 12:
        canvas.setViewportOrg(point32(r, 8));
        break;
    case 17:
        canvas.setMapMode(static_cast<int>(r.u32(8)));
        break;
    case 18:
        canvas.setBkMode(static_cast<int>(r.u32(8)));
        break;
    case 19:
        canvas.setPolyFillMode(static_cast<int>(r.u32(8)));
        break;
    case 20:
        canvas.setRop2(static_cast<int>(r.u32(8)));
        break;
    case 21:
        canvas.setStretchBltMode(static_cast<int>(r.u32(8)));
        break;
    case 22:
        canvas.setTextAlign(r.u32(8));
        break;
    case 24:
        canvas.setTextColor(canvas.colour(r.u32(8)));
        break;
    case 25:
        canvas.setBkColor(canvas.colour(r.u32(8)));
        break;
    case 26:
        canvas.offsetClip(point32(r, 8));
        break;
    case 29:
    case 30:
        if (!r.has(8, 16)) {
            return false;
        }
        if (type == 29) {
            canvas.excludeClipRect(rect32(r, 8));
        } else {
            canvas.intersectClipRect(rect32(r, 8));
        }
        break;
    case 31:
        canvas.scaleViewportExt(r.i32(8), r.i32(12), r.i32(16), r.i32(20));
        break;
    case 32:
        canvas.scaleWindowExt(r.i32(8), r.i32(12), r.i32(16), r.i32(20));
        break;
    case 33:
        canvas.saveDc();
        break;
    case 34:
        canvas.restoreDc(r.i32(8));
        break;
    case 35:
    case 36: {
        const QTransform t = xform(r, 8);
        if (!r.ok() || !finite(t)) {
            return false;
        }
        if (type == 35) {
            canvas.setWorldTransform(t);
        } else {
            canvas.modifyWorldTransform(t, static_cast<int>(r.u32(32)));
        }
        break;
    }
    case 37: { // SelectObject
        const std::uint32_t index = r.u32(8);
        if (index & 0x80000000) {
            canvas.selectStockObject(index);
        } else {
            canvas.selectObject(index);
        }
        break;
    }
    case 38: { // CreatePen
        MetafileCanvas::Pen pen{r.u32(12), static_cast<double>(std::abs(r.i32(16))),
                                canvas.colour(r.u32(24))};
        if (!r.ok()) {
            return false;
        }
        canvas.setObject(r.u32(8), pen);
        break;
    }
    case 95: { // ExtCreatePen
        const std::uint32_t style = r.u32(28);
        MetafileCanvas::Pen pen{style, (style & 0x10000) ? static_cast<double>(r.u32(32)) : 0.0,
                                canvas.colour(r.u32(40))};
        if (r.u32(36) == 1) { // a hollow brush draws nothing
            pen.style = 5;
        }
        if (!r.ok()) {
            return false;
        }
        canvas.setObject(r.u32(8), pen);
        break;
    }
    case 39: { // CreateBrushIndirect
        const std::uint32_t style = r.u32(12);
        MetafileCanvas::Brush brush;
        brush.color = canvas.colour(r.u32(16));
        brush.hatch = static_cast<int>(r.u32(20));
        brush.kind = style == 1   ? MetafileCanvas::Brush::Kind::Null
                     : style == 2 ? MetafileCanvas::Brush::Kind::Hatched
                                  : MetafileCanvas::Brush::Kind::Solid;
        if (!r.ok()) {
            return false;
        }
        canvas.setObject(r.u32(8), brush);
        break;
    }
    case 93:   // CreateMonoBrush
    case 94: { // CreateDIBPatternBrushPt
        MetafileCanvas::Brush brush;
        brush.kind = MetafileCanvas::Brush::Kind::Pattern;
        brush.pattern = recordDib(r, 16, canvas, 12);
        canvas.setObject(r.u32(8), brush);
        break;
    }
    case 82: { // ExtCreateFontIndirectW
        MetafileCanvas::Font font;
        font.height = r.i32(12);
        font.width = r.i32(16);
        font.escapement = r.i32(20);
        font.weight = r.i32(28);
        font.italic = r.u8(32) != 0;
        font.underline = r.u8(33) != 0;
        font.strikeOut = r.u8(34) != 0;
        font.charset = r.u8(35);
        if (!r.ok()) {
            return false;
        }
        for (std::size_t i = 0; i < 32 && r.has(40 + i * 2, 2); ++i) {
            const char16_t c = r.u16(40 + i * 2);
            if (c == 0) {
                break;
            }
            font.face.append(QChar(c));
        }
        canvas.setObject(r.u32(8), font);
        break;
    }
    case 49: { // CreatePalette
        MetafileCanvas::Palette palette;
        const std::size_t count = std::min<std::size_t>(r.u16(14), (r.size() >= 16 ? r.size() - 16 : 0) / 4);
        for (std::size_t i = 0; i < count; ++i) {
            palette.colours.push_back(qRgb(r.u8(16 + i * 4), r.u8(17 + i * 4), r.u8(18 + i * 4)));
        }
        canvas.setObject(r.u32(8), palette);
        break;
    }
    case 48: { // SelectPalette; the stock default palette clears it
        const auto* object = canvas.object(r.u32(8));
        canvas.selectPalette(object ? std::get_if<MetafileCanvas::Palette>(object) : nullptr);
        break;
    }
    case 40:
        canvas.deleteObject(r.u32(8));
        break;
    case 57:
        canvas.setArcDirection(static_cast<int>(r.u32(8)));
        break;
    case 58: {
        const float limit = r.f32(8);
        if (std::isfinite(limit) && limit > 0 && limit < 1000) {
            canvas.setMiterLimit(limit);
        }
        break;
    }
    case 67:
        canvas.selectClipPath(static_cast<int>(r.u32(8)));
        break;
    case 75: { // ExtSelectClipRgn
        const std::uint32_t size = r.u32(8);
        const int mode = static_cast<int>(r.u32(12));
        if (size == 0) {
            canvas.selectClipRegion(nullptr, mode);
        } else {
            const MetafileCanvas::Region region = readRegion(r, 16, size);
            canvas.selectClipRegion(&region, mode);
        }
        break;
    }
    default:
        return std::nullopt;
    }
    return true;
}

} // namespace velmoa::emf
