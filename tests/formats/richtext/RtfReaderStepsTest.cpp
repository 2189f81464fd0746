// Rich text read in steps shows what it shows read at once: the same text, table grid and colours.
#include "formats/richtext/RtfReader.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <gtest/gtest.h>

using namespace velmoa;

namespace {

std::string repeated(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}

// A ruled table row of `columns` cells, every third one red.
std::string tableRow(int row, int columns) {
    std::string out = "\\trowd\\trgaph108";
    for (int column = 0; column < columns; ++column) {
        out += "\\clbrdrt\\brdrs\\brdrw10\\clbrdrb\\brdrdb\\clbrdrl\\brdrs\\clbrdrr\\brdrs\\brdrcf1\\cellx" +
               std::to_string((column + 1) * 700);
    }
    for (int column = 0; column < columns; ++column) {
        out += "\\pard\\intbl" + std::string((row + column) % 3 == 0 ? "\\cf1 " : " ") + std::to_string(row) +
               "/" + std::to_string(column) + "\\cell";
    }
    return out + "\\row\n";
}

std::string table(int rows, int columns) {
    std::string out;
    for (int row = 0; row < rows; ++row) {
        out += tableRow(row, columns);
    }
    return out;
}

std::string document(const std::string& body) {
    return "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}" + body + "}";
}

QString colourOf(const QBrush& brush) {
    return brush.style() == Qt::NoBrush ? QStringLiteral("-") : brush.color().name();
}

QString describeText(const QTextBlock& block) {
    QString out = block.text() + QLatin1Char('[');
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextCharFormat format = it.fragment().charFormat();
        out += QStringLiteral("%1 %2 %3;")
                   .arg(it.fragment().text(), colourOf(format.foreground()))
                   .arg(format.fontWeight());
    }
    return out + QLatin1Char(']');
}

QString describeBorder(qreal width, QTextFrameFormat::BorderStyle style, const QBrush& brush) {
    return style == QTextFrameFormat::BorderStyle_None || width <= 0
               ? QStringLiteral("none")
               : QStringLiteral("%1/%2/%3").arg(width).arg(style).arg(colourOf(brush));
}

// The line between two rows, drawn once: the wider of the upper's bottom and the lower's top.
QString lineBetween(const QTextTableCellFormat& upper, const QTextTableCellFormat& lower) {
    const bool upperWins = upper.bottomBorderStyle() != QTextFrameFormat::BorderStyle_None &&
                           upper.bottomBorder() > lower.topBorder();
    return upperWins
               ? describeBorder(upper.bottomBorder(), upper.bottomBorderStyle(), upper.bottomBorderBrush())
               : describeBorder(lower.topBorder(), lower.topBorderStyle(), lower.topBorderBrush());
}

// What a document shows, a line per paragraph, per table row and per line between rows. Tables
// one under the other read as one: their rows, cells, column widths and rules. Empty paragraphs
// right before a table take no room and are left out.
class Description {
  public:
    void frame(QTextFrame* frame) {
        for (auto it = frame->begin(); !it.atEnd(); ++it) {
            if (auto* table = qobject_cast<QTextTable*>(it.currentFrame())) {
                tableRows(*table);
            } else if (it.currentFrame()) {
                this->frame(it.currentFrame());
            } else {
                auto next = it;
                ++next;
                if (it.currentBlock().length() > 1 || next.atEnd() || !next.currentFrame()) {
                    endTable();
                    lines += describeText(it.currentBlock());
                }
            }
        }
        endTable();
    }
    QStringList lines;

  private:
    void tableRows(QTextTable& table) {
        QStringList widths;
        for (const QTextLength& width : table.format().columnWidthConstraints()) {
            widths += QString::number(width.rawValue());
        }
        for (int row = 0; row < table.rows(); ++row) {
            std::vector<QTextTableCellFormat> formats;
            QString line = QStringLiteral("row ") + widths.join(QLatin1Char(',')) + QLatin1Char(':');
            QString edge = QStringLiteral("line:");
            for (int column = 0; column < table.columns(); ++column) {
                const QTextTableCell cell = table.cellAt(row, column);
                const QTextTableCellFormat format = cell.format().toTableCellFormat();
                line += QStringLiteral(" %1 %2 %3 |")
                            .arg(describeText(cell.firstCursorPosition().block()),
                                 describeBorder(format.leftBorder(), format.leftBorderStyle(),
                                                format.leftBorderBrush()),
                                 describeBorder(format.rightBorder(), format.rightBorderStyle(),
                                                format.rightBorderBrush()));
                edge +=
                    QLatin1Char(' ') + (static_cast<std::size_t>(column) < above_.size()
                                            ? lineBetween(above_[static_cast<std::size_t>(column)], format)
                                            : describeBorder(format.topBorder(), format.topBorderStyle(),
                                                             format.topBorderBrush()));
                formats.push_back(format);
            }
            lines += edge;
            lines += line;
            above_ = std::move(formats);
        }
    }
    void endTable() {
        if (above_.empty()) {
            return;
        }
        QString edge = QStringLiteral("line:");
        for (const QTextTableCellFormat& format : above_) {
            edge += QLatin1Char(' ') + describeBorder(format.bottomBorder(), format.bottomBorderStyle(),
                                                      format.bottomBorderBrush());
        }
        lines += edge;
        above_.clear();
    }
    std::vector<QTextTableCellFormat> above_; // the last row of the table read, until a paragraph
};

QStringList shownAtOnce(const std::string& rtf) {
    QTextDocument at;
    EXPECT_TRUE(readRtf(rtf, at, QTextCharFormat()));
    Description description;
    description.frame(at.rootFrame());
    return description.lines;
}

} // namespace

TEST(RtfReaderSteps, ShowWhatReadingAtOnceShows) {
    const struct {
        const char* name;
        std::string rtf;
    } rows[] = {
        {"a wide ruled table", document(table(120, 64))},
        {"paragraphs in formats",
         document(repeated("\\pard\\sa120 Plain {\\b bold} and {\\cf1 red} text\\par\n", 3000))},
        {"tables between paragraphs",
         document(repeated("\\pard Before\\par " + table(30, 5) + "\\pard After\\par\n", 40))},
        {"a text box in a table cell",
         document(
             table(20, 4) +
             "\\trowd\\cellx1500\\cellx3000\\pard\\intbl A{\\shp{\\*\\shpinst{\\shptxt\\pard Boxed\\par}}}"
             "\\cell B\\cell\\row" +
             table(20, 4))},
        {"a form of positioned frames",
         document(
             repeated("\\pard\\posx2160\\posy720\\absw2880 Field\\par\\pard\\posx0\\posy720\\absw1440 "
                      "Label\\par\\pard\\posx0\\posy1080\\absw4320 Note\\par Lines\\par\\pard Between\\par\n",
                      300))},
        {"a table cut off in a row", document(table(50, 8)).substr(0, document(table(50, 8)).size() / 2)},
    };
    for (const auto& row : rows) {
        const QStringList expected = shownAtOnce(row.rtf);
        for (const int units : {1, 7, 400}) {
            QTextDocument stepped;
            RtfReader reader(stepped, QTextCharFormat());
            ASSERT_TRUE(reader.start(row.rtf)) << row.name;
            int steps = 1;
            while (reader.readStep(units)) {
                ++steps;
            }
            if (units < 10) {
                EXPECT_GT(steps, 1) << row.name << " by " << units;
            }
            Description description;
            description.frame(stepped.rootFrame());
            const QStringList& shown = description.lines;
            ASSERT_EQ(shown.size(), expected.size()) << row.name << " by " << units;
            for (qsizetype i = 0; i < shown.size(); ++i) {
                ASSERT_EQ(shown[i].toStdString(), expected[i].toStdString())
                    << row.name << " by " << units << " at " << i;
            }
        }
    }
}

// The first step of a long table holds its first rows and not its last; later steps add the rest.
TEST(RtfReaderSteps, TheFirstStepHoldsTheBeginning) {
    const std::string rtf = document(table(300, 64));
    QTextDocument stepped;
    RtfReader reader(stepped, QTextCharFormat());
    ASSERT_TRUE(reader.start(rtf));
    ASSERT_TRUE(reader.readStep(1000));
    EXPECT_FALSE(stepped.find(QStringLiteral("0/0")).isNull());
    EXPECT_FALSE(stepped.find(QStringLiteral("10/63")).isNull());
    EXPECT_TRUE(stepped.find(QStringLiteral("299/0")).isNull());
    while (reader.readStep(400)) {
    }
    EXPECT_FALSE(stepped.find(QStringLiteral("299/63")).isNull());
    EXPECT_FALSE(reader.readStep(400)); // read to its end: nothing more comes
}
