#include "controls/StepwiseRichTextFill.h"

#include "formats/richtext/RtfReader.h"

#include <QAbstractTextDocumentLayout>
#include <QSignalBlocker>
#include <QTextDocument>
#include <QTimer>

namespace velmoa {

StepwiseRichTextFill::StepwiseRichTextFill() = default;

StepwiseRichTextFill::~StepwiseRichTextFill() = default;

bool StepwiseRichTextFill::start(std::string bytes, QTextDocument& document,
                                 const QTextCharFormat& defaultFormat, RtfPictureDecoder pictures,
                                 std::function<void(bool)> done) {
    cancel();
    bytes_ = std::move(bytes);
    auto reader = std::make_unique<RtfReader>(document, defaultFormat, std::move(pictures));
    if (!reader->start(bytes_)) {
        bytes_.clear();
        return false;
    }
    reader_ = std::move(reader);
    document_ = &document;
    leftOut_ = false;
    if (reader_->readStep(kFirstStepUnits)) {
        done_ = std::move(done);
        schedule();
    } else {
        finish();
    }
    return true;
}

void StepwiseRichTextFill::schedule() {
    const int generation = generation_;
    QTimer::singleShot(0, this, [this, generation] {
        if (generation == generation_) {
            step();
        }
    });
}

void StepwiseRichTextFill::cancel() {
    ++generation_;
    reader_.reset();
    done_ = nullptr;
    document_ = nullptr;
    bytes_.clear();
    bytes_.shrink_to_fit();
}

void StepwiseRichTextFill::step() {
    if (!document_) {
        cancel(); // the document went with its control's new content
        return;
    }
    QAbstractTextDocumentLayout* layout = document_->documentLayout();
    const qreal fromY = layout->documentSize().height();
    bool more = false;
    {
        // Qt reports every addition as a change of the whole document, painted again at each step.
        const QSignalBlocker quiet(layout);
        more = reader_->readStep(kStepUnits);
    }
    emit layout->documentSizeChanged(layout->documentSize());
    emit grew(fromY);
    if (more) {
        schedule();
        return;
    }
    const std::function<void(bool)> done = std::move(done_);
    finish();
    if (done) {
        done(leftOut_);
    }
}

void StepwiseRichTextFill::finish() {
    const bool leftOut = reader_->leftOut();
    cancel();
    leftOut_ = leftOut;
}

} // namespace velmoa
