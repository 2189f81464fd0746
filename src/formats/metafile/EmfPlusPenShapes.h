#pragma once

#include <QPainterPath>
#include <vector>

namespace velmoa::emfplus {

// The line caps of pens that Qt has no cap for: anchors, shapes drawn centred on a line's end.
enum LineCap : int {
    LineCapNoAnchor = 0x10,
    LineCapSquareAnchor = 0x11,
    LineCapRoundAnchor = 0x12,
    LineCapDiamondAnchor = 0x13,
    LineCapArrowAnchor = 0x14,
};
bool isAnchorCap(int cap);

// The bands of a compound pen of the width along the path, to be filled: each pair of fractions
// (0 to 1 across the pen, from its left side) is a band, offset along the path with mitred joins.
QPainterPath compoundBands(const QPainterPath& path, double width, const std::vector<double>& fractions);

// The anchor caps of a pen of the width at the ends of the path's open subpaths, to be filled.
QPainterPath anchorCaps(const QPainterPath& path, double width, int startCap, int endCap);

} // namespace velmoa::emfplus
