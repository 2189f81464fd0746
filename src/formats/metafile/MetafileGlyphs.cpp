#include "formats/metafile/MetafileGlyphs.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace velmoa {
namespace {

// FreeType renders glyphs of some 1 300 pixels across and more into an overflow; well below that.
constexpr double kMaxGlyphImageExtent = 1000;

// How far the transform stretches the longest direction (the larger singular value).
double largestStretch(const QTransform& t) {
    const double squares = t.m11() * t.m11() + t.m12() * t.m12() + t.m21() * t.m21() + t.m22() * t.m22();
    const double det = t.m11() * t.m22() - t.m12() * t.m21();
    return std::sqrt((squares + std::sqrt(std::max(0.0, squares * squares - 4 * det * det))) / 2);
}

void fillOutlines(QPainter& painter, const QPainterPath& outlines) {
    painter.fillPath(outlines, painter.pen().brush());
}

} // namespace

bool glyphsTooWideForCache(const QFont& font, const QTransform& deviceTransform) {
    const double pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontMetricsF(font).height();
    const double stretch = std::max(1.0, font.stretch() / 100.0);
    return pixels * stretch * largestStretch(deviceTransform) > kMaxGlyphImageExtent;
}

void drawMetafileText(QPainter& painter, QPointF baseline, const QString& text) {
    if (!glyphsTooWideForCache(painter.font(), painter.deviceTransform())) {
        painter.drawText(baseline, text);
        return;
    }
    QPainterPath outlines;
    outlines.addText(baseline, painter.font(), text);
    fillOutlines(painter, outlines);
}

void drawMetafileText(QPainter& painter, const QRectF& rect, int flags, const QString& text) {
    if (!glyphsTooWideForCache(painter.font(), painter.deviceTransform())) {
        painter.drawText(rect, flags, text);
        return;
    }
    // The lines as drawText lays them out: wrapped at the rectangle's width when asked, each
    // aligned in it, the block aligned vertically.
    QTextLayout layout(text, painter.font());
    QTextOption option(static_cast<Qt::Alignment>(flags) & Qt::AlignHorizontal_Mask);
    option.setWrapMode((flags & Qt::TextWordWrap) ? QTextOption::WordWrap : QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    double height = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max(0.0, rect.width()));
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    double top = rect.top();
    if (flags & Qt::AlignVCenter) {
        top += (rect.height() - height) / 2;
    } else if (flags & Qt::AlignBottom) {
        top += rect.height() - height;
    }
    QPainterPath outlines;
    const QPointF origin(rect.left(), top);
    for (const QGlyphRun& run : layout.glyphRuns()) {
        const QRawFont font = run.rawFont();
        const QList<quint32> glyphs = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < glyphs.size() && i < positions.size(); ++i) {
            outlines.addPath(font.pathForGlyph(glyphs[i]).translated(origin + positions[i]));
        }
    }
    fillOutlines(painter, outlines);
}

} // namespace velmoa
