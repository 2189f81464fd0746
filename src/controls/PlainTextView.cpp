#include "controls/PlainTextView.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBoundaryFinder>
#include <algorithm>

namespace velmoa {
namespace {
// Enough for the tallest screen of short lines and the end of the text.
constexpr int kCachedLayouts = 512;
// The angle of one notch of a mouse wheel, in eighths of a degree.
constexpr int kWheelNotch = 120;
constexpr int kDragScrollInterval = 50; // milliseconds
} // namespace

PlainTextView::PlainTextView(QWidget* parent) : QAbstractScrollArea(parent), layouts_(kCachedLayouts) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setContextMenuPolicy(Qt::PreventContextMenu);
    viewport()->setContextMenuPolicy(Qt::PreventContextMenu);
    viewport()->setCursor(Qt::IBeamCursor);
    verticalScrollBar()->setSingleStep(1);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &PlainTextView::onScrollBar);
    dragTimer_.setInterval(kDragScrollInterval);
    connect(&dragTimer_, &QTimer::timeout, this, &PlainTextView::dragScroll);
}

void PlainTextView::setTextFont(const QFont& font) {
    font_ = font;
    forgetLayouts();
    textChanged();
}

void PlainTextView::setTextColour(const QColor& colour) {
    colour_ = colour;
    viewport()->update();
}

void PlainTextView::setBackgroundColour(const QColor& colour) {
    QPalette p = palette();
    p.setColor(QPalette::Base, colour);
    p.setColor(QPalette::Window, colour);
    setPalette(p);
    viewport()->update();
}

void PlainTextView::setTabStopDistance(qreal distance) {
    tabStop_ = distance;
    forgetLayouts();
    textChanged();
}

void PlainTextView::setNarrowestWidth(int width) {
    narrowestWidth_ = width;
    forgetLayouts();
    textChanged();
}

void PlainTextView::clear() {
    setText(QString());
}

void PlainTextView::setText(const QString& text) {
    fill_.cancel();
    lines_.clear();
    forgetLayouts();
    top_ = {};
    anchor_ = caret_ = {};
    lines_.append(text);
    textChanged();
}

void PlainTextView::appendText(QStringView text) {
    layouts_.remove(lines_.lineCount() - 1); // the last line may go on
    lines_.append(text);
    textChanged();
}

void PlainTextView::fill(std::unique_ptr<TextPieces> pieces, std::function<void(bool)> done) {
    clear();
    fill_.start(
        std::move(pieces),
        [this](const QString& piece, bool fromStart) {
            if (fromStart) {
                lines_.clear();
                forgetLayouts();
                top_ = {};
                anchor_ = caret_ = {};
            }
            appendText(piece);
        },
        std::move(done));
}

QString PlainTextView::visibleText() const {
    QStringList shown;
    qreal y = kMargin - layoutOf(top_.line)->lineAt(top_.row).y();
    for (qsizetype line = top_.line; line < lines_.lineCount() && y < viewport()->height(); ++line) {
        shown.append(lines_.line(line));
        y += heightOf(line);
    }
    return shown.join(QLatin1Char('\n'));
}

void PlainTextView::selectAll() {
    select({}, lines_.end());
}

void PlainTextView::copy() const {
    if (anchor_ != caret_) {
        QApplication::clipboard()->setText(selectedText());
    }
}

int PlainTextView::layoutWidth() const {
    return std::max(1, std::max(viewport()->width(), narrowestWidth_) - 2 * kMargin);
}

void PlainTextView::forgetLayouts() {
    layouts_.clear();
}

QTextLayout* PlainTextView::layoutOf(qsizetype line) const {
    if (QTextLayout* cached = layouts_.object(line)) {
        return cached;
    }
    auto* layout = new QTextLayout(lines_.line(line), font_);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabStopDistance(tabStop_);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    const qreal width = layoutWidth();
    qreal y = 0;
    layout->beginLayout();
    for (QTextLine row = layout->createLine(); row.isValid(); row = layout->createLine()) {
        row.setLineWidth(width);
        row.setPosition(QPointF(0, y));
        y += row.height();
    }
    layout->endLayout();
    layouts_.insert(line, layout);
    return layout;
}

qreal PlainTextView::heightOf(qsizetype line) const {
    const QTextLayout* layout = layoutOf(line);
    const QTextLine last = layout->lineAt(layout->lineCount() - 1);
    return last.y() + last.height();
}

PlainTextView::Row PlainTextView::lastTop() const {
    const qreal room = viewport()->height() - 2 * kMargin;
    qreal used = 0;
    for (qsizetype line = lines_.lineCount() - 1; line >= 0; --line) {
        const QTextLayout* layout = layoutOf(line);
        for (int row = layout->lineCount() - 1; row >= 0; --row) {
            used += layout->lineAt(row).height();
            if (used > room) {
                return row + 1 < layout->lineCount() ? Row{line, row + 1} : Row{line + 1, 0};
            }
        }
    }
    return {};
}

void PlainTextView::textChanged() {
    updateScrollBars();
    scrollToRow(top_);
}

void PlainTextView::updateScrollBars() {
    const Row last = lastTop();
    const int rowHeight = std::max(1, QFontMetrics(font_).lineSpacing());
    settingScrollBar_ = true;
    verticalScrollBar()->setRange(0, static_cast<int>(last.line));
    verticalScrollBar()->setPageStep(std::max(1, viewport()->height() / rowHeight));
    settingScrollBar_ = false;
    horizontalScrollBar()->setRange(0, std::max(0, narrowestWidth_ - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
}

void PlainTextView::scrollToRow(Row top) {
    top.line = std::clamp<qsizetype>(top.line, 0, lines_.lineCount() - 1);
    top.row = std::clamp(top.row, 0, layoutOf(top.line)->lineCount() - 1);
    top_ = std::min(top, lastTop());
    settingScrollBar_ = true;
    verticalScrollBar()->setValue(static_cast<int>(top_.line));
    settingScrollBar_ = false;
    viewport()->update();
    emit shownTextChanged();
}

void PlainTextView::scrollRows(int rows) {
    Row to = top_;
    while (rows > 0) {
        const int count = layoutOf(to.line)->lineCount();
        if (to.row + rows < count) {
            to.row += rows;
            break;
        }
        if (to.line + 1 >= lines_.lineCount()) {
            to.row = count - 1;
            break;
        }
        rows -= count - to.row;
        to = {to.line + 1, 0};
    }
    while (rows < 0) {
        if (to.row + rows >= 0) {
            to.row += rows;
            break;
        }
        if (to.line == 0) {
            to.row = 0;
            break;
        }
        rows += to.row + 1;
        to.line -= 1;
        to.row = layoutOf(to.line)->lineCount() - 1;
    }
    scrollToRow(to);
}

void PlainTextView::onScrollBar(int value) {
    if (!settingScrollBar_) {
        scrollToRow({value, 0});
    }
}

TextPosition PlainTextView::positionAt(QPoint point) const {
    const qreal x = point.x() - kMargin + horizontalScrollBar()->value();
    qreal y = kMargin - layoutOf(top_.line)->lineAt(top_.row).y();
    for (qsizetype line = top_.line; line < lines_.lineCount(); ++line) {
        const qreal height = heightOf(line);
        if (point.y() < y + height || line + 1 == lines_.lineCount()) {
            const QTextLayout* layout = layoutOf(line);
            for (int row = 0; row < layout->lineCount(); ++row) {
                const QTextLine shown = layout->lineAt(row);
                if (point.y() < y + shown.y() + shown.height() || row + 1 == layout->lineCount()) {
                    return {line, shown.xToCursor(x)};
                }
            }
        }
        y += height;
    }
    return lines_.end();
}

void PlainTextView::select(TextPosition anchor, TextPosition caret) {
    anchor_ = anchor;
    caret_ = caret;
    viewport()->update();
}

void PlainTextView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
    painter.setPen(colour_);
    painter.setFont(font_);
    const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
    QTextCharFormat selected;
    selected.setBackground(palette().brush(group, QPalette::Highlight));
    selected.setForeground(palette().brush(group, QPalette::HighlightedText));
    const TextPosition from = std::min(anchor_, caret_);
    const TextPosition to = std::max(anchor_, caret_);

    const qreal x = kMargin - horizontalScrollBar()->value();
    qreal y = kMargin - layoutOf(top_.line)->lineAt(top_.row).y();
    for (qsizetype line = top_.line; line < lines_.lineCount() && y < viewport()->height(); ++line) {
        QTextLayout* layout = layoutOf(line);
        QList<QTextLayout::FormatRange> selections;
        if (from != to && line >= from.line && line <= to.line) {
            const qsizetype start = line == from.line ? from.column : 0;
            const qsizetype end = line == to.line ? to.column : layout->text().size();
            selections.append({static_cast<int>(start), static_cast<int>(end - start), selected});
        }
        layout->draw(&painter, QPointF(x, y), selections);
        y += heightOf(line);
    }
}

void PlainTextView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    forgetLayouts();
    textChanged();
}

bool PlainTextView::event(QEvent* event) {
    // Selecting all and copying are the view's own, not a shortcut of the window around it.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key == QKeySequence::Copy || key == QKeySequence::SelectAll) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void PlainTextView::keyPressEvent(QKeyEvent* event) {
    if (event == QKeySequence::SelectAll) {
        selectAll();
        return;
    }
    if (event == QKeySequence::Copy) {
        copy();
        return;
    }
    const int page = std::max(1, verticalScrollBar()->pageStep() - 1);
    const bool plain = event->modifiers() == Qt::NoModifier;
    switch (event->key()) {
    case Qt::Key_Up:
        scrollRows(-1);
        break;
    case Qt::Key_Down:
        scrollRows(1);
        break;
    case Qt::Key_PageUp:
        scrollRows(-page);
        break;
    case Qt::Key_PageDown:
        scrollRows(page);
        break;
    case Qt::Key_Space:
        scrollRows(event->modifiers() & Qt::ShiftModifier ? -page : page);
        break;
    case Qt::Key_Left:
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Right:
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case Qt::Key_Home:
    case Qt::Key_End:
        if (!plain) {
            event->ignore();
            return;
        }
        scrollToRow(event->key() == Qt::Key_Home ? Row{} : lastTop());
        break;
    default:
        event->ignore(); // typing changes nothing, and goes on to the window
        return;
    }
    event->accept();
}

void PlainTextView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const TextPosition at = positionAt(event->position().toPoint());
    select(event->modifiers() & Qt::ShiftModifier ? anchor_ : at, at);
    dragging_ = true;
}

void PlainTextView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) {
        return;
    }
    dragPoint_ = event->position().toPoint();
    select(anchor_, positionAt(dragPoint_));
    const bool outside = dragPoint_.y() < 0 || dragPoint_.y() >= viewport()->height();
    if (outside && !dragTimer_.isActive()) {
        dragTimer_.start();
    } else if (!outside) {
        dragTimer_.stop();
    }
}

void PlainTextView::dragScroll() {
    scrollRows(dragPoint_.y() < 0 ? -1 : 1);
    select(anchor_, positionAt(dragPoint_));
}

void PlainTextView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    dragging_ = false;
    dragTimer_.stop();
    // X's selection: a middle click elsewhere pastes what was selected here.
    QClipboard* clipboard = QApplication::clipboard();
    if (anchor_ != caret_ && clipboard->supportsSelection()) {
        clipboard->setText(selectedText(), QClipboard::Selection);
    }
}

void PlainTextView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const TextPosition at = positionAt(event->position().toPoint());
    const QString line = lines_.line(at.line);
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, line);
    words.setPosition(at.column);
    const qsizetype start = words.isAtBoundary() ? at.column : words.toPreviousBoundary();
    words.setPosition(at.column);
    const qsizetype end = words.toNextBoundary();
    select({at.line, std::max<qsizetype>(0, start)}, {at.line, end < 0 ? line.size() : end});
    dragging_ = false;
}

void PlainTextView::wheelEvent(QWheelEvent* event) {
    if (event->angleDelta().y() == 0) {
        QAbstractScrollArea::wheelEvent(event); // sideways
        return;
    }
    // Fine-stepped wheels turn by parts of a notch: rows go once a notch's worth has gathered.
    wheelAngle_ += event->angleDelta().y();
    const int notches = wheelAngle_ / kWheelNotch;
    wheelAngle_ -= notches * kWheelNotch;
    scrollRows(-notches * QApplication::wheelScrollLines());
    event->accept();
}

void PlainTextView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void PlainTextView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

} // namespace velmoa
