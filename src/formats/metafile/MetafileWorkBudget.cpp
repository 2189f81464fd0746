#include "formats/metafile/MetafileWorkBudget.h"

#include <QLineF>
#include <algorithm>
#include <cmath>

namespace velmoa {
namespace {

struct Extent {
    double length = 0; // of the control polygon: at least that of the path itself
    double rows = 0;   // the rows of pixels its edges cross, each at most maxRows
};

Extent extentOf(const QPainterPath& path, double scale, double maxRows) {
    Extent extent;
    for (int i = 1; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (!e.isMoveTo()) {
            const QLineF edge(path.elementAt(i - 1), e);
            extent.length += edge.length();
            extent.rows += std::min(std::abs(edge.dy()) * scale, maxRows);
        }
    }
    return extent;
}

} // namespace

bool MetafileWorkBudget::spend(double cost) {
    // Past the limit it is all spent, whatever the last call cost.
    spent_ = std::isfinite(cost) ? std::min(spent_ + cost, limit_ + 1) : limit_ + 1;
    return !exhausted();
}

QPainterPath MetafileWorkBudget::pathWithinBudget(const QPainterPath& path, const PathCost& cost) {
    // A wide pen's joins are flattened into many edges each, over an area that grows with the
    // square of the width.
    const double pen = cost.penPixels;
    const double perElement = kElementWork * (1 + pen / 2) + pen * pen * kPenAreaWork;
    const Extent extent = extentOf(path, std::abs(cost.scale), std::max(cost.targetHeight, 1.0));
    const double pieces = path.elementCount();
    double dashes = 0;
    if (cost.dashPixels > 0 && pieces > 0) {
        // Every dash is a piece of its own for the stroker.
        dashes = extent.length * std::abs(cost.scale) / cost.dashPixels;
    }
    // A fill goes over every edge on every row it crosses, sorting the edges of each row: a polygon
    // of countless long spikes costs by their length and their crowding as well as their number.
    const double rowsAcross = std::max(cost.targetHeight, 1.0);
    const double crowding = std::log2(2 + extent.rows / rowsAcross);
    const double rowWork = cost.filled ? extent.rows * crowding * kEdgeRowWork : 0;
    const QRectF covered = cost.covered.normalized();
    const double total =
        kCallWork + covered.width() * covered.height() + perElement * pieces + dashes * kDashWork + rowWork;
    if (!std::isfinite(total)) {
        // Mapped out of every range a number holds: nothing of it could be drawn.
        spend(kCallWork);
        return {};
    }
    if (spent_ + total <= limit_ || path.elementCount() == 0) {
        spent_ += total;
        return path;
    }
    const auto keep = exhausted() ? 0 : static_cast<int>((limit_ - spent_) / total * path.elementCount());
    spent_ = limit_ + 1;
    QPainterPath part;
    part.setFillRule(path.fillRule());
    for (int i = 0; i < keep && i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            part.moveTo(e);
        } else if (e.isLineTo()) {
            part.lineTo(e);
        } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
            part.cubicTo(e, path.elementAt(i + 1), path.elementAt(i + 2));
            i += 2;
        }
    }
    return part;
}

double MetafileWorkBudget::dashPeriod(const QPen& pen, double scale) {
    if (pen.style() == Qt::SolidLine || pen.style() == Qt::NoPen) {
        return 0;
    }
    double period = 0;
    for (const qreal length : pen.dashPattern()) {
        period += std::abs(length);
    }
    // Dash lengths are in pen widths: a hairline's are pixels, a pen thinner than a pixel's less.
    const double width =
        pen.isCosmetic() || pen.widthF() == 0 ? std::max(pen.widthF(), 1.0) : pen.widthF() * std::abs(scale);
    const double pixels = period * width;
    return std::isfinite(pixels) && pixels > 0 ? pixels : 0;
}

bool MetafileWorkBudget::combine(int elementsA, int elementsB) {
    const double a = elementsA, b = elementsB;
    const double cost = kCallWork + (a + b) * kCombineElementWork + a * b * kCombinePairWork;
    if (spent_ + cost > limit_) {
        spent_ = limit_ + 1;
        return false;
    }
    spent_ += cost;
    return true;
}

} // namespace velmoa
