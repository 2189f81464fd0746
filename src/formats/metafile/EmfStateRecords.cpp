#include "formats/metafile/EmfRecords.h"

#include "formats/metafile/EmfRecordTypes.h"
#include "formats/metafile/MetafileGdi.h"
#include "formats/metafile/MetafileReader.h"

#include <algorithm>
#include <cmath>

namespace velmoa::emf {

std::optional<bool> playStateRecord(MetafileCanvas& canvas, std::uint32_t type, MetafileReader& r) {
    switch (type) {
    case EMR_SETWINDOWEXTEX:
        canvas.setWindowExt(QSizeF(r.i32(8), r.i32(12)));
        break;
    case EMR_SETWINDOWORGEX:
        canvas.setWindowOrg(point32(r, 8));
        break;
    case EMR_SETVIEWPORTEXTEX:
        canvas.setViewportExt(QSizeF(r.i32(8), r.i32(12)));
        break;
    case EMR_SETVIEWPORTORGEX:
        canvas.setViewportOrg(point32(r, 8));
        break;
    case EMR_SETMAPMODE:
        canvas.setMapMode(static_cast<int>(r.u32(8)));
        break;
    case EMR_SETBKMODE:
        canvas.setBkMode(static_cast<int>(r.u32(8)));
        break;
    case EMR_SETPOLYFILLMODE:
        canvas.setPolyFillMode(static_cast<int>(r.u32(8)));
        break;
    case EMR_SETROP2:
        canvas.setRop2(static_cast<int>(r.u32(8)));
        break;
    case EMR_SETSTRETCHBLTMODE:
        canvas.setStretchBltMode(static_cast<int>(r.u32(8)));
        break;
    case EMR_SETTEXTALIGN:
        canvas.setTextAlign(r.u32(8));
        break;
    case EMR_SETTEXTCOLOR:
        canvas.setTextColor(canvas.colour(r.u32(8)));
        break;
    case EMR_SETBKCOLOR:
        canvas.setBkColor(canvas.colour(r.u32(8)));
        break;
    case EMR_OFFSETCLIPRGN:
        canvas.offsetClip(point32(r, 8));
        break;
    case EMR_EXCLUDECLIPRECT:
    case EMR_INTERSECTCLIPRECT:
        if (!r.has(8, 16)) {
            return false;
        }
        if (type == EMR_EXCLUDECLIPRECT) {
            canvas.excludeClipRect(rect32(r, 8));
        } else {
            canvas.intersectClipRect(rect32(r, 8));
        }
        break;
    case EMR_SCALEVIEWPORTEXTEX:
        canvas.scaleViewportExt(r.i32(8), r.i32(12), r.i32(16), r.i32(20));
        break;
    case EMR_SCALEWINDOWEXTEX:
        canvas.scaleWindowExt(r.i32(8), r.i32(12), r.i32(16), r.i32(20));
        break;
    case EMR_SAVEDC:
        canvas.saveDc();
        break;
    case EMR_RESTOREDC:
        canvas.restoreDc(r.i32(8));
        break;
    case EMR_SETWORLDTRANSFORM:
    case EMR_MODIFYWORLDTRANSFORM: {
        const QTransform t = xform(r, 8);
        if (!r.ok() || !finite(t)) {
            return false;
        }
        if (type == EMR_SETWORLDTRANSFORM) {
            canvas.setWorldTransform(t);
        } else {
            canvas.modifyWorldTransform(t, static_cast<int>(r.u32(32)));
        }
        break;
    }
    case EMR_SETARCDIRECTION:
        canvas.setArcDirection(static_cast<int>(r.u32(8)));
        break;
    case EMR_SETMITERLIMIT: {
        const float limit = r.f32(8);
        if (std::isfinite(limit) && limit > 0 && limit < 1000) {
            canvas.setMiterLimit(limit);
        }
        break;
    }
    case EMR_SELECTCLIPPATH:
        canvas.selectClipPath(static_cast<int>(r.u32(8)));
        break;
    case EMR_EXTSELECTCLIPRGN: {
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
