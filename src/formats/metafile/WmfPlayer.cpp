#include "formats/metafile/WmfPlayer.h"

#include "formats/metafile/EmfPlayer.h"
#include "formats/metafile/MetafileGdi.h"
#include "formats/metafile/MetafileReader.h"
#include "formats/metafile/WmfEmbeddedEmf.h"
#include "formats/metafile/WmfRecords.h"

#include <algorithm>
#include <cmath>

namespace velmoa {
namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kPlaceableSize = 22;
constexpr std::size_t kStandardHeaderSize = 18;
constexpr std::size_t kMaxRecords = 1'000'000;
constexpr std::size_t kChecksumWords = 10;
constexpr double kDefaultUnitsPerInch = 96;
constexpr double kMillimetresPerInch = 25.4;
// The pixels of the screens the pictures were made on, which pattern brushes tile.
constexpr double kScreenPixelsPerInch = 96;
// The standard header: a memory or disk metafile, nine words long, of Windows 2 or 3.
constexpr std::uint16_t kMemoryMetafile = 1;
constexpr std::uint16_t kDiskMetafile = 2;
constexpr std::uint16_t kHeaderWords = 9;
constexpr std::uint16_t kWindows2 = 0x0100;
constexpr std::uint16_t kWindows3 = 0x0300;
constexpr std::size_t kRecordHeaderSize = 6; // size in words (32 bits), function (16 bits)
constexpr std::uint32_t kMinRecordWords = 3;

} // namespace

const MetafileRecordTable<wmf::RecordType>& wmf::recordTable() {
    static const MetafileRecordTable<RecordType> table{stateRecords(), objectRecords(), drawingRecords(),
                                                       bitmapRecords()};
    return table;
}

std::optional<WmfPlayer::Header> WmfPlayer::readHeader(std::string_view bytes) {
    MetafileReader r(bytes);
    if (r.u32(0) != kPlaceableKey || !r.has(0, kPlaceableSize + kStandardHeaderSize)) {
        return std::nullopt;
    }
    std::uint16_t checksum = 0;
    for (std::size_t i = 0; i < kChecksumWords; ++i) {
        checksum ^= r.u16(i * 2);
    }
    if (checksum != r.u16(kChecksumWords * 2)) {
        return std::nullopt;
    }
    Header h;
    h.left = r.i16(6);
    h.top = r.i16(8);
    h.right = r.i16(10);
    h.bottom = r.i16(12);
    h.unitsPerInch = r.u16(14);
    if (h.right == h.left || h.bottom == h.top) {
        return std::nullopt;
    }
    if (!readStandardHeader(r, kPlaceableSize, h)) {
        return std::nullopt;
    }
    return h;
}

std::optional<WmfPlayer::Header> WmfPlayer::readBareHeader(std::string_view bytes, int width, int height,
                                                           int unitsPerInch) {
    MetafileReader r(bytes);
    Header h;
    h.right = width;
    h.bottom = height;
    h.unitsPerInch = unitsPerInch;
    if (width <= 0 || height <= 0 || unitsPerInch <= 0 || !r.has(0, kStandardHeaderSize) ||
        !readStandardHeader(r, 0, h)) {
        return std::nullopt;
    }
    return h;
}

bool WmfPlayer::readStandardHeader(MetafileReader& r, std::size_t at, Header& h) {
    const std::uint16_t type = r.u16(at);
    const std::uint16_t words = r.u16(at + 2);
    const std::uint16_t version = r.u16(at + 4);
    if ((type != kMemoryMetafile && type != kDiskMetafile) || words != kHeaderWords ||
        (version != kWindows2 && version != kWindows3)) {
        return false;
    }
    h.objects = r.u16(at + 10);
    h.firstRecord = at + kStandardHeaderSize;
    // The first record must be whole.
    const std::uint32_t firstWords = r.u32(h.firstRecord);
    return r.ok() && firstWords >= kMinRecordWords && firstWords <= (r.size() - h.firstRecord) / 2;
}

bool WmfPlayer::play(QPainter& painter, const QRectF& target) const {
    // Office programs keep the picture's enhanced form beside the old records; it is the
    // finer of the two (transparency, gradients, exact text).
    if (const auto embedded = embeddedEnhancedMetafile(bytes_.substr(header_.firstRecord))) {
        if (const auto header = EmfPlayer::readHeader(*embedded)) {
            return EmfPlayer(*embedded, *header, &budget()).play(painter, target);
        }
    }
    const double width = header_.right - header_.left;
    const double height = header_.bottom - header_.top;
    // The device space is the bounding box's units with the box at the origin; it is
    // stretched onto the target.
    const QTransform deviceToTarget(target.width() / std::abs(width), 0, 0,
                                    target.height() / std::abs(height), target.x(), target.y());
    const double unitsPerInch = header_.unitsPerInch == 0 ? kDefaultUnitsPerInch : header_.unitsPerInch;
    MetafileCanvas canvas(painter, target, deviceToTarget,
                          QSizeF(unitsPerInch / kMillimetresPerInch, unitsPerInch / kMillimetresPerInch),
                          budget());
    canvas.setObjectTableSize(header_.objects);
    canvas.setPatternPixel(unitsPerInch / kScreenPixelsPerInch);
    // Played as a picture placed with its bounding box: the window is the box until the
    // file sets its own, and it always fills the viewport.
    canvas.setMapMode(gdi::MM_ANISOTROPIC);
    canvas.setWindowOrg(
        QPointF(std::min(header_.left, header_.right), std::min(header_.top, header_.bottom)));
    canvas.setWindowExt(QSizeF(std::abs(width), std::abs(height)));
    canvas.setViewportExt(QSizeF(std::abs(width), std::abs(height)));

    std::size_t at = header_.firstRecord;
    for (std::size_t count = 0; at < bytes_.size() && count < kMaxRecords; ++count) {
        if (canvas.exhausted()) {
            return false;
        }
        MetafileReader head(bytes_.substr(at));
        const std::uint32_t words = head.u32(0);
        const std::uint16_t function = head.u16(4);
        if (!head.ok() || words < kMinRecordWords || words > (bytes_.size() - at) / 2) {
            return false;
        }
        if (function == wmf::META_EOF) {
            return true;
        }
        MetafileReader params(
            bytes_.substr(at + kRecordHeaderSize, std::size_t{words} * 2 - kRecordHeaderSize));
        const MetafileRecordHandler handler = wmf::recordTable().find(function);
        if (handler && !handler(canvas, params)) {
            return false;
        }
        at += std::size_t{words} * 2;
    }
    return true;
}

} // namespace velmoa
