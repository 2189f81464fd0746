#include "formats/text/TextEncoding.h"

#include <gtest/gtest.h>

using namespace velmoa;

TEST(TextEncoding, ChoosesUtf8ThenCp932ThenLatin1) {
    struct Row {
        std::string bytes;
        QString expected;
    };
    const Row rows[] = {
        {"plain", QStringLiteral("plain")},
        {"\xE6\x97\xA5\xE6\x9C\xAC", QStringLiteral("日本")},  // UTF-8
        {"\x93\xFA\x96\x7B", QStringLiteral("日本")},          // Shift-JIS
        {"\x87\x40", QStringLiteral("①")},                     // a CP932 extension
        {"\xFF\xFE", QString::fromLatin1("\xFF\xFE")},         // neither: Latin-1
        {"\xC3\x28\xFF", QString::fromLatin1("\xC3\x28\xFF")}, // bad UTF-8, 0xFF not CP932
    };
    for (const auto& row : rows) {
        EXPECT_EQ(bytesToDisplayText(row.bytes), row.expected) << row.bytes;
    }
}

TEST(TextEncoding, RecognisesValidUtf8Only) {
    const std::pair<std::string, bool> rows[] = {
        {"", true},
        {"abc", true},
        {"\xC3\xA9", true},
        {"\xF0\x9F\x98\x80", true},
        {"\xED\xA0\x80", false},     // surrogate
        {"\xC0\xAF", false},         // overlong
        {"a\xE6\x97", false},        // truncated
        {"\x80", false},             // lone continuation byte
        {"\xF4\x90\x80\x80", false}, // past U+10FFFF
    };
    for (const auto& [bytes, valid] : rows) {
        EXPECT_EQ(isValidUtf8(bytes), valid) << bytes;
    }
}

TEST(TextEncoding, ACharacterCutAtTheEndDoesNotChangeTheEncoding) {
    struct Row {
        const char* name;
        std::string bytes;
        TextEnd end;
        QString expected;
    };
    const Row rows[] = {
        {"UTF-8 cut after one byte", "\xE6\x97\xA5\xE6\x9C\xAC\xE8", TextEnd::Cut, QStringLiteral("日本")},
        {"UTF-8 cut after two bytes", "\xE6\x97\xA5\xE8\xAA", TextEnd::Cut, QStringLiteral("日")},
        {"four-byte UTF-8 cut after three", "ab\xF0\x9F\x98", TextEnd::Cut, QStringLiteral("ab")},
        {"CP932 lead byte cut from its trail", "\x93\xFA\x96\x7B\x8C", TextEnd::Cut, QStringLiteral("日本")},
        {"complete text is kept whole", "\xE6\x97\xA5", TextEnd::Cut, QStringLiteral("日")},
        {"a bad byte before the end still counts", "\xC3\x28\xFF\xE6", TextEnd::Cut,
         QString::fromLatin1("\xC3\x28\xFF\xE6")},
        {"a lone continuation byte is no cut character", "ab\x80", TextEnd::Cut,
         QString::fromLatin1("ab\x80")},
        {"whole text ending mid-character is not UTF-8", "\xE6\x97\xA5\xE6\x9C\xAC\xE8", TextEnd::Whole,
         QString::fromLatin1("\xE6\x97\xA5\xE6\x9C\xAC\xE8")},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(bytesToDisplayText(row.bytes, row.end), row.expected) << row.name;
    }
}
