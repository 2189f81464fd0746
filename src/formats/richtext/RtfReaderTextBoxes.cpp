#include "formats/richtext/RtfReader.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>

namespace velmoa {

void RtfReader::beginTextBox() {
    flushRun();
    mainFlow_ = {cursor_, table_, tableRow_, tableCell_, rowEnded_, cellPending_};
    table_ = nullptr;
    rowEnded_ = false;
    cellPending_ = false;
    if (!textBoxes_) {
        textBoxes_ = std::make_unique<QTextDocument>();
    }
    cursor_ = QTextCursor(textBoxes_.get());
    cursor_.movePosition(QTextCursor::End);
    if (!textBoxes_->isEmpty()) {
        cursor_.insertBlock(); // each box starts a paragraph of its own
    }
    readingTextBox_ = true;
}

void RtfReader::endTextBox() {
    if (!readingTextBox_) {
        return;
    }
    flushBytes();
    flushRun();
    applyBlockFormat();
    // The box's closing \par leaves an empty paragraph behind.
    cursor_.movePosition(QTextCursor::End);
    if (cursor_.block().length() == 1 && cursor_.block() != textBoxes_->firstBlock()) {
        cursor_.deletePreviousChar();
    }
    cursor_ = mainFlow_.cursor;
    table_ = mainFlow_.table;
    tableRow_ = mainFlow_.tableRow;
    tableCell_ = mainFlow_.tableCell;
    rowEnded_ = mainFlow_.rowEnded;
    cellPending_ = mainFlow_.cellPending;
    readingTextBox_ = false;
}

void RtfReader::placeTextBoxes() {
    if (readingTextBox_ || !textBoxes_ || textBoxes_->isEmpty()) {
        return;
    }
    flushRun();
    // The fragment's first paragraph joins the block it is inserted into and takes that block's
    // format: the block starts with the box's own (its alignment, indents).
    cursor_.insertBlock(textBoxes_->firstBlock().blockFormat(), cursor_.charFormat());
    cursor_.insertFragment(QTextDocumentFragment(textBoxes_.get()));
    textBoxes_->clear();
}

} // namespace velmoa
