#pragma once

#include "controls/StepwiseTextFill.h"
#include "formats/text/TextLines.h"

#include <QAbstractScrollArea>
#include <QCache>
#include <QColor>
#include <QFont>
#include <QTextLayout>
#include <QTimer>
#include <functional>
#include <memory>

namespace velmoa {

// A read-only view of a plain text of any length that lays out only the lines it shows. The text
// is held compactly and indexed by line as it comes in; lines wrap at the view's width (never
// narrower than narrowestWidth: a narrower view scrolls sideways). The vertical scroll bar counts
// lines; the wheel and the keys scroll by wrapped rows. Text is selected with the mouse (a double
// click takes a word) or Ctrl+A, and copied with Ctrl+C or Ctrl+Insert.
class PlainTextView : public QAbstractScrollArea {
    Q_OBJECT
  public:
    // Space around the text, as a rich-text document leaves it.
    static constexpr int kMargin = 4;

    explicit PlainTextView(QWidget* parent = nullptr);

    void setTextFont(const QFont& font);
    QFont textFont() const { return font_; }
    void setTextColour(const QColor& colour);
    QColor textColour() const { return colour_; }
    void setBackgroundColour(const QColor& colour);
    void setTabStopDistance(qreal distance);
    void setNarrowestWidth(int width);

    void clear();
    // Replaces the text.
    void setText(const QString& text);
    // Adds text after the end.
    void appendText(QStringView text);
    // Replaces the text with a file's, its first screen at once and the rest step by step;
    // done(whole) once all is in.
    void fill(std::unique_ptr<TextPieces> pieces, std::function<void(bool whole)> done);
    bool fillingIn() const { return fill_.running(); }

    const TextLines& lines() const { return lines_; }
    QString toPlainText() const { return lines_.text(); }
    QString selectedText() const { return lines_.textBetween(anchor_, caret_); }
    // The lines shown, from the first wholly or partly visible one, joined by line feeds.
    QString visibleText() const;
    qsizetype firstVisibleLine() const { return top_.line; }
    void selectAll();
    void copy() const;

  signals:
    // The text or the part of it that is shown changed.
    void shownTextChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

  private:
    // A place in the wrapped text: a line and a row of its layout.
    struct Row {
        qsizetype line = 0;
        int row = 0;
        friend auto operator<=>(const Row&, const Row&) = default;
    };

    QTextLayout* layoutOf(qsizetype line) const;
    qreal heightOf(qsizetype line) const;
    int layoutWidth() const;
    void forgetLayouts();
    void textChanged();
    void updateScrollBars();
    // The highest top row: the one that shows the end of the text at the bottom.
    Row lastTop() const;
    void scrollToRow(Row top);
    void scrollRows(int rows);
    void onScrollBar(int value);
    TextPosition positionAt(QPoint point) const;
    void select(TextPosition anchor, TextPosition caret);
    void dragScroll();

    TextLines lines_;
    StepwiseTextFill fill_;
    QFont font_;
    QColor colour_;
    qreal tabStop_ = 0;
    int narrowestWidth_ = 0;
    mutable QCache<qsizetype, QTextLayout> layouts_;
    Row top_;
    TextPosition anchor_;
    TextPosition caret_;
    bool dragging_ = false;
    QPoint dragPoint_;
    QTimer dragTimer_; // scrolls while a drag is held above or below the view
    bool settingScrollBar_ = false;
    int wheelAngle_ = 0; // turned but not yet scrolled
};

} // namespace velmoa
