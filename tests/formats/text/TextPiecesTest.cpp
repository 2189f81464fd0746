#include "formats/text/TextPieces.h"

#include "formats/text/PlainTextDocument.h"
#include "formats/text/TextEncoding.h"

#include <gtest/gtest.h>
#include <string>

using velmoa::bytesToDisplayText;
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
        std::string_view body = row.bytes;
        if (body.starts_with("\xEF\xBB\xBF")) {
            body.remove_prefix(3);
        }
        for (const bool cut : {true, false}) {
            bool whole = true;
            const QString expected = PlainTextDocument::shownText(bytesToDisplayText(body), cut, whole);
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
