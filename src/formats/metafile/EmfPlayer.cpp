#include "formats/metafile/EmfPlayer.h"

#include "formats/metafile/EmfPlusPlayer.h"
#include "formats/metafile/EmfRecords.h"
#include "formats/metafile/MetafileReader.h"

namespace velmoa {
namespace {

constexpr std::uint32_t kSignature = 0x464D4520; // " EMF"
constexpr std::size_t kHeaderMinimum = 88;
constexpr std::size_t kMaxRecords = 1'000'000;
constexpr std::uint32_t kEmfPlusSignature = 0x2B464D45; // "EMF+"

// The EMF+ records a comment carries, or nothing for other comments.
std::optional<std::string_view> emfPlusRecords(MetafileReader& r) {
    const std::uint32_t size = r.u32(8);
    if (!r.ok() || r.u32(12) != kEmfPlusSignature || size < 4 || !r.has(12, size)) {
        return std::nullopt;
    }
    return r.all().substr(16, size - 4);
}

} // namespace

const MetafileRecordTable<emf::RecordType>& emf::recordTable() {
    static const MetafileRecordTable<RecordType> table{drawingRecords(), textRecords()};
    return table;
}

std::optional<EmfPlayer::Header> EmfPlayer::readHeader(std::string_view bytes) {
    MetafileReader r(bytes);
    const std::uint32_t type = r.u32(0);
    const std::uint32_t size = r.u32(4);
    if (!r.ok() || type != emf::EMR_HEADER || size < kHeaderMinimum || size > bytes.size() ||
        r.u32(40) != kSignature) {
        return std::nullopt;
    }
    Header h;
    h.frameLeft = r.i32(24);
    h.frameTop = r.i32(28);
    h.frameRight = r.i32(32);
    h.frameBottom = r.i32(36);
    h.handles = r.u16(56);
    h.devicePixelsX = r.i32(72);
    h.devicePixelsY = r.i32(76);
    h.deviceMillimetresX = r.i32(80);
    h.deviceMillimetresY = r.i32(84);
    if (!r.ok() || h.devicePixelsX <= 0 || h.devicePixelsY <= 0 || h.deviceMillimetresX <= 0 ||
        h.deviceMillimetresY <= 0 || h.frameRight < h.frameLeft || h.frameBottom < h.frameTop) {
        return std::nullopt;
    }
    return h;
}

bool EmfPlayer::play(QPainter& painter, const QRectF& target) const {
    const QSizeF perMm(double(header_.devicePixelsX) / header_.deviceMillimetresX,
                       double(header_.devicePixelsY) / header_.deviceMillimetresY);
    // The frame (inclusive, in hundredths of a millimetre) in device pixels fills the target.
    const QRectF frame(header_.frameLeft / 100.0 * perMm.width(), header_.frameTop / 100.0 * perMm.height(),
                       (double(header_.frameRight) - header_.frameLeft + 1) / 100.0 * perMm.width(),
                       (double(header_.frameBottom) - header_.frameTop + 1) / 100.0 * perMm.height());
    const double sx = target.width() / frame.width();
    const double sy = target.height() / frame.height();
    const QTransform deviceToTarget(sx, 0, 0, sy, target.x() - frame.x() * sx, target.y() - frame.y() * sy);
    MetafileCanvas canvas(painter, target, deviceToTarget, perMm, budget());
    canvas.setObjectTableSize(header_.handles);
    EmfPlusPlayer plus(painter, target, deviceToTarget, perMm, budget());

    std::size_t at = 0;
    for (std::size_t count = 0; at < bytes_.size() && count < kMaxRecords; ++count) {
        if (budget().exhausted()) {
            return false;
        }
        MetafileReader head(bytes_.substr(at));
        const std::uint32_t type = head.u32(0);
        const std::uint32_t size = head.u32(4);
        if (!head.ok() || size < 8 || size > bytes_.size() - at) {
            return false;
        }
        if (type == emf::EMR_EOF) {
            return true;
        }
        MetafileReader record(bytes_.substr(at, size));
        const auto plusRecords = type == emf::EMR_COMMENT ? emfPlusRecords(record) : std::nullopt;
        if (plusRecords) {
            // A malformed EMF+ record ends only its own comment: the plain records go on.
            plus.playComment(*plusRecords);
        } else if (at > 0 && plus.plainRecordsDrawn()) {
            MetafileReader next(bytes_.substr(at + size));
            const std::uint32_t nextSize = next.u32(4);
            if (next.ok() && nextSize >= 8 && nextSize <= bytes_.size() - at - size) {
                MetafileReader pair(bytes_.substr(at + size, nextSize));
                if (emf::playMaskPair(canvas, record, pair)) {
                    at += size + nextSize;
                    continue;
                }
            }
            if (!playRecord(canvas, type, record)) {
                return false;
            }
        }
        at += size;
    }
    return true;
}

bool EmfPlayer::playRecord(MetafileCanvas& canvas, std::uint32_t type, MetafileReader& r) const {
    if (const MetafileRecordHandler handler = emf::recordTable().find(type)) {
        return handler(canvas, r);
    }
    for (const auto family : {emf::playStateRecord, emf::playObjectRecord, emf::playBitmapRecord}) {
        if (const std::optional<bool> played = family(canvas, type, r)) {
            return *played;
        }
    }
    // Other comments, palette and colour-management records, and anything unknown do not
    // change the plain drawing.
    return true;
}

} // namespace velmoa
