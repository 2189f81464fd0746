#include "formats/playlist/XmlPlaylist.h"

#include <gtest/gtest.h>

using namespace velmoa;

TEST(XmlPlaylist, ReadsLocalEntriesOfAsxAndWpl) {
    struct Row {
        const char* label;
        std::string xml;
        std::vector<std::string> entries;
    };
    const Row rows[] = {
        {"asx",
         R"(<asx version="3.0"><entry><ref href="a.wmv"/></entry><entry><ref href="b.wma"/></entry></asx>)",
         {"/m/a.wmv", "/m/b.wma"}},
        {"any case", R"(<ASX><Entry><REF HREF="a.wmv"/></Entry></ASX>)", {"/m/a.wmv"}},
        {"first alternative of an entry",
         R"(<asx><entry><ref href="a.wmv"/><ref href="a-low.wmv"/></entry></asx>)",
         {"/m/a.wmv"}},
        {"ref outside an entry ignored", R"(<asx><ref href="x.wmv"/></asx>)", {}},
        {"wpl",
         R"(<?wpl version="1.0"?><smil><body><seq><media src="..\Music\c.wma"/><media src="/abs/d.mp3"/></seq></body></smil>)",
         {"/m/../Music/c.wma", "/abs/d.mp3"}},
        {"file url", R"(<asx><entry><ref href="file:///srv/e%20f.wav"/></entry></asx>)", {"/srv/e f.wav"}},
        {"network left out",
         R"(<asx><entry><ref href="http://example.invalid/a.wmv"/></entry><entry><ref href="mms://x/y"/></entry><entry><ref href="g.wav"/></entry></asx>)",
         {"/m/g.wav"}},
        {"entity text", R"(<asx><entry><ref href="a&amp;b.wav"/></entry></asx>)", {"/m/a&b.wav"}},
        {"cut after the first entry",
         R"(<asx><entry><ref href="a.wav"/></entry><entry><ref hr)",
         {"/m/a.wav"}},
        {"empty and blank references",
         R"(<asx><entry><ref href=""/></entry><entry><ref href="  "/></entry></asx>)",
         {}},
        {"a line break cannot smuggle an entry",
         "<asx><entry><ref href=\"a.wav&#10;/etc/passwd\"/></entry></asx>",
         {}},
        {"not xml", "garbage <<< & >", {}},
        {"empty", "", {}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(readXmlPlaylist(row.xml, "/m"), row.entries) << row.label;
    }
}

TEST(XmlPlaylist, HostileSizesAreBounded) {
    std::string deep;
    for (int i = 0; i < 100000; ++i) {
        deep += "<a>";
    }
    deep += R"(<media src="deep.wav"/>)";
    EXPECT_TRUE(readXmlPlaylist(deep, "/m").empty());

    std::string many = "<smil>";
    for (int i = 0; i < 20000; ++i) {
        many += R"(<media src="x.wav"/>)";
    }
    EXPECT_EQ(readXmlPlaylist(many, "/m").size(), 10000u);

    // Entities that would multiply are refused by the reader rather than expanded.
    const std::string bomb =
        R"(<!DOCTYPE asx [<!ENTITY a "aaaaaaaaaa"><!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;">
<!ENTITY c "&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;"><!ENTITY d "&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;">
<!ENTITY e "&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;"><!ENTITY f "&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;">]>
<asx><entry><ref href="&f;&f;&f;&f;&f;&f;&f;&f;"/></entry></asx>)";
    const std::vector<std::string> entries = readXmlPlaylist(bomb, "/m");
    EXPECT_TRUE(entries.empty() || entries.front().size() < 2000000);
}
