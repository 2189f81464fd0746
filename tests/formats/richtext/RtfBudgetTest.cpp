#include "formats/richtext/RtfBudget.h"

#include <functional>
#include <gtest/gtest.h>

using velmoa::RtfBudget;

namespace {

// How many times a step is granted in a row before it is refused (capped).
int grantedInARow(const std::function<bool()>& step, int cap = 10'000'000) {
    int n = 0;
    while (n < cap && step()) {
        ++n;
    }
    return n;
}

TEST(RtfBudget, GrantsEachKindOfWorkUpToItsBound) {
    const struct {
        const char* name;
        std::function<int(RtfBudget&)> run;
        int expected;
        bool leftOut;
    } rows[] = {
        {"format runs of one paragraph",
         [](RtfBudget& b) { return grantedInARow([&] { return b.takeRun(); }); },
         RtfBudget::kMaxRunsPerParagraph, true},
        {"runs start again with a paragraph",
         [](RtfBudget& b) {
             grantedInARow([&] { return b.takeRun(); });
             b.takeParagraph(24);
             return grantedInARow([&] { return b.takeRun(); });
         },
         RtfBudget::kMaxRunsPerParagraph, true},
        {"forced line breaks of one paragraph (the rest go on as paragraphs)",
         [](RtfBudget& b) { return grantedInARow([&] { return b.takeLine(24); }); },
         RtfBudget::kMaxLinesPerParagraph, false},
        {"rows of eight cells in one table",
         [](RtfBudget& b) { return grantedInARow([&] { return b.takeRow(8); }); },
         RtfBudget::kMaxCellsPerTable / 8, false},
        {"a row wider than a table's budget still makes a table",
         [](RtfBudget& b) {
             return grantedInARow([&] { return b.takeRow(RtfBudget::kMaxCellsPerTable * 2); });
         },
         1, false},
        // A paragraph holds text up to its height, then the text goes on in a new paragraph.
        {"characters of a paragraph at 12 points",
         [](RtfBudget& b) { return static_cast<int>(b.takeText(1'000'000, 24)); }, 13'888, false},
        {"at the largest font a paragraph still takes one character",
         [](RtfBudget& b) { return static_cast<int>(b.takeText(1000, 99999) + b.takeText(1000, 99999)); }, 1,
         false},
        // The whole document: the shape of \fs99999 with thousands of words ends early.
        {"words at a font size of 99999 half points, each in its paragraph",
         [](RtfBudget& b) {
             return grantedInARow([&] { return b.takeText(6, 99999) > 0 && b.takeParagraph(99999); });
         },
         299, true},
        // Spacing counts: one and a half lines, and space around each paragraph.
        {"paragraphs with spacing fill the document sooner",
         [](RtfBudget& b) {
             b.setSpacing({1.5, 0, 0, 12});
             return grantedInARow([&] { return b.takeParagraph(24); });
         },
         104'167, true},
        {"lines of an exact height",
         [](RtfBudget& b) {
             b.setSpacing({1, 0, 100, 0});
             return grantedInARow([&] { return b.takeText(1, 24) > 0 && b.takeParagraph(24); });
         },
         48'544, true},
        {"lines spaced at nothing still count as lines",
         [](RtfBudget& b) {
             b.setSpacing({0, 0, 0, 0});
             return grantedInARow([&] { return b.takeParagraph(24); });
         },
         5'000'000, true},
        {"paragraphs at 12 points fill the document",
         [](RtfBudget& b) { return grantedInARow([&] { return b.takeParagraph(24); }); }, 208'333, true},
    };
    for (const auto& row : rows) {
        RtfBudget budget;
        const int granted = row.run(budget);
        EXPECT_NEAR(granted, row.expected, (row.expected / 100.0) + 1) << row.name;
        EXPECT_EQ(budget.leftOut(), row.leftOut) << row.name;
    }
}

TEST(RtfBudget, StopsAtTheCharactersPlainTextWouldShow) {
    RtfBudget budget;
    std::int64_t taken = 0;
    for (int i = 0; i < 2000 && !budget.full(); ++i) {
        taken += budget.takeText(10'000, 24);
        budget.takeParagraph(24);
    }
    EXPECT_EQ(taken, RtfBudget::kMaxChars);
    EXPECT_TRUE(budget.full());
    EXPECT_TRUE(budget.leftOut());

    RtfBudget exact; // text that ends at the bound loses nothing
    for (std::int64_t left = RtfBudget::kMaxChars; left > 0;) {
        left -= exact.takeText(std::min<std::int64_t>(left, 10'000), 24);
        exact.takeParagraph(24);
    }
    EXPECT_FALSE(exact.leftOut());
}

TEST(RtfBudget, AFullDocumentRefusesEverythingThatAddsHeight) {
    RtfBudget budget;
    grantedInARow([&] { return budget.takeParagraph(24); });
    EXPECT_TRUE(budget.full());
    EXPECT_EQ(budget.takeText(1, 24), 0);
    EXPECT_FALSE(budget.takeLine(24));
    EXPECT_FALSE(budget.takeParagraph(24));
    EXPECT_TRUE(budget.leftOut());
}

} // namespace
