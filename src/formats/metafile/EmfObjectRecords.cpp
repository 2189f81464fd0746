#include "formats/metafile/EmfRecords.h"

#include "formats/metafile/EmfRecordTypes.h"
#include "formats/metafile/MetafileGdi.h"
#include "formats/metafile/MetafileReader.h"

#include <algorithm>
#include <cmath>

namespace velmoa::emf {

std::optional<bool> playObjectRecord(MetafileCanvas& canvas, std::uint32_t type, MetafileReader& r) {
    switch (type) {
    case EMR_SELECTOBJECT: {
        const std::uint32_t index = r.u32(8);
        if (index & gdi::kStockObjectFlag) {
            canvas.selectStockObject(index);
        } else {
            canvas.selectObject(index);
        }
        break;
    }
    case EMR_CREATEPEN: {
        MetafileCanvas::Pen pen{r.u32(12), static_cast<double>(std::abs(r.i32(16))),
                                canvas.colour(r.u32(24))};
        if (!r.ok()) {
            return false;
        }
        canvas.setObject(r.u32(8), pen);
        break;
    }
    case EMR_EXTCREATEPEN: {
        const std::uint32_t style = r.u32(28);
        MetafileCanvas::Pen pen{style, (style & gdi::PS_GEOMETRIC) ? static_cast<double>(r.u32(32)) : 0.0,
                                canvas.colour(r.u32(40))};
        if (r.u32(36) == gdi::BS_NULL) { // a hollow brush draws nothing
            pen.style = gdi::PS_NULL;
        }
        if (!r.ok()) {
            return false;
        }
        canvas.setObject(r.u32(8), pen);
        break;
    }
    case EMR_CREATEBRUSHINDIRECT: {
        const std::uint32_t style = r.u32(12);
        MetafileCanvas::Brush brush;
        brush.color = canvas.colour(r.u32(16));
        brush.hatch = static_cast<int>(r.u32(20));
        brush.kind = style == gdi::BS_NULL      ? MetafileCanvas::Brush::Kind::Null
                     : style == gdi::BS_HATCHED ? MetafileCanvas::Brush::Kind::Hatched
                                                : MetafileCanvas::Brush::Kind::Solid;
        if (!r.ok()) {
            return false;
        }
        canvas.setObject(r.u32(8), brush);
        break;
    }
    case EMR_CREATEMONOBRUSH:
    case EMR_CREATEDIBPATTERNBRUSHPT: {
        MetafileCanvas::Brush brush;
        brush.kind = MetafileCanvas::Brush::Kind::Pattern;
        brush.pattern = recordDib(r, 16, canvas, 12);
        canvas.setObject(r.u32(8), brush);
        break;
    }
    case EMR_EXTCREATEFONTINDIRECTW: {
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
    case EMR_CREATEPALETTE: {
        MetafileCanvas::Palette palette;
        const std::size_t count = std::min<std::size_t>(r.u16(14), (r.size() >= 16 ? r.size() - 16 : 0) / 4);
        for (std::size_t i = 0; i < count; ++i) {
            palette.colours.push_back(qRgb(r.u8(16 + i * 4), r.u8(17 + i * 4), r.u8(18 + i * 4)));
        }
        canvas.setObject(r.u32(8), palette);
        break;
    }
    case EMR_SELECTPALETTE: { // the stock default palette clears it
        const auto* object = canvas.object(r.u32(8));
        canvas.selectPalette(object ? std::get_if<MetafileCanvas::Palette>(object) : nullptr);
        break;
    }
    case EMR_DELETEOBJECT:
        canvas.deleteObject(r.u32(8));
        break;
    default:
        return std::nullopt;
    }
    return true;
}

} // namespace velmoa::emf
