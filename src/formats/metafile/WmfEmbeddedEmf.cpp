#include "formats/metafile/WmfEmbeddedEmf.h"

#include "formats/metafile/MetafileReader.h"

namespace velmoa {
namespace {

constexpr std::uint16_t kEscape = 0x0626;
constexpr std::uint16_t kComment = 0x000F;
constexpr std::uint32_t kSignature = 0x43464D57; // "WMFC"
constexpr std::uint32_t kMaxSize = 256u * 1024 * 1024;

} // namespace

std::optional<std::string> embeddedEnhancedMetafile(std::string_view records) {
    std::string joined;
    std::uint32_t total = 0;
    std::size_t at = 0;
    while (at + 6 <= records.size()) {
        MetafileReader head(records.substr(at, 6));
        const std::uint32_t words = head.u32(0);
        const std::uint16_t function = head.u16(4);
        if (words < 3 || words > (records.size() - at) / 2 || function == 0) {
            break;
        }
        MetafileReader r(records.substr(at + 6, std::size_t{words} * 2 - 6));
        if (function == kEscape && r.u16(0) == kComment && r.u32(4) == kSignature && r.u32(8) == 1) {
            // Escape, byte count, signature, type, version, checksum, flags, record count,
            // this piece's size, bytes still to come, the whole size, then the piece.
            const std::uint32_t pieceSize = r.u32(26);
            const std::uint32_t whole = r.u32(34);
            if (!r.ok() || whole == 0 || whole > kMaxSize || (total != 0 && whole != total) ||
                !r.has(38, pieceSize) || joined.size() + pieceSize > whole) {
                return std::nullopt;
            }
            total = whole;
            joined.append(r.all().substr(38, pieceSize));
        }
        at += std::size_t{words} * 2;
    }
    if (total == 0 || joined.size() != total) {
        return std::nullopt;
    }
    return joined;
}

} // namespace velmoa
