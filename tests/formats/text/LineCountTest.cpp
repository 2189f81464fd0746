#include "formats/text/LineCount.h"

#include <gtest/gtest.h>
#include <string>

using velmoa::CodedSource;
using velmoa::MemoryCodedSource;
using velmoa::moreLinesThan;

namespace {
// Bytes that end before the size the source gives: a file cut short while it is read.
class CutShortSource final : public CodedSource {
  public:
    explicit CutShortSource(std::string_view bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size() + 1; }
    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t length) const override {
        return bytes_.readAt(offset, buffer, length);
    }

  private:
    MemoryCodedSource bytes_;
};
} // namespace

// CR, LF and CR LF each end one line, also where a CR LF pair falls across two of the pieces read.
TEST(LineCount, CountsEachKindOfLineEndOnce) {
    constexpr std::size_t kPiece = std::size_t{64} * 1024;
    std::string pairAcrossPieces(kPiece - 1, 'x');
    pairAcrossPieces += "\r\nlast";
    const struct {
        const char* name;
        std::string bytes;
        std::int64_t lines;
    } rows[] = {
        {"empty", "", 1},
        {"LF", "a\nb\n", 3},
        {"CR", "a\rb\rc", 3},
        {"CR LF", "a\r\nb\r\n", 3},
        {"LF CR is two ends", "a\n\rb", 3},
        {"CR LF across pieces", pairAcrossPieces, 2},
    };
    for (const auto& row : rows) {
        const MemoryCodedSource source(row.bytes);
        EXPECT_EQ(moreLinesThan(source, row.lines - 1), true) << row.name;
        EXPECT_EQ(moreLinesThan(source, row.lines), false) << row.name;
    }
}

// Line ends are counted a block of bytes at a time: every kind of end, at every place in a block
// and across blocks, counts as a byte-by-byte count of the same text does.
TEST(LineCount, CountsEndsAtEveryPlaceInABlock) {
    const std::string ends = "\r\n\r\r\n\n\rab\n\r\n\n\n\r\r\r\nc";
    for (std::size_t shift = 0; shift < 130; ++shift) { // past two blocks counted together
        std::string bytes(shift, 'x');
        for (int repeat = 0; repeat < 300; ++repeat) { // many blocks
            bytes += ends;
        }
        std::int64_t lines = 1;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const bool pairedFeed = bytes[i] == '\n' && i > 0 && bytes[i - 1] == '\r';
            lines += (bytes[i] == '\r' || bytes[i] == '\n') && !pairedFeed ? 1 : 0;
        }
        const MemoryCodedSource source(bytes);
        EXPECT_EQ(moreLinesThan(source, lines - 1), true) << shift;
        EXPECT_EQ(moreLinesThan(source, lines), false) << shift;
    }
}

TEST(LineCount, ASourceEndingBeforeItsSizeIsNotCounted) {
    for (const std::int64_t limit : {1, 1000}) {
        EXPECT_EQ(moreLinesThan(CutShortSource("a\nb\nc\n"), limit), std::nullopt) << limit;
    }
}
