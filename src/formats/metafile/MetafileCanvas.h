#pragma once

#include "formats/metafile/MetafileClipper.h"
#include "formats/metafile/MetafileGdi.h"
#include "formats/metafile/MetafileMapping.h"
#include "formats/metafile/MetafileObjects.h"
#include "formats/metafile/MetafileWorkBudget.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <functional>
#include <optional>
#include <vector>

namespace velmoa {

// The drawing state of a metafile device context (objects, mapping, text and clip settings)
// and the drawing calls of both metafile kinds, carried out on a QPainter in vectors.
// Coordinates passed in are logical units; the canvas maps them through the world transform
// (EMF), the mapping mode and the device-to-target transform given at construction.
// The object table, the mapping and the clip combination are classes of their own; the
// drawing calls are defined in MetafileCanvasShapes.cpp, MetafileCanvasText.cpp and
// MetafileCanvasRaster.cpp.
class MetafileCanvas {
  public:
    using Pen = MetafilePen;
    using Brush = MetafileBrush;
    using Font = MetafileFont;
    using Palette = MetafilePalette;
    using Region = MetafileRegion;
    using Object = MetafileObject;

    enum class ArcKind { Arc, Chord, Pie, ArcTo };

    // deviceToTarget maps the metafile's device units onto the target; devicePerMillimetre is
    // the device resolution the metric mapping modes use. The drawing's work is paid from budget.
    MetafileCanvas(QPainter& painter, const QRectF& target, const QTransform& deviceToTarget,
                   QSizeF devicePerMillimetre, MetafileWorkBudget& budget);
    ~MetafileCanvas();
    MetafileCanvas(const MetafileCanvas&) = delete;
    MetafileCanvas& operator=(const MetafileCanvas&) = delete;

    // Object table. Indexes out of range are refused (false) so the player can stop.
    void setObjectTableSize(std::size_t size) { objects_.resize(size); }
    std::size_t objectTableSize() const { return objects_.size(); }
    bool addObject(Object object) { return objects_.add(std::move(object)); } // the lowest free slot
    bool setObject(std::size_t index, Object object) { return objects_.set(index, std::move(object)); }
    bool selectObject(std::size_t index);
    bool selectStockObject(std::uint32_t stock);
    // The logical palette that palette-index colours and DIB_PAL_COLORS bitmaps refer to;
    // no palette (or the stock default) leaves it empty.
    void selectPalette(const Palette* palette) {
        palette_ = palette ? palette->colours : std::vector<QRgb>{};
    }
    const std::vector<QRgb>& palette() const { return palette_; }
    // A COLORREF: 0x00bbggrr, or a palette index when the high byte is 1.
    QColor colour(std::uint32_t ref) const;
    // The red, green and blue bytes of a COLORREF, whatever its high byte says.
    static QColor colourRef(std::uint32_t ref) {
        return QColor(static_cast<int>(ref & 0xFF), static_cast<int>((ref >> 8) & 0xFF),
                      static_cast<int>((ref >> 16) & 0xFF));
    }
    // The brush a stock-object index (high bit set) stands for; nullopt for other objects.
    static std::optional<Brush> stockBrush(std::uint32_t stock);
    bool deleteObject(std::size_t index) { return objects_.remove(index); }
    const Object* object(std::size_t index) const { return objects_.find(index); }

    // Mapping.
    void setMapMode(int mode) { state_.mapping.setMapMode(mode); }
    void setWindowOrg(QPointF org) { state_.mapping.setWindowOrg(org); }
    void setWindowExt(QSizeF ext) { state_.mapping.setWindowExt(ext); }
    void setViewportOrg(QPointF org) { state_.mapping.setViewportOrg(org); }
    void setViewportExt(QSizeF ext) { state_.mapping.setViewportExt(ext); }
    void offsetWindowOrg(QPointF by) { state_.mapping.offsetWindowOrg(by); }
    void offsetViewportOrg(QPointF by) { state_.mapping.offsetViewportOrg(by); }
    void scaleWindowExt(double xNum, double xDenom, double yNum, double yDenom) {
        state_.mapping.scaleWindowExt(xNum, xDenom, yNum, yDenom);
    }
    void scaleViewportExt(double xNum, double xDenom, double yNum, double yDenom) {
        state_.mapping.scaleViewportExt(xNum, xDenom, yNum, yDenom);
    }
    QPointF windowOrg() const { return state_.mapping.windowOrg(); }
    QSizeF windowExt() const { return state_.mapping.windowExt(); }
    void setWorldTransform(const QTransform& world) { state_.mapping.setWorldTransform(world); }
    void modifyWorldTransform(const QTransform& by, int mode) {
        state_.mapping.modifyWorldTransform(by, mode);
    }
    QTransform logicalToTarget() const;

    // Attributes.
    void setTextColor(QColor c) { state_.textColor = c; }
    void setBkColor(QColor c) { state_.bkColor = c; }
    QColor textColor() const { return state_.textColor; }
    QColor bkColor() const { return state_.bkColor; }
    void setBkMode(int mode) { state_.bkMode = mode; }
    void setTextAlign(std::uint32_t align) { state_.textAlign = align; }
    void setPolyFillMode(int mode) { state_.polyFillMode = mode; }
    void setRop2(int rop) { state_.rop2 = rop; }
    void setStretchBltMode(int mode) { state_.stretchMode = mode; }
    void setArcDirection(int direction) { state_.arcClockwise = direction == gdi::AD_CLOCKWISE; }
    void setMiterLimit(double limit) { state_.miterLimit = limit; }
    // The size of a pattern brush's pixel in device units (one unless the device units are
    // finer than a screen's pixels).
    void setPatternPixel(double deviceUnits) { patternPixel_ = deviceUnits > 0 ? deviceUnits : 1; }
    bool saveDc();
    bool restoreDc(int which);

    // Clipping (rectangles in logical units).
    void intersectClipRect(const QRectF& rect);
    void excludeClipRect(const QRectF& rect);
    void offsetClip(QPointF by);
    // mode: RGN_AND 1, RGN_OR 2, RGN_XOR 3, RGN_DIFF 4, RGN_COPY 5; no region resets the clip.
    void selectClipRegion(const Region* region, int mode);

    // Drawing.
    void moveTo(QPointF p);
    void lineTo(QPointF p);
    void polyline(const std::vector<QPointF>& points);
    void polylineTo(const std::vector<QPointF>& points);
    void polyBezier(const std::vector<QPointF>& points);
    void polyBezierTo(const std::vector<QPointF>& points);
    void polygon(const std::vector<QPointF>& points) { polyPolygon({points}); }
    void polyPolygon(const std::vector<std::vector<QPointF>>& polygons);
    void polyPolyline(const std::vector<std::vector<QPointF>>& lines);
    void rectangle(const QRectF& rect);
    void roundRect(const QRectF& rect, QSizeF corner);
    void ellipse(const QRectF& rect);
    void arc(const QRectF& rect, QPointF start, QPointF end, ArcKind kind);
    void angleArc(QPointF centre, double radius, double startDegrees, double sweepDegrees);
    void setPixel(QPointF p, QColor colour);
    // PT_MOVETO 6, PT_LINETO 2, PT_BEZIERTO 4, each possibly with PT_CLOSEFIGURE 1.
    void polyDraw(const std::vector<QPointF>& points, const std::vector<std::uint8_t>& types);
    // Fills a logical path with a brush in logical units (gradients), without the pen.
    void fillLogical(const QPainterPath& path, const QBrush& brush);
    // options: ETO_OPAQUE 2, ETO_CLIPPED 4. dx: advance of each character in logical units;
    // dy: its vertical advance, upwards (ETO_PDY).
    void textOut(QPointF reference, const QString& text, const std::vector<double>& dx, std::uint32_t options,
                 const std::optional<QRectF>& rect, const Font* font = nullptr,
                 const std::vector<double>& dy = {});
    void patBlt(const QRectF& rect, std::uint32_t rop);
    // Draws source (in image pixels) of image into dest (logical; negative sizes mirror).
    void stretchImage(const QRectF& dest, const QImage& image, const QRectF& source, std::uint32_t rop,
                      double opacity = 1.0);
    void fillRegion(const Region& region, const Brush& brush);
    void frameRegion(const Region& region, const Brush& brush, QSizeF frame);
    void invertRegion(const Region& region);
    const Brush& currentBrush() const { return state_.brush; }
    const Font& currentFont() const { return state_.font; }

    // True once the drawing has done so much work that playing on would freeze the program (a
    // file of countless full-size shapes); players stop there.
    bool exhausted() const { return budget_.exhausted(); }

    // Paths (EMF).
    void beginPath();
    void endPath() { inPath_ = false; }
    void abortPath();
    void closeFigure();
    void fillPath();
    void strokePath();
    void strokeAndFillPath();
    void selectClipPath(int mode);

  private:
    struct State {
        Pen pen;
        Brush brush;
        Font font;
        QColor textColor = Qt::black;
        QColor bkColor = Qt::white;
        int bkMode = gdi::OPAQUE;
        std::uint32_t textAlign = 0;
        int polyFillMode = gdi::ALTERNATE;
        int rop2 = gdi::R2_COPYPEN;
        int stretchMode = gdi::BLACKONWHITE;
        bool arcClockwise = false;
        double miterLimit = 10;
        MetafileMapping mapping;
        QPointF position;
        std::optional<QPainterPath> clip; // target coordinates
    };

    QPainterPath regionPath(const Region& region) const; // in target coordinates
    void combineClip(const QPainterPath& path, int mode);
    void applyClip();
    bool prepare(bool forText = false);
    void charge(const QRectF& targetBounds); // counts the area a drawing call covers
    // The path, or its part within reach of the drawable area when it runs far outside (kept in
    // culled_ until the next call).
    const QPainterPath& culledToTarget(const QPainterPath& logicalPath, const QTransform& t, double penPixels,
                                       bool fill);
    // Charges drawing a path, filled or not, with the pen (whose width scale takes to target pixels)
    // to the budget: past it, only the elements that fit are drawn (and the drawing is then
    // exhausted).
    QPainterPath withinBudget(const QPainterPath& path, const QRectF& targetBounds, double penPixels,
                              const QPen& pen, double scale, bool filled);
    void drawPath(const QPainterPath& logicalPath, bool fill, bool stroke);
    void drawTargetPath(const QPainterPath& targetPath, bool fill, bool stroke);
    void appendToPath(const QPainterPath& logicalPath);
    QPen makePen(double scale) const;
    void fillWithBrush(const QPainterPath& path, const Brush& brush);
    void fillWithBrush(QPainter& painter, const QPainterPath& path, const Brush& brush,
                       bool opaqueHatch) const;
    QBrush patternBrush(const QImage& pattern) const;
    // A bit-block operation (ternary raster operation index) over dest in logical units, with
    // the source drawn by paintSource in logical units; see MetafileCanvasRaster.cpp.
    void rasterOp(const QRectF& dest, std::uint8_t index, const std::function<void(QPainter&)>& paintSource);
    QRectF framed(const QRectF& rect) const;
    QPainterPath arcPath(const QRectF& rect, QPointF start, QPointF end, ArcKind kind) const;
    double averageScale() const;

    static QPainterPath rectPath(const QRectF& rect); // normalized

    QPainter& painter_;
    QTransform origin_;
    QRectF target_;
    QTransform deviceToTarget_;
    QSizeF devicePerMm_;
    MetafileClipper clipper_;
    bool rasterOps_ = false;
    State state_;
    std::vector<State> saved_;
    MetafileObjectTable objects_;
    bool inPath_ = false;
    QPainterPath path_; // target coordinates
    bool clipApplied_ = false;
    std::vector<QRgb> palette_;
    double patternPixel_ = 1;
    MetafileWorkBudget& budget_;
    QPainterPath culled_;
};

} // namespace velmoa
