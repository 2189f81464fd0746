#include "app/ExtensionTables.h"

#include "base/Paths.h"

#include <gtest/gtest.h>

using namespace velmoa;

TEST(ExtensionTables, ChoosesTheViewByExtension) {
    const std::pair<std::string, ViewKind> rows[] = {
        {"/p/a.JPG", ViewKind::Picture},
        {"/p/a.jpg", ViewKind::Picture},
        {"/p/a.Jpg", ViewKind::Picture},
        {"/p/a.jpeg", ViewKind::Picture},
        {"/p/a.bmp", ViewKind::Picture},
        {"/p/a.wmf", ViewKind::Picture},
        {"/p/a.emf", ViewKind::Picture},
        {"/p/a.ico", ViewKind::Picture},
        {"/p/a.jpe", ViewKind::Document},
        {"/p/a.tif", ViewKind::Document},
        {"/p/a.jpg.txt", ViewKind::Document},
        {"/p/readme", ViewKind::Document},
        {"/a.b/readme", ViewKind::Document},
        {"/a.jpg/", ViewKind::Document},
        {"", ViewKind::Document},
        {"/p/.jpg", ViewKind::Picture},
        {"/p/a.mp3", ViewKind::Media},
        {"/p/a.Mpe", ViewKind::Media},
        {"/p/a.mpv2", ViewKind::Media},
        {"/p/a.wax", ViewKind::Media},
        {"/p/a.WM", ViewKind::Media},
        {"/p/a.m3u", ViewKind::Media},
        {"/p/a.mp4", ViewKind::Document},
        {"/p/a.rtf", ViewKind::Document},
        {"/p/a.html", ViewKind::Document},
        {"/p/a. jpg", ViewKind::Document},
        {"/p/a.jpg ", ViewKind::Document},
    };
    for (const auto& [path, kind] : rows) {
        EXPECT_EQ(viewKindFor(path), kind) << path;
    }
}

TEST(ExtensionTables, SplitsMediaIntoSoundAndVideo) {
    for (auto ext : soundExtensions()) {
        EXPECT_TRUE(isMediaExtension(std::string(ext))) << ext;
    }
    const std::pair<std::string, bool> sound[] = {
        {".MP3", true},  {".MPE", true},  {".MPV2", true}, {".MIDI", true}, {".M3U", true},
        {".WAX", false}, {".ASX", false}, {".M1V", false}, {".WM", false},  {".mp3", false},
    };
    for (const auto& [ext, isSound] : sound) {
        EXPECT_EQ(isSoundExtension(ext), isSound) << ext;
    }
}

TEST(ExtensionTables, TellsDocumentKinds) {
    struct Row {
        std::string ext;
        bool plain, rich;
    };
    const Row rows[] = {
        {".HTM", true, false},  {".HTML", true, false}, {".C", true, false},    {".PAS", true, false},
        {".HTT", true, false},  {".BAT", true, false},  {".INF", true, false},  {".INI", true, false},
        {".CSV", true, false},  {".RTF", false, true},  {".TXT", false, false}, {".CPP", false, false},
        {".rtf", false, false}, {"", false, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(isPlainTextExtension(row.ext), row.plain) << row.ext;
        EXPECT_EQ(isRichTextExtension(row.ext), row.rich) << row.ext;
    }
}

TEST(ExtensionTables, ListingTableHoldsThePictureKinds) {
    ASSERT_EQ(lowerCasePictureExtensions().size(), pictureExtensions().size());
    for (auto lower : lowerCasePictureExtensions()) {
        EXPECT_TRUE(isPictureExtension(asciiUpper(std::string(lower)))) << lower;
    }
}
