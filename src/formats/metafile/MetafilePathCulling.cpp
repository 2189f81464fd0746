#include "formats/metafile/MetafilePathCulling.h"

#include <array>
#include <vector>

namespace velmoa {
namespace {

using Points = std::vector<QPointF>;

// One side of the rectangle: a point is inside when its coordinate is on the rectangle's side.
struct Edge {
    bool vertical; // compares x (left and right edges), else y
    double at;
    bool keepGreater;

    bool inside(QPointF p) const {
        const double v = vertical ? p.x() : p.y();
        return keepGreater ? v >= at : v <= at;
    }
    QPointF crossing(QPointF a, QPointF b) const {
        const double da = (vertical ? a.x() : a.y()) - at;
        const double db = (vertical ? b.x() : b.y()) - at;
        const double t = da / (da - db);
        return vertical ? QPointF(at, a.y() + t * (b.y() - a.y())) : QPointF(a.x() + t * (b.x() - a.x()), at);
    }
};

std::array<Edge, 4> edgesOf(const QRectF& r) {
    return {Edge{true, r.left(), true}, Edge{true, r.right(), false}, Edge{false, r.top(), true},
            Edge{false, r.bottom(), false}};
}

// Sutherland-Hodgman: the closed polygon against each side in turn.
Points clipPolygon(Points polygon, const QRectF& area) {
    for (const Edge& edge : edgesOf(area)) {
        if (polygon.empty()) {
            break;
        }
        Points out;
        out.reserve(polygon.size() + 4);
        QPointF previous = polygon.back();
        bool previousInside = edge.inside(previous);
        for (const QPointF& p : polygon) {
            const bool inside = edge.inside(p);
            if (inside != previousInside) {
                out.push_back(edge.crossing(previous, p));
            }
            if (inside) {
                out.push_back(p);
            }
            previous = p;
            previousInside = inside;
        }
        polygon = std::move(out);
    }
    return polygon;
}

// Liang-Barsky: the part of segment a-b inside the rectangle; false when there is none.
bool clipSegment(QPointF& a, QPointF& b, const QRectF& r) {
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    double t0 = 0;
    double t1 = 1;
    const std::array<std::pair<double, double>, 4> sides = {std::pair{-dx, a.x() - r.left()},
                                                            {dx, r.right() - a.x()},
                                                            {-dy, a.y() - r.top()},
                                                            {dy, r.bottom() - a.y()}};
    for (const auto& [p, q] : sides) {
        if (p == 0) {
            if (q < 0) {
                return false;
            }
            continue;
        }
        const double t = q / p;
        if (p < 0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
        if (t0 > t1) {
            return false;
        }
    }
    const QPointF start = a;
    a = start + t0 * QPointF(dx, dy);
    b = start + t1 * QPointF(dx, dy);
    return true;
}

void addClippedPolyline(QPainterPath& out, const Points& line, const QRectF& area) {
    bool drawing = false; // the last point added is the end of the previous kept segment
    for (std::size_t i = 1; i < line.size(); ++i) {
        QPointF a = line[i - 1];
        QPointF b = line[i];
        if (!clipSegment(a, b, area)) {
            drawing = false;
            continue;
        }
        if (!drawing || a != line[i - 1]) {
            out.moveTo(a);
        }
        out.lineTo(b);
        drawing = b == line[i];
    }
}

} // namespace

bool MetafilePathCulling::worthCulling(const QPainterPath& path, const QRectF& area) {
    return path.elementCount() >= kMinElements && !area.contains(path.controlPointRect());
}

QPainterPath MetafilePathCulling::culled(const QPainterPath& path, const QRectF& area, bool filled) {
    QPainterPath out;
    out.setFillRule(path.fillRule());
    Points subpath;
    auto flush = [&](bool closed) {
        if (closed) {
            const Points kept = clipPolygon(subpath, area);
            if (kept.size() >= 2) {
                out.moveTo(kept.front());
                for (std::size_t i = 1; i < kept.size(); ++i) {
                    out.lineTo(kept[i]);
                }
                out.closeSubpath();
            }
        } else {
            addClippedPolyline(out, subpath, area);
        }
        subpath.clear();
    };
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isCurveTo()) {
            return path;
        }
        if (e.isMoveTo() && !subpath.empty()) {
            // A subpath that ends where it began was closed (closeSubpath adds that line).
            flush(filled || (subpath.size() > 2 && subpath.front() == subpath.back()));
        }
        subpath.push_back(QPointF(e.x, e.y));
    }
    if (!subpath.empty()) {
        flush(filled || (subpath.size() > 2 && subpath.front() == subpath.back()));
    }
    return out;
}

} // namespace velmoa
