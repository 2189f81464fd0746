#include "formats/richtext/RtfFrameGrid.h"

#include "formats/richtext/RtfBudget.h"
#include "formats/richtext/RtfSyntax.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextLength>
#include <QTextTable>
#include <algorithm>
#include <cstdlib>

namespace velmoa {
using namespace rtf;
namespace {

using HorizontalAlign = RtfFramePlace::HorizontalAlign;

// A page whose margins leave less than this for the text is damage: the column is at least an inch.
constexpr int kMinColumnTwips = 1440;
// A frame without a width of its own that ends the row reaches the column's right edge, and is at
// least this wide (pixels).
constexpr int kMinOpenWidth = 96;

// Frames on the same line of the page: the same vertical anchor and place, or, where both heights
// are known, vertical ranges that overlap.
bool onSameLine(const RtfFramePlace& a, const RtfFramePlace& b) {
    if (a.verticalAnchor != b.verticalAnchor || a.verticalAlign != b.verticalAlign) {
        return false;
    }
    if (a.verticalAlign != RtfFramePlace::VerticalAlign::At || a.y == b.y) {
        return true;
    }
    const long long aTop = a.y, bTop = b.y;
    return a.height != 0 && b.height != 0 && aTop < bTop + std::abs(static_cast<long long>(b.height)) &&
           bTop < aTop + std::abs(static_cast<long long>(a.height));
}

// Centred and right-aligned frames without a width of their own fill the room they have; their text
// takes the alignment instead.
Qt::Alignment textAlignment(const RtfFramePlace& place) {
    switch (place.horizontalAlign) {
    case HorizontalAlign::Centre:
        return Qt::AlignHCenter;
    case HorizontalAlign::Right:
    case HorizontalAlign::Outside:
        return Qt::AlignRight;
    default:
        return {};
    }
}

int indexOf(const std::vector<int>& edges, int edge) {
    return static_cast<int>(std::lower_bound(edges.begin(), edges.end(), edge) - edges.begin());
}

} // namespace

RtfFrameGrid::RtfFrameGrid(const QTextCursor& at, const RtfPage& page) : at_(at), page_(page) {}

RtfFrameGrid::~RtfFrameGrid() = default;

std::vector<int> RtfFrameGrid::edgesOf(const std::vector<Row>& rows, const Row& more) {
    std::vector<int> edges;
    const auto add = [&edges](const Row& row) {
        for (const Frame& frame : row) {
            edges.push_back(frame.left);
            edges.push_back(frame.left + frame.width);
        }
    };
    std::for_each(rows.begin(), rows.end(), add);
    add(more);
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    return edges;
}

int RtfFrameGrid::columnTwips() const {
    const int paper = clampInt(page_.width, kMinColumnTwips, kMaxTwips);
    return std::max(kMinColumnTwips, paper - clampInt(page_.leftMargin, 0, kMaxTwips) -
                                         clampInt(page_.rightMargin, 0, kMaxTwips));
}

int RtfFrameGrid::leftOf(const RtfFramePlace& place, int width) const {
    // Positions count from the column's left edge; the page's own edge is a margin to the left of it.
    const int paper = clampInt(page_.width, kMinColumnTwips, kMaxTwips);
    const int marginLeft = clampInt(page_.leftMargin, 0, kMaxTwips);
    const bool onPage = place.horizontalAnchor == RtfFramePlace::HorizontalAnchor::Page;
    const int origin = onPage ? -marginLeft : 0;
    const int room = (onPage ? paper : columnTwips()) - width;
    int twips = origin;
    switch (place.horizontalAlign) {
    case HorizontalAlign::At:
        twips = origin + clampInt(place.x, -kMaxTwips, kMaxTwips);
        break;
    case HorizontalAlign::Centre:
        twips = width > 0 ? origin + room / 2 : 0;
        break;
    case HorizontalAlign::Right:
    case HorizontalAlign::Outside:
        twips = width > 0 ? origin + room : 0;
        break;
    case HorizontalAlign::Left:
    case HorizontalAlign::Inside:
        break;
    }
    // Nothing shows left of the column in a scrolled view.
    return twipsToPixels(std::max(twips, 0));
}

bool RtfFrameGrid::fitsInRow(const Frame& frame) const {
    if (row_.empty()) {
        return true;
    }
    if (static_cast<int>(row_.size()) >= kMaxFramesPerRow || !onSameLine(row_.front().place, frame.place)) {
        return false;
    }
    // Frames that overlap cannot stand side by side: the later one goes under.
    const auto right = [](const Frame& f) { return f.left + std::max(f.width, 1); };
    return std::none_of(row_.begin(), row_.end(), [&](const Frame& other) {
        return frame.left < right(other) && other.left < right(frame);
    });
}

QTextDocument& RtfFrameGrid::addFrame(const RtfFramePlace& place) {
    Frame frame;
    frame.place = place;
    const int widthTwips = clampInt(place.width, 0, kMaxTwips);
    frame.width = widthTwips > 0 ? std::max(1, twipsToPixels(widthTwips)) : 0;
    frame.left = leftOf(place, widthTwips);
    frame.text = std::make_unique<QTextDocument>();
    if (!fitsInRow(frame)) {
        endRow();
    }
    row_.push_back(std::move(frame));
    return *row_.back().text;
}

void RtfFrameGrid::endRow() {
    if (row_.empty()) {
        return;
    }
    std::stable_sort(row_.begin(), row_.end(),
                     [](const Frame& a, const Frame& b) { return a.left < b.left; });
    // Frames without a width reach the next frame, or the column's right edge.
    const int column = twipsToPixels(columnTwips());
    for (std::size_t i = 0; i < row_.size(); ++i) {
        Frame& frame = row_[i];
        if (frame.width == 0) {
            frame.width = i + 1 < row_.size() ? row_[i + 1].left - frame.left
                                              : std::max(column - frame.left, kMinOpenWidth);
        }
    }
    // The grid's columns are the edges of all its frames: a row that would make it too wide or too
    // long to lay out in one go starts a grid of its own.
    const auto columns = static_cast<int>(edgesOf(rows_, row_).size()) - 1;
    const auto cells = static_cast<long long>(rows_.size() + 1) * columns;
    if (!rows_.empty() && (columns > kMaxColumns || cells > RtfBudget::kMaxCellsPerTable)) {
        placeRows();
    }
    rows_.push_back(std::move(row_));
    row_.clear();
}

void RtfFrameGrid::placeRows() {
    if (rows_.empty()) {
        return;
    }
    const std::vector<int> edges = edgesOf(rows_, {});

    QTextTableFormat format;
    format.setBorder(0);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_None);
    format.setCellPadding(0);
    format.setCellSpacing(0);
    QList<QTextLength> widths;
    for (std::size_t i = 1; i < edges.size(); ++i) {
        widths.append(QTextLength(QTextLength::FixedLength, edges[i] - edges[i - 1]));
    }
    format.setColumnWidthConstraints(widths);
    // A lone centred or right-aligned frame keeps to its side of the column however wide the view.
    const Frame& first = rows_.front().front();
    const Qt::Alignment side = textAlignment(first.place);
    if (rows_.size() == 1 && rows_.front().size() == 1 && first.place.width > 0 && side != Qt::Alignment{}) {
        format.setAlignment(side);
    } else {
        format.setLeftMargin(edges.front());
    }

    QTextTable* table =
        at_.insertTable(static_cast<int>(rows_.size()), static_cast<int>(widths.size()), format);
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        const int row = static_cast<int>(r);
        for (const Frame& frame : rows_[r]) {
            const int column = indexOf(edges, frame.left);
            const int span = indexOf(edges, frame.left + frame.width) - column;
            if (span > 1) {
                table->mergeCells(row, column, 1, span);
            }
            const QTextTableCell cell = table->cellAt(row, column);
            QTextCursor text = cell.firstCursorPosition();
            // The fragment's first paragraph joins the cell's own, which keeps its format: give it the
            // frame's.
            text.setBlockFormat(frame.text->firstBlock().blockFormat());
            text.insertFragment(QTextDocumentFragment(frame.text.get()));
            if (frame.place.width <= 0 && textAlignment(frame.place) != Qt::Alignment{}) {
                text.setPosition(cell.firstCursorPosition().position());
                text.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
                QTextBlockFormat aligned;
                aligned.setAlignment(textAlignment(frame.place));
                text.mergeBlockFormat(aligned);
            }
        }
    }
    at_.setPosition(table->lastPosition() + 1);
    rows_.clear();
}

QTextCursor RtfFrameGrid::finish() {
    endRow();
    placeRows();
    return at_;
}

} // namespace velmoa
