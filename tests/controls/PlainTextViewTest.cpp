#include "controls/PlainTextView.h"

#include "formats/text/TextPieces.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace velmoa;

namespace {
constexpr int kNarrowest = 320;

class PlainTextViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        view_.setTextFont(QFont(QStringLiteral("FixedSys"), 12));
        view_.setTextColour(Qt::white);
        view_.setNarrowestWidth(kNarrowest);
        view_.resize(400, 200);
        view_.show();
        view_.setFocus();
    }

    static QString numberedLines(int count) {
        QStringList lines;
        for (int i = 0; i < count; ++i) {
            lines.append(QStringLiteral("line %1").arg(i));
        }
        return lines.join(QLatin1Char('\n'));
    }

    // The middle of the row'th row of text on screen, at x.
    QPoint rowPoint(int row, int x = PlainTextView::kMargin + 1) const {
        const int height = QFontMetrics(view_.textFont()).height();
        return {x, PlainTextView::kMargin + height * row + height / 2};
    }

    void key(QKeyCombination combination) {
        QTest::keyClick(&view_, combination.key(), combination.keyboardModifiers());
    }

    PlainTextView view_;
};
} // namespace

TEST_F(PlainTextViewTest, KeysScrollByRowsAndPagesAndStopAtTheEnds) {
    view_.setText(numberedLines(1000));
    QScrollBar* bar = view_.verticalScrollBar();
    const struct {
        const char* what;
        QKeyCombination key;
        std::function<qsizetype()> firstLine;
    } rows[] = {
        {"down", Qt::Key_Down, [] { return 1; }},
        {"up", Qt::Key_Up, [] { return 0; }},
        {"up at the top", Qt::Key_Up, [] { return 0; }},
        {"page down", Qt::Key_PageDown, [&] { return bar->pageStep() - 1; }},
        {"space", Qt::Key_Space, [&] { return 2 * (bar->pageStep() - 1); }},
        {"shift+space", Qt::SHIFT | Qt::Key_Space, [&] { return bar->pageStep() - 1; }},
        {"end", Qt::Key_End, [&] { return bar->maximum(); }},
        {"down at the end", Qt::Key_Down, [&] { return bar->maximum(); }},
        {"home", Qt::Key_Home, [] { return 0; }},
    };
    for (const auto& row : rows) {
        key(row.key);
        EXPECT_EQ(view_.firstVisibleLine(), row.firstLine()) << row.what;
        EXPECT_EQ(bar->value(), view_.firstVisibleLine()) << row.what;
    }
    // The scroll bar counts lines, and its end shows the last line at the bottom.
    bar->setValue(500);
    EXPECT_EQ(view_.firstVisibleLine(), 500);
    key(Qt::Key_End);
    EXPECT_TRUE(view_.visibleText().endsWith(QStringLiteral("line 999")));
    EXPECT_GT(bar->maximum(), 1000 - 20);
    EXPECT_LT(bar->maximum(), 1000 - 5);
}

// A line that wraps to more rows than the view shows is scrolled through row by row.
TEST_F(PlainTextViewTest, WrappedLinesScrollRowByRow) {
    view_.setText(QStringLiteral("word ").repeated(2000) + QStringLiteral("\nafter"));
    for (int i = 0; i < 5; ++i) {
        key(Qt::Key_Down);
    }
    EXPECT_EQ(view_.firstVisibleLine(), 0);
    EXPECT_EQ(view_.verticalScrollBar()->maximum(), 0);
    key(Qt::Key_End);
    EXPECT_TRUE(view_.visibleText().endsWith(QStringLiteral("after")));
    key(Qt::Key_Home);
    QWheelEvent wheel(rowPoint(1), view_.mapToGlobal(rowPoint(1)), {}, {0, -120}, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view_.viewport(), &wheel);
    EXPECT_EQ(view_.firstVisibleLine(), 0) << "the wheel scrolls rows too";
}

TEST_F(PlainTextViewTest, MouseAndKeysSelectAndCopy) {
    view_.setText(QStringLiteral("alpha beta\ngamma delta\nlast"));
    QClipboard* clipboard = QApplication::clipboard();
    const struct {
        const char* what;
        std::function<void()> act;
        QString selected;
    } rows[] = {
        {"drag over two lines",
         [&] {
             QTest::mousePress(view_.viewport(), Qt::LeftButton, {}, rowPoint(0));
             QTest::mouseMove(view_.viewport(), rowPoint(1, 300));
             QTest::mouseRelease(view_.viewport(), Qt::LeftButton, {}, rowPoint(1, 300));
         },
         QStringLiteral("alpha beta\ngamma delta")},
        {"shift+click extends",
         [&] { QTest::mouseClick(view_.viewport(), Qt::LeftButton, Qt::ShiftModifier, rowPoint(2, 300)); },
         QStringLiteral("alpha beta\ngamma delta\nlast")},
        {"double click takes a word",
         [&] {
             const int x =
                 PlainTextView::kMargin + QFontMetrics(view_.textFont()).horizontalAdvance("gamma de");
             QTest::mouseDClick(view_.viewport(), Qt::LeftButton, {}, rowPoint(1, x));
         },
         QStringLiteral("delta")},
        {"a click selects nothing",
         [&] { QTest::mouseClick(view_.viewport(), Qt::LeftButton, {}, rowPoint(0)); }, QString()},
        {"select all", [&] { key(Qt::CTRL | Qt::Key_A); }, view_.toPlainText()},
    };
    for (const auto& row : rows) {
        row.act();
        EXPECT_EQ(view_.selectedText(), row.selected) << row.what;
        if (!row.selected.isEmpty()) {
            clipboard->clear();
            key(Qt::CTRL | Qt::Key_C);
            EXPECT_EQ(clipboard->text(), row.selected) << row.what;
            clipboard->clear();
            key(Qt::CTRL | Qt::Key_Insert);
            EXPECT_EQ(clipboard->text(), row.selected) << row.what;
        }
    }
    // Keys that would edit leave the text alone.
    for (const Qt::Key typed : {Qt::Key_Z, Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Return}) {
        key(typed);
    }
    EXPECT_EQ(view_.toPlainText(), QStringLiteral("alpha beta\ngamma delta\nlast"));
}

// Narrower than the narrowest layout, the text keeps its width and the view scrolls sideways.
TEST_F(PlainTextViewTest, NarrowViewsScrollSidewaysInsteadOfWrappingNarrower) {
    view_.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view_.setText(QString(2000, QLatin1Char('x')));
    const struct {
        int width;
        bool sideways;
    } rows[] = {{600, false}, {100, true}, {kNarrowest + 1, false}, {40, true}};
    for (const auto& row : rows) {
        view_.resize(row.width, 200);
        QApplication::processEvents();
        EXPECT_EQ(view_.horizontalScrollBar()->maximum() > 0, row.sideways) << row.width;
    }
}

// A file's text comes in step by step; when a later piece shows the encoding was judged wrong, the
// text shown so far is replaced; a new text stops a fill still going.
TEST_F(PlainTextViewTest, FillsStepByStepAndStartsOverOnAWrongEncoding) {
    std::string ascii;
    while (ascii.size() < StepwiseTextFill::kFirstPieceBytes * 3 / 2) {
        ascii += "ascii text\n";
    }
    const std::string bytes = ascii + "\x93\xFA\x96\x7B\x8C\xEA"; // ends in CP932
    bool done = false;
    view_.fill(std::make_unique<TextPieces>(bytes, false), [&](bool whole) { done = whole; });
    EXPECT_TRUE(view_.fillingIn());
    EXPECT_FALSE(view_.lines().isEmpty()) << "the first piece is in at once";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view_.fillingIn(); }));
    EXPECT_TRUE(done);
    EXPECT_EQ(view_.toPlainText(), QString::fromStdString(ascii) + QStringLiteral("日本語"));

    view_.fill(std::make_unique<TextPieces>(
                   QByteArray("b\n").repeated(StepwiseTextFill::kPieceBytes * 2).toStdString(), false),
               [&](bool) { done = false; });
    ASSERT_TRUE(view_.fillingIn());
    view_.setText(QStringLiteral("short"));
    EXPECT_FALSE(view_.fillingIn());
    // A piece still scheduled would arrive in these passes of the event loop.
    for (int pass = 0; pass < 3; ++pass) {
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(view_.toPlainText(), QStringLiteral("short"));
    EXPECT_TRUE(done);
}
