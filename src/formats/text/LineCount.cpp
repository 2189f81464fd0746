#include "formats/text/LineCount.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace velmoa {
namespace {
// Read no faster in larger pieces, and a buffer this small comes from the heap without new pages.
constexpr std::size_t kPieceBytes = std::size_t{64} * 1024;

// Bytes are looked at in blocks of a fixed size, which the compiler turns into a count of many
// bytes at a time: a byte-by-byte count is several times slower, and it runs over the whole file
// before its first screen shows.
constexpr std::size_t kBlockBytes = 64;

// Line ends of the block at bytes: LFs and CRs, less the CRs followed by an LF (a pair ends one line);
// after holds the bytes one place on.
unsigned blockLineEnds(const unsigned char* bytes, const unsigned char* after) {
    unsigned char ends = 0; // at most one a byte
    for (std::size_t i = 0; i < kBlockBytes; ++i) {
        // Kept to arithmetic on the comparisons, without branches, for the compiler to widen.
        ends += (bytes[i] == '\n') + (bytes[i] == '\r') - ((bytes[i] == '\r') & (after[i] == '\n'));
    }
    return ends;
}

// Counts line ends in pieces given in order.
class LineEnds {
  public:
    void take(std::string_view piece) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(piece.data());
        const std::size_t size = piece.size();
        if (size > 0 && pendingReturn_ && bytes[0] == '\n') {
            --ends_; // the LF ends the line of the CR that ended the last piece
        }
        pendingReturn_ = false;
        std::size_t at = 0;
        for (; at + kBlockBytes < size; at += kBlockBytes) {
            ends_ += blockLineEnds(bytes + at, bytes + at + 1);
        }
        for (; at < size; ++at) {
            const bool last = at + 1 == size;
            const bool pairedReturn = bytes[at] == '\r' && !last && bytes[at + 1] == '\n';
            ends_ += bytes[at] == '\n' || (bytes[at] == '\r' && !pairedReturn) ? 1 : 0;
            pendingReturn_ = last && bytes[at] == '\r';
        }
    }

    std::int64_t lines() const { return 1 + ends_; }

  private:
    std::int64_t ends_ = 0;
    bool pendingReturn_ = false; // the last piece ended in a CR: an LF first in the next is its pair
};

} // namespace

std::optional<bool> moreLinesThan(const CodedSource& source, std::int64_t limit) {
    LineEnds ends;
    std::vector<char> buffer(kPieceBytes);
    for (std::uint64_t at = 0; at < source.size();) {
        const auto wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(kPieceBytes, source.size() - at));
        const std::size_t got = source.readAt(at, buffer.data(), wanted);
        if (got < wanted) {
            return std::nullopt;
        }
        ends.take(std::string_view(buffer.data(), got));
        at += got;
    }
    return ends.lines() > limit;
}

} // namespace velmoa
