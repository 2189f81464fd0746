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
