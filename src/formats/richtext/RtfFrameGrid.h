#pragma once

#include <QTextCursor>
#include <QTextFormat>
#include <memory>
#include <set>
#include <vector>

class QTextDocument;
class QTextTable;

namespace velmoa {

// Where a positioned paragraph (a frame: \posx, \absw, …) sits on the page, in twips, as its
// paragraph's words give it. Paragraphs in a row with equal places make one frame.
struct RtfFramePlace {
    enum class HorizontalAnchor { Column, Margin, Page };                          // \phcol \phmrg \phpg
    enum class VerticalAnchor { Margin, Page, Paragraph };                         // \pvmrg \pvpg \pvpara
    enum class HorizontalAlign { At, Left, Centre, Right, Inside, Outside };       // \posx or \posxl …
    enum class VerticalAlign { At, Top, Centre, Bottom, Inline, Inside, Outside }; // \posy or \posyt …

    bool positioned = false; // a word of position or size was given: the paragraph is in a frame
    HorizontalAnchor horizontalAnchor = HorizontalAnchor::Column;
    VerticalAnchor verticalAnchor = VerticalAnchor::Margin;
    HorizontalAlign horizontalAlign = HorizontalAlign::At;
    VerticalAlign verticalAlign = VerticalAlign::At;
    int x = 0;
    int y = 0;
    int width = 0;  // \absw: 0 as wide as the room the frame has
    int height = 0; // \absh: 0 as tall as its text, > 0 at least, < 0 exactly
    // Distances to the text around, wrapping and locking: no layout of their own in one scrolled
    // column, but they tell one frame from the next.
    int textDistance = 0;
    int textDistanceX = 0;
    int textDistanceY = 0;
    bool noWrap = false;
    bool overlay = false;
    bool locked = false;
    bool operator==(const RtfFramePlace&) const = default;
};

// The page the frames are placed on (twips): \paperw, \margl, \margr.
struct RtfPage {
    int width = 12240;
    int leftMargin = 1800;
    int rightMargin = 1800;
};

// Gathers the frames of consecutive positioned paragraphs and lays them out in the one scrolled
// column as borderless tables: frames on the same line make a row, side by side in the order of
// their x, gaps between them kept as empty cells, whatever order the file gives them in; rows, top
// to bottom where their places tell, make a grid whose columns are the edges of all its frames, so
// that frames at the same x line up. A lone frame keeps its width and its offset from the column's
// left edge. Grids too wide or too long to lay out in one go go on as further tables.
class RtfFrameGrid {
  public:
    // The grid's tables go at `at`, in the main document.
    RtfFrameGrid(const QTextCursor& at, const RtfPage& page);
    ~RtfFrameGrid();
    RtfFrameGrid(const RtfFrameGrid&) = delete;
    RtfFrameGrid& operator=(const RtfFrameGrid&) = delete;

    // A new frame: the document its paragraphs are written into, until the grid is finished.
    QTextDocument& addFrame(const RtfFramePlace& place);
    // Lays out what is gathered; the returned cursor is after the grid, in the main document.
    QTextCursor finish();

    // Frames side by side in one row at most; more start a row of their own.
    static constexpr int kMaxFramesPerRow = 24;

  private:
    struct Frame {
        RtfFramePlace place;
        std::unique_ptr<QTextDocument> text;
        int left = 0;  // pixels from the column's left edge
        int width = 0; // pixels; 0 for frames without a width of their own until the grid is placed
    };
    using Row = std::vector<Frame>;

    int columnTwips() const; // the width of the page's text column
    // Pixels from the column's left edge to a frame of a width (twips) placed there.
    int leftOf(const RtfFramePlace& place, int width) const;
    // The right edge that a frame without a width reaches when nothing stands to its right.
    int openRight(const Frame& frame) const;
    // The row on the frame's line with room for it; a new row when none has.
    Row& rowFor(const Frame& frame);
    // Sorts a row by x and gives its frames without a width the room up to the next frame.
    void settle(Row& row) const;
    void sortRows();
    QTextTableFormat tableFormat(const std::vector<int>& edges) const;
    static void fillCell(QTextTable& table, int row, const std::vector<int>& edges, const Frame& frame);
    void placeRows();

    QTextCursor at_;
    RtfPage page_;
    std::vector<Row> rows_; // gathered, in the order their first frames came
    // Every edge the gathered frames can have once settled: bounds the grid's columns.
    std::set<int> edges_;
};

} // namespace velmoa
