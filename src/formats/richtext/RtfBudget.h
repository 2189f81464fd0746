#pragma once

#include <cstdint>

namespace velmoa {

// How a paragraph spaces its lines, in pixels, for the height estimates.
struct RtfLineSpacing {
    double proportion = 1; // of the font's own line height (\slmult)
    double atLeast = 0;    // a line is at least this tall (a positive \sl)
    double exactly = 0;    // every line is this tall (a negative \sl)
    double around = 0;     // space before and after the paragraph (\sb, \sa)
};

// What one rich-text document may cost once laid out. The layout takes a paragraph, and a table,
// in one go, and its time and memory grow with their size, the number of format runs and lines in
// them, and the height they reach; so the reader asks here before it adds each of these. Long
// paragraphs and tables go on as further ones (nothing is lost); format runs past a paragraph's
// bound are merged into the run before, and text past the document's bound is left out. Heights
// are estimates at a reference page width.
class RtfBudget {
  public:
    // A paragraph is laid out in one go: at most this tall (pixels, estimated; some 500 lines of
    // 12-point text) ...
    static constexpr double kMaxParagraphHeight = 10'000;
    // ... with at most this many format runs and forced line breaks.
    static constexpr int kMaxRunsPerParagraph = 1000;
    static constexpr int kMaxLinesPerParagraph = 1000;
    // The whole document, estimated, well within what the layout can place: Qt's layout never
    // finishes a document laid out taller than 2^23 pixels (about 8.4 million) ...
    static constexpr double kMaxDocumentHeight = 5'000'000;
    // ... and fewer characters than plain text shows: rich text is read in one go, and each
    // character costs some 45 bytes laid out.
    static constexpr std::int64_t kMaxChars = std::int64_t{4} << 20;
    // A table is laid out in one go too; longer tables go on as further tables.
    static constexpr int kMaxCellsPerTable = 1000;
    // Largest font size that is honoured (points), as on the platform the format comes from.
    static constexpr int kMaxPointSize = 1638;
    // The text control never lays text out narrower than this (pixels): a narrower window scrolls.
    static constexpr int kNarrowestLayout = 320;

    // The spacing of the paragraph that the text, lines and breaks taken next belong to.
    void setSpacing(const RtfLineSpacing& spacing) { spacing_ = spacing; }
    // Text of `chars` characters at a font size in half points: how many of them fit in the
    // paragraph. When fewer than all, the rest goes on in a new paragraph, unless full().
    std::int64_t takeText(std::int64_t chars, int halfPoints);
    // A new format run in the paragraph. False when the text should keep the run it is in.
    bool takeRun();
    // A forced line break (\line). False when the paragraph has all its lines: the break should
    // then start a new paragraph.
    bool takeLine(int halfPoints);
    // A paragraph break (or a table row). False when the document is full.
    bool takeParagraph(int halfPoints);
    // A new row of `cells` cells in the current table. False when the rows should go on in a new
    // table.
    bool takeRow(int cells);
    // A picture (or drawn shape) of this height in pixels. False when the document is full: it is
    // then left out. Its whole height counts, as when each stands in a paragraph of its own.
    bool takePicture(double height) { return add(height); }
    void tableEnded() { tableCells_ = 0; }

    // The document is full: nothing more is read.
    bool full() const { return documentHeight_ > kMaxDocumentHeight || charsSpent_; }
    // Text or formats were left out to keep within the budget.
    bool leftOut() const { return leftOut_; }

    static double pixelsOf(int halfPoints);

  private:
    bool add(double height);
    double lineHeight(double fontPixels) const;

    double paragraphHeight_ = 0;
    std::int64_t paragraphChars_ = 0;
    double documentHeight_ = 0;
    std::int64_t chars_ = 0;
    bool charsSpent_ = false; // text was refused for want of characters
    int runs_ = 0;
    int lines_ = 0;
    int tableCells_ = 0;
    bool leftOut_ = false;
    RtfLineSpacing spacing_;
};

} // namespace velmoa
