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
    constexpr std::size_t kPiece = std::size_t{256} * 1024;
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

TEST(LineCount, ASourceEndingBeforeItsSizeIsNotCounted) {
    for (const std::int64_t limit : {1, 1000}) {
        EXPECT_EQ(moreLinesThan(CutShortSource("a\nb\nc\n"), limit), std::nullopt) << limit;
    }
}
