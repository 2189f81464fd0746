#include "formats/text/TextLines.h"

#include <QStringList>
#include <gtest/gtest.h>

using velmoa::TextLines;
using velmoa::TextPosition;

namespace {
TextLines linesOf(const QStringList& appends) {
    TextLines lines;
    for (const QString& piece : appends) {
        lines.append(piece);
    }
    return lines;
}

QStringList allLines(const TextLines& lines) {
    QStringList out;
    for (qsizetype i = 0; i < lines.lineCount(); ++i) {
        out.append(lines.line(i));
    }
    return out;
}
} // namespace

TEST(TextLines, EveryKindOfLineEndEndsOneLineWhereverTheAppendsSplitIt) {
    const struct {
        const char* name;
        QStringList appends;
        QStringList lines;
    } rows[] = {
        {"nothing", {}, {QString()}},
        {"one line", {QStringLiteral("abc")}, {QStringLiteral("abc")}},
        {"line feeds", {QStringLiteral("a\nb\n")}, {QStringLiteral("a"), QStringLiteral("b"), QString()}},
        {"carriage returns", {QStringLiteral("a\rb")}, {QStringLiteral("a"), QStringLiteral("b")}},
        {"CR LF", {QStringLiteral("a\r\nb")}, {QStringLiteral("a"), QStringLiteral("b")}},
        {"CR LF split",
         {QStringLiteral("a\r"), QStringLiteral("\nb")},
         {QStringLiteral("a"), QStringLiteral("b")}},
        {"LF CR is two", {QStringLiteral("a\n\rb")}, {QStringLiteral("a"), QString(), QStringLiteral("b")}},
        {"paragraph separator",
         {QStringLiteral("日本\u2029語")},
         {QStringLiteral("日本"), QStringLiteral("語")}},
        {"line goes on",
         {QStringLiteral("ab"), QStringLiteral("cd\ne")},
         {QStringLiteral("abcd"), QStringLiteral("e")}},
        {"surrogate pair", {QStringLiteral("\U0001F600x")}, {QStringLiteral("\U0001F600x")}},
    };
    for (const auto& row : rows) {
        const TextLines lines = linesOf(row.appends);
        EXPECT_EQ(allLines(lines), row.lines) << row.name;
        EXPECT_EQ(lines.text(), row.lines.join(QLatin1Char('\n'))) << row.name;
        EXPECT_EQ(lines.line(lines.lineCount()), QString()) << row.name;
    }
}

// Lines past the sparse index are found by skipping from the nearest indexed one, also when the
// text came in appends that do not line up with the index.
TEST(TextLines, FindsEveryLineAcrossTheIndex) {
    const qsizetype count = TextLines::kIndexStride * 3 + 5;
    QStringList expected;
    TextLines lines;
    for (qsizetype i = 0; i < count; ++i) {
        expected.append(QString::number(i));
        lines.append(QString::number(i) + (i + 1 < count ? QStringLiteral("\n") : QString()));
    }
    EXPECT_EQ(lines.lineCount(), count);
    EXPECT_EQ(allLines(lines), expected);
    EXPECT_EQ(lines.end(), (TextPosition{count - 1, expected.back().size()}));
}

TEST(TextLines, TextBetweenTwoPositionsInEitherOrder) {
    const TextLines lines = linesOf({QStringLiteral("日本語\nsecond line\n\nlast")});
    const struct {
        TextPosition from, to;
        QString text;
    } rows[] = {
        {{0, 1}, {0, 3}, QStringLiteral("本語")},
        {{0, 2}, {1, 6}, QStringLiteral("語\nsecond")},
        {{1, 7}, {3, 2}, QStringLiteral("line\n\nla")},
        {{3, 2}, {1, 7}, QStringLiteral("line\n\nla")},
        {{0, 0}, lines.end(), lines.text()},
        {{2, 0}, {2, 0}, QString()},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(lines.textBetween(row.from, row.to), row.text) << row.text.toStdString();
    }
}

// ASCII takes a byte a character and the index a few bytes a line: a million short lines fit in
// little more than their bytes.
TEST(TextLines, HoldsTextCompactly) {
    TextLines lines;
    const QString text = QStringLiteral("x\n").repeated(1'000'000);
    lines.append(text);
    EXPECT_EQ(lines.lineCount(), 1'000'001);
    EXPECT_LT(lines.storageBytes(), text.size() * 5 / 4);
}
