#include "formats/metafile/MetafileRasterOp.h"

#include "formats/metafile/MetafileGdi.h"

#include <QPaintEngine>

namespace velmoa::rop {
namespace {

// The 4-bit table of an operation that reads the destination and one other operand x:
// bit (2x + d) is the result.
QPainter::CompositionMode binaryMode(unsigned table) {
    switch (table & 0xF) {
    case 0x0:
        return QPainter::RasterOp_ClearDestination;
    case 0x1:
        return QPainter::RasterOp_NotSourceAndNotDestination;
    case 0x2:
        return QPainter::RasterOp_NotSourceAndDestination;
    case 0x3:
        return QPainter::RasterOp_NotSource;
    case 0x4:
        return QPainter::RasterOp_SourceAndNotDestination;
    case 0x5:
        return QPainter::RasterOp_NotDestination;
    case 0x6:
        return QPainter::RasterOp_SourceXorDestination;
    case 0x7:
        return QPainter::RasterOp_NotSourceOrNotDestination;
    case 0x8:
        return QPainter::RasterOp_SourceAndDestination;
    case 0x9:
        return QPainter::RasterOp_NotSourceXorDestination;
    case 0xB:
        return QPainter::RasterOp_NotSourceOrDestination;
    case 0xD:
        return QPainter::RasterOp_SourceOrNotDestination;
    case 0xE:
        return QPainter::RasterOp_SourceOrDestination;
    case 0xF:
        return QPainter::RasterOp_SetDestination;
    default: // 0xA leaves the destination, 0xC copies
        return QPainter::CompositionMode_SourceOver;
    }
}

QImage layer(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

} // namespace

std::uint32_t apply(std::uint8_t index, std::uint32_t pattern, std::uint32_t source,
                    std::uint32_t destination) {
    std::uint32_t result = 0;
    for (unsigned minterm = 0; minterm < 8; ++minterm) {
        if (index & (1u << minterm)) {
            result |= ((minterm & 4) ? pattern : ~pattern) & ((minterm & 2) ? source : ~source) &
                      ((minterm & 1) ? destination : ~destination);
        }
    }
    return result;
}

bool usesPattern(std::uint8_t index) {
    return ((index >> 4) & 0x0F) != (index & 0x0F);
}
bool usesSource(std::uint8_t index) {
    return ((index >> 2) & 0x33) != (index & 0x33);
}
bool usesDestination(std::uint8_t index) {
    return ((index >> 1) & 0x55) != (index & 0x55);
}

std::uint8_t fromRop2(int rop2) {
    if (rop2 < gdi::R2_BLACK || rop2 > gdi::R2_WHITE) {
        return kPatternCopy; // R2_COPYPEN
    }
    const unsigned table = static_cast<unsigned>(rop2 - gdi::R2_BLACK); // bit (2p + d)
    std::uint8_t index = 0;
    for (unsigned minterm = 0; minterm < 8; ++minterm) {
        const unsigned p = (minterm >> 2) & 1, d = minterm & 1;
        if (table & (1u << (2 * p + d))) {
            index |= static_cast<std::uint8_t>(1u << minterm);
        }
    }
    return index;
}

std::optional<QPainter::CompositionMode> compositionMode(std::uint8_t index) {
    if (!usesSource(index)) { // rows with source bit 0: bits 0, 1 (p = 0) and 4, 5 (p = 1)
        return binaryMode((index & 0x3) | ((index >> 2) & 0xC));
    }
    if (!usesPattern(index)) { // rows with pattern bit 0: bits 0 to 3
        return binaryMode(index & 0xF);
    }
    return std::nullopt;
}

bool applyOnDevice(QPainter& painter, std::uint8_t index, const QPainterPath& area,
                   const std::function<void(QPainter&)>& paintSource,
                   const std::function<void(QPainter&)>& paintPattern) {
    QPaintEngine* engine = painter.paintEngine();
    QPaintDevice* device = engine ? engine->paintDevice() : nullptr;
    if (!device || device->devType() != QInternal::Image) {
        return false;
    }
    auto* image = static_cast<QImage*>(device);
    const QTransform toDevice = painter.deviceTransform();
    const QRect box = toDevice.map(area).boundingRect().toAlignedRect() & image->rect();
    if (box.isEmpty()) {
        return true;
    }
    const QTransform toBox = toDevice * QTransform::fromTranslate(-box.x(), -box.y());
    const auto paintLayer = [&](QImage& target, const std::function<void(QPainter&)>& paint) {
        QPainter p(&target);
        p.setTransform(toBox);
        paint(p);
    };
    QImage mask = layer(box.size());
    paintLayer(mask, [&](QPainter& p) { p.fillPath(area, Qt::white); });
    QImage source = layer(box.size());
    if (paintSource && usesSource(index)) {
        paintLayer(source, paintSource);
    }
    QImage pattern = layer(box.size());
    if (paintPattern && usesPattern(index)) {
        paintLayer(pattern, paintPattern);
    }
    const QImage destination = image->copy(box).convertToFormat(QImage::Format_ARGB32);
    QImage result = layer(box.size()).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < box.height(); ++y) {
        const auto* m = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        const auto* s = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        const auto* p = reinterpret_cast<const QRgb*>(pattern.constScanLine(y));
        const auto* d = reinterpret_cast<const QRgb*>(destination.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < box.width(); ++x) {
            if (qAlpha(m[x]) >= 128) {
                out[x] = (apply(index, p[x], s[x], d[x]) & 0xFFFFFF) | 0xFF000000;
            }
        }
    }
    painter.save();
    painter.resetTransform();
    const QTransform base = painter.deviceTransform();
    painter.setTransform(base.inverted());
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setOpacity(1.0);
    painter.drawImage(box.topLeft(), result);
    painter.restore();
    return true;
}

QImage applyToImage(std::uint8_t index, const QImage& source, QRgb pattern) {
    if (index == kSourceCopy) {
        return source;
    }
    QImage result = source.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            line[x] = (apply(index, pattern, line[x], 0) & 0xFFFFFF) | (line[x] & 0xFF000000);
        }
    }
    return result;
}

} // namespace velmoa::rop
