#include "formats/playlist/PlaylistReference.h"
#include "formats/playlist/M3uPlaylist.h"

#include <gtest/gtest.h>

using namespace velmoa;

TEST(PlaylistReference, KeepsLocalPathsAndRefusesEverythingThatCouldReachFurther) {
    struct Row {
        const char* label;
        std::string reference;
        std::string path; // empty: refused
    };
    const Row rows[] = {
        {"relative", "a.wav", "/m/a.wav"},
        {"relative below", "sub/b.mp3", "/m/sub/b.mp3"},
        {"parent", "../c.wav", "/m/../c.wav"},
        {"windows separators", "..\\Music\\c.wma", "/m/../Music/c.wma"},
        {"absolute", "/srv/d.wav", "/srv/d.wav"},
        {"blanks around", "  e.wav\t", "/m/e.wav"},
        {"shift-jis name kept as bytes", "\x83\x65\x83\x58\x83\x67.wav", "/m/\x83\x65\x83\x58\x83\x67.wav"},
        {"windows drive is no scheme", "C:\\a.wav", "/m/C:/a.wav"},
        {"file url", "file:///srv/e%20f.wav", "/srv/e f.wav"},
        {"file url on localhost", "file://localhost/srv/g.wav", "/srv/g.wav"},
        {"file url, one slash", "file:/srv/h.wav", "/srv/h.wav"},
        {"file url in capitals", "FILE:///srv/i.wav", "/srv/i.wav"},
        {"file url of utf-8", "file:///srv/%E9%9F%B3.wav", "/srv/\xE9\x9F\xB3.wav"},
        {"http", "http://127.0.0.1:9/x.mp3", ""},
        {"mms", "mms://host/y", ""},
        {"lavfi through av", "av://lavfi:sine", ""},
        {"edl", "edl://a.wav,0,1", ""},
        {"fd", "fd://0", ""},
        {"memory", "memory://#EXTM3U", ""},
        {"file url naming lavfi", "file:av://lavfi:amovie=%27http%5C://127.0.0.1%5C:9/x.mp3%27", ""},
        {"file url naming http", "file:http://127.0.0.1:9/x.mp3", ""},
        {"file url naming lavfi by path", "file:///av://lavfi:sine", ""},
        {"file url on another host", "file://host/srv/a.wav", ""},
        {"decoded line break", "file:///tmp/a%0Ahttp://127.0.0.1:9/", ""},
        {"decoded nul", "file:///tmp/a%00.wav", ""},
        {"broken escape", "file:///tmp/a%2", ""},
        {"raw line break", "a.wav\nhttp://127.0.0.1:9/", ""},
        {"raw delete", "a\x7f.wav", ""},
        {"empty", "", ""},
        {"blank", "   ", ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(localReference(row.reference, "/m"), row.path) << row.label;
    }
    EXPECT_EQ(localReference("a.wav", "/m/"), "/m/a.wav") << "folder with its final slash";
}

TEST(M3uPlaylist, ReadsOneLocalEntryALine) {
    struct Row {
        const char* label;
        std::string bytes;
        std::vector<std::string> entries;
    };
    const Row rows[] = {
        {"extended", "#EXTM3U\n#EXTINF:2,Tone\na.wav\n#EXTINF:3,Song\nb.mp3\n", {"/m/a.wav", "/m/b.mp3"}},
        {"crlf and blank lines", "a.wav\r\n\r\n  \r\nb.mp3\r\n", {"/m/a.wav", "/m/b.mp3"}},
        {"no final line end", "a.wav", {"/m/a.wav"}},
        {"byte-order mark",
         "\xEF\xBB\xBF"
         "a.wav\n",
         {"/m/a.wav"}},
        {"network and other schemes left out",
         "http://127.0.0.1:9/x.mp3\nav://lavfi:sine\nc.wav\n",
         {"/m/c.wav"}},
        {"shift-jis names", "\x89\xB9.wav\n", {"/m/\x89\xB9.wav"}},
        {"empty", "", {}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(readM3uPlaylist(row.bytes, "/m"), row.entries) << row.label;
    }
    std::string many;
    for (int i = 0; i < 20000; ++i) {
        many += "x.wav\n";
    }
    EXPECT_EQ(readM3uPlaylist(many, "/m").size(), 10000u);
}
