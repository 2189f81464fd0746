#include "formats/metafile/MetafileCanvas.h"

#include "formats/metafile/MetafileGdi.h"
#include "formats/metafile/MetafileRasterOp.h"

#include <QPaintEngine>
#include <algorithm>
#include <cmath>

namespace velmoa {
namespace {

constexpr std::size_t kMaxSavedStates = 1024;
// The high byte of a COLORREF that holds a palette index.
constexpr std::uint32_t kPaletteIndex = 1;

Qt::BrushStyle hatchStyle(int hatch) {
    switch (hatch) {
    case gdi::HS_HORIZONTAL:
        return Qt::HorPattern;
    case gdi::HS_VERTICAL:
        return Qt::VerPattern;
    case gdi::HS_FDIAGONAL:
        return Qt::FDiagPattern;
    case gdi::HS_BDIAGONAL:
        return Qt::BDiagPattern;
    case gdi::HS_CROSS:
        return Qt::CrossPattern;
    default:
        return Qt::DiagCrossPattern;
    }
}

// The target as the painter may draw on it, within any clip it already has.
QPainterPath targetBounds(QPainter& painter, const QRectF& target) {
    QPainterPath bounds;
    bounds.addRect(target.normalized());
    if (painter.hasClipping()) {
        bounds = bounds.intersected(painter.clipPath());
    }
    return bounds;
}

} // namespace

MetafileCanvas::MetafileCanvas(QPainter& painter, const QRectF& target, const QTransform& deviceToTarget,
                               QSizeF devicePerMillimetre, MetafileWorkBudget& budget)
    : painter_(painter), origin_(painter.transform()), target_(target), deviceToTarget_(deviceToTarget),
      devicePerMm_(devicePerMillimetre), clipper_(targetBounds(painter, target), budget), budget_(budget) {
    painter_.save();
    rasterOps_ = painter_.paintEngine() && painter_.paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
    painter_.setRenderHint(QPainter::Antialiasing, true);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
}

MetafileCanvas::~MetafileCanvas() {
    painter_.restore();
}

bool MetafileCanvas::selectObject(std::size_t index) {
    const Object* found = objects_.find(index);
    if (!found) {
        return false;
    }
    if (const auto* pen = std::get_if<Pen>(found)) {
        state_.pen = *pen;
    } else if (const auto* brush = std::get_if<Brush>(found)) {
        state_.brush = *brush;
    } else if (const auto* font = std::get_if<Font>(found)) {
        state_.font = *font;
    } else if (const auto* region = std::get_if<Region>(found)) {
        selectClipRegion(region, gdi::RGN_COPY);
    }
    return true;
}

std::optional<MetafileCanvas::Brush> MetafileCanvas::stockBrush(std::uint32_t stock) {
    const int greys[] = {255, 192, 128, 64, 0};
    const std::uint32_t which = stock & ~gdi::kStockObjectFlag;
    if (which <= gdi::BLACK_BRUSH) {
        return Brush{Brush::Kind::Solid, QColor(greys[which], greys[which], greys[which]), 0, {}};
    }
    if (which == gdi::NULL_BRUSH) {
        return Brush{Brush::Kind::Null, Qt::black, 0, {}};
    }
    if (which == gdi::DC_BRUSH) {
        return Brush{};
    }
    return std::nullopt;
}

bool MetafileCanvas::selectStockObject(std::uint32_t stock) {
    const std::uint32_t which = stock & ~gdi::kStockObjectFlag;
    if (auto brush = stockBrush(stock)) {
        state_.brush = *brush;
    } else if (which == gdi::WHITE_PEN || which == gdi::BLACK_PEN) {
        state_.pen = Pen{gdi::PS_SOLID, 0, which == gdi::WHITE_PEN ? QColor(Qt::white) : QColor(Qt::black)};
    } else if (which == gdi::NULL_PEN) {
        state_.pen = Pen{gdi::PS_NULL, 0, Qt::black};
    } else if (which >= gdi::OEM_FIXED_FONT && which <= gdi::DEFAULT_GUI_FONT &&
               which != gdi::DEFAULT_PALETTE) {
        state_.font = Font{};
    } else if (which == gdi::DC_PEN) {
        state_.pen = Pen{};
    } else if (which != gdi::DEFAULT_PALETTE) {
        return false;
    }
    return true;
}

QColor MetafileCanvas::colour(std::uint32_t ref) const {
    if ((ref >> 24) == kPaletteIndex) {
        const std::size_t index = ref & 0xFFFF;
        return index < palette_.size() ? QColor(palette_[index]) : QColor(Qt::black);
    }
    return colourRef(ref);
}

QTransform MetafileCanvas::logicalToTarget() const {
    return state_.mapping.logicalToDevice(devicePerMm_) * deviceToTarget_;
}

double MetafileCanvas::averageScale() const {
    return std::sqrt(std::abs(logicalToTarget().determinant()));
}

bool MetafileCanvas::saveDc() {
    if (saved_.size() >= kMaxSavedStates) {
        return false;
    }
    saved_.push_back(state_);
    return true;
}

bool MetafileCanvas::restoreDc(int which) {
    std::size_t keep;
    if (which < 0) {
        const auto back = static_cast<std::size_t>(-static_cast<long long>(which));
        if (back > saved_.size()) {
            return false;
        }
        keep = saved_.size() - back;
    } else if (which > 0 && static_cast<std::size_t>(which) <= saved_.size()) {
        keep = static_cast<std::size_t>(which) - 1;
    } else {
        return false;
    }
    state_ = saved_[keep];
    saved_.resize(keep);
    clipApplied_ = false;
    return true;
}

void MetafileCanvas::intersectClipRect(const QRectF& rect) {
    combineClip(logicalToTarget().map(rectPath(rect)), 1);
}

void MetafileCanvas::excludeClipRect(const QRectF& rect) {
    combineClip(logicalToTarget().map(rectPath(rect)), 4);
}

void MetafileCanvas::offsetClip(QPointF by) {
    if (!state_.clip) {
        return;
    }
    const QTransform t = logicalToTarget();
    const QPointF shift = t.map(by) - t.map(QPointF());
    state_.clip = state_.clip->translated(shift).intersected(clipper_.bounds());
    clipApplied_ = false;
}

QPainterPath MetafileCanvas::rectPath(const QRectF& rect) {
    QPainterPath path;
    path.addRect(rect.normalized());
    return path;
}

QPainterPath MetafileCanvas::regionPath(const Region& region) const {
    return region.logical ? logicalToTarget().map(region.path) : deviceToTarget_.map(region.path);
}

void MetafileCanvas::combineClip(const QPainterPath& path, int mode) {
    if (clipper_.combine(state_.clip, path, mode)) {
        clipApplied_ = false;
    }
}

void MetafileCanvas::selectClipRegion(const Region* region, int mode) {
    if (!region) {
        if (mode == gdi::RGN_COPY) {
            state_.clip.reset();
            clipApplied_ = false;
        }
        return;
    }
    combineClip(regionPath(*region), mode);
}

void MetafileCanvas::applyClip() {
    if (clipApplied_) {
        return;
    }
    const QPainterPath& clip = state_.clip ? *state_.clip : clipper_.bounds();
    // The clip is laid over the target as a combination would be.
    budget_.combine(clipper_.bounds().elementCount(), clip.elementCount());
    painter_.setTransform(origin_);
    painter_.setClipPath(clip, Qt::ReplaceClip);
    clipApplied_ = true;
}

bool MetafileCanvas::prepare(bool forText) {
    if (state_.rop2 == gdi::R2_NOP && !forText) { // draws nothing
        return false;
    }
    applyClip();
    painter_.setOpacity(1.0);
    const bool copyPen = forText || state_.rop2 == gdi::R2_COPYPEN;
    painter_.setCompositionMode(
        rasterOps_ && !copyPen
            ? rop::compositionMode(rop::fromRop2(state_.rop2)).value_or(QPainter::CompositionMode_SourceOver)
            : QPainter::CompositionMode_SourceOver);
    // Raster operations take no partial coverage: an antialiased edge would be inverted twice.
    painter_.setRenderHint(QPainter::Antialiasing, copyPen);
    return true;
}

void MetafileCanvas::charge(const QRectF& targetBounds) {
    // Every call costs something even when it covers nothing.
    const QRectF covered = targetBounds.normalized().intersected(target_);
    const double area = covered.width() * covered.height();
    budget_.spend(MetafileWorkBudget::kCallWork + (std::isfinite(area) ? area : 0));
}

QPainterPath MetafileCanvas::withinBudget(const QPainterPath& path, const QRectF& targetBounds,
                                          double penPixels, const QPen& pen, double scale, bool filled) {
    return budget_.pathWithinBudget(path, {targetBounds.normalized().intersected(target_), penPixels,
                                           MetafileWorkBudget::dashPeriod(pen, scale), scale,
                                           target_.height(), filled});
}

QPen MetafileCanvas::makePen(double widthFactor) const {
    const Pen& p = state_.pen;
    const std::uint32_t style = p.style & gdi::PS_STYLE_MASK;
    if (style == gdi::PS_NULL) {
        return Qt::NoPen;
    }
    QPen pen(p.color);
    // Lines thinner than a pixel of the target still show, as on a device they take a pixel.
    const bool hairline = p.width <= 0 || p.width * averageScale() < 1;
    pen.setWidthF(hairline ? 0 : p.width * widthFactor);
    pen.setCosmetic(hairline);
    switch (style) {
    case gdi::PS_DASH:
        pen.setStyle(Qt::DashLine);
        break;
    case gdi::PS_DOT:
    case gdi::PS_ALTERNATE:
        pen.setStyle(Qt::DotLine);
        break;
    case gdi::PS_DASHDOT:
        pen.setStyle(Qt::DashDotLine);
        break;
    case gdi::PS_DASHDOTDOT:
        pen.setStyle(Qt::DashDotDotLine);
        break;
    default:
        break;
    }
    switch (p.style & gdi::PS_ENDCAP_MASK) {
    case gdi::PS_ENDCAP_SQUARE:
        pen.setCapStyle(Qt::SquareCap);
        break;
    case gdi::PS_ENDCAP_FLAT:
        pen.setCapStyle(Qt::FlatCap);
        break;
    default:
        pen.setCapStyle(Qt::RoundCap);
        break;
    }
    switch (p.style & gdi::PS_JOIN_MASK) {
    case gdi::PS_JOIN_BEVEL:
        pen.setJoinStyle(Qt::BevelJoin);
        break;
    case gdi::PS_JOIN_MITER:
        pen.setJoinStyle(Qt::MiterJoin);
        pen.setMiterLimit(state_.miterLimit);
        break;
    default:
        pen.setJoinStyle(Qt::RoundJoin);
        break;
    }
    return pen;
}

QBrush MetafileCanvas::patternBrush(const QImage& pattern) const {
    // The pattern's pixels are the device's, tiled from its origin however the logical units
    // are mapped: a brush's texture is placed in the painter's coordinates, so the painter's
    // transform is taken back out. A layer painted for a raster operation draws in the canvas
    // painter's coordinates too, so its transform is the one taken out.
    QBrush brush(pattern);
    bool invertible = false;
    const QTransform fromPainter = painter_.worldTransform().inverted(&invertible);
    if (invertible) {
        brush.setTransform(QTransform::fromScale(patternPixel_, patternPixel_) * deviceToTarget_ * origin_ *
                           fromPainter);
    }
    return brush;
}

void MetafileCanvas::fillWithBrush(const QPainterPath& path, const Brush& brush) {
    fillWithBrush(painter_, path, brush, state_.bkMode == gdi::OPAQUE);
}

void MetafileCanvas::fillWithBrush(QPainter& painter, const QPainterPath& path, const Brush& brush,
                                   bool opaqueHatch) const {
    switch (brush.kind) {
    case Brush::Kind::Null:
        break;
    case Brush::Kind::Solid:
        painter.fillPath(path, brush.color);
        break;
    case Brush::Kind::Hatched:
        if (opaqueHatch) {
            painter.fillPath(path, state_.bkColor);
        }
        painter.fillPath(path, QBrush(brush.color, hatchStyle(brush.hatch)));
        break;
    case Brush::Kind::Pattern:
        painter.fillPath(path, brush.pattern.isNull() ? QBrush(Qt::gray) : patternBrush(brush.pattern));
        break;
    }
}

} // namespace velmoa
