#include "formats/text/TextPieces.h"

#include "formats/text/PlainTextDocument.h"
#include "formats/text/TextEncoding.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

using velmoa::bytesToDisplayText;
using velmoa::CodedSource;
using velmoa::MemoryCodedSource;
using velmoa::PlainTextDocument;
using velmoa::TextPieces;

namespace {
// The text the pieces give together, the last start over wiping what came before.
QString joined(TextPieces& pieces, std::size_t size, int& startsOver) {
    QString text;
    startsOver = 0;
    while (!pieces.atEnd()) {
        const QString piece = pieces.next(size);
        if (pieces.startedOver()) {
            text.clear();
            ++startsOver;
        }
        text += piece;
    }
    return text;
}

std::size_t longestLine(const std::string& bytes) {
    std::size_t longest = 0, run = 0;
    for (const char c : bytes) {
        run = c == '\n' || c == '\r' ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest;
}

std::string repeated(const std::string& piece, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}
// Bytes in memory that count how many of them were read.
class CountingSource final : public CodedSource {
  public:
    explicit CountingSource(std::string_view bytes, std::size_t& read) : bytes_(bytes), read_(read) {}
    std::uint64_t size() const override { return bytes_.size(); }
    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t length) const override {
        const std::size_t got = bytes_.readAt(offset, buffer, length);
        read_ += got;
        return got;
    }

  private:
    MemoryCodedSource bytes_;
    std::size_t& read_;
};
} // namespace

// Whatever the piece size, the pieces add up to the text decoding the whole gives.
TEST(TextPieces, AddUpToTheWholeTextAtAnyPieceSize) {
    const std::string cp932Line = "\x93\xFA\x96\x7B\x8C\xEA,abc\r\n"; // 日本語 in CP932
    const struct {
        const char* name;
        std::string bytes;
        int startsOver; // pieces of size 7
    } rows[] = {
        {"empty", "", 0},
        {"ASCII lines", repeated("line of text\n", 50), 0},
        {"UTF-8 with a mark", "\xEF\xBB\xBF" + repeated("日本語\r\n", 20), 0},
        {"CP932 from the start", repeated(cp932Line, 30), 1},
        {"CP932 after UTF-8 lines", repeated("ascii only\n", 10) + repeated(cp932Line, 5), 1},
        {"Latin-1 after CP932", repeated(cp932Line, 3) + "\xFF\xFE\n", 2},
        {"CR alone", repeated("a\r", 40), 0},
        {"a long line without breaks", std::string(5000, 'm'), 0},
        {"a long UTF-8 line", repeated("日本語", 2000), 0},
        {"a long CP932 line", repeated("\x93\xFA", 3000), 1},
    };
    for (const auto& row : rows) {
        std::string_view withoutMark = row.bytes;
        if (withoutMark.starts_with("\xEF\xBB\xBF")) {
            withoutMark.remove_prefix(3);
        }
        for (const bool cut : {true, false}) {
            bool whole = true;
            const QString expected =
                PlainTextDocument::shownText(bytesToDisplayText(withoutMark), cut, whole);
            for (const std::size_t size : {std::size_t{1}, std::size_t{7}, std::size_t{1} << 16}) {
                TextPieces pieces(row.bytes, cut);
                int startsOver = 0;
                const QString text = joined(pieces, size, startsOver);
                if (cut && longestLine(row.bytes) >= size * 4) {
                    // Lines much longer than a piece are cut where pieces end, too.
                    EXPECT_EQ(QString(text).remove(QLatin1Char('\n')),
                              QString(expected).remove(QLatin1Char('\n')))
                        << row.name << " by " << size;
                    for (const QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
                        EXPECT_LE(line.size(), PlainTextDocument::kMaxParagraphChars) << row.name;
                    }
                } else {
                    EXPECT_EQ(text, expected) << row.name << " by " << size;
                }
                EXPECT_TRUE(pieces.whole()) << row.name;
                if (size == 7) {
                    EXPECT_EQ(startsOver, row.startsOver) << row.name;
                }
            }
        }
    }
}

TEST(TextPieces, StopAtTheShownLimit) {
    const std::string bytes(PlainTextDocument::kMaxShownChars + 100, 'w');
    TextPieces pieces(bytes, false);
    int startsOver = 0;
    EXPECT_EQ(joined(pieces, std::size_t{1} << 20, startsOver).size(), PlainTextDocument::kMaxShownChars);
    EXPECT_FALSE(pieces.whole());
}

// The first piece comes without the rest being decoded: a line end close after the size ends it.
TEST(TextPieces, EndAfterALineEndNearTheirSize) {
    TextPieces pieces(repeated("0123456789\n", 1000), false);
    EXPECT_EQ(pieces.next(100), QStringLiteral("0123456789\n").repeated(10));
    EXPECT_FALSE(pieces.atEnd());
}

// Bytes come from the source as the pieces need them: lines, CR LF pairs and characters that run
// across the places where one read ends and the next begins come out as decoding the whole gives,
// the first piece of a large file reads little of it, and a start over reads from the start again.
TEST(TextPieces, ReadTheirSourceOnlyAsFarAsNeeded) {
    const struct {
        const char* name;
        std::string bytes;
    } rows[] = {
        {"CR LF pairs across reads", repeated("abcdefg\r\n", 60'000)},
        {"UTF-8 characters across reads", repeated("日本語のテキスト\n", 30'000)},
        {"CP932 lines across reads", repeated("\x93\xFA\x96\x7B\x8C\xEA\r\n", 70'000)},
        {"CP932 lines longer than a read", repeated(repeated("\x93\xFA", 50'000) + "\n", 3)},
    };
    for (const auto& row : rows) {
        bool whole = true;
        const QString expected = PlainTextDocument::shownText(bytesToDisplayText(row.bytes), false, whole);
        for (const std::size_t size : {std::size_t{1000}, std::size_t{1} << 16}) {
            std::size_t read = 0;
            TextPieces pieces(std::make_unique<CountingSource>(row.bytes, read), false);
            int startsOver = 0;
            EXPECT_EQ(joined(pieces, size, startsOver), expected) << row.name << " by " << size;
            // Bytes are read once, and those read before a start over once more.
            if (startsOver == 0) {
                EXPECT_EQ(read, row.bytes.size()) << row.name << " by " << size;
            } else {
                EXPECT_LE(read, row.bytes.size() * 2) << row.name << " by " << size;
            }
        }
    }
    const std::string large = repeated("0123456789\n", 1'000'000);
    std::size_t read = 0;
    TextPieces pieces(std::make_unique<CountingSource>(large, read), false);
    EXPECT_EQ(pieces.next(4096).left(11), QStringLiteral("0123456789\n"));
    EXPECT_LT(read, large.size() / 10);
}
