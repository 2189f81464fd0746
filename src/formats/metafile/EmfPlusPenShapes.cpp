#include "formats/metafile/EmfPlusPenShapes.h"

#include <QLineF>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

namespace velmoa::emfplus {
namespace {

// A mitre longer than this many half widths is cut to it, as a pen's default miter limit does.
constexpr double kMiterLimit = 10;
// Anchors are this many pen widths across, as GDI+ draws them.
constexpr double kAnchorWidths = 2;

QPointF unitNormal(QPointF from, QPointF to) {
    const QPointF d = to - from;
    const double length = std::hypot(d.x(), d.y());
    return length > 0 ? QPointF(-d.y() / length, d.x() / length) : QPointF();
}

// The polyline moved by offset along its normals, the corners mitred.
QPolygonF offsetPolyline(const QPolygonF& line, bool closed, double offset) {
    const qsizetype n = line.size();
    QPolygonF out;
    out.reserve(n);
    for (qsizetype i = 0; i < n; ++i) {
        const bool hasBefore = closed || i > 0, hasAfter = closed || i + 1 < n;
        const QPointF before = hasBefore ? unitNormal(line[(i + n - 1) % n], line[i]) : QPointF();
        const QPointF after = hasAfter ? unitNormal(line[i], line[(i + 1) % n]) : QPointF();
        QPointF normal = !hasBefore ? after : !hasAfter ? before : before + after;
        const double length = std::hypot(normal.x(), normal.y());
        if (length == 0) {
            out.append(line[i] + before * offset);
            continue;
        }
        normal /= length;
        // The mitre lengthens as the corner sharpens: 1 / cos of half the turn.
        const QPointF side = hasBefore ? before : after;
        const double cosHalf = normal.x() * side.x() + normal.y() * side.y();
        const double stretch = cosHalf > 1 / kMiterLimit ? 1 / cosHalf : kMiterLimit;
        out.append(line[i] + normal * (offset * stretch));
    }
    return out;
}

QPolygonF withoutRepeats(const QPolygonF& points) {
    QPolygonF out;
    for (const QPointF& p : points) {
        if (out.isEmpty() || out.back() != p) {
            out.append(p);
        }
    }
    return out;
}

void addAnchor(QPainterPath& caps, QPointF end, QPointF outward, double width, int cap) {
    const double half = width * kAnchorWidths / 2;
    const QPointF across(-outward.y(), outward.x());
    switch (cap) {
    case LineCapSquareAnchor:
        caps.addPolygon(QPolygonF({end + (outward + across) * half, end + (outward - across) * half,
                                   end - (outward + across) * half, end - (outward - across) * half}));
        caps.closeSubpath();
        break;
    case LineCapRoundAnchor:
        caps.addEllipse(end, half, half);
        break;
    case LineCapDiamondAnchor:
        caps.addPolygon(QPolygonF(
            {end + outward * half, end + across * half, end - outward * half, end - across * half}));
        caps.closeSubpath();
        break;
    case LineCapArrowAnchor: // the tip a width beyond the end, the base as far behind it
        caps.addPolygon(QPolygonF({end + outward * half, end - outward * half + across * half,
                                   end - outward * half - across * half}));
        caps.closeSubpath();
        break;
    default:
        break;
    }
}

} // namespace

bool isAnchorCap(int cap) {
    return cap >= LineCapSquareAnchor && cap <= LineCapArrowAnchor;
}

QPainterPath compoundBands(const QPainterPath& path, double width, const std::vector<double>& fractions) {
    QPainterPath bands;
    bands.setFillRule(Qt::WindingFill);
    for (const QPolygonF& flattened : path.toSubpathPolygons()) {
        const bool closed = flattened.size() > 2 && flattened.isClosed();
        QPolygonF line = withoutRepeats(flattened);
        if (closed && line.size() > 1 && line.front() == line.back()) {
            line.removeLast();
        }
        if (line.size() < 2) {
            continue;
        }
        for (std::size_t i = 0; i + 1 < fractions.size(); i += 2) {
            // From the pen's left side (a negative offset in y-down coordinates) to its right.
            const double from = (fractions[i] - 0.5) * width, to = (fractions[i + 1] - 0.5) * width;
            const QPolygonF inner = offsetPolyline(line, closed, from);
            const QPolygonF outer = offsetPolyline(line, closed, to);
            if (closed) { // a ring: both outlines, opposite ways round
                bands.addPolygon(outer);
                bands.closeSubpath();
                bands.addPolygon(QPolygonF(QList<QPointF>(inner.rbegin(), inner.rend())));
                bands.closeSubpath();
            } else {
                QPolygonF band = inner;
                band.append(QList<QPointF>(outer.rbegin(), outer.rend()));
                bands.addPolygon(band);
                bands.closeSubpath();
            }
        }
    }
    return bands;
}

QPainterPath anchorCaps(const QPainterPath& path, double width, int startCap, int endCap) {
    QPainterPath caps;
    caps.setFillRule(Qt::WindingFill);
    for (const QPolygonF& flattened : path.toSubpathPolygons()) {
        const QPolygonF line = withoutRepeats(flattened);
        if (line.size() < 2 || (line.size() > 2 && line.isClosed())) {
            continue;
        }
        const auto outward = [](QPointF from, QPointF to) {
            const QLineF direction = QLineF(from, to).unitVector();
            return QPointF(direction.dx(), direction.dy());
        };
        addAnchor(caps, line.front(), outward(line[1], line[0]), width, startCap);
        addAnchor(caps, line.back(), outward(line[line.size() - 2], line.back()), width, endCap);
    }
    return caps;
}

} // namespace velmoa::emfplus
