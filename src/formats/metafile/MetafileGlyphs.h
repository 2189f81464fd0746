#pragma once

#include <QRectF>
#include <QString>

class QBrush;
class QFont;
class QPainter;
class QTransform;

namespace velmoa {

// Text that QPainter's glyph cache cannot draw. Below a certain size the cache has FreeType render
// each glyph as an image under the painter's transform, judging the size by the font's pixel size
// and the transform's area alone; a font stretched many times its width, or a transform that
// stretches one axis while squeezing the other, makes glyphs so wide that FreeType's rasterizer
// overflows, and Qt then copies from a null image. Such text is drawn as filled outlines.
bool glyphsTooWideForCache(const QFont& font, const QTransform& deviceTransform);

// Draws text as QPainter::drawText does (at a baseline point, or laid out in a rectangle with
// Qt::Align* and Qt::TextWordWrap flags), through outlines when the glyph cache cannot take it.
void drawMetafileText(QPainter& painter, QPointF baseline, const QString& text);
void drawMetafileText(QPainter& painter, const QRectF& rect, int flags, const QString& text);

} // namespace velmoa
