#include "controls/RichTextControl.h"

#include "base/Failure.h"
#include "controls/PlainTextView.h"
#include "formats/richtext/RtfBudget.h"
#include "formats/richtext/RtfReader.h"
#include "formats/text/LineCount.h"
#include "formats/text/PlainTextDocument.h"
#include "formats/text/TextEncoding.h"
#include "formats/text/TextPieces.h"
#include "platform/FailureReporter.h"
#include "platform/FileCodedSource.h"
#include "platform/ReadOnlyFile.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPalette>
#include <QPointer>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <string>

namespace velmoa {
namespace {
constexpr const char* kReadFailedMessage = "ストリームからの読み込みに失敗しました";

std::string displayPath(const std::string& path) {
    return bytesToDisplayText(path).toStdString();
}

// The lines shown are handed to screen readers this long after they change.
constexpr int kMirrorDelay = 100; // milliseconds
constexpr qreal kTabStop = 48;    // half an inch, the usual tab width of documents

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
    setTabStopDistance(kTabStop);
    setAccessibleName(QStringLiteral("文書"));
    plain_ = new PlainTextView(this);
    plain_->setObjectName(QStringLiteral("plainText"));
    plain_->setTabStopDistance(kTabStop);
    plain_->setNarrowestWidth(RtfBudget::kNarrowestLayout);
    plain_->hide();
    mirror_.setSingleShot(true);
    mirror_.setInterval(kMirrorDelay);
    connect(&mirror_, &QTimer::timeout, this, &RichTextControl::mirrorShownLines);
    // Not put off by each step of a long fill: the lines follow a tenth of a second after a change.
    connect(plain_, &PlainTextView::shownTextChanged, this, [this] {
        if (!mirror_.isActive()) {
            mirror_.start();
        }
    });
    connect(&richFill_, &StepwiseRichTextFill::grew, this, [this](qreal fromY) {
        if (fromY < verticalScrollBar()->value() + viewport()->height()) {
            viewport()->update();
        }
    });
    setBackgroundColour(Qt::black);
    setDefaultAttributes(font().family(), 12, Qt::white);
}

void RichTextControl::clearContent() {
    richFill_.cancel();
    hidePlainView();
    // A new empty document: emptying a big one block by block takes longer than dropping it.
    adoptDocument(newDocument());
    setCurrentCharFormat(defaultFormat_);
}

void RichTextControl::refreshNow() {
    repaint();
    viewport()->repaint();
    if (!plain_->isHidden()) {
        plain_->viewport()->repaint();
    }
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
    plain_->setTextFont(font);
}

void RichTextControl::setBackgroundColour(const QColor& colour) {
    QPalette p = palette();
    p.setColor(QPalette::Base, colour);
    p.setColor(QPalette::Window, colour);
    setPalette(p);
    plain_->setBackgroundColour(colour);
}

std::unique_ptr<const CodedSource> RichTextControl::openWholeFile(const std::string& path) const {
    ReadOnlyFile file(path);
    if (!file.isOpen()) {
        throw Failure("ファイル \"" + displayPath(path) + "\" は開けません。" + file.reasonText());
    }
    if (file.size() > kMaxWholeFileBytes) {
        throw Failure("ファイル \"" + displayPath(path) + "\" は大きすぎて表示できません（" +
                      std::to_string(file.size()) + " バイト、上限 " +
                      std::to_string(kMaxWholeFileBytes >> 20) + " MB）。");
    }
    return std::make_unique<FileCodedSource>(file);
}

std::string RichTextControl::readWholeFile(const std::string& path) const {
    const auto source = openWholeFile(path);
    std::string bytes(static_cast<std::size_t>(source->size()), '\0');
    if (source->readAt(0, bytes.data(), bytes.size()) < bytes.size()) {
        // Opened but not read through (an I/O error, a file cut short while read).
        throw Failure(kReadFailedMessage);
    }
    return bytes;
}

QTextDocument* RichTextControl::newDocument() {
    auto* fresh = new QTextDocument(this);
    fresh->setDefaultFont(document()->defaultFont());
    fresh->setDefaultTextOption(document()->defaultTextOption()); // the tab width
    fresh->setUndoRedoEnabled(false);
    return fresh;
}

void RichTextControl::adoptDocument(QTextDocument* fresh) {
    // The first document belongs to the inner text control, which deletes it itself.
    QPointer<QTextDocument> old = document();
    fresh->setUndoRedoEnabled(true);
    fresh->setModified(false);
    setDocument(fresh);
    if (old && old != fresh && old->parent() == this) {
        delete old;
    }
    setTextCursor(QTextCursor(fresh));
}

void RichTextControl::checkLineCount(const std::string& path, const CodedSource& text) const {
    const std::optional<bool> tooMany = moreLinesThan(text, kMaxLines);
    if (!tooMany) {
        throw Failure(kReadFailedMessage);
    }
    if (*tooMany) {
        throw Failure("ファイル \"" + displayPath(path) + "\" は行が多すぎて表示できません（上限 " +
                      std::to_string(kMaxLines) + " 行）。");
    }
}

bool RichTextControl::showPlainView(const QColor& colour) {
    plainColour_ = colour;
    plain_->setTextColour(colour);
    if (!plain_->isHidden()) {
        return false;
    }
    plain_->setGeometry(rect());
    plain_->show();
    plain_->raise();
    setFocusProxy(plain_);
    if (hasFocus()) {
        plain_->setFocus();
    }
    return true;
}

void RichTextControl::hidePlainView() {
    mirror_.stop();
    plain_->clear();
    if (plain_->isHidden()) {
        return;
    }
    const bool focused = plain_->hasFocus();
    setFocusProxy(nullptr);
    plain_->hide();
    if (focused) {
        setFocus();
    }
}

void RichTextControl::fillPlainText(std::unique_ptr<const CodedSource> text, const QColor& colour,
                                    const std::string& path) {
    adoptDocument(newDocument());
    showPlainView(colour);
    const std::string message = shownInPartMessage(displayPath(path));
    plain_->fill(std::make_unique<TextPieces>(std::move(text), true), [message](bool whole) {
        if (!whole) {
            postFailure(message);
        }
    });
}

void RichTextControl::fillRichText(std::string bytes, const std::string& path) {
    QTextDocument* fresh = newDocument();
    const std::string message = shownInPartMessage(displayPath(path));
    richFill_.start(std::move(bytes), *fresh, defaultFormat_, pictureDecoder_,
                    [fresh, message](bool leftOut) {
                        // Filled in: the steps were no edits of the user's.
                        fresh->setUndoRedoEnabled(true);
                        fresh->setModified(false);
                        if (leftOut) {
                            postFailure(message);
                        }
                    });
    adoptDocument(fresh);
    if (richFill_.running()) {
        fresh->setUndoRedoEnabled(false);
    } else if (richFill_.leftOut()) {
        throw Failure(message);
    }
}

void RichTextControl::mirrorShownLines() {
    if (!plain_->isHidden()) {
        QTextDocument* shown = newDocument();
        shown->setPlainText(plain_->visibleText());
        adoptDocument(shown);
    }
}

bool RichTextControl::fillingIn() const {
    return plain_->fillingIn() || richFill_.running();
}

QString RichTextControl::toPlainText() const {
    return plain_->isHidden() ? QTextEdit::toPlainText() : plain_->toPlainText();
}

QTextDocument* RichTextControl::printableDocument() {
    if (plain_->isHidden()) {
        return document();
    }
    printable_ = std::make_unique<QTextDocument>();
    printable_->setDefaultFont(document()->defaultFont());
    printable_->setDefaultTextOption(document()->defaultTextOption());
    QTextCharFormat format = defaultFormat_;
    format.setForeground(plainColour_);
    PlainTextDocument::fill(*printable_, plain_->toPlainText(), format, false);
    return printable_.get();
}

void RichTextControl::keyPressEvent(QKeyEvent* event) {
    // Keys sent to the control itself reach the plain text's view as they would through focus.
    // One the view leaves comes back here on its way to the window: it goes on past.
    if (forwarding_) {
        event->ignore();
        return;
    }
    if (!plain_->isHidden()) {
        forwarding_ = true;
        QApplication::sendEvent(plain_, event);
        forwarding_ = false;
        event->accept(); // handed on to the window already when the view left it
        return;
    }
    QTextEdit::keyPressEvent(event);
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
    plain_->setGeometry(rect());
}

std::string RichTextControl::shownInPartMessage(const std::string& displayedPath) {
    return "ファイル \"" + displayedPath + "\" は大きすぎるため、途中までを表示しています。";
}

void RichTextControl::loadWholeFile(const std::string& path) {
    richFill_.cancel();
    if (plainTextMode_) {
        // Only what the first screen needs is read before it shows.
        std::unique_ptr<const CodedSource> text = openWholeFile(path);
        checkLineCount(path, *text);
        fillPlainText(std::move(text), defaultFormat_.foreground().color(), path);
        return;
    }
    std::string bytes = readWholeFile(path);
    if (RtfReader::looksLikeRtf(bytes)) {
        fillRichText(std::move(bytes), path);
        return;
    }
    // Not rich text after all: read the file again as plain text, in black, since the rich-text
    // background is white and the default colour is not.
    bytes.clear();
    std::unique_ptr<const CodedSource> again;
    try {
        again = openWholeFile(path);
    } catch (const Failure&) {
        throw Failure(kReadFailedMessage);
    }
    checkLineCount(path, *again);
    fillPlainText(std::move(again), QColor(Qt::black), path);
}

void RichTextControl::setTextBytes(std::string_view bytes, TextEnd end) {
    const auto zero = bytes.find('\0');
    if (zero != std::string_view::npos) {
        bytes = bytes.substr(0, zero);
        end = TextEnd::Whole;
    }
    // At most the 16384 judged bytes: shown exactly, uncut.
    richFill_.cancel();
    adoptDocument(newDocument());
    showPlainView(defaultFormat_.foreground().color());
    plain_->setText(bytesToDisplayText(bytes, end));
}

void RichTextControl::appendLine(const QString& line) {
    appendLines(QStringList{line});
}

void RichTextControl::appendLines(const QStringList& lines) {
    if (lines.isEmpty()) {
        return;
    }
    const QString text = lines.join(QLatin1Char('\n'));
    if (plain_->isHidden() || plain_->lines().isEmpty()) {
        richFill_.cancel();
        adoptDocument(newDocument());
        showPlainView(defaultFormat_.foreground().color());
        plain_->setText(text);
        return;
    }
    plain_->appendText(QString(QLatin1Char('\n')) + text);
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
