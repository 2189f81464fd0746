#include "formats/metafile/EmfPlusObjectPieces.h"

#include "formats/metafile/EmfPlusRecordTypes.h"
#include "formats/metafile/MetafileReader.h"

#include <algorithm>

namespace velmoa {
namespace {

constexpr std::size_t kRecordHeader = 12; // type, flags, size, data size
constexpr std::size_t kPieceHeader = 16;  // and the total size
constexpr std::uint16_t kObjectFlags = 0x7FFF;

} // namespace

bool EmfPlusObjectPieces::isPiece(std::uint16_t type, std::uint16_t flags) const {
    return type == emfplus::EmfPlusObject &&
           ((flags & kContinues) || (gathering_ && (flags & kObjectFlags) == flags_));
}

std::optional<EmfPlusObjectPieces::Object> EmfPlusObjectPieces::endedBy(std::uint16_t type,
                                                                        std::uint16_t flags) {
    if (!gathering_ || (type == emfplus::EmfPlusObject && (flags & kObjectFlags) == flags_)) {
        return std::nullopt;
    }
    return take();
}

std::optional<EmfPlusObjectPieces::Object> EmfPlusObjectPieces::add(std::uint16_t flags,
                                                                    std::string_view record) {
    MetafileReader r(record);
    const std::size_t size = record.size();
    std::string_view piece;
    if (flags & kContinues) {
        // The two words after the size: the total then the data size, or the data size (the total
        // counted in) then the total.
        const std::uint32_t first = r.u32(8), second = r.u32(12);
        const bool totalInData =
            first == size - kRecordHeader && second != size - kPieceHeader && second != size - kRecordHeader;
        const std::uint32_t total = totalInData ? second : first;
        if (!r.ok() || total > kMaxObjectSize || (gathering_ && total != total_)) {
            gathering_ = false;
            bytes_.clear();
            return std::nullopt;
        }
        total_ = total;
        piece = record.substr(kPieceHeader);
    } else {
        const std::uint32_t dataSize = r.u32(8);
        if (!r.ok() || dataSize > size - kRecordHeader) {
            gathering_ = false;
            bytes_.clear();
            return std::nullopt;
        }
        piece = record.substr(kRecordHeader, dataSize);
    }
    flags_ = flags & kObjectFlags;
    gathering_ = true;
    bytes_.append(piece.substr(0, total_ - std::min<std::size_t>(total_, bytes_.size())));
    if (bytes_.size() < total_ && (flags & kContinues)) {
        return std::nullopt;
    }
    return take();
}

std::optional<EmfPlusObjectPieces::Object> EmfPlusObjectPieces::take() {
    Object object{flags_, std::move(bytes_)};
    bytes_.clear();
    gathering_ = false;
    total_ = 0;
    return object;
}

} // namespace velmoa
