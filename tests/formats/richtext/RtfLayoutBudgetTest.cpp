// Rich text shaped to freeze the layout: a giant font, a huge table, countless line breaks or format
// changes. Each is read within the layout budget, and the document then lays out (the test would
// hang, not fail, if it did not).
#include "formats/richtext/RtfReader.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <gtest/gtest.h>

using namespace velmoa;

namespace {

std::string repeated(const std::string& piece, int times) {
    std::string out;
    out.reserve(piece.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}

struct Shape {
    int tables = 0;
    int mostCellsInATable = 0;
    int cells = 0;
    int mostLinesInABlock = 0; // forced line breaks
    int mostRunsInABlock = 0;  // fragments of differing formats
    qsizetype letters = 0;     // of the text, without separators
};

void measureFrame(QTextFrame* frame, Shape& shape) {
    for (auto it = frame->begin(); !it.atEnd(); ++it) {
        if (QTextFrame* child = it.currentFrame()) {
            if (auto* table = qobject_cast<QTextTable*>(child)) {
                ++shape.tables;
                shape.cells += table->rows() * table->columns();
                shape.mostCellsInATable = std::max(shape.mostCellsInATable, table->rows() * table->columns());
            }
            measureFrame(child, shape);
            continue;
        }
        const QTextBlock block = it.currentBlock();
        int runs = 0;
        for (auto f = block.begin(); !f.atEnd(); ++f) {
            ++runs;
        }
        shape.mostRunsInABlock = std::max(shape.mostRunsInABlock, runs);
        const QString text = block.text();
        shape.mostLinesInABlock =
            std::max<int>(shape.mostLinesInABlock, static_cast<int>(text.count(QChar::LineSeparator)));
        for (const QChar c : text) {
            shape.letters += c.isLetter() ? 1 : 0;
        }
    }
}

TEST(RtfLayoutBudget, KeepsHostileShapesWithinWhatTheLayoutTakes) {
    const struct {
        const char* name;
        std::string rtf;
        bool leftOut;
        Shape bound;       // most of each measure (0: not checked)
        qsizetype letters; // exactly this many letters are shown (-1: fewer than in the file)
        int cells;
    } rows[] = {
        {"a giant font over thousands of words",
         "{\\rtf1\\fs99999 " + repeated("word ", 3000) + "}",
         true,
         {},
         -1,
         0},
        {"a table of 8 x 5000 cells",
         "{\\rtf1" +
             repeated("\\trowd\\cellx1000\\cellx2000\\cellx3000\\cellx4000\\cellx5000\\cellx6000"
                      "\\cellx7000\\cellx8000\\pard\\intbl " +
                          repeated("c\\cell ", 8) + "\\row",
                      5000) +
             "}",
         false,
         {0, RtfBudget::kMaxCellsPerTable},
         40000,
         40000},
        {"100 000 forced line breaks",
         "{\\rtf1 " + repeated("a\\line ", 100000) + "}",
         false,
         {0, 0, 0, RtfBudget::kMaxLinesPerParagraph},
         100000,
         0},
        {"200 000 alternating formats",
         "{\\rtf1 " + repeated("\\b x\\b0 y", 100000) + "}",
         true,
         {0, 0, 0, 0, RtfBudget::kMaxRunsPerParagraph + 1},
         200000,
         0},
    };
    for (const auto& row : rows) {
        QTextDocument document;
        RtfReader reader(document, QTextCharFormat());
        ASSERT_TRUE(reader.read(row.rtf)) << row.name;
        EXPECT_EQ(reader.leftOut(), row.leftOut) << row.name;
        Shape shape;
        measureFrame(document.rootFrame(), shape);
        if (row.bound.mostCellsInATable) {
            EXPECT_LE(shape.mostCellsInATable, row.bound.mostCellsInATable) << row.name;
        }
        if (row.bound.mostLinesInABlock) {
            EXPECT_LE(shape.mostLinesInABlock, row.bound.mostLinesInABlock) << row.name;
        }
        if (row.bound.mostRunsInABlock) {
            EXPECT_LE(shape.mostRunsInABlock, row.bound.mostRunsInABlock) << row.name;
        }
        if (row.letters >= 0) {
            EXPECT_EQ(shape.letters, row.letters) << row.name; // split, never lost
        } else {
            EXPECT_GT(shape.letters, 0) << row.name;
            EXPECT_LT(shape.letters, 4 * 3000) << row.name;
        }
        EXPECT_EQ(shape.cells, row.cells) << row.name;
        document.setTextWidth(600);
        EXPECT_GT(document.documentLayout()->documentSize().height(), 0) << row.name;
        EXPECT_LT(document.documentLayout()->documentSize().height(), 2 * RtfBudget::kMaxDocumentHeight)
            << row.name;
    }
}

} // namespace
