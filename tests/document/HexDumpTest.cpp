#include "document/HexDump.h"

#include <gtest/gtest.h>

using namespace velmoa;

namespace {
std::string counting(std::size_t count) {
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<char>(i);
    }
    return bytes;
}
} // namespace

TEST(HexDump, FormatsFullAndPartialLines) {
    struct Row {
        std::string bytes;
        std::vector<std::string> lines;
    };
    const Row rows[] = {
        {counting(20), {"0000 : 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F ", "0010 : 10 11 12 13 "}},
        {counting(16), {"0000 : 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F "}},
        {counting(32),
         {"0000 : 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F ",
          "0010 : 10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F "}},
        {std::string("\x41\x42\x00\x43\x1B", 5), {"0000 : 41 42 00 43 1B "}},
        {"\xA0\xFF\x80", {"0000 : A0 FF 80 "}},
        {"", {}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(hexDumpLines(row.bytes), row.lines) << row.bytes.size() << " bytes";
    }
}

TEST(HexDump, SixteenKilobytesGiveFullLinesUpTo3FF0) {
    const auto lines = hexDumpLines(counting(16384));
    ASSERT_EQ(lines.size(), 1024u);
    for (std::size_t k = 0; k < lines.size(); ++k) {
        ASSERT_EQ(lines[k].size(), 55u) << k;
    }
    EXPECT_EQ(lines[255].substr(0, 7), "0FF0 : ");
    EXPECT_EQ(lines.back(), "3FF0 : F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE FF ");
}
