#pragma once

#include <QPainterPath>
#include <QRectF>

namespace velmoa {

// Cuts a polygon or polyline path (straight segments only) down to what lies within a rectangle,
// in linear time, so that a path whose edges run far outside the picture costs no more than its
// visible part. The rectangle is the drawable area grown by more than the pen can reach, so what
// shows is unchanged: a filled path's subpaths, and closed ones, are clipped polygon-wise (the
// winding of every point inside is kept, for either fill rule; the new edges lie outside the
// drawable area), open ones segment-wise. A path with curves comes back as it is.
class MetafilePathCulling {
  public:
    // Worth doing only for paths of at least this many elements that reach outside the area.
    static constexpr int kMinElements = 32;

    static bool worthCulling(const QPainterPath& path, const QRectF& area);
    static QPainterPath culled(const QPainterPath& path, const QRectF& area, bool filled);
};

} // namespace velmoa
