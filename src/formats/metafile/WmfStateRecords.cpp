#include "formats/metafile/WmfRecords.h"

#include "formats/metafile/MetafileGdi.h"

namespace velmoa::wmf {
namespace {

QSizeF yxSize(MetafileReader& r) {
    const QPointF ext = yxAt(r, 0);
    return QSizeF(ext.x(), ext.y());
}

bool clipRect(MetafileCanvas& canvas, MetafileReader& r, bool intersect) {
    if (!r.has(0, 8)) {
        return false;
    }
    if (intersect) {
        canvas.intersectClipRect(rectBrtl(r, 0));
    } else {
        canvas.excludeClipRect(rectBrtl(r, 0));
    }
    return true;
}

constexpr RecordEntry kRecords[] = {
    {META_SAVEDC,
     [](MetafileCanvas& canvas, MetafileReader&) {
         canvas.saveDc();
         return true;
     }},
    {META_RESTOREDC,
     [](MetafileCanvas& canvas, MetafileReader& r) {
         canvas.restoreDc(r.i16(0));
         return true;
     }},

    // Mapping.
    {META_SETMAPMODE,
     [](MetafileCanvas& canvas, MetafileReader& r) {
         canvas.setMapMode(r.u16(0));
         return true;
     }},
    {META_SETWINDOWORG,
     [](MetafileCanvas& canvas, MetafileReader& r) {
         canvas.setWindowOrg(yxAt(r, 0));
         return true;
     }},
    {META_SETWINDOWEXT,
     [](MetafileCanvas& canvas, MetafileReader& r) {
         canvas.setWindowExt(yxSize(r));
         return true;
     }},
    {META_SETVIEWPORTORG,
     [](MetafileCanvas& canvas, MetafileReader& r) {
         canvas.setViewportOrg(yxAt(r, 0));
         return true;
     }},
    {META_SETVIEWPORTEXT,
     [](MetafileCanvas& canvas, MetafileReader& r) {
         canvas.setViewportExt(yxSize(r));
         return true;
     }},
    {META_OFFSETWINDOWORG,
     [](MetafileCanvas& canvas, MetafileReader& r) {
         canvas.offsetWindowOrg(yxAt(r, 0));
         return true;
     }},
    {META_OFFSETVIEWPORTORG,
     [](MetafileCanvas& canvas, MetafileReader& r) {
         canvas.offsetViewportOrg(yxAt(r, 0));
         return true;
     }},
    {META_SCALEWINDOWEXT,
     [](MetafileCanvas& canvas, MetafileReader& r) {
         canvas.scaleWindowExt(r.i16(6), r.i16(4), r.i16(2), r.i16(0));
         return true;
     }},
    {META_SCALEVIEWPORTEXT,
     [](MetafileCanvas& canvas, MetafileReader& r) {
         canvas.scaleViewportExt(r.i16(6), r.i16(4), r.i16(2), r.i16(0));
         return true;
     }},

    // Attributes.
    {META_SETBKCOLOR,
     [](MetafileCanvas& canvas, MetafileReader& r) {
         canvas.setBkColor(canvas.colour(r.u32(0)));
         return true;
     }},
    {META_SETTEXTCOLOR,
     [](MetafileCanvas& canvas, MetafileReader& r) {
         canvas.setTextColor(canvas.colour(r.u32(0)));
         return true;
     }},
    {META_SETBKMODE,
     [](MetafileCanvas& canvas, MetafileReader& r) {
         canvas.setBkMode(r.u16(0));
         return true;
     }},
    {META_SETTEXTALIGN,
     [](MetafileCanvas& canvas, MetafileReader& r) {
         canvas.setTextAlign(r.u16(0));
         return true;
     }},
    {META_SETPOLYFILLMODE,
     [](MetafileCanvas& canvas, MetafileReader& r) {
         canvas.setPolyFillMode(r.u16(0));
         return true;
     }},
    {META_SETROP2,
     [](MetafileCanvas& canvas, MetafileReader& r) {
         canvas.setRop2(r.u16(0));
         return true;
     }},
    {META_SETSTRETCHBLTMODE,
     [](MetafileCanvas& canvas, MetafileReader& r) {
         canvas.setStretchBltMode(r.u16(0));
         return true;
     }},

    // Clip.
    {META_INTERSECTCLIPRECT,
     [](MetafileCanvas& canvas, MetafileReader& r) { return clipRect(canvas, r, true); }},
    {META_EXCLUDECLIPRECT,
     [](MetafileCanvas& canvas, MetafileReader& r) { return clipRect(canvas, r, false); }},
    {META_OFFSETCLIPRGN,
     [](MetafileCanvas& canvas, MetafileReader& r) {
         canvas.offsetClip(yxAt(r, 0));
         return true;
     }},
    {META_SELECTCLIPREGION,
     [](MetafileCanvas& canvas, MetafileReader& r) {
         const auto* object = canvas.object(r.u16(0));
         const auto* region = object ? std::get_if<MetafileCanvas::Region>(object) : nullptr;
         canvas.selectClipRegion(region, gdi::RGN_COPY);
         return true;
     }},
};

} // namespace

std::span<const RecordEntry> stateRecords() {
    return kRecords;
}

} // namespace velmoa::wmf
