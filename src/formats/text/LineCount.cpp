#include "formats/text/LineCount.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace velmoa {
namespace {
constexpr std::size_t kPieceBytes = std::size_t{256} * 1024;

// Calls take(piece) for each piece of source in order; false when the source ends early.
template <typename Take> bool forEachPiece(const CodedSource& source, Take take) {
    std::vector<char> buffer(kPieceBytes);
    for (std::uint64_t at = 0; at < source.size();) {
        const auto wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(kPieceBytes, source.size() - at));
        const std::size_t got = source.readAt(at, buffer.data(), wanted);
        if (got < wanted) {
            return false;
        }
        take(std::string_view(buffer.data(), got));
        at += got;
    }
    return true;
}
} // namespace

std::optional<bool> moreLinesThan(const CodedSource& source, std::int64_t limit) {
    // Line feeds and carriage returns counted apart are many times faster to count than lines;
    // lines are counted exactly only when the bytes could hold more than limit.
    std::int64_t ends = 0;
    const bool read = forEachPiece(source, [&](std::string_view piece) {
        ends += std::count(piece.begin(), piece.end(), '\n') + std::count(piece.begin(), piece.end(), '\r');
    });
    if (!read) {
        return std::nullopt;
    }
    if (1 + ends <= limit) {
        return false;
    }
    std::int64_t lines = 1;
    bool afterReturn = false; // a CR ended the last piece: an LF first in this one belongs to it
    const bool readAgain = forEachPiece(source, [&](std::string_view piece) {
        for (const char c : piece) {
            if (c == '\n' && !afterReturn) {
                ++lines;
            }
            if (c == '\r') {
                ++lines;
            }
            afterReturn = c == '\r';
        }
    });
    if (!readAgain) {
        return std::nullopt;
    }
    return lines > limit;
}

} // namespace velmoa
