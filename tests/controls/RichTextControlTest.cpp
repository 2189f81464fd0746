#include "controls/RichTextControl.h"
#include "base/Failure.h"
#include "controls/PlainTextView.h"
#include "formats/image/PictureFixtures.h"
#include "formats/richtext/RtfBudget.h"
#include "formats/text/PlainTextDocument.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <gtest/gtest.h>

using namespace velmoa;

namespace {
class RichTextControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        control_.setDefaultAttributes(QStringLiteral("FixedSys"), 12, Qt::white);
    }

    std::string write(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path.toStdString();
    }

    // The colour of the first character: plain text has one colour, rich text its formats.
    QColor firstColour() {
        const PlainTextView* plain = control_.plainTextView();
        return plain->isHidden() ? formatAt(0).foreground().color() : plain->textColour();
    }

    // The format of the character at a position of the rich text.
    QTextCharFormat formatAt(int position) {
        QTextCursor cursor(control_.document());
        cursor.setPosition(position + 1);
        return cursor.charFormat();
    }

    std::string failureOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const Failure& failure) {
            return failure.what();
        }
        return "(no failure)";
    }

    QTemporaryDir dir_;
    RichTextControl control_;
};
} // namespace

TEST_F(RichTextControlTest, StartsBorderlessWrappedWithoutMenu) {
    EXPECT_EQ(control_.frameShape(), QFrame::NoFrame);
    EXPECT_NE(control_.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_NE(control_.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(control_.lineWrapMode(), QTextEdit::WidgetWidth);

    control_.resize(300, 200);
    control_.show();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10), control_.mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(control_.viewport(), &event);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(control_.viewport()->contextMenuPolicy(), Qt::PreventContextMenu);
}

TEST_F(RichTextControlTest, KeysLeaveTheTextAloneButSelectAndCopyWork) {
    control_.resize(300, 200);
    control_.show();
    control_.setFocus();
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    control_.setTextBytes("read me");
    struct Row {
        const char* what;
        QKeyCombination key;
    };
    const Row rows[] = {
        {"typing", Qt::Key_Z},           {"select all", Qt::CTRL | Qt::Key_A}, {"cut", Qt::CTRL | Qt::Key_X},
        {"paste", Qt::CTRL | Qt::Key_V}, {"backspace", Qt::Key_Backspace},     {"delete", Qt::Key_Delete},
        {"return", Qt::Key_Return},
    };
    for (const Row& row : rows) {
        QTest::keyClick(&control_, row.key.key(), row.key.keyboardModifiers());
        EXPECT_EQ(control_.toPlainText(), QStringLiteral("read me")) << row.what;
    }
    QTest::keyClick(&control_, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&control_, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("read me"));
}

TEST_F(RichTextControlTest, ClearEmptiesTextAndResetsModifiedFlag) {
    control_.setTextBytes("something typed");
    control_.document()->setModified(true);
    control_.clearContent();
    EXPECT_TRUE(control_.document()->isEmpty());
    EXPECT_FALSE(control_.document()->isModified());
}

TEST_F(RichTextControlTest, SetTextBytesStopsAtZeroAndDecodes) {
    const std::pair<std::string, QString> rows[] = {
        {std::string("abc\0def", 7), QStringLiteral("abc")},
        {std::string("\0abc", 4), QString()},
        {"\x93\xFA\x96\x7B\x8C\xEA", QStringLiteral("日本語")},
        {"\xE6\x97\xA5\xE6\x9C\xAC", QStringLiteral("日本")},
        {"one\r\ntwo", QStringLiteral("one\ntwo")},
    };
    for (const auto& [bytes, text] : rows) {
        control_.clearContent();
        control_.setTextBytes(bytes);
        EXPECT_EQ(control_.toPlainText(), text) << bytes;
    }
}

TEST_F(RichTextControlTest, PlainTextTakesDefaultAttributes) {
    control_.setTextBytes("text");
    const PlainTextView* plain = control_.plainTextView();
    EXPECT_FALSE(plain->isHidden());
    EXPECT_EQ(plain->textColour(), QColor(Qt::white));
    EXPECT_EQ(plain->textFont().pointSize(), 12);
    EXPECT_EQ(plain->textFont().family(), QStringLiteral("FixedSys"));
    control_.setBackgroundColour(Qt::black);
    EXPECT_EQ(plain->palette().color(QPalette::Base), QColor(Qt::black));
}

TEST_F(RichTextControlTest, AppendedLinesFollowTheLast) {
    control_.clearContent();
    control_.appendLine(QStringLiteral("0000 : 41 "));
    control_.appendLine(QStringLiteral("0010 : 42 "));
    EXPECT_EQ(control_.toPlainText(), QStringLiteral("0000 : 41 \n0010 : 42 "));

    RichTextControl together;
    together.setDefaultAttributes(QStringLiteral("FixedSys"), 12, Qt::white);
    together.appendLines({QStringLiteral("0000 : 41 "), QStringLiteral("0010 : 42 ")});
    together.appendLines(std::vector<std::string>{"0020 : 43 "});
    EXPECT_EQ(together.toPlainText(), QStringLiteral("0000 : 41 \n0010 : 42 \n0020 : 43 "));
    EXPECT_EQ(together.plainTextView()->lines().lineCount(), 3);
    EXPECT_EQ(together.plainTextView()->textColour(), QColor(Qt::white));
}

TEST_F(RichTextControlTest, LoadsWholeFilesByMode) {
    const QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Hello {\\b bold}\\par}";
    struct Row {
        const char* name;
        QByteArray bytes;
        bool plainMode;
        QString text;
        QColor colour; // of the first character
    };
    const Row rows[] = {
        {"data.csv", "a,b\r\n1,2\r\n", true, QStringLiteral("a,b\n1,2\n"), Qt::white},
        {"page.htm", "\xEF\xBB\xBF<p>\xE6\x97\xA5</p>", true, QStringLiteral("<p>日</p>"), Qt::white},
        {"letter.rtf", rtf, false, QStringLiteral("Hello bold\n"), Qt::black},
        {"letter2.rtf", rtf, true, QString::fromLatin1(rtf), Qt::white},
        // Not rich text: shown as plain text, dark on the white background.
        {"fake.rtf", "just words\n\x93\xFA", false, QStringLiteral("just words\n日"), Qt::black},
        {"empty.rtf", "", false, QString(), Qt::black},
    };
    for (const auto& row : rows) {
        const std::string path = write(QString::fromLatin1(row.name), row.bytes);
        control_.clearContent();
        control_.setPlainTextMode(row.plainMode);
        control_.loadWholeFile(path);
        EXPECT_EQ(control_.toPlainText(), row.text) << row.name;
        EXPECT_FALSE(control_.document()->isModified()) << row.name;
        EXPECT_EQ(control_.document()->defaultTextOption().tabStopDistance(), 48) << row.name;
        if (!row.text.isEmpty()) {
            EXPECT_EQ(firstColour(), row.colour) << row.name;
        }
    }
}

TEST_F(RichTextControlTest, RichLoadKeepsFormats) {
    const std::string path = write("f.rtf", "{\\rtf1 plain {\\b bold}}");
    control_.setPlainTextMode(false);
    control_.loadWholeFile(path);
    EXPECT_EQ(formatAt(0).fontWeight(), QFont::Normal);
    EXPECT_EQ(formatAt(6).fontWeight(), QFont::Bold);
}

TEST_F(RichTextControlTest, UnloadableFilesGiveClearMessages) {
    const std::string missing = dir_.filePath("missing.csv").toStdString();
    EXPECT_EQ(failureOf([&] {
                  control_.loadWholeFile(missing);
              }).rfind("ファイル \"" + missing + "\" は開けません。", 0),
              0u);
    const std::string folder = dir_.path().toStdString();
    EXPECT_EQ(failureOf([&] {
                  control_.loadWholeFile(folder);
              }).rfind("ファイル \"" + folder + "\" は開けません。", 0),
              0u);

    // Too big: a sparse file costs no disk space.
    const std::string huge = write("huge.ini", QByteArray());
    QFile(QString::fromStdString(huge)).resize(RichTextControl::kMaxWholeFileBytes + 1);
    control_.setPlainTextMode(true);
    EXPECT_NE(failureOf([&] { control_.loadWholeFile(huge); }).find("大きすぎて"), std::string::npos);

    const std::string lines = write("lines.csv", QByteArray(RichTextControl::kMaxLines, '\n'));
    EXPECT_NE(failureOf([&] { control_.loadWholeFile(lines); }).find("行が多すぎて"), std::string::npos);
}

// Files whose layout would freeze the window: a long line without break opportunities shows whole in
// pieces of bounded length; long text shows its first screen at once and fills in while events are
// handled; text past what the control lays out shows its beginning with one message that says so.
TEST_F(RichTextControlTest, LongLinesAndOverlongTextStayWithinTheLayoutBudget) {
    const struct {
        const char* name;
        QByteArray bytes;
        bool rich;
        bool whole;
    } rows[] = {
        {"a megabyte of minified text", QByteArray(1 << 20, 'm'), false, true},
        {"a megabyte on the white page of a false .rtf", QByteArray(1 << 20, 'r'), true, true},
        {"more text than the budget",
         (QByteArray(63, 'w') + '\n').repeated(PlainTextDocument::kMaxShownChars / 64 + 2), false, false},
    };
    for (const auto& row : rows) {
        fixtures::RecordingReporter reporter;
        const std::string path = write(QStringLiteral("long.csv"), row.bytes);
        control_.setPlainTextMode(!row.rich);
        EXPECT_EQ(failureOf([&] { control_.loadWholeFile(path); }), "(no failure)") << row.name;
        // The first piece is there at once, the rest comes in with the event loop.
        const PlainTextView* plain = control_.plainTextView();
        EXPECT_FALSE(plain->lines().isEmpty()) << row.name;
        EXPECT_TRUE(control_.fillingIn()) << row.name;
        ASSERT_TRUE(QTest::qWaitFor([&] { return !control_.fillingIn(); }, 50000)) << row.name;
        EXPECT_EQ(reporter.delivered(),
                  row.whole ? QStringList()
                            : QStringList{QString::fromStdString(RichTextControl::shownInPartMessage(path))})
            << row.name;
        const QString text = control_.toPlainText();
        const qsizetype shown = text.size() - (plain->lines().lineCount() - 1);
        const qsizetype expected =
            row.whole ? row.bytes.size()
                      : PlainTextDocument::kMaxShownChars - PlainTextDocument::kMaxShownChars / 64;
        EXPECT_EQ(shown, expected) << row.name; // less the line feeds
        EXPECT_FALSE(control_.document()->isModified()) << row.name;
        for (const QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
            ASSERT_LE(line.size(), PlainTextDocument::kMaxParagraphChars) << row.name;
        }
    }
}

// Opening another document while one is still filling in stops the first.
TEST_F(RichTextControlTest, ANewLoadStopsTheFillStillGoing) {
    const std::string big = write(QStringLiteral("big.ini"), QByteArray("line of text\n").repeated(200000));
    const std::string small = write(QStringLiteral("small.ini"), QByteArray("short\n"));
    control_.setPlainTextMode(true);
    control_.loadWholeFile(big);
    ASSERT_TRUE(control_.fillingIn());
    control_.loadWholeFile(small);
    EXPECT_FALSE(control_.fillingIn());
    // A step still scheduled would run in these passes of the event loop.
    for (int pass = 0; pass < 3; ++pass) {
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(control_.toPlainText(), QStringLiteral("short\n"));
}

// However narrow the window, text is laid out at least as wide as the rich-text budget assumes:
// narrower, a document within the budget could grow taller than the layout can place.
TEST_F(RichTextControlTest, NarrowWindowsScrollSidewaysInsteadOfWrappingNarrower) {
    control_.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    control_.setPlainText(QString(2000, QLatin1Char('x')));
    control_.show();
    const struct {
        int width;
        bool scrollsSideways;
    } rows[] = {{600, false}, {100, true}, {RtfBudget::kNarrowestLayout + 1, false}, {40, true}};
    for (const auto& row : rows) {
        control_.resize(row.width, 200);
        QApplication::processEvents();
        const int layoutWidth = static_cast<int>(control_.document()->textWidth());
        EXPECT_GE(layoutWidth, std::min(row.width, RtfBudget::kNarrowestLayout) - 1) << row.width;
        EXPECT_EQ(control_.horizontalScrollBar()->maximum() > 0, row.scrollsSideways) << row.width;
    }
}

// A long table shows its first rows at once and goes on filling in while events are handled; the
// steps are no edits of the user's. Only when all is in does a document cut short say so.
TEST_F(RichTextControlTest, LongRichTextShowsItsBeginningAtOnceAndTheRestLater) {
    QByteArray table = "{\\rtf1\\ansi{\\colortbl;\\red255\\green0\\blue0;}";
    for (int row = 0; row < 300; ++row) {
        table += "\\trowd";
        for (int column = 0; column < 64; ++column) {
            table += "\\clbrdrt\\brdrs\\clbrdrb\\brdrs\\cellx" + QByteArray::number((column + 1) * 150);
        }
        for (int column = 0; column < 64; ++column) {
            table += "\\pard\\intbl\\cf" + QByteArray::number(column % 2) + " c" + QByteArray::number(row) +
                     "/" + QByteArray::number(column) + "\\cell";
        }
        table += "\\row\n";
    }
    table += "\\pard End\\par}";
    // Lines of a huge font, more than the layout can place.
    QByteArray tall = "{\\rtf1\\fs400 ";
    for (int line = 0; line < 14000; ++line) {
        tall += "line" + QByteArray::number(line) + "\\par ";
    }
    tall += "}";
    const struct {
        const char* name;
        QByteArray rtf;
        QString first, last;
        bool whole;
    } rows[] = {
        {"64 x 300 ruled cells", table, QStringLiteral("c0/0"), QStringLiteral("c299/63"), true},
        {"more lines than the budget", tall, QStringLiteral("line0"), QStringLiteral("line13999"), false},
    };
    control_.resize(640, 452);
    control_.show();
    for (const auto& row : rows) {
        fixtures::RecordingReporter reporter;
        const std::string path = write(QStringLiteral("long.rtf"), row.rtf);
        control_.setPlainTextMode(false);
        EXPECT_EQ(failureOf([&] { control_.loadWholeFile(path); }), "(no failure)") << row.name;
        EXPECT_TRUE(control_.fillingIn()) << row.name;
        EXPECT_TRUE(control_.toPlainText().contains(row.first)) << row.name;
        EXPECT_FALSE(control_.toPlainText().contains(row.last)) << row.name;
        EXPECT_FALSE(control_.document()->isUndoRedoEnabled()) << row.name;
        ASSERT_TRUE(QTest::qWaitFor([&] { return !control_.fillingIn(); }, 120000)) << row.name;
        EXPECT_EQ(control_.toPlainText().contains(row.last), row.whole) << row.name;
        EXPECT_EQ(reporter.delivered(),
                  row.whole ? QStringList()
                            : QStringList{QString::fromStdString(RichTextControl::shownInPartMessage(path))})
            << row.name;
        EXPECT_FALSE(control_.document()->isModified()) << row.name;
        EXPECT_TRUE(control_.document()->isUndoRedoEnabled()) << row.name;
    }
    // The cells keep their colours and rules.
    control_.loadWholeFile(write(QStringLiteral("table.rtf"), table));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !control_.fillingIn(); }, 120000));
    const QTextCursor cursor = control_.document()->find(QStringLiteral("c250/1"));
    ASSERT_FALSE(cursor.isNull());
    EXPECT_EQ(cursor.charFormat().foreground().color(), QColor(Qt::red));
    const QTextTable* shownTable = cursor.currentTable();
    ASSERT_NE(shownTable, nullptr);
    EXPECT_GT(shownTable->cellAt(cursor).format().toTableCellFormat().topBorder(), 0);
}

// Another load, or emptying the control, stops a rich text still filling in.
TEST_F(RichTextControlTest, ANewLoadStopsTheRichTextStillFillingIn) {
    QByteArray rtf = "{\\rtf1 ";
    for (int line = 0; line < 20000; ++line) {
        rtf += "paragraph " + QByteArray::number(line) + "\\par ";
    }
    const std::string big = write(QStringLiteral("big.rtf"), rtf + "}");
    const std::string small = write(QStringLiteral("small.rtf"), "{\\rtf1 short}");
    control_.setPlainTextMode(false);
    for (const bool clear : {false, true}) {
        control_.loadWholeFile(big);
        ASSERT_TRUE(control_.fillingIn());
        if (clear) {
            control_.clearContent();
        } else {
            control_.loadWholeFile(small);
        }
        EXPECT_FALSE(control_.fillingIn());
        // A step queued before would have run by now.
        QApplication::processEvents();
        QApplication::processEvents();
        EXPECT_EQ(control_.toPlainText(), clear ? QString() : QStringLiteral("short"));
    }
}
