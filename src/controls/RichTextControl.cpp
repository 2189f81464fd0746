#include "controls/RichTextControl.h"

#include "base/Failure.h"
#include "formats/richtext/RtfBudget.h"
#include "formats/richtext/RtfReader.h"
#include "formats/text/PlainTextDocument.h"
#include "formats/text/TextEncoding.h"
#include "platform/FailureReporter.h"
#include "platform/ReadOnlyFile.h"

#include <QPalette>
#include <QPointer>
#include <QTextCursor>
#include <QTextDocument>
#include <string>

namespace velmoa {
namespace {
std::string displayPath(const std::string& path) {
    return bytesToDisplayText(path).toStdString();
}

std::int64_t lineCount(std::string_view bytes) {
    std::int64_t lines = 1;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))) {
            ++lines;
        }
    }
    return lines;
}

// Loads go without undo records: a 10 MB file would otherwise be kept twice.
class UndoPause {
  public:
    explicit UndoPause(QTextDocument* document) : document_(document) {
        document_->setUndoRedoEnabled(false);
    }
    ~UndoPause() { document_->setUndoRedoEnabled(true); }
    UndoPause(const UndoPause&) = delete;
    UndoPause& operator=(const UndoPause&) = delete;

  private:
    QTextDocument* document_;
};
} // namespace

RichTextControl::RichTextControl(QWidget* parent) : QTextEdit(parent) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setLineWrapMode(QTextEdit::WidgetWidth);
    // The width text is laid out at in a narrow window (see resizeEvent).
    setLineWrapColumnOrWidth(RtfBudget::kNarrowestLayout);
    // For reading: text can be selected and copied, but no typing, cut or paste changes it.
    setReadOnly(true);
    // A right click shows nothing, and is not handed on to a parent that has a menu of its own.
    setContextMenuPolicy(Qt::PreventContextMenu);
    viewport()->setContextMenuPolicy(Qt::PreventContextMenu);
    setTabStopDistance(48); // half an inch, the usual tab width of documents
    setAccessibleName(QStringLiteral("文書"));
    setBackgroundColour(Qt::black);
    setDefaultAttributes(font().family(), 12, Qt::white);
}

void RichTextControl::clearContent() {
    // A new empty document: emptying a big one block by block takes longer than dropping it.
    adoptDocument(newDocument());
    setCurrentCharFormat(defaultFormat_);
}

void RichTextControl::refreshNow() {
    repaint();
    viewport()->repaint();
}

void RichTextControl::setDefaultAttributes(const QString& face, int pointSize, const QColor& colour) {
    QFont font(face);
    font.setPointSize(std::clamp(pointSize, 1, 1638));
    document()->setDefaultFont(font);
    QPalette p = palette();
    p.setColor(QPalette::Text, colour);
    setPalette(p);

    defaultFormat_ = QTextCharFormat();
    defaultFormat_.setFontFamilies({face});
    defaultFormat_.setFontPointSize(font.pointSize());
    defaultFormat_.setForeground(colour);
    setCurrentCharFormat(defaultFormat_);
}

void RichTextControl::setBackgroundColour(const QColor& colour) {
    QPalette p = palette();
    p.setColor(QPalette::Base, colour);
    p.setColor(QPalette::Window, colour);
    setPalette(p);
}

std::string RichTextControl::readWholeFile(const std::string& path) const {
    ReadOnlyFile file(path);
    if (!file.isOpen()) {
        throw Failure("ファイル \"" + displayPath(path) + "\" は開けません。" + file.reasonText());
    }
    if (file.size() > kMaxWholeFileBytes) {
        throw Failure("ファイル \"" + displayPath(path) + "\" は大きすぎて表示できません（" +
                      std::to_string(file.size()) + " バイト、上限 " +
                      std::to_string(kMaxWholeFileBytes >> 20) + " MB）。");
    }
    try {
        return file.readAll();
    } catch (const Failure&) {
        // Opened but not read through (an I/O error, a file cut short while read).
        throw Failure("ストリームからの読み込みに失敗しました");
    }
}

QTextDocument* RichTextControl::newDocument() {
    auto* fresh = new QTextDocument(this);
    fresh->setDefaultFont(document()->defaultFont());
    fresh->setDefaultTextOption(document()->defaultTextOption()); // the tab width
    fresh->setUndoRedoEnabled(false);
    return fresh;
}

void RichTextControl::adoptDocument(QTextDocument* fresh) {
    fill_.cancel(); // a fill still going belongs to the document being replaced
    // Filling a document that no view is attached to is many times faster for big files: the
    // view lays out only what it shows once the document is complete. The first document belongs
    // to the inner text control, which deletes it itself.
    QPointer<QTextDocument> old = document();
    fresh->setUndoRedoEnabled(true);
    fresh->setModified(false);
    setDocument(fresh);
    if (old && old != fresh && old->parent() == this) {
        delete old;
    }
    setTextCursor(QTextCursor(fresh));
}

QString RichTextControl::plainTextOf(const std::string& path, std::string_view bytes) const {
    if (lineCount(bytes) > kMaxLines) {
        throw Failure("ファイル \"" + displayPath(path) + "\" は行が多すぎて表示できません（上限 " +
                      std::to_string(kMaxLines) + " 行）。");
    }
    // A byte-order mark is a marker, not text to show.
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    return bytesToDisplayText(bytes);
}

void RichTextControl::showPlainText(const QString& text, const QTextCharFormat& format, bool cutLongLines,
                                    const std::string& partOf) {
    bool whole = true;
    QString shown = PlainTextDocument::shownText(text, cutLongLines, whole);
    QTextDocument* fresh = newDocument();
    QTextCursor cursor(fresh);
    cursor.setBlockCharFormat(format);
    const qsizetype first = PlainTextDocument::pieceEnd(shown, 0, StepwiseTextFill::kPieceChars);
    cursor.insertText(shown.left(first), format);
    adoptDocument(fresh);
    setCurrentCharFormat(format);
    std::function<void()> done;
    if (!whole) {
        const std::string message = shownInPartMessage(displayPath(partOf));
        done = [message] { postFailure(message); };
    }
    if (first < shown.size()) {
        fill_.start(fresh, std::move(shown), first, format, std::move(done));
    } else if (done) {
        done();
    }
}

void RichTextControl::resizeEvent(QResizeEvent* event) {
    // Text is never laid out narrower than the rich-text reader's budget assumes: a narrow window
    // scrolls sideways instead of stacking a document taller than the layout can place.
    // A change of mode lays the document out again: only when it changes.
    const bool narrow = viewport()->width() < RtfBudget::kNarrowestLayout;
    const LineWrapMode mode = narrow ? QTextEdit::FixedPixelWidth : QTextEdit::WidgetWidth;
    if (lineWrapMode() != mode) {
        setLineWrapMode(mode);
    }
    QTextEdit::resizeEvent(event);
}

std::string RichTextControl::shownInPartMessage(const std::string& displayedPath) {
    return "ファイル \"" + displayedPath + "\" は大きすぎるため、途中までを表示しています。";
}

void RichTextControl::loadWholeFile(const std::string& path) {
    std::string bytes = readWholeFile(path);
    if (plainTextMode_) {
        showPlainText(plainTextOf(path, bytes), defaultFormat_, true, path);
        return;
    }
    if (RtfReader::looksLikeRtf(bytes)) {
        QTextDocument* fresh = newDocument();
        RtfReader reader(*fresh, defaultFormat_, pictureDecoder_);
        reader.read(bytes);
        adoptDocument(fresh);
        if (reader.leftOut()) {
            throw Failure(shownInPartMessage(displayPath(path)));
        }
        return;
    }
    // Not rich text after all: read the file again as plain text, in black, since the rich-text
    // background is white and the default colour is not.
    bytes.clear();
    std::string again;
    try {
        again = readWholeFile(path);
    } catch (const Failure&) {
        throw Failure("ストリームからの読み込みに失敗しました");
    }
    QTextCharFormat readable = defaultFormat_;
    readable.setForeground(QColor(Qt::black));
    showPlainText(plainTextOf(path, again), readable, true, path);
}

void RichTextControl::setTextBytes(std::string_view bytes, TextEnd end) {
    const auto zero = bytes.find('\0');
    if (zero != std::string_view::npos) {
        bytes = bytes.substr(0, zero);
        end = TextEnd::Whole;
    }
    // At most the 16384 judged bytes: shown exactly, uncut.
    showPlainText(bytesToDisplayText(bytes, end), defaultFormat_, false);
}

void RichTextControl::appendLine(const QString& line) {
    appendLines(QStringList{line});
}

void RichTextControl::appendLines(const QStringList& lines) {
    if (lines.isEmpty()) {
        return;
    }
    if (document()->isEmpty()) {
        showPlainText(lines.join(QLatin1Char('\n')), defaultFormat_);
        return;
    }
    UndoPause pause(document());
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QLatin1Char('\n') + lines.join(QLatin1Char('\n')), defaultFormat_);
}

void RichTextControl::appendLines(const std::vector<std::string>& lines) {
    QStringList text;
    text.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines) {
        text.append(bytesToDisplayText(line));
    }
    appendLines(text);
}

} // namespace velmoa
