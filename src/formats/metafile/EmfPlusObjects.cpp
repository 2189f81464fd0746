#include "formats/metafile/EmfPlusObjects.h"

#include "formats/metafile/EmfPlusImages.h"
#include "formats/metafile/MetafileWorkBudget.h"

#include <QBuffer>
#include <QGradient>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QTransform>
#include <algorithm>
#include <atomic>
#include <cmath>

namespace velmoa::emfplus {
namespace {

constexpr std::size_t kMaxPoints = 1'000'000;
constexpr int kMaxRegionDepth = 64;
constexpr double kInfinite = 1e7;
constexpr std::int64_t kMaxPixels = 32LL * 1024 * 1024;
// A texture brush's image is decoded at no more than this each way: it is tiled, and larger tiles
// would only hold memory.
constexpr int kMaxTextureSide = 1024;
constexpr double kDefaultMiterLimit = 10;
constexpr std::uint32_t kMaxCompound = 256;
enum : std::uint32_t { kWrapTile = 0, kWrapTileFlipX = 1, kWrapTileFlipY = 2, kWrapTileFlipXY = 3 };

bool finite(double v) {
    return std::isfinite(v) && std::abs(v) < 1e9;
}

QTransform matrixAt(MetafileReader& r, std::size_t at) {
    return QTransform(r.f32(at), r.f32(at + 4), r.f32(at + 8), r.f32(at + 12), r.f32(at + 16),
                      r.f32(at + 20));
}

std::optional<QPainterPath> readPath(MetafileReader& r, std::size_t at) {
    const std::uint32_t count = r.u32(at + 4);
    const std::uint32_t flags = r.u32(at + 8);
    if (!r.ok() || count > kMaxPoints) {
        return std::nullopt;
    }
    std::size_t p = at + 12;
    std::vector<QPointF> points;
    if (!readPoints(r, p, count, (flags & 0x4000) != 0, (flags & 0x0800) != 0, points)) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> types;
    types.reserve(count);
    while (types.size() < count) {
        const std::uint8_t first = r.u8(p++);
        if (!r.ok()) {
            return std::nullopt;
        }
        if (flags & 0x1000) { // run-length: a count, then the type it repeats
            const std::uint8_t type = r.u8(p++);
            const std::size_t run = std::min<std::size_t>(first & 0x3F, count - types.size());
            types.insert(types.end(), run,
                         static_cast<std::uint8_t>((type & 0xF0) | ((first & 0x80) ? 3 : 1)));
            if (!r.ok()) {
                return std::nullopt;
            }
        } else {
            types.push_back(first);
        }
    }
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (std::size_t i = 0; i < points.size(); ++i) {
        const int kind = types[i] & 0x07;
        if (kind == 0 || path.elementCount() == 0) {
            path.moveTo(points[i]);
        } else if (kind == 3 && i + 2 < points.size()) {
            path.cubicTo(points[i], points[i + 1], points[i + 2]);
            i += 2;
        } else {
            path.lineTo(points[i]);
        }
        if (types[i] & 0x80) {
            path.closeSubpath();
        }
    }
    return path;
}

std::optional<QPainterPath> readRegionNode(MetafileReader& r, std::size_t& at, int depth,
                                           MetafileWorkBudget& budget) {
    if (depth > kMaxRegionDepth) {
        return std::nullopt;
    }
    const std::uint32_t type = r.u32(at);
    at += 4;
    if (!r.ok()) {
        return std::nullopt;
    }
    QPainterPath path;
    switch (type) {
    case 0x10000000: { // a rectangle
        path.addRect(readRect(r, at, false).normalized());
        at += 16;
        return r.ok() ? std::optional(path) : std::nullopt;
    }
    case 0x10000001: { // a path
        const std::uint32_t size = r.u32(at);
        auto inner = readPath(r, at + 4);
        at += 4 + std::size_t{size};
        return inner && r.has(0, at) ? inner : std::nullopt;
    }
    case 0x10000002: // empty
        return path;
    case 0x10000003: // infinite
        path.addRect(QRectF(-kInfinite, -kInfinite, 2 * kInfinite, 2 * kInfinite));
        return path;
    default:
        break;
    }
    if (type < 1 || type > 6) {
        return std::nullopt;
    }
    const auto left = readRegionNode(r, at, depth + 1, budget);
    const auto right = left ? readRegionNode(r, at, depth + 1, budget) : std::nullopt;
    if (!right || !budget.combine(left->elementCount(), right->elementCount())) {
        return std::nullopt;
    }
    switch (type) {
    case 1:
        return left->intersected(*right);
    case 2:
        return left->united(*right);
    case 3:
        return left->united(*right).subtracted(left->intersected(*right));
    case 4:
        return left->subtracted(*right);
    default: // the right part outside the left
        return right->subtracted(*left);
    }
}

// A gradient along the brush's x axis, tiled as the wrap mode says: tiles flipped across y show the
// same bands again (a flip across the gradient changes none of its colours), those flipped along x
// mirror it.
QGradient::Spread spread(std::uint32_t wrap) {
    switch (wrap) {
    case kWrapTile:
    case kWrapTileFlipY:
        return QGradient::RepeatSpread;
    case kWrapTileFlipX:
    case kWrapTileFlipXY:
        return QGradient::ReflectSpread;
    default: // clamped
        return QGradient::PadSpread;
    }
}

std::optional<Image> readImage(std::string_view bytes);

// Gradient stops from the optional blend fields after a linear gradient's fixed part.
void readBlend(MetafileReader& r, std::size_t at, std::uint32_t flags, QColor start, QColor end,
               QGradient& gradient) {
    if (flags & 0x04) { // preset colours: positions, then colours
        const std::uint32_t count = r.u32(at);
        if (count >= 2 && count < 4096 && r.has(at + 4, std::size_t{count} * 8)) {
            QGradientStops stops;
            for (std::uint32_t i = 0; i < count; ++i) {
                stops.append({std::clamp<double>(r.f32(at + 4 + std::size_t{i} * 4), 0, 1),
                              argb(r.u32(at + 4 + std::size_t{count} * 4 + std::size_t{i} * 4))});
            }
            gradient.setStops(stops);
        }
    } else if (flags & 0x18) { // blend factors: positions, then shares of the end colour
        const std::uint32_t count = r.u32(at);
        if (count >= 2 && count < 4096 && r.has(at + 4, std::size_t{count} * 8)) {
            QGradientStops stops;
            for (std::uint32_t i = 0; i < count; ++i) {
                const double f =
                    std::clamp<double>(r.f32(at + 4 + std::size_t{count} * 4 + std::size_t{i} * 4), 0, 1);
                const auto mix = [f](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * f)); };
                stops.append({std::clamp<double>(r.f32(at + 4 + std::size_t{i} * 4), 0, 1),
                              QColor(mix(start.red(), end.red()), mix(start.green(), end.green()),
                                     mix(start.blue(), end.blue()), mix(start.alpha(), end.alpha()))});
            }
            gradient.setStops(stops);
        }
    }
}

std::optional<Brush> readBrush(MetafileReader& r, std::size_t at) {
    const std::uint32_t type = r.u32(at + 4);
    const std::size_t data = at + 8;
    Brush brush;
    switch (type) {
    case 0:
        brush.brush = QBrush(argb(r.u32(data)));
        break;
    case 1: { // hatch: style, fore colour, back colour
        static constexpr Qt::BrushStyle kStyles[] = {
            Qt::HorPattern,   Qt::VerPattern,       Qt::FDiagPattern,  Qt::BDiagPattern,
            Qt::CrossPattern, Qt::DiagCrossPattern, Qt::Dense6Pattern, Qt::Dense5Pattern};
        const std::uint32_t style = r.u32(data);
        // The back colour fills the gaps: one tile of the pattern over it.
        QImage tile(8, 8, QImage::Format_ARGB32_Premultiplied);
        tile.fill(argb(r.u32(data + 8)));
        {
            QPainter painter(&tile);
            painter.fillRect(tile.rect(),
                             QBrush(argb(r.u32(data + 4)), style < 8 ? kStyles[style] : Qt::Dense4Pattern));
        }
        brush.brush = QBrush(tile);
        break;
    }
    case 2: { // texture: flags, wrap, optional transform, image
        const std::uint32_t flags = r.u32(data);
        std::size_t imageAt = data + 8;
        QTransform transform;
        if (flags & 0x02) {
            transform = matrixAt(r, imageAt);
            imageAt += 24;
        }
        const auto image = r.has(imageAt, 1) ? readImage(r.all().substr(imageAt)) : std::nullopt;
        if (!image || image->kind == Image::Kind::Metafile) {
            return std::nullopt;
        }
        const QSizeF fit(double(kMaxTextureSide) / std::max(image->pixels.width(), 1),
                         double(kMaxTextureSide) / std::max(image->pixels.height(), 1));
        const QImage tile = decodeImage(*image, decodedSize(*image, fit)).pixels;
        if (tile.isNull()) {
            return std::nullopt;
        }
        // A tile decoded smaller is drawn at the size of the image's.
        brush.brush = QBrush(tile);
        brush.brush.setTransform(QTransform::fromScale(double(image->pixels.width()) / tile.width(),
                                                       double(image->pixels.height()) / tile.height()) *
                                 transform);
        break;
    }
    case 3: { // path gradient: centre colour and point, surround colours, boundary
        const std::uint32_t flags = r.u32(data);
        const QColor centre = argb(r.u32(data + 8));
        const QPointF centrePoint(r.f32(data + 12), r.f32(data + 16));
        const std::uint32_t surrounding = r.u32(data + 20);
        if (!r.ok() || surrounding == 0 || !r.has(data + 24, std::size_t{surrounding} * 4)) {
            return std::nullopt;
        }
        const QColor outer = argb(r.u32(data + 24));
        std::size_t p = data + 24 + std::size_t{surrounding} * 4;
        QPainterPath boundary;
        if (flags & 0x01) { // a path object
            const std::uint32_t size = r.u32(p);
            auto path = readPath(r, p + 4);
            if (!path) {
                return std::nullopt;
            }
            boundary = *path;
            p += 4 + std::size_t{size};
        } else {
            const std::uint32_t count = r.u32(p);
            p += 4;
            std::vector<QPointF> points;
            if (!readPoints(r, p, count, false, false, points) || points.empty()) {
                return std::nullopt;
            }
            boundary.addPolygon(QPolygonF(QList<QPointF>(points.begin(), points.end())));
            boundary.closeSubpath();
        }
        double radius = 1;
        for (int i = 0; i < boundary.elementCount(); ++i) {
            radius = std::max(radius, QLineF(centrePoint, boundary.elementAt(i)).length());
        }
        QRadialGradient gradient(centrePoint, radius);
        gradient.setColorAt(0, centre);
        gradient.setColorAt(1, outer);
        brush.brush = QBrush(gradient);
        if (flags & 0x02) {
            brush.brush.setTransform(matrixAt(r, p));
        }
        brush.boundary = boundary;
        break;
    }
    case 4: { // linear gradient: flags, wrap, rectangle, start and end colours
        const std::uint32_t flags = r.u32(data);
        const QRectF rect = readRect(r, data + 8, false);
        const QColor start = argb(r.u32(data + 24)), end = argb(r.u32(data + 28));
        QLinearGradient gradient(rect.topLeft(), QPointF(rect.right(), rect.top()));
        gradient.setColorAt(0, start);
        gradient.setColorAt(1, end);
        gradient.setSpread(spread(r.u32(data + 4)));
        std::size_t p = data + 40;
        QTransform transform;
        if (flags & 0x02) {
            transform = matrixAt(r, p);
            p += 24;
        }
        readBlend(r, p, flags, start, end, gradient);
        brush.brush = QBrush(gradient);
        brush.brush.setTransform(transform);
        break;
    }
    default:
        return std::nullopt;
    }
    return r.ok() ? std::optional(brush) : std::nullopt;
}

// Anchor caps are drawn as shapes of their own on a flat end.
Qt::PenCapStyle capStyle(std::int32_t cap) {
    switch (cap) {
    case 1:
        return Qt::SquareCap;
    case 2:
        return Qt::RoundCap;
    default:
        return Qt::FlatCap;
    }
}

std::optional<Pen> readPen(MetafileReader& r, std::size_t at) {
    const std::uint32_t flags = r.u32(at + 8);
    const std::uint32_t unit = r.u32(at + 12);
    const double width = r.f32(at + 16);
    std::size_t p = at + 20;
    Pen pen;
    pen.pixelWidth = unit == 1 || unit == 2;
    QPen& q = pen.pen;
    pen.width = finite(width) && width > 0 ? width : 0;
    q.setCapStyle(Qt::FlatCap);
    q.setJoinStyle(Qt::MiterJoin);
    q.setMiterLimit(kDefaultMiterLimit);
    double dashOffset = 0;
    if (flags & 0x0001) {
        p += 24; // a transform of the pen's shape
    }
    if (flags & 0x0002) {
        pen.startCap = r.i32(p);
        q.setCapStyle(capStyle(pen.startCap)); // one cap style serves both ends
        p += 4;
    }
    if (flags & 0x0004) {
        pen.endCap = r.i32(p);
        p += 4;
    }
    if (flags & 0x0008) {
        const std::uint32_t join = r.u32(p);
        q.setJoinStyle(join == 1 ? Qt::BevelJoin : join == 2 ? Qt::RoundJoin : Qt::MiterJoin);
        p += 4;
    }
    if (flags & 0x0010) {
        const double limit = r.f32(p);
        q.setMiterLimit(finite(limit) && limit > 0 ? limit : kDefaultMiterLimit);
        p += 4;
    }
    if (flags & 0x0020) {
        static constexpr Qt::PenStyle kStyles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                                   Qt::DashDotDotLine};
        const std::int32_t style = r.i32(p);
        if (style >= 0 && style < 5) {
            q.setStyle(kStyles[style]);
        }
        p += 4;
    }
    if (flags & 0x0040) {
        p += 4; // dash cap
    }
    if (flags & 0x0080) {
        dashOffset = r.f32(p);
        p += 4;
    }
    if (flags & 0x0100) { // dash lengths in pen widths
        const std::uint32_t count = r.u32(p);
        if (count > 0 && count < 256 && r.has(p + 4, std::size_t{count} * 4)) {
            QList<qreal> dashes;
            for (std::uint32_t i = 0; i < count; ++i) {
                const double v = r.f32(p + 4 + std::size_t{i} * 4);
                dashes.append(finite(v) && v > 0 ? v : 1);
            }
            if (dashes.size() % 2) {
                dashes.append(dashes.back());
            }
            q.setDashPattern(dashes);
        }
        p += 4 + std::size_t{count} * 4;
    }
    // Set on a solid pen, an offset would turn it into dashes of an empty pattern, drawing nothing.
    if (q.style() != Qt::SolidLine && finite(dashOffset) && dashOffset != 0) {
        q.setDashOffset(dashOffset);
    }
    if (flags & 0x0200) {
        p += 4; // alignment
    }
    if (flags & 0x0400) { // compound lines: fractions across the width, a pair a band
        const std::uint32_t count = r.u32(p);
        if (count >= 2 && count <= kMaxCompound && r.has(p + 4, std::size_t{count} * 4)) {
            for (std::uint32_t i = 0; i + 1 < count; i += 2) {
                const double from = r.f32(p + 4 + std::size_t{i} * 4), to = r.f32(p + 8 + std::size_t{i} * 4);
                if (finite(from) && finite(to)) {
                    pen.compound.push_back(std::clamp(std::min(from, to), 0.0, 1.0));
                    pen.compound.push_back(std::clamp(std::max(from, to), 0.0, 1.0));
                }
            }
        }
        p += 4 + std::size_t{count} * 4;
    }
    for (const std::uint32_t custom : {0x0800u, 0x1000u}) {
        if (flags & custom) {
            p += 4 + std::size_t{r.u32(p)};
        }
    }
    if (!r.ok() || !r.has(p, 8)) {
        return std::nullopt;
    }
    const auto brush = readBrush(r, p);
    if (!brush) {
        return std::nullopt;
    }
    q.setBrush(brush->brush);
    return pen;
}

std::optional<Font> readFont(MetafileReader& r, std::size_t at) {
    Font font;
    font.emSize = r.f32(at + 4);
    font.unit = static_cast<int>(r.u32(at + 8));
    const std::uint32_t style = r.u32(at + 12);
    const std::uint32_t length = r.u32(at + 20);
    if (!r.ok() || !finite(font.emSize) || length > 256 || !r.has(at + 24, std::size_t{length} * 2)) {
        return std::nullopt;
    }
    QString family;
    for (std::uint32_t i = 0; i < length; ++i) {
        family.append(QChar(static_cast<char16_t>(r.u16(at + 24 + std::size_t{i} * 2))));
    }
    font.font.setFamily(family);
    font.font.setBold(style & 1);
    font.font.setItalic(style & 2);
    font.font.setUnderline(style & 4);
    font.font.setStrikeOut(style & 8);
    return font;
}

std::optional<Image> readImage(std::string_view bytes) {
    static std::atomic<std::uint64_t> nextId{1};
    MetafileReader in(bytes);
    const std::uint32_t type = in.u32(4);
    Image image;
    image.id = nextId++;
    if (type == 2) { // a metafile: its type, size, bytes
        const std::uint32_t kind = in.u32(8);
        const std::uint32_t size = in.u32(12);
        if (!in.ok() || !in.has(16, size)) {
            return std::nullopt;
        }
        image.bytes = std::string(bytes.substr(16, size));
        image.enhanced = kind >= 3;
        return image;
    }
    const std::int32_t width = in.i32(8), height = in.i32(12), stride = in.i32(16);
    const std::uint32_t format = in.u32(20);
    const std::uint32_t kind = in.u32(24);
    if (!in.ok() || type != 1) {
        return std::nullopt;
    }
    if (kind == 1) { // PNG, JPEG, GIF, … as a file, whose own header gives its size
        image.kind = Image::Kind::File;
        image.bytes = std::string(bytes.substr(28));
        QByteArray data =
            QByteArray::fromRawData(image.bytes.data(), static_cast<qsizetype>(image.bytes.size()));
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        image.pixels = QImageReader(&buffer).size();
        if (image.pixels.isEmpty()) {
            return std::nullopt;
        }
        return image;
    }
    const int bits = static_cast<int>((format >> 8) & 0xFF);
    if (width <= 0 || height <= 0 || std::int64_t{width} * height > kMaxPixels ||
        (bits != 24 && bits != 32) || stride < width * bits / 8 ||
        !in.has(28, std::size_t(stride) * std::size_t(height))) {
        return std::nullopt;
    }
    const bool alpha = format == 0x0026200A || format == 0x000E200B;
    image.kind = Image::Kind::Pixels;
    image.bytes = std::string(bytes.substr(28, std::size_t(stride) * std::size_t(height)));
    image.pixels = QSize(width, height);
    image.stride = stride;
    image.format = bits == 24             ? QImage::Format_BGR888
                   : !alpha               ? QImage::Format_RGB32
                   : format == 0x0026200A ? QImage::Format_ARGB32
                                          : QImage::Format_ARGB32_Premultiplied;
    image.swapRedBlue = bits == 24;
    return image;
}

} // namespace

QColor argb(std::uint32_t v) {
    return QColor(static_cast<int>((v >> 16) & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                  static_cast<int>(v & 0xFF), static_cast<int>((v >> 24) & 0xFF));
}

QRectF readRect(MetafileReader& r, std::size_t at, bool compressed) {
    if (compressed) {
        return QRectF(r.i16(at), r.i16(at + 2), r.i16(at + 4), r.i16(at + 6));
    }
    const double x = r.f32(at), y = r.f32(at + 4), w = r.f32(at + 8), h = r.f32(at + 12);
    return finite(x) && finite(y) && finite(w) && finite(h) ? QRectF(x, y, w, h) : QRectF();
}

bool readPoints(MetafileReader& r, std::size_t& at, std::size_t count, bool compressed, bool relative,
                std::vector<QPointF>& out) {
    if (count > kMaxPoints || count > r.size()) {
        return false;
    }
    out.reserve(count);
    QPointF last;
    for (std::size_t i = 0; i < count; ++i) {
        if (relative) {
            double xy[2];
            for (double& v : xy) {
                const std::uint8_t first = r.u8(at++);
                if (first & 0x80) { // 15 bits, signed
                    const int raw = ((first & 0x7F) << 8) | r.u8(at++);
                    v = raw >= 0x4000 ? raw - 0x8000 : raw;
                } else { // 7 bits, signed
                    v = first >= 0x40 ? first - 0x80 : first;
                }
            }
            last += QPointF(xy[0], xy[1]);
            out.push_back(last);
        } else if (compressed) {
            out.emplace_back(r.i16(at), r.i16(at + 2));
            at += 4;
        } else {
            const double x = r.f32(at), y = r.f32(at + 4);
            out.emplace_back(finite(x) ? x : 0, finite(y) ? y : 0);
            at += 8;
        }
        if (!r.ok()) {
            return false;
        }
    }
    return true;
}

std::optional<Object> readObject(int type, std::string_view bytes, MetafileWorkBudget& budget) {
    MetafileReader r(bytes);
    switch (type) {
    case ObjectTypeBrush:
        if (auto brush = readBrush(r, 0)) {
            return *brush;
        }
        break;
    case ObjectTypePen:
        if (auto pen = readPen(r, 0)) {
            return *pen;
        }
        break;
    case ObjectTypePath:
        if (auto path = readPath(r, 0)) {
            return *path;
        }
        break;
    case ObjectTypeRegion: {
        std::size_t at = 8;
        if (auto region = readRegionNode(r, at, 0, budget)) {
            return *region;
        }
        break;
    }
    case ObjectTypeImage:
        if (auto image = readImage(bytes)) {
            return *image;
        }
        break;
    case ObjectTypeFont:
        if (auto font = readFont(r, 0)) {
            return *font;
        }
        break;
    case ObjectTypeStringFormat: {
        StringFormat format;
        format.flags = r.u32(4);
        format.alignment = static_cast<int>(r.u32(12));
        format.lineAlignment = static_cast<int>(r.u32(16));
        return format;
    }
    default:
        break;
    }
    return std::nullopt;
}

} // namespace velmoa::emfplus
