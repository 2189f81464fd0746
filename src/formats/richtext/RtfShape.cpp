#include "formats/richtext/RtfShape.h"

#include <QLineF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace velmoa {
namespace {

// The shape types drawn here, as word processors number them.
enum ShapeType {
    kRectangle = 1,
    kRoundRectangle = 2,
    kEllipse = 3,
    kDiamond = 4,
    kTriangle = 5,
    kRightTriangle = 6,
    kLine = 20,
    kConnector = 32, // a straight connector: a line between two shapes
    kTextBox = 202,
    // Flow chart symbols that are plain shapes of the kinds above.
    kFlowProcess = 109,
    kFlowDecision = 110,
    kFlowConnector = 120,
    kFlowAlternateProcess = 176,
};

int plainType(int type) {
    switch (type) {
    case kFlowProcess:
        return kRectangle;
    case kFlowDecision:
        return kDiamond;
    case kFlowConnector:
        return kEllipse;
    case kFlowAlternateProcess:
        return kRoundRectangle;
    default:
        return type;
    }
}

// Colours are 0x00BBGGRR; a value past the largest such refers to the scheme or the system and is
// left at its default.
constexpr int kChannelBits = 8;
constexpr long long kChannelMask = (1 << kChannelBits) - 1;
constexpr long long kMaxColour = (1LL << (3 * kChannelBits)) - 1;
constexpr double kFixedOne = 65536; // 16.16 fixed point
constexpr int kAdjustUnits = 21600;
// Arrowheads: 0 none, 4 an oval, 5 an open one; the others are drawn as solid triangles.
constexpr int kOvalArrow = 4;
constexpr int kOpenArrow = 5;
constexpr double kArrowPerLineWidth = 3;
constexpr double kMinArrowLength = 8;

bool isLine(int type) {
    return type == kLine || type == kConnector;
}

bool isKnown(int type) {
    switch (type) {
    case kRectangle:
    case kRoundRectangle:
    case kEllipse:
    case kDiamond:
    case kTriangle:
    case kRightTriangle:
    case kLine:
    case kConnector:
    case kTextBox:
        return true;
    default:
        return false;
    }
}

std::optional<long long> number(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '+')) {
        text.remove_prefix(1);
    }
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data()) {
        return std::nullopt;
    }
    return value;
}

// Coordinates are bounded before they reach the painter: a hostile value must not make it stroke
// or dash a path of a billion pixels.
constexpr double kMaxCoordinate = 4.0 * RtfShapeDrawing::kMaxSide;

double bounded(double value) {
    return std::clamp(value, -kMaxCoordinate, kMaxCoordinate);
}

double arrowLength(const RtfShape& shape) {
    return std::max(kArrowPerLineWidth * shape.lineWidth, kMinArrowLength);
}

// How far the shape's line and arrows reach out of its box.
double reach(const RtfShape& shape, int depth) {
    // A group has no line of its own; a line's arrows reach beyond its ends.
    const bool arrows = isLine(shape.type) && (shape.startArrow != 0 || shape.endArrow != 0);
    double own = shape.lined && !shape.isGroup ? shape.lineWidth / 2 + (arrows ? arrowLength(shape) : 0) : 0;
    if (depth < RtfShape::kMaxDepth) {
        for (const RtfShape& child : shape.children) {
            own = std::max(own, reach(child, depth + 1));
        }
    }
    return own;
}

Qt::PenStyle penStyle(int dashing) {
    switch (dashing) {
    case 0:
        return Qt::SolidLine;
    case 2: // short dots, and dots
    case 5:
        return Qt::DotLine;
    case 3: // dash dot: short, plain and long
    case 8:
    case 9:
        return Qt::DashDotLine;
    case 4: // dash dot dot
    case 10:
        return Qt::DashDotDotLine;
    default:
        return Qt::DashLine;
    }
}

void drawArrow(QPainter& painter, const RtfShape& shape, QPointF tip, QPointF from, int kind) {
    const QLineF axis(from, tip);
    if (axis.length() <= 0) {
        return;
    }
    const double length = arrowLength(shape);
    const QPointF along = (tip - from) / axis.length();
    const QPointF across(-along.y(), along.x());
    const QPointF base = tip - along * length;
    painter.save();
    painter.setPen(QPen(shape.line, std::max(shape.lineWidth, 1.0), Qt::SolidLine, Qt::RoundCap));
    if (kind == kOvalArrow) {
        painter.setBrush(shape.line);
        painter.drawEllipse(tip, length / 2, length / 2);
    } else if (kind == kOpenArrow) {
        painter.drawPolyline(QPolygonF{base + across * length / 2, tip, base - across * length / 2});
    } else {
        painter.setBrush(shape.line);
        painter.drawPolygon(QPolygonF{tip, base + across * length / 2, base - across * length / 2});
    }
    painter.restore();
}

void drawLeaf(QPainter& painter, const RtfShape& shape, const QRectF& box) {
    if (shape.hasText || !isKnown(shape.type)) {
        return;
    }
    const bool line = isLine(shape.type);
    QPen pen(shape.line, shape.lineWidth, penStyle(shape.dashing), line ? Qt::FlatCap : Qt::SquareCap,
             Qt::MiterJoin);
    painter.setPen(shape.lined ? pen : QPen(Qt::NoPen));
    QColor fill = shape.fill;
    fill.setAlphaF(static_cast<float>(std::clamp(shape.fillOpacity, 0.0, 1.0)));
    painter.setBrush(shape.filled && !line ? QBrush(fill) : QBrush(Qt::NoBrush));
    switch (shape.type) {
    case kRoundRectangle: {
        const double radius = std::min(box.width(), box.height()) *
                              std::clamp(shape.adjust, 0, kAdjustUnits / 2) / kAdjustUnits;
        painter.drawRoundedRect(box, radius, radius);
        break;
    }
    case kEllipse:
        painter.drawEllipse(box);
        break;
    case kDiamond:
        painter.drawPolygon(
            QPolygonF{QPointF(box.center().x(), box.top()), QPointF(box.right(), box.center().y()),
                      QPointF(box.center().x(), box.bottom()), QPointF(box.left(), box.center().y())});
        break;
    case kTriangle:
        painter.drawPolygon(
            QPolygonF{QPointF(box.center().x(), box.top()), box.bottomRight(), box.bottomLeft()});
        break;
    case kRightTriangle:
        painter.drawPolygon(QPolygonF{box.topLeft(), box.bottomRight(), box.bottomLeft()});
        break;
    case kLine:
    case kConnector:
        if (shape.lined) {
            painter.drawLine(box.topLeft(), box.bottomRight());
            if (shape.startArrow != 0) {
                drawArrow(painter, shape, box.topLeft(), box.bottomRight(), shape.startArrow);
            }
            if (shape.endArrow != 0) {
                drawArrow(painter, shape, box.bottomRight(), box.topLeft(), shape.endArrow);
            }
        }
        break;
    default: // rectangles and text boxes without text
        painter.drawRect(box);
        break;
    }
}

// Draws the shape in `box` (pixels, normalised), mirrored as `flipH` and `flipV` say.
void drawShape(QPainter& painter, const RtfShape& shape, const QRectF& box, bool flipH, bool flipV,
               int depth) {
    painter.save();
    if (flipH || flipV) {
        painter.translate(box.center());
        painter.scale(flipH ? -1 : 1, flipV ? -1 : 1);
        painter.translate(-box.center());
    }
    if (!shape.isGroup) {
        drawLeaf(painter, shape, box);
    } else if (depth < RtfShape::kMaxDepth) {
        const double spaceWidth = shape.groupRight - shape.groupLeft;
        const double spaceHeight = shape.groupBottom - shape.groupTop;
        if (spaceWidth != 0 && spaceHeight != 0) {
            const double scaleX = box.width() / spaceWidth, scaleY = box.height() / spaceHeight;
            for (const RtfShape& child : shape.children) {
                const double x1 = bounded(box.left() + (child.left - shape.groupLeft) * scaleX);
                const double x2 = bounded(box.left() + (child.right - shape.groupLeft) * scaleX);
                const double y1 = bounded(box.top() + (child.top - shape.groupTop) * scaleY);
                const double y2 = bounded(box.top() + (child.bottom - shape.groupTop) * scaleY);
                drawShape(painter, child, QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized(),
                          child.flipH != (x2 < x1), child.flipV != (y2 < y1), depth + 1);
            }
        }
    }
    painter.restore();
}

} // namespace

bool RtfShape::isDrawingProperty(std::string_view name) {
    static constexpr std::string_view names[] = {
        "shapeType",   "fillColor",  "fFilled",     "lineColor",   "lineWidth",          "fLine",
        "fFlipH",      "fFlipV",     "lineDashing", "fillOpacity", "lineStartArrowhead", "lineEndArrowhead",
        "adjustValue", "relLeft",    "relTop",      "relRight",    "relBottom",          "groupLeft",
        "groupTop",    "groupRight", "groupBottom",
    };
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

void RtfShape::setProperty(std::string_view name, std::string_view value) {
    const std::optional<long long> parsed = number(value);
    if (!parsed) {
        return;
    }
    const long long v = *parsed;
    const auto colour = [v](QColor& target) {
        if (v >= 0 && v <= kMaxColour) {
            target = QColor(static_cast<int>(v & kChannelMask),
                            static_cast<int>((v >> kChannelBits) & kChannelMask),
                            static_cast<int>((v >> (2 * kChannelBits)) & kChannelMask));
        }
    };
    const int small = static_cast<int>(std::clamp<long long>(v, -kAdjustUnits, kAdjustUnits));
    const double coordinate = static_cast<double>(
        std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    if (name == "shapeType") {
        type = plainType(small);
    } else if (name == "fillColor") {
        colour(fill);
    } else if (name == "lineColor") {
        colour(line);
    } else if (name == "fFilled") {
        filled = v != 0;
    } else if (name == "fLine") {
        lined = v != 0;
    } else if (name == "fFlipH") {
        flipH = v != 0;
    } else if (name == "fFlipV") {
        flipV = v != 0;
    } else if (name == "lineWidth") {
        lineWidth = std::clamp(static_cast<double>(v) / kEmusPerPixel, 0.0, kMaxLineWidth);
    } else if (name == "lineDashing") {
        dashing = small;
    } else if (name == "fillOpacity") {
        fillOpacity = std::clamp(static_cast<double>(v) / kFixedOne, 0.0, 1.0);
    } else if (name == "lineStartArrowhead") {
        startArrow = small;
    } else if (name == "lineEndArrowhead") {
        endArrow = small;
    } else if (name == "adjustValue") {
        adjust = small;
    } else if (name == "relLeft") {
        left = coordinate;
    } else if (name == "relTop") {
        top = coordinate;
    } else if (name == "relRight") {
        right = coordinate;
    } else if (name == "relBottom") {
        bottom = coordinate;
    } else if (name == "groupLeft") {
        groupLeft = coordinate;
    } else if (name == "groupTop") {
        groupTop = coordinate;
    } else if (name == "groupRight") {
        groupRight = coordinate;
    } else if (name == "groupBottom") {
        groupBottom = coordinate;
    }
}

bool RtfShape::drawable(int depth) const {
    const bool wide = right != left, tall = bottom != top;
    if (isGroup) {
        return (wide || tall) && depth < kMaxDepth &&
               std::any_of(children.begin(), children.end(),
                           [depth](const RtfShape& child) { return child.drawable(depth + 1); });
    }
    if (hasText || !isKnown(type) || !(lined || (filled && !isLine(type)))) {
        return false;
    }
    return isLine(type) ? wide || tall : wide && tall;
}

int RtfShapeDrawing::margin(const RtfShape& shape) {
    return static_cast<int>(std::ceil(reach(shape, 0))) + 1;
}

QSize RtfShapeDrawing::size(const RtfShape& shape) {
    const auto side = [](double from, double to) {
        return static_cast<int>(
            std::lround(std::min(std::abs(to - from) / rtf::kTwipsPerPixel, double(kMaxSide))));
    };
    const int room = 2 * margin(shape);
    return {side(shape.left, shape.right) + room, side(shape.top, shape.bottom) + room};
}

QImage RtfShapeDrawing::draw(const RtfShape& shape) {
    QImage image(size(shape), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return {};
    }
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const int room = margin(shape);
    const QRectF box(room, room, image.width() - 2 * room, image.height() - 2 * room);
    drawShape(painter, shape, box, shape.flipH != (shape.right < shape.left),
              shape.flipV != (shape.bottom < shape.top), 0);
    return image;
}

} // namespace velmoa
