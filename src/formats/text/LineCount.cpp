#include "formats/text/LineCount.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string_view>
#include <vector>

namespace velmoa {
namespace {
constexpr std::size_t kPieceBytes = std::size_t{256} * 1024;

// Eight bytes are looked at together in one 64-bit word: a byte-wise count is several times
// slower, and it runs over the whole file before its first screen shows.
using Word = std::uint64_t;
constexpr std::size_t kWordBytes = sizeof(Word);
constexpr int kByteBits = 8;
constexpr Word kEachByte = ~Word{0} / 0xFF;    // 0x01 in every byte
constexpr Word kLowBits = kEachByte * 0x7F;    // the low seven bits of every byte
constexpr Word kHighBits = kEachByte * 0x80;   // the top bit of every byte
constexpr Word kEvenBytes = ~Word{0} / 0xFFFF; // 0x0001 in every 16-bit half-word
constexpr Word kByteOfHalfWords = kEvenBytes * 0xFF;
constexpr int kTopHalfWordShift = 48;
constexpr bool kLittleEndian = std::endian::native == std::endian::little;
// The flag bits of the word's first and last byte in file order.
constexpr Word kLowestByteTop = Word{1} << (kByteBits - 1);
constexpr Word kHighestByteTop = Word{1} << (kByteBits * kWordBytes - 1);
constexpr Word kFirstByteTop = kLittleEndian ? kLowestByteTop : kHighestByteTop;
constexpr Word kLastByteTop = kLittleEndian ? kHighestByteTop : kLowestByteTop;
// A byte of a counting word takes up to two a word (a CR and an LF hit): flushed before it fills.
constexpr int kWordsPerFlush = 127;

Word loadWord(const char* bytes) {
    Word word = 0;
    std::memcpy(&word, bytes, kWordBytes);
    return word;
}

// The top bit of each byte of word that equals c; no carry runs from one byte into the next.
Word bytesEqual(Word word, char c) {
    const Word x = word ^ (kEachByte * static_cast<unsigned char>(c));
    return ~(((x & kLowBits) + kLowBits) | x) & kHighBits;
}

// Each byte's flag moved onto the byte before it in file order.
Word fromNextByte(Word flags) {
    return kLittleEndian ? flags >> kByteBits : flags << kByteBits;
}

// The sum of a counting word's bytes.
std::int64_t sumOfBytes(Word counts) {
    const Word halves = (counts & kByteOfHalfWords) + ((counts >> kByteBits) & kByteOfHalfWords);
    return static_cast<std::int64_t>((halves * kEvenBytes) >> kTopHalfWordShift);
}

// Counts line ends in pieces given in order: LFs and CRs, less the LFs that follow a CR.
class LineEnds {
  public:
    void take(std::string_view piece) {
        const char* at = piece.data();
        const char* const end = at + piece.size();
        while (static_cast<std::size_t>(end - at) >= kWordBytes) {
            Word ends = 0;
            Word pairs = 0;
            for (int n = 0; n < kWordsPerFlush && static_cast<std::size_t>(end - at) >= kWordBytes; ++n) {
                const Word word = loadWord(at);
                const Word lf = bytesEqual(word, '\n');
                const Word cr = bytesEqual(word, '\r');
                ends += (lf >> (kByteBits - 1)) + (cr >> (kByteBits - 1));
                pairs += (cr & fromNextByte(lf)) >> (kByteBits - 1); // a CR before an LF in the word
                if (afterReturn_ && (lf & kFirstByteTop) != 0) {
                    --count_; // an LF first in the word ends the line of a CR last in the one before
                }
                afterReturn_ = (cr & kLastByteTop) != 0;
                at += kWordBytes;
            }
            count_ += sumOfBytes(ends) - sumOfBytes(pairs);
        }
        for (; at < end; ++at) {
            takeByte(*at);
        }
    }

    std::int64_t lines() const { return 1 + count_; }

  private:
    void takeByte(char c) {
        if (c == '\n' && !afterReturn_) {
            ++count_;
        }
        if (c == '\r') {
            ++count_;
        }
        afterReturn_ = c == '\r';
    }
    std::int64_t count_ = 0;
    bool afterReturn_ = false; // the last byte taken was a CR: an LF next belongs to it
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
