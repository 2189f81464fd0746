#include "picture/NaturalOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace velmoa;

TEST(NaturalOrder, OrdersNamesAsAFileManagerDoes) {
    // Each row: the first name comes before the second.
    const std::pair<std::string, std::string> rows[] = {
        {"img2.jpg", "img10.jpg"},
        {"9.jpg", "10.jpg"},
        {"IMG_0001.JPG", "img_0002.jpg"},
        {"img_0002.jpg", "IMG_0003.JPG"},
        {"a.jpg", "B.jpg"},
        {"b.jpg", "C.jpg"},
        {"A.jpg", "a.jpg"},        // equal but for case: byte order decides, always the same way
        {"img01.jpg", "img1.jpg"}, // equal but for zeros: likewise
        {"img1.jpg", "img01b.jpg"},
        {"a.jpg", "a1.jpg"},
        {"img.jpg", "img0.jpg"},
        {"file 2.jpg", "file 10.jpg"},
        {"a2b3.jpg", "a2b10.jpg"},
        {"a2b10.jpg", "a10b2.jpg"},
        {"x0.jpg", "x00.jpg"},
        {"x99999999999999999999999.jpg", "x100000000000000000000000.jpg"}, // beyond 64 bits
        {"z.jpg", "\xE3\x81\x82.jpg"},                                     // ASCII before multibyte
        {"\xE3\x81\x82"
         "2.jpg",
         "\xE3\x81\x82"
         "10.jpg"}, // UTF-8 あ2, あ10
        {"\x93\xFA"
         "2.jpg",
         "\x93\xFA"
         "10.jpg"},                               // Shift-JIS 日2, 日10
        {"\xE3\x81\x82.jpg", "\xE3\x81\x84.jpg"}, // あ before い
        {"a", "a.jpg"},
        {"", "a"},
    };
    for (const auto& [first, second] : rows) {
        EXPECT_TRUE(naturalNameLess(first, second)) << first << " < " << second;
        EXPECT_FALSE(naturalNameLess(second, first)) << second << " !< " << first;
        EXPECT_FALSE(naturalNameLess(first, first)) << first;
    }
}

TEST(NaturalOrder, SortsToTheSameOrderFromAnyStart) {
    const std::vector<std::string> expected = {
        "001.jpg",
        "01.jpg",
        "1.jpg",
        "1a.jpg",
        "2.JPG",
        "2.jpg",
        "10.jpg",
        "A.jpg",
        "a.jpg",
        "a0.jpg",
        "a00.jpg",
        "a1.jpg",
        "a01b.jpg",
        "a1b.jpg",
        "A2.jpg",
        "a10.jpg",
        "B.jpg",
        "b.jpg",
        "IMG_1.JPG",
        "img_2.jpg",
        "IMG_10.JPG",
        "\x93\xFA.jpg",
        "\xE6\x97\xA5.jpg",
    };
    std::mt19937 random(12345);
    for (int round = 0; round < 20; ++round) {
        auto names = expected;
        std::shuffle(names.begin(), names.end(), random);
        std::sort(names.begin(), names.end(), naturalNameLess);
        EXPECT_EQ(names, expected);
    }
}
