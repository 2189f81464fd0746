#include "formats/richtext/RtfReader.h"

#include "formats/richtext/RtfSyntax.h"

#include <QTextDocument>
#include <QTextLength>
#include <QTextTable>
#include <algorithm>

namespace velmoa {
using namespace rtf;
namespace {

constexpr int kMaxRows = 20000;

// Border styles by their words; the styles QTextDocument has no drawing for take the nearest.
const std::pair<const char*, QTextFrameFormat::BorderStyle> kBorderStyles[] = {
    {"brdrs", QTextFrameFormat::BorderStyle_Solid},
    {"brdrth", QTextFrameFormat::BorderStyle_Solid},
    {"brdrsh", QTextFrameFormat::BorderStyle_Solid},
    {"brdrhair", QTextFrameFormat::BorderStyle_Solid},
    {"brdrwavy", QTextFrameFormat::BorderStyle_Solid},
    {"brdrdb", QTextFrameFormat::BorderStyle_Double},
    {"brdrtriple", QTextFrameFormat::BorderStyle_Double},
    {"brdrdot", QTextFrameFormat::BorderStyle_Dotted},
    {"brdrdash", QTextFrameFormat::BorderStyle_Dashed},
    {"brdrdashsm", QTextFrameFormat::BorderStyle_Dashed},
    {"brdrdashd", QTextFrameFormat::BorderStyle_DotDash},
    {"brdrdashdd", QTextFrameFormat::BorderStyle_DotDotDash},
    {"brdrinset", QTextFrameFormat::BorderStyle_Inset},
    {"brdroutset", QTextFrameFormat::BorderStyle_Outset},
    {"brdremboss", QTextFrameFormat::BorderStyle_Ridge},
    {"brdrengrave", QTextFrameFormat::BorderStyle_Groove},
    {"brdrnone", QTextFrameFormat::BorderStyle_None},
    {"brdrnil", QTextFrameFormat::BorderStyle_None},
    {"brdrtbl", QTextFrameFormat::BorderStyle_None},
};

} // namespace

bool RtfReader::applyTableWord(const std::string& word, int param) {
    static const char* const cellSides[] = {"clbrdrt", "clbrdrl", "clbrdrb", "clbrdrr"};
    static const char* const rowSides[] = {"trbrdrt", "trbrdrl", "trbrdrb", "trbrdrr", "trbrdrh", "trbrdrv"};
    if (word == "trowd") {
        rowCells_.clear();
        cellDef_ = CellDef{};
        rowBorders_ = {};
        borderTarget_ = nullptr;
        tablePlace_ = {};
        return true;
    }
    if (word == "cellx") {
        cellDef_.edge = clampInt(param, 0, kMaxTwips);
        if (rowCells_.size() < static_cast<std::size_t>(kMaxColumns)) {
            rowCells_.push_back(cellDef_);
        }
        cellDef_ = CellDef{};
        borderTarget_ = nullptr;
        return true;
    }
    for (int side = 0; side < 6; ++side) {
        if (side < 4 && word == cellSides[side]) {
            borderTarget_ = &cellDef_.borders[static_cast<std::size_t>(side)];
        } else if (word == rowSides[side]) {
            borderTarget_ = &rowBorders_[static_cast<std::size_t>(side)];
        } else {
            continue;
        }
        *borderTarget_ = Border{};
        return true;
    }
    if (word == "brdrt" || word == "brdrb" || word == "brdrl" || word == "brdrr" || word == "box" ||
        word == "brdrbtw" || word == "brdrbar") {
        borderTarget_ = &paragraphBorder_;
        return true;
    }
    if (!borderTarget_ || word.rfind("brdr", 0) != 0) {
        return false;
    }
    if (word == "brdrw") {
        borderTarget_->twips = clampInt(param, 0, 1440);
    } else if (word == "brdrcf") {
        borderTarget_->colour = clampInt(param, 0, 0xFFFF);
    } else {
        for (const auto& [name, style] : kBorderStyles) {
            if (word == name) {
                borderTarget_->style = style;
                borderTarget_->thick = word == "brdrth";
            }
        }
    }
    return true;
}

QTextTableCellFormat RtfReader::cellFormat(int cell) const {
    QTextTableCellFormat format;
    if (cell < 0 || cell >= static_cast<int>(rowCells_.size())) {
        return format;
    }
    const bool first = cell == 0;
    const bool last = cell + 1 == static_cast<int>(rowCells_.size());
    const auto& own = rowCells_[static_cast<std::size_t>(cell)].borders;
    // A cell's own border, else the row's: its outer edges, or the lines between its cells.
    auto side = [&](Side s, Side rowSide) -> const Border& {
        return own[s].style != QTextFrameFormat::BorderStyle_None ? own[s] : rowBorders_[rowSide];
    };
    const Border* borders[] = {&side(Top, Top), &side(Left, first ? Left : InnerVertical),
                               &side(Bottom, Bottom), &side(Right, last ? Right : InnerVertical)};
    for (int s = 0; s < 4; ++s) {
        const Border& b = *borders[s];
        qreal width = 0;
        if (b.style != QTextFrameFormat::BorderStyle_None) {
            const int twips = (b.twips > 0 ? b.twips : 15) * (b.thick ? 2 : 1);
            // Two lines and the gap between them need three pixels at least.
            width = std::max(b.style == QTextFrameFormat::BorderStyle_Double ? 3 : 1, twipsToPixels(twips));
        }
        const bool coloured =
            b.colour > 0 && b.colour < static_cast<int>(colours_.size()) && !colours_[b.colour].isAuto;
        const QBrush brush(
            coloured ? QColor(colours_[b.colour].red, colours_[b.colour].green, colours_[b.colour].blue)
                     : QColor(Qt::black));
        switch (s) {
        case Top:
            format.setTopBorder(width);
            format.setTopBorderStyle(b.style);
            format.setTopBorderBrush(brush);
            break;
        case Left:
            format.setLeftBorder(width);
            format.setLeftBorderStyle(b.style);
            format.setLeftBorderBrush(brush);
            break;
        case Bottom:
            format.setBottomBorder(width);
            format.setBottomBorderStyle(b.style);
            format.setBottomBorderBrush(brush);
            break;
        default:
            format.setRightBorder(width);
            format.setRightBorderStyle(b.style);
            format.setRightBorderBrush(brush);
            break;
        }
    }
    return format;
}

void RtfReader::syncTable() {
    if (state_.para.inTable) {
        enterTableIfNeeded();
    } else if (table_) {
        leaveTable();
    }
}

void RtfReader::enterTableIfNeeded() {
    if (!table_) {
        flushRun();
        applyBlockFormat();
        const int columns = std::max<int>(1, static_cast<int>(rowCells_.size()));
        // Lines come from the cells' own borders: a row that defines none has none.
        QTextTableFormat format;
        format.setBorder(0);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_None);
        format.setBorderCollapse(true);
        format.setCellPadding(3);
        format.setCellSpacing(0);
        if (tablePlace_.alignment != Qt::Alignment{}) {
            format.setAlignment(tablePlace_.alignment);
        } else {
            // Nothing shows left of the column in a scrolled view.
            const int margin = tablePlace_.onPage ? page_.leftMargin : 0;
            format.setLeftMargin(twipsToPixels(std::max(0, tablePlace_.x - margin)));
        }
        if (!rowCells_.empty()) {
            QList<QTextLength> widths;
            int left = 0;
            for (const CellDef& cell : rowCells_) {
                widths.append(
                    QTextLength(QTextLength::FixedLength, std::max(8, twipsToPixels(cell.edge - left))));
                left = std::max(left, cell.edge);
            }
            format.setColumnWidthConstraints(widths);
        }
        startTable(columns, format);
    }
    if (rowEnded_) {
        flushRun();
        if (!budget_.takeParagraph(state_.chars.halfPoints)) {
            finished_ = true;
            return;
        }
        // A table is laid out in one go: long ones go on as a table of their own, and so does one
        // whose step of reading is done, since rows added to a table laid out already would have it
        // laid out again whole.
        if (!budget_.takeRow(table_->columns()) || (units_ >= stepUnits_ && !readingTextBox_)) {
            splitTable();
            return;
        }
        if (table_->rows() < kMaxRows) {
            table_->appendRows(1);
        }
        tableRow_ = table_->rows() - 1;
        tableCell_ = 0;
        rowEnded_ = false;
        cellPending_ = true;
    }
    if (cellPending_) {
        flushRun();
        // A row gets more columns only when its definition has more cells; what a writer leaves
        // between the last cell and the row's end goes into the last cell.
        const int wanted = rowCells_.empty() ? kMaxColumns : static_cast<int>(rowCells_.size());
        if (tableCell_ >= table_->columns() && tableCell_ < wanted && table_->columns() < kMaxColumns) {
            table_->appendColumns(std::min(tableCell_, kMaxColumns - 1) - table_->columns() + 1);
        }
        tableCell_ = std::min(tableCell_, table_->columns() - 1);
        QTextTableCell cell = table_->cellAt(tableRow_, tableCell_);
        if (cell.isValid()) {
            QTextTableCellFormat format = cellFormat(tableCell_);
            if (tableRow_ == 0) {
                joinSeam(format, tableCell_);
            }
            cell.setFormat(format);
            cursor_ = cell.lastCursorPosition();
        }
        cellPending_ = false;
    }
}

void RtfReader::endCell() {
    if (state_.destination != Destination::Text) {
        return;
    }
    enterTableIfNeeded();
    flushRun();
    applyBlockFormat();
    placeTextBoxes();
    paragraphStarted_ = false;
    listTextSeen_ = false;
    ++tableCell_;
    cellPending_ = true;
    ++units_;
}

void RtfReader::endRow() {
    if (state_.destination != Destination::Text || !table_) {
        return;
    }
    flushRun();
    rowEnded_ = true;
    cellPending_ = false;
}

void RtfReader::startTable(int columns, const QTextTableFormat& format) {
    table_ = cursor_.insertTable(1, columns, format);
    budget_.takeRow(columns);
    tableRow_ = 0;
    tableCell_ = 0;
    rowEnded_ = false;
    cellPending_ = true;
}

void RtfReader::splitTable() {
    // Two tables one under the other would draw the line between the rows twice: the second table's
    // first row draws it, the first table's last row's when that is wider.
    std::vector<QTextTableCellFormat> seam;
    const int last = table_->rows() - 1;
    for (int column = 0; column < table_->columns(); ++column) {
        QTextTableCell cell = table_->cellAt(last, column);
        QTextTableCellFormat format = cell.format().toTableCellFormat();
        seam.push_back(format);
        format.setBottomBorder(0);
        format.setBottomBorderStyle(QTextFrameFormat::BorderStyle_None);
        cell.setFormat(format);
    }
    // The rows go on in the same columns; cells a row leaves out draw just the line above them.
    const QTextTableFormat format = table_->format();
    const int columns = table_->columns();
    leaveTable();
    startTable(columns, format);
    seam_ = std::move(seam);
    for (int column = 0; column < columns; ++column) {
        QTextTableCellFormat line;
        joinSeam(line, column);
        table_->cellAt(0, column).setFormat(line);
    }
    enterTableIfNeeded();
}

void RtfReader::joinSeam(QTextTableCellFormat& format, int column) const {
    // The wider of the two lines that meet, as within one table.
    if (column >= static_cast<int>(seam_.size()) ||
        seam_[static_cast<std::size_t>(column)].bottomBorder() <= format.topBorder()) {
        return;
    }
    const QTextTableCellFormat& above = seam_[static_cast<std::size_t>(column)];
    format.setTopBorder(above.bottomBorder());
    format.setTopBorderStyle(above.bottomBorderStyle());
    format.setTopBorderBrush(above.bottomBorderBrush());
}

void RtfReader::leaveTable() {
    flushRun();
    cursor_.setPosition(table_->lastPosition() + 1);
    table_ = nullptr;
    seam_.clear();
    budget_.tableEnded();
    // A step ends with a table, not inside it.
    stepEnded_ = stepEnded_ || (units_ >= stepUnits_ && !readingTextBox_);
    rowEnded_ = false;
    cellPending_ = false;
}

} // namespace velmoa
