#pragma once

#include "formats/richtext/RtfPicture.h"

#include <QObject>
#include <QPointer>
#include <QTextCharFormat>
#include <functional>
#include <memory>
#include <string>

class QTextDocument;

namespace velmoa {

class RtfReader;

// Reads a long rich text into its document a step per pass of the event loop, so that the first
// screen shows at once and the window stays responsive while the rest is read. Each step is one
// edit of the document, which Qt lays out in one go: a step is kept small, since the layout of
// table cells costs several times their reading. A new start, cancel(), the document's end or the
// document's deletion stops the filling.
class StepwiseRichTextFill : public QObject {
    Q_OBJECT
  public:
    // Paragraphs and table cells: the first step holds more than a screen; each later one is read and
    // laid out in some tens of milliseconds.
    static constexpr int kFirstStepUnits = 1000;
    static constexpr int kStepUnits = 400;

    StepwiseRichTextFill();
    ~StepwiseRichTextFill() override;

    // Reads the first step of bytes into document before it returns; false, leaving the document
    // alone, when the bytes are not rich text. When that step read all, running() is false and
    // leftOut() tells whether anything was left out (as RtfReader::leftOut); otherwise done(leftOut)
    // follows the last step (not when stopped).
    bool start(std::string bytes, QTextDocument& document, const QTextCharFormat& defaultFormat,
               RtfPictureDecoder pictures, std::function<void(bool leftOut)> done);
    bool leftOut() const { return leftOut_; }
    void cancel();
    bool running() const { return reader_ != nullptr; }

  signals:
    // A later step added to the document below fromY (pixels, the document's height before it); the
    // document's layout says so for the whole document, so what the view shows is left to repaint.
    void grew(qreal fromY);

  private:
    void schedule();
    void step();
    void finish();

    std::string bytes_;
    QPointer<QTextDocument> document_;
    std::unique_ptr<RtfReader> reader_;
    std::function<void(bool)> done_;
    bool leftOut_ = false;
    int generation_ = 0; // a step queued for an earlier start does nothing
};

} // namespace velmoa
