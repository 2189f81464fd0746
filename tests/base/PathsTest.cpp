#include "base/Paths.h"

#include <gtest/gtest.h>

using namespace velmoa;

TEST(Paths, SplitsNameFolderAndExtension) {
    struct Row {
        std::string path, name, folder, ext;
    };
    const Row rows[] = {
        {"/p/a.JPG", "a.JPG", "/p/", ".JPG"},
        {"/p/a.jpg", "a.jpg", "/p/", ".jpg"},
        {"/p/a.Jpg", "a.Jpg", "/p/", ".Jpg"},
        {"/p/readme", "readme", "/p/", ""},
        {"/a.b/readme", "readme", "/a.b/", ""}, // the only dot is in a folder name
        {"/p/.jpg", ".jpg", "/p/", ".jpg"},
        {"/p/f.jpg.txt", "f.jpg.txt", "/p/", ".txt"},
        {"/p/name.", "name.", "/p/", "."},
        {"bare.bmp", "bare.bmp", "", ".bmp"},
        {"", "", "", ""},
        {"/p/q/", "", "/p/q/", ""},
        {"/p.d/", "", "/p.d/", ""},
        {"/", "", "/", ""},
        {"c:\\dir\\x.ico", "c:\\dir\\x.ico", "", ".ico"}, // "\" and ":" are name characters here
        // UTF-8 日本.jpg and Shift-JIS 日本\表.JPG (0x95 0x5C: a trail byte equal to "\")
        {"/\xE5\x86\x99/\xE6\x97\xA5\xE6\x9C\xAC.jpg", "\xE6\x97\xA5\xE6\x9C\xAC.jpg", "/\xE5\x86\x99/",
         ".jpg"},
        {"/s/\x93\xFA\x96\x7B\x95\x5C.JPG", "\x93\xFA\x96\x7B\x95\x5C.JPG", "/s/", ".JPG"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(fileName(row.path), row.name) << row.path;
        EXPECT_EQ(folderPart(row.path), row.folder) << row.path;
        EXPECT_EQ(extension(row.path), row.ext) << row.path;
    }
}

TEST(Paths, ChangesCaseOfAsciiLettersOnly) {
    struct Row {
        std::string text, upper, lower;
    };
    const Row rows[] = {
        {".Jpg", ".JPG", ".jpg"},
        {"aZ09_-[`{@", "AZ09_-[`{@", "az09_-[`{@"}, // neighbours of the letter ranges stay
        {"\xE6\x97\xA5.jpeg", "\xE6\x97\xA5.JPEG", "\xE6\x97\xA5.jpeg"},
        {"\x93\xFA\x82\x81.jpg", "\x93\xFA\x82\x81.JPG", "\x93\xFA\x82\x81.jpg"}, // Shift-JIS 日ａ.jpg
        // Shift-JIS Ｂ (0x82 0x61) and ア (0x83 0x41): a changed second byte would make another character
        {"\x82\x61x.Jpg", "\x82\x61X.JPG", "\x82\x61x.jpg"},
        {"\x83\x41x.Jpg", "\x83\x41X.JPG", "\x83\x41x.jpg"},
        // UTF-8 あa: 0x82 is a continuation byte here, so the "a" that follows does change
        {"\xE3\x81\x82"
         "a",
         "\xE3\x81\x82"
         "A",
         "\xE3\x81\x82"
         "a"},
        {"\xC4\xE4", "\xC4\xE4", "\xC4\xE4"}, // Latin-1 Ää untouched
    };
    for (const auto& row : rows) {
        EXPECT_EQ(asciiUpper(row.text), row.upper) << row.text;
        EXPECT_EQ(asciiLower(row.text), row.lower) << row.text;
    }
}
