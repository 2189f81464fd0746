#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTextCharFormat>
#include <functional>

class QTextDocument;

namespace velmoa {

// Puts a long text into a shown document a piece at a time, one piece per pass of the event loop,
// so that the first screen shows at once and the window stays responsive while the rest goes in.
// A new start, cancel(), or the document's end stops the filling.
class StepwiseTextFill : public QObject {
    Q_OBJECT
  public:
    // About this many characters go in at a time (some tens of milliseconds with their layout).
    static constexpr qsizetype kPieceChars = qsizetype{256} * 1024;

    // Appends text[from..] to the end of document in format; then calls done (not when stopped).
    void start(QTextDocument* document, QString text, qsizetype from, const QTextCharFormat& format,
               std::function<void()> done);
    void cancel();
    bool running() const { return document_ != nullptr; }

  private:
    void schedule();
    void step();

    QPointer<QTextDocument> document_;
    QString text_;
    qsizetype at_ = 0;
    QTextCharFormat format_;
    std::function<void()> done_;
    int generation_ = 0; // a step queued for an earlier start does nothing
};

} // namespace velmoa
