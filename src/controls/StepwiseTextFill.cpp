#include "controls/StepwiseTextFill.h"

#include "formats/text/PlainTextDocument.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

namespace velmoa {

void StepwiseTextFill::start(QTextDocument* document, QString text, qsizetype from,
                             const QTextCharFormat& format, std::function<void()> done) {
    cancel();
    document_ = document;
    text_ = std::move(text);
    at_ = from;
    format_ = format;
    done_ = std::move(done);
    schedule();
}

void StepwiseTextFill::schedule() {
    const int generation = generation_;
    QTimer::singleShot(0, this, [this, generation] {
        if (generation == generation_) {
            step();
        }
    });
}

void StepwiseTextFill::cancel() {
    ++generation_;
    document_ = nullptr;
    text_.clear();
    done_ = nullptr;
}

void StepwiseTextFill::step() {
    if (!document_) {
        cancel();
        return;
    }
    const qsizetype end = PlainTextDocument::pieceEnd(text_, at_, kPieceChars);
    // The user's edits have their undo; the file's text has none, and leaves the document unmodified.
    const bool undo = document_->isUndoRedoEnabled();
    const bool modified = document_->isModified();
    document_->setUndoRedoEnabled(false);
    QTextCursor cursor(document_);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringView(text_).mid(at_, end - at_).toString(), format_);
    document_->setUndoRedoEnabled(undo);
    document_->setModified(modified);
    at_ = end;
    if (at_ < text_.size()) {
        schedule();
        return;
    }
    const std::function<void()> done = std::move(done_);
    cancel();
    if (done) {
        done();
    }
}

} // namespace velmoa
