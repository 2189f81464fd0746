#include "document/TextTest.h"

#include <gtest/gtest.h>

using namespace velmoa;

TEST(TextTest, EveryByteValueIsClassed) {
    for (int b = 0; b < 256; ++b) {
        const bool control = b <= 0x08 || b == 0x0B || b == 0x0C || (b >= 0x0E && b <= 0x1F);
        const std::string alone(1, static_cast<char>(b));
        EXPECT_EQ(isTextContent(alone), !control) << "byte " << b;
        // One control byte anywhere, even last, makes the whole content binary.
        EXPECT_EQ(isTextContent("Hello, world\r\n" + alone), !control) << "byte " << b;
    }
}

TEST(TextTest, JudgesWholeContents) {
    const std::pair<std::string, bool> rows[] = {
        {"", true},
        {"line one\r\nline two\ttab\n", true},
        {"\x93\xFA\x96\x7B\x8C\xEA", true},             // Shift-JIS
        {"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", true}, // UTF-8
        {std::string("a\0b\0", 4), false},              // UTF-16
        {"page\x0C"
         "break",
         false},
        {"\x1B[31mred", false},
        {"\x7F", true},
    };
    for (const auto& [bytes, text] : rows) {
        EXPECT_EQ(isTextContent(bytes), text) << bytes;
    }
}
