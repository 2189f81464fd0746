#include "formats/metafile/MetafilePathCulling.h"

#include <QImage>
#include <QPainter>
#include <QPen>
#include <QRandomGenerator>
#include <gtest/gtest.h>

using velmoa::MetafilePathCulling;

namespace {

const QRectF kPicture(0, 0, 100, 100);
// What the canvas asks for: the picture grown by more than the widest pen below reaches.
const QRectF kArea = kPicture.adjusted(-40, -40, 40, 40);

QImage render(const QPainterPath& path, bool fill, const QPen& pen) {
    QImage image(kPicture.size().toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    if (fill) {
        painter.fillPath(path, Qt::blue);
    }
    if (pen.style() != Qt::NoPen) {
        painter.strokePath(path, pen);
    }
    return image;
}

// Whether the centre of each pixel lies inside the path, by its winding number.
QImage exactFill(const QPainterPath& path) {
    const QList<QPolygonF> polygons = path.toSubpathPolygons();
    QImage image(kPicture.size().toSize(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QPointF c(x + 0.5, y + 0.5);
            int winding = 0;
            for (const QPolygonF& polygon : polygons) {
                for (qsizetype i = 0; i < polygon.size(); ++i) {
                    const QPointF a = polygon[i];
                    const QPointF b = polygon[(i + 1) % polygon.size()];
                    const double side = (b.x() - a.x()) * (c.y() - a.y()) - (c.x() - a.x()) * (b.y() - a.y());
                    if (a.y() <= c.y() && b.y() > c.y() && side > 0) {
                        ++winding;
                    } else if (a.y() > c.y() && b.y() <= c.y() && side < 0) {
                        --winding;
                    }
                }
            }
            const bool inside = path.fillRule() == Qt::WindingFill ? winding != 0 : (winding & 1) != 0;
            image.setPixel(x, y, inside ? qRgb(0, 0, 255) : qRgb(255, 255, 255));
        }
    }
    return image;
}

int differingPixels(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            n += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y))) > 48 ? 1 : 0;
        }
    }
    return n;
}

QPainterPath farPolygon(int points, Qt::FillRule rule, bool closed, quint32 seed) {
    QRandomGenerator random(seed);
    QPainterPath path;
    path.setFillRule(rule);
    path.moveTo(random.bounded(-32000, 32000), random.bounded(-32000, 32000));
    for (int i = 1; i < points; ++i) {
        // Mostly far outside, now and then inside the picture.
        const bool inside = random.bounded(4) == 0;
        path.lineTo(inside ? QPointF(random.bounded(100), random.bounded(100))
                           : QPointF(random.bounded(-32000, 32000), random.bounded(-32000, 32000)));
    }
    if (closed) {
        path.closeSubpath();
    }
    return path;
}

// Cutting a path down to the area changes nothing that shows, for fills of either rule and for
// pens of any width up to what the area allows for.
TEST(MetafilePathCulling, KeepsWhatShowsOfPathsThatRunFarOutside) {
    const QPen thick(Qt::black, 30, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    const QPen hairline(Qt::black, 0);
    const struct {
        const char* name;
        QPainterPath path;
        bool fill;
        QPen pen;
    } rows[] = {
        {"odd-even polygon", farPolygon(400, Qt::OddEvenFill, true, 1), true, QPen(Qt::NoPen)},
        {"closed polyline with a thick pen", farPolygon(400, Qt::OddEvenFill, true, 8), false, thick},
        {"winding polygon, fill only", farPolygon(400, Qt::WindingFill, true, 2), true, QPen(Qt::NoPen)},
        {"open polyline with a thick pen", farPolygon(400, Qt::OddEvenFill, false, 3), false, thick},
        {"open polyline, hairline", farPolygon(400, Qt::OddEvenFill, false, 4), false, hairline},
        {"filled open subpaths close as the fill closes them", farPolygon(400, Qt::WindingFill, false, 5),
         true, QPen(Qt::NoPen)},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(MetafilePathCulling::worthCulling(row.path, kArea)) << row.name;
        const QPainterPath culled = MetafilePathCulling::culled(row.path, kArea, row.fill);
        EXPECT_TRUE(kArea.adjusted(-1, -1, 1, 1).contains(culled.controlPointRect())) << row.name;
        EXPECT_EQ(culled.fillRule(), row.path.fillRule()) << row.name;
        // Fills are checked against the exact answer (the rasteriser is not exact so far out);
        // strokes against the stroke of the whole path. Pixels on an edge may go either way: a
        // wrong cut would change thousands.
        const QImage expected = row.fill ? exactFill(row.path) : render(row.path, false, row.pen);
        EXPECT_LE(differingPixels(expected, render(culled, row.fill, row.pen)), 50) << row.name;
    }
}

TEST(MetafilePathCulling, LeavesSmallInsideAndCurvedPathsAlone) {
    QPainterPath small;
    small.addRect(-5000, -5000, 10000, 10000);
    QPainterPath inside = farPolygon(100, Qt::OddEvenFill, true, 6);
    inside = QTransform::fromScale(0.001, 0.001).translate(50'000, 50'000).map(inside);
    QPainterPath curved = farPolygon(100, Qt::OddEvenFill, false, 7);
    curved.cubicTo(-9000, 0, 9000, 0, 50, 50);

    EXPECT_FALSE(MetafilePathCulling::worthCulling(small, kArea)) << "a few elements";
    EXPECT_FALSE(MetafilePathCulling::worthCulling(inside, kArea)) << "all within the area";
    ASSERT_TRUE(MetafilePathCulling::worthCulling(curved, kArea));
    EXPECT_EQ(MetafilePathCulling::culled(curved, kArea, false), curved) << "curves are kept as they are";
}

} // namespace
