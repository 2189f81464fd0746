#pragma once

#include "formats/richtext/RtfSyntax.h"

#include <QColor>
#include <QImage>
#include <QSize>
#include <string_view>
#include <vector>

namespace velmoa {

// A drawing object of rich text that is drawn from its properties rather than shown from a picture:
// a rectangle, an ellipse, a line … or a group of such, as the shape's \sp properties describe it.
struct RtfShape {
    // Word processors give a shape's line width in EMUs.
    static constexpr double kEmusPerPixel = 9525;
    // A group's children are placed in the group's own coordinates, by default these.
    static constexpr double kDefaultGroupExtent = 20000;
    // Children of one group, and groups within groups, beyond these are left out.
    static constexpr int kMaxChildren = 1000;
    static constexpr int kMaxDepth = 8;

    int type = 0; // shapeType, flow chart symbols as the plain shape they are; 0 draws nothing
    // Where the shape is: \shpleft … of a shape in the flow, in twips; relLeft … of a group's child,
    // in the group's coordinates. Right before left, or bottom before top, flips a line.
    double left = 0, top = 0, right = 0, bottom = 0;
    // A group's own coordinates (groupLeft …), in which its children are placed.
    double groupLeft = 0, groupTop = 0, groupRight = kDefaultGroupExtent, groupBottom = kDefaultGroupExtent;
    bool isGroup = false;
    bool hasText = false; // a text box's text is shown as text, the box left undrawn
    QColor fill = Qt::white;
    QColor line = Qt::black;
    double fillOpacity = 1;
    bool filled = true;
    bool lined = true;
    double lineWidth = 1; // pixels
    static constexpr double kMaxLineWidth = 32;
    bool flipH = false, flipV = false;
    int dashing = 0;                  // lineDashing
    int startArrow = 0, endArrow = 0; // lineStartArrowhead, lineEndArrowhead: 0 none
    int adjust = 3600;                // adjustValue: a round rectangle's corner, of 21600
    std::vector<RtfShape> children;

    // The properties this reads; others are of no use to the drawing.
    static bool isDrawingProperty(std::string_view name);
    void setProperty(std::string_view name, std::string_view value);
    // A shape of a kind drawn here, or a group with such a shape in it.
    bool drawable(int depth = 0) const;
};

// Draws a shape of the flow, its place in twips, into an image of its size at 96 pixels per inch
// with room around for its line; sides are at most kMaxSide pixels.
class RtfShapeDrawing {
  public:
    static constexpr int kMaxSide = rtf::kMaxTwips / rtf::kTwipsPerPixel; // 22 inches

    static QSize size(const RtfShape& shape);
    static QImage draw(const RtfShape& shape);
    // Where the shape's own box is in its image: its line and arrows reach into the margin.
    static int margin(const RtfShape& shape);
};

} // namespace velmoa
