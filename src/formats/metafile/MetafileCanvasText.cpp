#include "formats/metafile/MetafileCanvas.h"

#include "formats/metafile/MetafileGdi.h"
#include "formats/metafile/MetafileGlyphs.h"
#include "formats/metafile/MetafileText.h"

#include <QFontMetricsF>
#include <QLineF>
#include <algorithm>
#include <cmath>

namespace velmoa {
namespace {

constexpr double kMaxFontPixels = 8000;

double axisLength(const QTransform& t, QPointF axis) {
    return QLineF(t.map(QPointF()), t.map(axis)).length();
}

} // namespace

void MetafileCanvas::textOut(QPointF reference, const QString& written, const std::vector<double>& dx,
                             std::uint32_t options, const std::optional<QRectF>& rect, const Font* fontIn,
                             const std::vector<double>& dy) {
    const Font& f = fontIn ? *fontIn : state_.font;
    // A string's terminating NUL, which some writers count in, is not a character to show.
    QString text = isSymbolFace(f.face) ? mapSymbolText(written) : written;
    while (text.endsWith(QChar(0))) {
        text.chop(1);
    }
    if (!prepare(true)) {
        return;
    }
    const QTransform t = logicalToTarget();
    const bool updateCp = (state_.textAlign & gdi::TA_UPDATECP) != 0;
    const QPointF ref = updateCp ? state_.position : reference;
    const double sx = axisLength(t, QPointF(1, 0));
    const double sy = axisLength(t, QPointF(0, 1));
    painter_.setTransform(t * origin_);
    if (rect && (options & gdi::ETO_OPAQUE)) {
        painter_.fillRect(rect->normalized(), state_.bkColor);
    }
    if (rect && (options & gdi::ETO_CLIPPED)) {
        painter_.setClipPath(rectPath(*rect), Qt::IntersectClip);
        clipApplied_ = false;
    }
    if (text.isEmpty()) {
        return;
    }

    QFont font(metafileFontFamily(f.face.isEmpty() ? QStringLiteral("MS Sans Serif") : f.face));
    double em;
    if (f.height < 0) {
        em = -f.height * sy;
    } else if (f.height > 0) {
        // A positive height is the cell (ascent plus descent); the em is a share of it.
        font.setPixelSize(100);
        const QFontMetricsF probe(font);
        em = f.height * sy * 100 / std::max(1.0, probe.ascent() + probe.descent());
    } else {
        em = 16 * std::sqrt(std::abs(deviceToTarget_.determinant()));
    }
    font.setPixelSize(static_cast<int>(std::clamp(std::round(em), 1.0, kMaxFontPixels)));
    font.setWeight(static_cast<QFont::Weight>(std::clamp(f.weight == 0 ? 400 : f.weight, 1, 1000)));
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeOut);
    if (f.width != 0) {
        const double average = QFontMetricsF(font).averageCharWidth();
        if (average > 0) {
            font.setStretch(
                static_cast<int>(std::clamp(std::abs(f.width) * sx / average * 100, 1.0, 4000.0)));
        }
    }
    const QFontMetricsF metrics(font);

    double width = 0;
    double rise = 0; // the vertical advances of ETO_PDY, upwards
    if (!dx.empty()) {
        for (std::size_t i = 0; i < dx.size() && i < static_cast<std::size_t>(text.size()); ++i) {
            width += dx[i] * sx;
            rise += i < dy.size() ? dy[i] * sy : 0;
        }
    } else {
        width = metrics.horizontalAdvance(text);
    }
    double x = 0;
    switch (state_.textAlign & gdi::TA_HORIZONTAL_MASK) {
    case gdi::TA_RIGHT:
        x = -width;
        break;
    case gdi::TA_CENTER:
        x = -width / 2;
        break;
    default:
        break;
    }
    double y = 0;
    switch (state_.textAlign & gdi::TA_VERTICAL_MASK) {
    case gdi::TA_TOP:
        y = metrics.ascent();
        break;
    case gdi::TA_BOTTOM:
        y = -metrics.descent();
        break;
    default:
        break;
    }
    charge(QRectF(t.map(ref), QSizeF(width + metrics.height(), width + metrics.height())));
    const double worldAngle =
        QLineF(state_.mapping.world().map(QPointF()), state_.mapping.world().map(QPointF(1, 0))).angle();
    // The escapement turns counter-clockwise on a page whose y axis points down; a mapping
    // that flips an axis turns it the other way.
    const double escapement = t.determinant() < 0 ? -f.escapement / 10 : f.escapement / 10;
    QTransform placed = QTransform::fromTranslate(t.map(ref).x(), t.map(ref).y());
    placed.rotate(-(escapement + worldAngle));
    painter_.setTransform(placed * origin_);
    if (state_.bkMode == gdi::OPAQUE) {
        painter_.fillRect(QRectF(x, y - metrics.ascent(), width, metrics.ascent() + metrics.descent()),
                          state_.bkColor);
    }
    painter_.setFont(font);
    painter_.setPen(state_.textColor);
    if (dx.empty()) {
        drawMetafileText(painter_, QPointF(x, y), text);
    } else {
        QPointF pen(x, y);
        for (const TextCluster& cluster : positionedClusters(text, dx, dy)) {
            drawMetafileText(painter_, pen, text.mid(cluster.start, cluster.length));
            pen.rx() += cluster.advanceX * sx;
            // Vertical advances count upwards, towards the characters' ascent.
            pen.ry() -= cluster.advanceY * sy;
        }
    }
    if (updateCp && (state_.textAlign & gdi::TA_HORIZONTAL_MASK) == gdi::TA_LEFT) {
        bool invertible = false;
        const QTransform back = t.inverted(&invertible);
        if (invertible) {
            // Along the baseline by the advances, and up or down by the vertical ones; text
            // without vertical advances stays on its line.
            state_.position = back.map(placed.map(QPointF(x + width, -rise)));
            if (rise == 0) {
                state_.position.setY(ref.y());
            }
        }
    }
}

} // namespace velmoa
