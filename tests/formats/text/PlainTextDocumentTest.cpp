#include "formats/text/PlainTextDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

using velmoa::PlainTextDocument;

namespace {

QString repeated(const QString& piece, qsizetype times) {
    return piece.repeated(times);
}

// The longest paragraph of the cut text, whether a paragraph starts inside a surrogate pair, and
// whether a cut that was added falls inside a word (between two letters of a script with blanks).
struct Paragraphs {
    qsizetype longest = 0;
    bool splitPair = false;
    bool splitWord = false;
};

Paragraphs paragraphsOf(const QString& cut, const QString& text) {
    Paragraphs p;
    for (const QString& line : cut.split(QLatin1Char('\n'))) {
        p.longest = std::max(p.longest, line.size());
        p.splitPair = p.splitPair || (!line.isEmpty() && line.front().isLowSurrogate());
    }
    for (qsizetype i = 0, j = 0; i < cut.size(); ++i) {
        if (j < text.size() && cut.at(i) == text.at(j)) {
            ++j;
            continue;
        }
        // An added line feed between text[j - 1] and text[j].
        const auto wordLetter = [](QChar c) { return c.isLetter() && c.unicode() < 0x2E80; };
        if (j > 0 && j < text.size() && wordLetter(text.at(j - 1)) && wordLetter(text.at(j))) {
            p.splitWord = true;
        }
    }
    return p;
}

TEST(PlainTextDocument, CutsLinesIntoPiecesTheLayoutHandlesInLinearTime) {
    const QString japanese = repeated(QStringLiteral("日本語の文章"), 600); // breaks between characters
    const struct {
        const char* name;
        QString text;
        qsizetype longest; // longest paragraph after the cuts
        bool changed;
        bool wordsKept; // no cut inside a word
    } rows[] = {
        {"short lines stay as they are", QStringLiteral("one\ntwo\r\nthree"), 5, false, true},
        {"a megabyte without a break opportunity", repeated(QStringLiteral("x"), 1 << 20),
         PlainTextDocument::kMaxUnbrokenRun, true, false},
        {"minified markup: long runs after a few breaks",
         QStringLiteral("<a b=1>") + repeated(QStringLiteral("y"), 5000), PlainTextDocument::kMaxUnbrokenRun,
         true, false},
        {"a long paragraph of words is cut between words", repeated(QStringLiteral("word "), 20000),
         PlainTextDocument::kMaxParagraphChars, true, true},
        {"Japanese without blanks breaks between characters, uncut", japanese, japanese.size(), false, true},
        {"astral characters without breaks are never split", repeated(QString::fromUcs4(U"\U0001D400"), 3000),
         PlainTextDocument::kMaxUnbrokenRun, true, false},
    };
    for (const auto& row : rows) {
        const QString cut = PlainTextDocument::withCuts(row.text);
        const Paragraphs p = paragraphsOf(cut, row.text);
        EXPECT_LE(p.longest, row.longest) << row.name;
        EXPECT_FALSE(p.splitPair) << row.name;
        if (row.wordsKept) {
            EXPECT_FALSE(p.splitWord) << row.name;
        }
        EXPECT_EQ(cut != row.text, row.changed) << row.name;
        // Cuts only add line feeds: no character is lost or moved.
        EXPECT_EQ(QString(cut).remove(QLatin1Char('\n')), QString(row.text).remove(QLatin1Char('\n')))
            << row.name;
    }
}

TEST(PlainTextDocument, FillsAtMostTheShownBudgetAndSaysSo) {
    const QString bigLine =
        repeated(QStringLiteral("z"), 1 << 20); // a megabyte without a break, laid out below
    const struct {
        const char* name;
        QString text;
        bool whole;
    } rows[] = {
        {"within the budget", bigLine, true},
        {"past the budget", repeated(QStringLiteral("abc def "), PlainTextDocument::kMaxShownChars / 8 + 1),
         false},
    };
    for (const auto& row : rows) {
        QTextDocument document;
        EXPECT_EQ(PlainTextDocument::fill(document, row.text, QTextCharFormat()), row.whole) << row.name;
        const qsizetype shown = document.characterCount() - document.blockCount(); // less the separators
        EXPECT_EQ(shown, row.whole ? row.text.size() : PlainTextDocument::kMaxShownChars) << row.name;
    }
    // The long line lays out in pieces of bounded length.
    QTextDocument document;
    PlainTextDocument::fill(document, bigLine, QTextCharFormat());
    document.setTextWidth(600);
    EXPECT_GT(document.documentLayout()->documentSize().height(), 0);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        ASSERT_LE(block.length(), PlainTextDocument::kMaxUnbrokenRun + 1);
    }
}

} // namespace
