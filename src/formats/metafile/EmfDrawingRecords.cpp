#include "formats/metafile/EmfRecords.h"

#include "formats/metafile/MetafileGdi.h"
#include "formats/metafile/MetafileReader.h"

namespace velmoa::emf {
namespace {

using ArcKind = MetafileCanvas::ArcKind;

// The fields of the shape records, after the type, size and bounds.
constexpr std::size_t kFirstField = 8;
constexpr std::size_t kCountAt = 24;

// The point-list records, each in a 32-bit form and a 16-bit (small) one.
enum class PointsDraw { PolyBezier, Polygon, Polyline, PolyBezierTo, PolylineTo };

template <PointsDraw draw, bool small> bool pointList(MetafileCanvas& canvas, MetafileReader& r) {
    std::vector<QPointF> points;
    if (!readPoints(r, kCountAt + 4, r.u32(kCountAt), small, points)) {
        return false;
    }
    switch (draw) {
    case PointsDraw::PolyBezier:
        canvas.polyBezier(points);
        break;
    case PointsDraw::Polygon:
        canvas.polygon(points);
        break;
    case PointsDraw::Polyline:
        canvas.polyline(points);
        break;
    case PointsDraw::PolyBezierTo:
        canvas.polyBezierTo(points);
        break;
    case PointsDraw::PolylineTo:
        canvas.polylineTo(points);
        break;
    }
    return true;
}

template <bool lines, bool small> bool polyPoly(MetafileCanvas& canvas, MetafileReader& r) {
    const std::uint32_t polys = r.u32(24);
    const std::uint32_t total = r.u32(28);
    if (!r.ok() || polys > r.size() / 4 || !r.has(32, std::size_t{polys} * 4)) {
        return false;
    }
    std::size_t at = 32 + std::size_t{polys} * 4;
    std::vector<std::vector<QPointF>> all(polys);
    std::size_t used = 0;
    for (std::uint32_t i = 0; i < polys; ++i) {
        const std::uint32_t count = r.u32(32 + std::size_t{i} * 4);
        used += count;
        if (used > total || !readPoints(r, at, count, small, all[i])) {
            return false;
        }
        at += std::size_t{count} * (small ? 4 : 8);
    }
    if (lines) {
        canvas.polyPolyline(all);
    } else {
        canvas.polyPolygon(all);
    }
    return true;
}

template <bool small> bool polyDraw(MetafileCanvas& canvas, MetafileReader& r) {
    const std::uint32_t count = r.u32(kCountAt);
    std::vector<QPointF> points;
    if (!readPoints(r, kCountAt + 4, count, small, points)) {
        return false;
    }
    const std::size_t typesAt = kCountAt + 4 + std::size_t{count} * (small ? 4 : 8);
    const std::string_view types = r.bytes(typesAt, count);
    if (!r.ok()) {
        return false;
    }
    canvas.polyDraw(points, std::vector<std::uint8_t>(types.begin(), types.end()));
    return true;
}

bool ellipse(MetafileCanvas& canvas, MetafileReader& r) {
    if (!r.has(kFirstField, 16)) {
        return false;
    }
    canvas.ellipse(rect32(r, kFirstField));
    return true;
}

bool rectangle(MetafileCanvas& canvas, MetafileReader& r) {
    if (!r.has(kFirstField, 16)) {
        return false;
    }
    canvas.rectangle(rect32(r, kFirstField));
    return true;
}

bool roundRect(MetafileCanvas& canvas, MetafileReader& r) {
    if (!r.has(kFirstField, 24)) {
        return false;
    }
    canvas.roundRect(rect32(r, kFirstField), QSizeF(r.i32(24), r.i32(28)));
    return true;
}

template <ArcKind kind> bool arc(MetafileCanvas& canvas, MetafileReader& r) {
    if (!r.has(kFirstField, 32)) {
        return false;
    }
    canvas.arc(rect32(r, kFirstField), point32(r, 24), point32(r, 32), kind);
    return true;
}

bool lineTo(MetafileCanvas& canvas, MetafileReader& r) {
    if (!r.has(kFirstField, 8)) {
        return false;
    }
    canvas.lineTo(point32(r, kFirstField));
    return true;
}

// A record without parameters that calls one of the canvas's path operations.
template <void (MetafileCanvas::*call)()> bool pathCall(MetafileCanvas& canvas, MetafileReader&) {
    (canvas.*call)();
    return true;
}

constexpr RecordEntry kRecords[] = {
    {EMR_POLYBEZIER, pointList<PointsDraw::PolyBezier, false>},
    {EMR_POLYGON, pointList<PointsDraw::Polygon, false>},
    {EMR_POLYLINE, pointList<PointsDraw::Polyline, false>},
    {EMR_POLYBEZIERTO, pointList<PointsDraw::PolyBezierTo, false>},
    {EMR_POLYLINETO, pointList<PointsDraw::PolylineTo, false>},
    {EMR_POLYBEZIER16, pointList<PointsDraw::PolyBezier, true>},
    {EMR_POLYGON16, pointList<PointsDraw::Polygon, true>},
    {EMR_POLYLINE16, pointList<PointsDraw::Polyline, true>},
    {EMR_POLYBEZIERTO16, pointList<PointsDraw::PolyBezierTo, true>},
    {EMR_POLYLINETO16, pointList<PointsDraw::PolylineTo, true>},
    {EMR_POLYPOLYLINE, polyPoly<true, false>},
    {EMR_POLYPOLYGON, polyPoly<false, false>},
    {EMR_POLYPOLYLINE16, polyPoly<true, true>},
    {EMR_POLYPOLYGON16, polyPoly<false, true>},
    {EMR_POLYDRAW, polyDraw<false>},
    {EMR_POLYDRAW16, polyDraw<true>},
    {EMR_SETPIXELV,
     [](MetafileCanvas& canvas, MetafileReader& r) {
         canvas.setPixel(point32(r, kFirstField), canvas.colour(r.u32(16)));
         return true;
     }},
    {EMR_MOVETOEX,
     [](MetafileCanvas& canvas, MetafileReader& r) {
         canvas.moveTo(point32(r, kFirstField));
         return true;
     }},
    {EMR_LINETO, lineTo},
    {EMR_ANGLEARC,
     [](MetafileCanvas& canvas, MetafileReader& r) {
         canvas.angleArc(point32(r, kFirstField), r.u32(16), r.f32(20), r.f32(24));
         return true;
     }},
    {EMR_ELLIPSE, ellipse},
    {EMR_RECTANGLE, rectangle},
    {EMR_ROUNDRECT, roundRect},
    {EMR_ARC, arc<ArcKind::Arc>},
    {EMR_CHORD, arc<ArcKind::Chord>},
    {EMR_PIE, arc<ArcKind::Pie>},
    {EMR_ARCTO, arc<ArcKind::ArcTo>},
    {EMR_BEGINPATH, pathCall<&MetafileCanvas::beginPath>},
    {EMR_ENDPATH, pathCall<&MetafileCanvas::endPath>},
    {EMR_CLOSEFIGURE, pathCall<&MetafileCanvas::closeFigure>},
    {EMR_FILLPATH, pathCall<&MetafileCanvas::fillPath>},
    {EMR_STROKEANDFILLPATH, pathCall<&MetafileCanvas::strokeAndFillPath>},
    {EMR_STROKEPATH, pathCall<&MetafileCanvas::strokePath>},
    {EMR_ABORTPATH, pathCall<&MetafileCanvas::abortPath>},
};

} // namespace

std::span<const RecordEntry> drawingRecords() {
    return kRecords;
}

} // namespace velmoa::emf
