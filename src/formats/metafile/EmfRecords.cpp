#include "formats/metafile/EmfRecords.h"

#include "formats/metafile/MetafileDib.h"
#include "formats/metafile/MetafileReader.h"

#include <algorithm>
#include <cmath>

namespace velmoa::emf {
namespace {

constexpr std::uint32_t kMaxRegionRects = 20000;

} // namespace

QPointF point32(MetafileReader& r, std::size_t at) {
    return QPointF(r.i32(at), r.i32(at + 4));
}
QRectF rect32(MetafileReader& r, std::size_t at) {
    return QRectF(QPointF(r.i32(at), r.i32(at + 4)), QPointF(r.i32(at + 8), r.i32(at + 12)));
}

bool readPoints(MetafileReader& r, std::size_t at, std::size_t count, bool small, std::vector<QPointF>& out) {
    const std::size_t each = small ? 4 : 8;
    if (count > r.size() / each || !r.has(at, count * each)) {
        return false;
    }
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t p = at + i * each;
        out.push_back(small ? QPointF(r.i16(p), r.i16(p + 2)) : point32(r, p));
    }
    return true;
}

QImage recordDib(MetafileReader& r, std::size_t infoOffsetAt, const MetafileCanvas& canvas,
                 std::size_t usageAt, bool keepAlpha) {
    const std::uint32_t offInfo = r.u32(infoOffsetAt);
    const std::uint32_t sizeInfo = r.u32(infoOffsetAt + 4);
    const std::uint32_t offBits = r.u32(infoOffsetAt + 8);
    const std::uint32_t sizeBits = r.u32(infoOffsetAt + 12);
    if (!r.ok() || sizeInfo == 0 || !r.has(offInfo, sizeInfo) || !r.has(offBits, sizeBits)) {
        return {};
    }
    const bool indexed = r.u32(usageAt) == 1; // DIB_PAL_COLORS
    return decodeMetafileDib(r.bytes(offInfo, sizeInfo), r.bytes(offBits, sizeBits), keepAlpha,
                             indexed ? &canvas.palette() : nullptr);
}

bool bottomUp(MetafileReader& r, std::size_t infoOffsetAt) {
    const std::uint32_t offInfo = r.u32(infoOffsetAt);
    return r.u32(offInfo) == 12 || r.i32(offInfo + 8) > 0;
}

MetafileCanvas::Region readRegion(MetafileReader& r, std::size_t at, std::size_t size) {
    MetafileCanvas::Region region;
    if (size < 32 || !r.has(at, size)) {
        return region;
    }
    const std::uint32_t count = std::min<std::uint32_t>(r.u32(at + 8), kMaxRegionRects);
    for (std::uint32_t i = 0;
         i < count && r.has(at + 32 + std::size_t{i} * 16, 16) && 32 + (std::size_t{i} + 1) * 16 <= size;
         ++i) {
        region.path.addRect(rect32(r, at + 32 + std::size_t{i} * 16).normalized());
    }
    region.path.setFillRule(Qt::WindingFill);
    return region;
}

QTransform xform(MetafileReader& r, std::size_t at) {
    return QTransform(r.f32(at), r.f32(at + 4), r.f32(at + 8), r.f32(at + 12), r.f32(at + 16),
                      r.f32(at + 20));
}

bool finite(const QTransform& t) {
    const double values[] = {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()};
    return std::all_of(std::begin(values), std::end(values), [](double v) { return std::isfinite(v); });
}

} // namespace velmoa::emf
