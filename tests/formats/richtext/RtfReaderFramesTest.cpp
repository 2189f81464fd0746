// Positioned paragraphs (frames) in the one scrolled column: side by side as rows of a borderless
// grid, a lone frame at its width and offset, tables left as tables.
#include "formats/richtext/RtfFrameGrid.h"
#include "formats/richtext/RtfReader.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <gtest/gtest.h>

using namespace velmoa;

namespace {

std::string document(const std::string& body) {
    return "{\\rtf1\\ansi\\paperw12240\\margl1800\\margr1800{\\fonttbl{\\f0 Arial;}}" + body + "}";
}

// A frame of one paragraph: at x, on the line at y, `width` wide (twips).
std::string frame(int x, int y, int width, const std::string& text) {
    return "\\pard\\phmrg\\pvmrg\\posx" + std::to_string(x) + "\\posy" + std::to_string(y) + "\\absw" +
           std::to_string(width) + " " + text + "\\par";
}

QString cellText(const QTextTableCell& cell) {
    QTextCursor cursor = cell.firstCursorPosition();
    cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
    return cursor.selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('/'));
}

// A table as "at <left margin or alignment> widths <columns>" and a line per row, its cells split by
// '|', a cell spanning columns marked "*<span>"; a paragraph as its text.
QStringList describe(const QTextDocument& document) {
    QStringList lines;
    for (auto it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        auto* table = qobject_cast<QTextTable*>(it.currentFrame());
        if (!table) {
            if (it.currentBlock().length() > 1) {
                lines += it.currentBlock().text();
            }
            continue;
        }
        const QTextTableFormat format = table->format();
        QString head = format.alignment() & Qt::AlignHCenter ? QStringLiteral("centre")
                       : format.alignment() & Qt::AlignRight ? QStringLiteral("right")
                                                             : QString::number(format.leftMargin());
        head.prepend(QStringLiteral("at ")).append(QStringLiteral(" widths"));
        for (const QTextLength& width : format.columnWidthConstraints()) {
            head += QLatin1Char(' ') + QString::number(width.rawValue());
        }
        lines += head;
        for (int row = 0; row < table->rows(); ++row) {
            QStringList cells;
            for (int column = 0; column < table->columns(); ++column) {
                const QTextTableCell cell = table->cellAt(row, column);
                if (cell.column() != column) {
                    continue; // covered by the span of the cell before
                }
                const int span = cell.columnSpan();
                cells += cellText(cell) + (span > 1 ? QStringLiteral("*%1").arg(span) : QString());
            }
            lines += cells.join(QLatin1Char('|'));
        }
    }
    return lines;
}

// The description's lines one after another, readable in a failure's message.
std::string shown(const std::string& rtf) {
    QTextDocument read;
    EXPECT_TRUE(readRtf(rtf, read, QTextCharFormat()));
    return describe(read).join(QStringLiteral(" ; ")).toStdString();
}

} // namespace

// At 15 twips a pixel: 1440 twips is 96 pixels.
TEST(RtfReaderFrames, LaysFramesOutAsAGridInTheColumn) {
    const struct {
        const char* name;
        std::string body;
        QStringList expected;
    } rows[] = {
        {"two frames on one line, written right to left",
         frame(4320, 720, 2880, "Field") + frame(0, 720, 1440, "Label") + "\\pard Body\\par",
         {"at 0 widths 96 192 192", "Label||Field", "Body"}},
        {"three rows of label and field",
         frame(0, 720, 1440, "Name") + frame(2160, 720, 2880, "Taro") + frame(0, 1080, 1440, "Town") +
             frame(2160, 1080, 2880, "Kobe") + frame(0, 1440, 1440, "Date") +
             frame(2160, 1440, 2880, "1 May"),
         {"at 0 widths 96 48 192", "Name||Taro", "Town||Kobe", "Date||1 May"}},
        {"a form written column by column",
         frame(0, 720, 1440, "Name") + frame(0, 1080, 1440, "Town") + frame(2160, 720, 2880, "Taro") +
             frame(2160, 1080, 2880, "Kobe"),
         {"at 0 widths 96 48 192", "Name||Taro", "Town||Kobe"}},
        {"rows written bottom up read top down",
         frame(0, 1080, 1440, "Second") + frame(1440, 720, 1440, "First"),
         {"at 0 widths 96 96", "|First", "Second|"}},
        {"rows whose frames start at different places",
         frame(0, 0, 2880, "Wide") + frame(1440, 400, 1440, "Inset") + frame(0, 800, 1440, "A") +
             frame(2880, 800, 1440, "B"),
         {"at 0 widths 96 96 96", "Wide*2|", "|Inset|", "A||B"}},
        {"a lone frame keeps its width and offset",
         "\\pard Before\\par" + frame(1440, 0, 2880, "Aside") + "\\pard After\\par",
         {"Before", "at 96 widths 192", "Aside", "After"}},
        {"paragraphs of one frame stay together; a \\pard ends it",
         "\\pard\\posx720\\posy0\\absw1440 One\\par Two\\par\\pard Flow\\par",
         {"at 48 widths 96", "One/Two", "Flow"}},
        {"the same place given again goes on in the same frame",
         frame(720, 0, 1440, "One") + frame(720, 0, 1440, "Two"),
         {"at 48 widths 96", "One/Two"}},
        {"frames on the page count from the page's edge",
         "\\pard\\phpg\\posx2520\\absw1440 Paged\\par",
         {"at 48 widths 96", "Paged"}},
        {"vertical ranges that overlap share the line",
         "\\pard\\posx0\\posy720\\absh300\\absw1440 Up\\par\\pard\\posx1440\\posy800\\absh-300\\absw1440 "
         "Down\\par",
         {"at 0 widths 96 96", "Up|Down"}},
        {"frames that overlap go one under the other",
         frame(0, 0, 2880, "First") + frame(1440, 0, 2880, "Second"),
         {"at 0 widths 96 96 96", "First*2|", "|Second*2"}},
        {"frames without a width reach the next one, the last the column's edge",
         "\\pard\\posx0\\posy0 Open\\par\\pard\\posx2880\\posy0\\absw1440 Shut\\par\\pard\\posx0\\posy300 "
         "Last\\par",
         {"at 0 widths 192 96 288", "Open|Shut|", "Last*3"}},
        {"a lone centred frame stays centred",
         "\\pard\\posxc\\posy0\\absw2880 Middle\\par",
         {"at centre widths 192", "Middle"}},
        {"a right-aligned frame on a line with another takes the page's place",
         frame(0, 0, 1440, "L") + "\\pard\\phmrg\\posxr\\posy0\\absw1440 R\\par",
         {"at 0 widths 96 384 96", "L||R"}},
        {"a frame in a table cell is the cell's paragraph",
         "\\trowd\\cellx2000\\pard\\intbl\\posx100\\posy0\\absw500 In a cell\\cell\\row\\pard After\\par",
         {"at 0 widths 133", "In a cell", "After"}},
        {"a positioned table keeps its layout at its offset",
         "\\trowd\\tphmrg\\tposx1440\\cellx1500\\cellx3000\\pard\\intbl A\\cell B\\cell\\row",
         {"at 96 widths 100 100", "A|B"}},
        {"positioned tables on the page, centred, and a plain row after them",
         "\\trowd\\tphpg\\tposx2520\\cellx1500\\pard\\intbl P\\cell\\row\\pard Gap\\par"
         "\\trowd\\tposxc\\cellx1500\\pard\\intbl C\\cell\\row\\pard Gap\\par\\trowd\\cellx1500\\pard\\intbl "
         "N\\cell\\row",
         {"at 48 widths 100", "P", "Gap", "at centre widths 100", "C", "Gap", "at 0 widths 100", "N"}},
        {"words of wrapping and locking",
         "\\pard\\pvpg\\phmrg\\posx1440\\posy720\\absw3000\\absh-300\\abslock1\\dxfrtext180 One\\par"
         "\\pard\\pvpg\\phmrg\\posx1440\\posy1000\\absw3000\\nowrap\\overlay{\\*\\flymaincnt1}two\\par",
         {"at 96 widths 200", "One", "two"}},
        {"a drop capital joins its word",
         "\\pard\\dropcapli3\\pvpara\\posx0\\posy0\\absh-720{\\fs96 T}\\par\\pard he start\\par",
         {"The start"}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(shown(document(row.body)), row.expected.join(QStringLiteral(" ; ")).toStdString())
            << row.name;
    }
}

TEST(RtfReaderFrames, FramesKeepTheirParagraphAndCharacterFormats) {
    QTextDocument read;
    ASSERT_TRUE(readRtf(document("\\pard\\qc\\posx0\\posy0\\absw2880 {\\b Bold} title\\par"
                                 "\\pard\\posxc\\posy400 Open\\par"),
                        read, QTextCharFormat()));
    const QTextCursor bold = read.find(QStringLiteral("Bold"));
    ASSERT_FALSE(bold.isNull());
    EXPECT_EQ(bold.charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(bold.block().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    // A centred frame as wide as the column centres its text.
    const QTextCursor open = read.find(QStringLiteral("Open"));
    ASSERT_FALSE(open.isNull());
    EXPECT_EQ(open.block().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
}

TEST(RtfReaderFrames, HostileFramesStayWithinBounds) {
    const struct {
        const char* name;
        std::string body;
        QStringList expected;
    } rows[] = {
        {"negative and huge places and sizes",
         "\\pard\\posnegx-99999999\\posy0\\absw99999999999 Far\\par"
         "\\pard\\posx99999999\\posy500\\absw-5\\absh-99999999 Gone\\par",
         {"at 0 widths 2112 96", "Far|", "|Gone"}},
        {"a page with no room",
         "\\paperw-5\\margl99999\\margr-3\\pard\\posxr\\absw0 Squeezed\\par",
         {"at 0 widths 96", "Squeezed"}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(shown(document(row.body)), row.expected.join(QStringLiteral(" ; ")).toStdString())
            << row.name;
    }

    // Every cut-off prefix of frames mixed with tables, text boxes and cells reads.
    const std::string mixed =
        document(frame(2160, 0, 2880, "Field") +
                 "\\pard\\posx0\\posy0\\absw1440 A{\\shp{\\*\\shpinst{\\shptxt\\pard Boxed\\par}}}"
                 "\\cell\\row\\par\\trowd\\tposxc\\cellx1000\\pard\\intbl\\posx5 "
                 "c\\cell\\row\\pard\\posyb\\posxo Low\\par");
    for (std::size_t cut = 5; cut < mixed.size(); ++cut) {
        QTextDocument prefix;
        ASSERT_TRUE(readRtf(mixed.substr(0, cut), prefix, QTextCharFormat())) << cut;
    }
    QTextDocument whole;
    ASSERT_TRUE(readRtf(mixed, whole, QTextCharFormat()));
    for (const char* text : {"Field", "A", "Boxed", "c", "Low"}) {
        EXPECT_FALSE(whole.find(QString::fromLatin1(text), 0, QTextDocument::FindWholeWords).isNull())
            << text;
    }

    // Thousands of frames: on one line, along a diagonal, and one a line; each table stays within
    // what the layout takes in one go, and every frame's text is shown.
    std::string many;
    for (int i = 0; i < 3000; ++i) {
        many += frame(i * 10, 0, 5, "a" + std::to_string(i));
    }
    for (int i = 0; i < 3000; ++i) {
        many += frame(i * 700 % 9000, 100 + i, 600, "b" + std::to_string(i));
    }
    QTextDocument read;
    ASSERT_TRUE(readRtf(document(many), read, QTextCharFormat()));
    int tables = 0;
    for (QTextFrame* child : read.rootFrame()->childFrames()) {
        auto* table = qobject_cast<QTextTable*>(child);
        ASSERT_NE(table, nullptr);
        EXPECT_LE(table->columns(), 64);
        EXPECT_LE(table->rows() * table->columns(), RtfBudget::kMaxCellsPerTable);
        ++tables;
    }
    EXPECT_GT(tables, 1);
    for (const char* text : {"a0", "a2999", "b0", "b2999"}) {
        EXPECT_FALSE(read.find(QString::fromLatin1(text), 0, QTextDocument::FindWholeWords).isNull()) << text;
    }
}
