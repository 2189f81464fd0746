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

int RtfFrameGrid::openRight(const Frame& frame) const {
    return frame.left + std::max(twipsToPixels(columnTwips()) - frame.left, kMinOpenWidth);
}

RtfFrameGrid::Row& RtfFrameGrid::rowFor(const Frame& frame) {
    // Frames that overlap cannot stand side by side: the later one goes under.
    const auto right = [](const Frame& f) { return f.left + std::max(f.width, 1); };
    for (Row& row : rows_) {
        if (static_cast<int>(row.size()) < kMaxFramesPerRow && onSameLine(row.front().place, frame.place) &&
            std::none_of(row.begin(), row.end(), [&](const Frame& other) {
                return frame.left < right(other) && other.left < right(frame);
            })) {
            return row;
        }
    }
    return rows_.emplace_back();
}

QTextDocument& RtfFrameGrid::addFrame(const RtfFramePlace& place) {
    Frame frame;
    frame.place = place;
    const int widthTwips = clampInt(place.width, 0, kMaxTwips);
    frame.width = widthTwips > 0 ? std::max(1, twipsToPixels(widthTwips)) : 0;
    frame.left = leftOf(place, widthTwips);
    frame.text = std::make_unique<QTextDocument>();
    // The grid's columns lie between the edges of its frames (a frame without a width ends at the
    // next frame's left edge, or at its open right): a frame that would make the grid too wide or
    // too long to lay out in one go starts a grid of its own.
    const int right = frame.width > 0 ? frame.left + frame.width : openRight(frame);
    const auto columns = static_cast<long long>(edges_.size() + 2) - 1;
    if (!rows_.empty() && (columns > kMaxColumns || static_cast<long long>(rows_.size() + 1) * columns >
                                                        RtfBudget::kMaxCellsPerTable)) {
        placeRows();
    }
    edges_.insert(frame.left);
    edges_.insert(right);
    Row& row = rowFor(frame);
    row.push_back(std::move(frame));
    return *row.back().text;
}

void RtfFrameGrid::settle(Row& row) const {
    std::stable_sort(row.begin(), row.end(), [](const Frame& a, const Frame& b) { return a.left < b.left; });
    for (std::size_t i = 0; i < row.size(); ++i) {
        Frame& frame = row[i];
        if (frame.width == 0) {
            frame.width = (i + 1 < row.size() ? row[i + 1].left : openRight(frame)) - frame.left;
        }
    }
}

void RtfFrameGrid::sortRows() {
    // Rows placed on the same reference read top to bottom; else in the order the file gives them.
    const RtfFramePlace& top = rows_.front().front().place;
    const bool comparable = top.verticalAnchor != RtfFramePlace::VerticalAnchor::Paragraph &&
                            std::all_of(rows_.begin(), rows_.end(), [&top](const Row& row) {
                                const RtfFramePlace& place = row.front().place;
                                return place.verticalAnchor == top.verticalAnchor &&
                                       place.verticalAlign == RtfFramePlace::VerticalAlign::At;
                            });
    if (comparable) {
        std::stable_sort(rows_.begin(), rows_.end(),
                         [](const Row& a, const Row& b) { return a.front().place.y < b.front().place.y; });
    }
}

QTextTableFormat RtfFrameGrid::tableFormat(const std::vector<int>& edges) const {
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
    return format;
}

void RtfFrameGrid::fillCell(QTextTable& table, int row, const std::vector<int>& edges, const Frame& frame) {
    const int column = indexOf(edges, frame.left);
    const int span = indexOf(edges, frame.left + frame.width) - column;
    if (span > 1) {
        table.mergeCells(row, column, 1, span);
    }
    const QTextTableCell cell = table.cellAt(row, column);
    QTextCursor text = cell.firstCursorPosition();
    // The fragment's first paragraph joins the cell's own, which keeps its format: give it the frame's.
    text.setBlockFormat(frame.text->firstBlock().blockFormat());
    text.insertFragment(QTextDocumentFragment(frame.text.get()));
    const Qt::Alignment side = textAlignment(frame.place);
    if (frame.place.width <= 0 && side != Qt::Alignment{}) {
        text.setPosition(cell.firstCursorPosition().position());
        text.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
        QTextBlockFormat aligned;
        aligned.setAlignment(side);
        text.mergeBlockFormat(aligned);
    }
}

void RtfFrameGrid::placeRows() {
    if (rows_.empty()) {
        return;
    }
    std::vector<int> edges;
    for (Row& row : rows_) {
        settle(row);
        for (const Frame& frame : row) {
            edges.push_back(frame.left);
            edges.push_back(frame.left + frame.width);
        }
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    sortRows();
    QTextTable* table = at_.insertTable(static_cast<int>(rows_.size()), static_cast<int>(edges.size()) - 1,
                                        tableFormat(edges));
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        for (const Frame& frame : rows_[row]) {
            fillCell(*table, static_cast<int>(row), edges, frame);
        }
    }
    at_.setPosition(table->lastPosition() + 1);
    rows_.clear();
    edges_.clear();
}

QTextCursor RtfFrameGrid::finish() {
    placeRows();
    return at_;
}

} // namespace velmoa
