#include "formats/richtext/RtfReader.h"

#include <QBuffer>
#include <QImage>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextFrame>
#include <QTextImageFormat>
#include <QTextTable>
#include <QUrl>
#include <array>
#include <gtest/gtest.h>

using namespace velmoa;

namespace {
QTextCharFormat defaultFormat() {
    QTextCharFormat format;
    format.setFontFamilies({QStringLiteral("FixedSys")});
    format.setFontPointSize(12);
    format.setForeground(QColor(Qt::white));
    return format;
}

QString textOf(const std::string& rtf) {
    QTextDocument document;
    EXPECT_TRUE(readRtf(rtf, document, defaultFormat())) << rtf;
    return document.toRawText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
}

// The format of the first character of the first occurrence of a word.
QTextCharFormat formatOf(QTextDocument& document, const QString& word) {
    QTextCursor cursor = document.find(word);
    EXPECT_FALSE(cursor.isNull()) << word.toStdString();
    cursor.setPosition(cursor.selectionStart() + 1);
    return cursor.charFormat();
}

std::string hexOf(const QByteArray& bytes) {
    return bytes.toHex().toStdString();
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}
// The start of a PNG file whose header claims a size; no pixel data follows.
QByteArray pngHeaderClaiming(quint32 width, quint32 height) {
    QByteArray chunk("IHDR");
    for (const quint32 v : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            chunk.append(char(v >> shift));
        }
    }
    chunk.append("\x08\x02\x00\x00\x00", 5);
    quint32 crc = 0xFFFFFFFF;
    for (const char c : chunk) {
        crc ^= static_cast<unsigned char>(c);
        for (int k = 0; k < 8; ++k) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
        }
    }
    crc ^= 0xFFFFFFFF;
    QByteArray png("\x89PNG\r\n\x1a\n\x00\x00\x00\x0d", 12);
    png.append(chunk);
    for (int shift = 24; shift >= 0; shift -= 8) {
        png.append(char(crc >> shift));
    }
    return png;
}
} // namespace

TEST(RtfReader, RefusesWhatIsNotRichTextAndLeavesTheDocument) {
    for (const std::string bytes : {"", "plain text", "{\\rt", "{rtf1}", "\\rtf1", "RTF {\\rtf1}"}) {
        QTextDocument document(QStringLiteral("kept"));
        EXPECT_FALSE(readRtf(bytes, document, defaultFormat())) << bytes;
        EXPECT_EQ(document.toPlainText(), QStringLiteral("kept"));
    }
}

TEST(RtfReader, ReadsTextSpecialsAndSkipsHiddenDestinations) {
    const std::pair<std::string, QString> rows[] = {
        {"{\\rtf1 Hello\\par World}", QStringLiteral("Hello\nWorld")},
        {"{\\rtf1 a\\line b\\tab c\\page d}", QStringLiteral("a\u2028b\tc\nd")},
        {"{\\rtf1 \\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote\\~\\{\\}\\\\}",
         QStringLiteral("—–•‘’“”\u00A0{}\\")},
        {"{\\rtf1 line\r\nbreaks\r\n ignored\\\r\nnext}", QStringLiteral("linebreaks ignored\nnext")},
        {"{\\rtf1{\\info{\\title T}{\\author A}}{\\stylesheet{\\s0 Normal;}}{\\*\\unknown junk}"
         "{\\header H}{\\footerr F}{\\*\\listtable{\\list x}}Body}",
         QStringLiteral("Body")},
        {"{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link}}}", QStringLiteral("link")},
        {"{\\rtf1 {\\listtext 1.\\tab}Item}", QStringLiteral("1.\tItem")},
        // A dropped capital joins the word it begins.
        {"{\\rtf1{\\pard\\dropcapli3\\pvpara\\posx0\\posy0\\absh-720{\\fs96 T}\\par}\\pard he start\\par}",
         QStringLiteral("The start\n")},
        {"{\\rtf1 shown \\v secret\\v0 too}", QStringLiteral("shown too")},
        {"{\\rtf1 a{\\*\\blob\\bin3 }}}}b}", QStringLiteral("ab")},
        {"{\\rtf1\\ansi caf\\'e9}", QStringLiteral("café")},
        // Unicode, with its fallback characters skipped by the \uc count
        {"{\\rtf1\\uc1\\u26085?\\u26412?}", QStringLiteral("日本")},
        {"{\\rtf1\\uc2\\u26085\\'93\\'fa\\uc0\\u26412 x}", QStringLiteral("日本x")},
        {"{\\rtf1{\\uc3\\u26085 abcd}e}", QStringLiteral("日de")},
        {"{\\rtf1\\u-10179?\\u-8704?}", QStringLiteral("😀")},
        // List bullets in symbol fonts, as bytes and as the fonts' private code points
        {"{\\rtf1{\\fonttbl{\\f3\\fcharset2 Symbol;}}{\\f3\\'b7\\u-3913?}\\'b7}", QStringLiteral("••·")},
        // Japanese bytes: in a Shift-JIS font, in the document code page, and with a literal trail byte
        {"{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fnil\\fcharset128 MS Mincho;}}\\f0 "
         "\\'93\\'fa\\'96\\'7b}",
         QStringLiteral("日本")},
        {"{\\rtf1\\ansi\\ansicpg932 \\'82\\'a0\\'82\\'a2}", QStringLiteral("あい")},
        {"{\\rtf1\\ansi\\ansicpg932 \\'95\\\\\\'83\\\\}", QStringLiteral("表ソ")},
        {"{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset128 Gothic;}}"
         "\\f0 caf\\'e9 \\f1\\'93\\'fa}",
         QStringLiteral("café 日")},
        {"{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset0 Century;}{\\f1\\fcharset128 Mincho;}}"
         "\\f0\\loch\\af0\\hich\\af0\\dbch\\af1 \\'93\\'fa\\loch caf\\'e9}",
         QStringLiteral("日café")},
        {"{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset134 SimSun;}}\\f0 \\'d6\\'d0}", QStringLiteral("中")},
        {"{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset204 Arial;}}\\f0 \\'c4\\'e0}", QStringLiteral("Да")},
    };
    for (const auto& [rtf, text] : rows) {
        EXPECT_EQ(textOf(rtf), text) << rtf;
    }
}

TEST(RtfReader, AppliesFontsColoursAndCharacterFormats) {
    const std::string rtf =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fnil\\fcharset128 \\'82\\'6c\\'82\\'72 "
        "\\'96\\'be\\'92\\'a9;}}{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
        "Auto \\fs40\\b\\cf1 Big\\b0\\cf0\\fs24\\f1\\i\\ul\\highlight2 Mincho\\plain Plain\\super "
        "Up\\nosupersub "
        "\\strike Struck\\strike0\\sub Down\\nosupersub{\\dbch\\ab Asian}{\\rtlch\\ab\\ltrch Latin}{\\up6 "
        "Raised}}";
    QTextDocument document;
    ASSERT_TRUE(readRtf(rtf, document, defaultFormat()));

    const QTextCharFormat automatic = formatOf(document, QStringLiteral("Auto"));
    EXPECT_EQ(automatic.fontFamilies().toStringList(), QStringList{QStringLiteral("Arial")});
    EXPECT_EQ(automatic.fontPointSize(), 12);
    EXPECT_EQ(automatic.foreground().color(), QColor(Qt::black)); // never the white default

    const QTextCharFormat big = formatOf(document, QStringLiteral("Big"));
    EXPECT_EQ(big.fontPointSize(), 20);
    EXPECT_EQ(big.fontWeight(), QFont::Bold);
    EXPECT_EQ(big.foreground().color(), QColor(255, 0, 0));

    const QTextCharFormat mincho = formatOf(document, QStringLiteral("Mincho"));
    EXPECT_EQ(mincho.fontFamilies().toStringList(), QStringList{QStringLiteral("ＭＳ 明朝")});
    EXPECT_EQ(mincho.fontWeight(), QFont::Normal);
    EXPECT_TRUE(mincho.fontItalic());
    EXPECT_TRUE(mincho.fontUnderline());
    EXPECT_EQ(mincho.foreground().color(), QColor(Qt::black));
    EXPECT_EQ(mincho.background().color(), QColor(0, 0, 255));

    const QTextCharFormat plain = formatOf(document, QStringLiteral("Plain"));
    EXPECT_FALSE(plain.fontItalic());
    EXPECT_FALSE(plain.fontUnderline());
    EXPECT_EQ(plain.fontFamilies().toStringList(), QStringList{QStringLiteral("Arial")});
    EXPECT_EQ(plain.background().style(), Qt::NoBrush);

    EXPECT_EQ(formatOf(document, QStringLiteral("Up")).verticalAlignment(),
              QTextCharFormat::AlignSuperScript);
    EXPECT_TRUE(formatOf(document, QStringLiteral("Struck")).fontStrikeOut());
    EXPECT_EQ(formatOf(document, QStringLiteral("Struck")).verticalAlignment(), QTextCharFormat::AlignNormal);
    EXPECT_EQ(formatOf(document, QStringLiteral("Down")).verticalAlignment(),
              QTextCharFormat::AlignSubScript);
}

TEST(RtfReader, AppliesParagraphFormats) {
    const std::string rtf = "{\\rtf1\\pard\\qc\\li720\\ri360\\fi-360\\sb120\\sa240 Centred\\par"
                            "\\qr Right\\par\\pard Left\\par\\qj Justified\\par"
                            "\\pard\\li720\\fi-360\\tx720\\tx2160 \\bullet\\tab Item\\par"
                            "\\pard\\sl360\\slmult1 Wide\\par\\sl-300\\slmult0 Exact}";
    QTextDocument document;
    ASSERT_TRUE(readRtf(rtf, document, defaultFormat()));
    const QTextBlockFormat centred = document.findBlockByNumber(0).blockFormat();
    EXPECT_EQ(centred.alignment(), Qt::AlignHCenter);
    EXPECT_EQ(centred.leftMargin(), 48);
    EXPECT_EQ(centred.rightMargin(), 24);
    EXPECT_EQ(centred.textIndent(), -24);
    EXPECT_EQ(centred.topMargin(), 8);
    EXPECT_EQ(centred.bottomMargin(), 16);
    EXPECT_EQ(document.findBlockByNumber(1).blockFormat().alignment(), Qt::AlignRight);
    EXPECT_EQ(document.findBlockByNumber(1).blockFormat().leftMargin(), 48); // kept until \pard
    EXPECT_EQ(document.findBlockByNumber(2).blockFormat().alignment(), Qt::AlignLeft);
    EXPECT_EQ(document.findBlockByNumber(2).blockFormat().leftMargin(), 0);
    EXPECT_EQ(document.findBlockByNumber(3).blockFormat().alignment(), Qt::AlignJustify);
    // A hanging list item: the text after the bullet lines up with the indent of the lines below.
    QList<qreal> tabs;
    for (const auto& tab : document.findBlockByNumber(4).blockFormat().tabPositions()) {
        tabs.append(tab.position);
    }
    EXPECT_EQ(tabs, (QList<qreal>{24, 120}));

    const QTextBlockFormat wide = document.findBlockByNumber(5).blockFormat();
    EXPECT_EQ(wide.lineHeightType(), QTextBlockFormat::ProportionalHeight);
    EXPECT_EQ(wide.lineHeight(), 150);
    const QTextBlockFormat exact = document.findBlockByNumber(6).blockFormat();
    EXPECT_EQ(exact.lineHeightType(), QTextBlockFormat::FixedHeight);
    EXPECT_EQ(exact.lineHeight(), 20);
}

// Lines come from the cells' own borders (or the row's): none given, none drawn.
TEST(RtfReader, DrawsTheBordersThatTheRowDefines) {
    using S = QTextFrameFormat::BorderStyle;
    const struct {
        const char* name;
        std::string definition;
        std::array<S, 4> styles; // top, left, bottom, right of the first cell
        std::array<qreal, 4> widths;
    } rows[] = {
        {"none",
         "\\cellx1500",
         {S::BorderStyle_None, S::BorderStyle_None, S::BorderStyle_None, S::BorderStyle_None},
         {0, 0, 0, 0}},
        {"single, thick, double, dotted",
         "\\clbrdrt\\brdrs\\brdrw15\\clbrdrl\\brdrth\\brdrw30\\clbrdrb\\brdrdb\\brdrw15\\clbrdrr\\brdrdot\\br"
         "drw45"
         "\\cellx1500",
         {S::BorderStyle_Solid, S::BorderStyle_Solid, S::BorderStyle_Double, S::BorderStyle_Dotted},
         {1, 4, 3, 3}},
        {"explicitly none",
         "\\clbrdrt\\brdrnone\\clbrdrl\\brdrnil\\cellx1500",
         {S::BorderStyle_None, S::BorderStyle_None, S::BorderStyle_None, S::BorderStyle_None},
         {0, 0, 0, 0}},
        {"the row's outer edges",
         "\\trbrdrt\\brdrs\\trbrdrl\\brdrdash\\trbrdrv\\brdrdb\\brdrw60\\cellx1500",
         {S::BorderStyle_Solid, S::BorderStyle_Dashed, S::BorderStyle_None, S::BorderStyle_Double},
         {1, 1, 0, 4}},
        // Paragraph borders are not the cell's.
        {"paragraph border",
         "\\cellx1500\\pard\\brdrb\\brdrs\\brdrw15",
         {S::BorderStyle_None, S::BorderStyle_None, S::BorderStyle_None, S::BorderStyle_None},
         {0, 0, 0, 0}},
    };
    for (const auto& row : rows) {
        QTextDocument document;
        ASSERT_TRUE(
            readRtf("{\\rtf1\\trowd" + row.definition + "\\cellx3000\\pard\\intbl A\\cell B\\cell\\row}",
                    document, defaultFormat()));
        QTextTable* table = document.rootFrame()->childFrames().isEmpty()
                                ? nullptr
                                : qobject_cast<QTextTable*>(document.rootFrame()->childFrames().front());
        ASSERT_NE(table, nullptr) << row.name;
        EXPECT_EQ(table->format().border(), 0) << row.name;
        const QTextTableCellFormat cell = table->cellAt(0, 0).format().toTableCellFormat();
        const std::array<S, 4> styles = {cell.topBorderStyle(), cell.leftBorderStyle(),
                                         cell.bottomBorderStyle(), cell.rightBorderStyle()};
        const std::array<qreal, 4> widths = {cell.topBorder(), cell.leftBorder(), cell.bottomBorder(),
                                             cell.rightBorder()};
        EXPECT_EQ(styles, row.styles) << row.name;
        EXPECT_EQ(widths, row.widths) << row.name;
    }
}

TEST(RtfReader, ShowsTablesAsRowsOfCells) {
    const std::string rtf = "{\\rtf1 Before\\par"
                            "\\trowd\\cellx1500\\cellx3000\\pard\\intbl A\\cell B\\cell\\row"
                            "\\trowd\\cellx1500\\cellx3000\\pard\\intbl C\\cell\\cell  {\\row}"
                            "\\pard After\\par}";
    QTextDocument document;
    ASSERT_TRUE(readRtf(rtf, document, defaultFormat()));
    QTextTable* table = nullptr;
    for (QTextFrame* frame : document.rootFrame()->childFrames()) {
        table = qobject_cast<QTextTable*>(frame);
    }
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->rows(), 2);
    ASSERT_EQ(table->columns(), 2);
    const auto cellText = [&](int row, int column) {
        const QTextTableCell cell = table->cellAt(row, column);
        QTextCursor cursor = cell.firstCursorPosition();
        cursor.setPosition(cell.lastPosition(), QTextCursor::KeepAnchor);
        return cursor.selectedText();
    };
    EXPECT_EQ(cellText(0, 0), QStringLiteral("A"));
    EXPECT_EQ(cellText(0, 1), QStringLiteral("B"));
    EXPECT_EQ(cellText(1, 0), QStringLiteral("C"));
    // A blank between the last cell and the row's end makes no column of its own.
    EXPECT_EQ(cellText(1, 1).trimmed(), QString());
    EXPECT_EQ(table->format().columnWidthConstraints().value(0).rawValue(), 100);
    EXPECT_LT(document.find(QStringLiteral("Before")).position(), table->firstPosition());
    EXPECT_GT(document.find(QStringLiteral("After")).position(), table->lastPosition());
}

// Drawing objects' text reads after the paragraph that anchors the object; the shape's
// properties and its fallback drawing stay unseen.
TEST(RtfReader, ShowsTextBoxesAfterTheirAnchoringParagraph) {
    const std::string shape = "{\\shp{\\*\\shpinst\\shpleft3118\\shptop114{\\sp{\\sn shapeType}{\\sv 202}}"
                              "{\\sp{\\sn fillColor}{\\sv 16777215}}"
                              "{\\shptxt\\pard\\plain Boxed \\b text\\b0\\par second\\par}}"
                              "{\\shprslt{\\*\\do\\dobxcolumn{\\dptxbxtext old copy}}}}";
    const std::pair<std::string, QString> rows[] = {
        {"{\\rtf1 Anchor " + shape + "paragraph.\\par Next.\\par}",
         QStringLiteral("Anchor paragraph.\nBoxed text\nsecond\nNext.\n")},
        {"{\\rtf1 " + shape + shape + "\\par}", QStringLiteral("\nBoxed text\nsecond\nBoxed text\nsecond\n")},
        // A document of nothing but a text box, and one cut off inside it.
        {"{\\rtf1 " + shape + "}", QStringLiteral("\nBoxed text\nsecond")},
        {"{\\rtf1 A" + shape.substr(0, shape.find("second")), QStringLiteral("A\nBoxed text")},
        // WordArt keeps its text in a shape property; the other properties stay unseen.
        {"{\\rtf1 A{\\shp{\\*\\shpinst{\\sp{\\sn gtextUNICODE}{\\sv Word\\u-194?\\u26085?}}{\\sp{\\sn "
         "gtextFont}"
         "{\\sv Arial}}{\\sp{\\sn fillBlip}{\\sv{\\pict\\pngblip 00}}}}}B\\par}",
         QStringLiteral("AB\nWord\uFF3E日\n")},
        // Anchored in a table cell: the box stays in the cell.
        {"{\\rtf1\\trowd\\cellx1500\\cellx3000\\pard\\intbl A" + shape + "\\cell B\\cell\\row\\pard C\\par}",
         QStringLiteral("\uFDD0A\nBoxed text\nsecond\uFDD0B\uFDD1C\n")},
    };
    for (const auto& [rtf, text] : rows) {
        EXPECT_EQ(textOf(rtf), text) << rtf;
    }
    QTextDocument document;
    ASSERT_TRUE(readRtf("{\\rtf1 Anchor " + shape + "\\par}", document, defaultFormat()));
    EXPECT_EQ(formatOf(document, QStringLiteral("text")).fontWeight(), QFont::Bold);
    EXPECT_EQ(formatOf(document, QStringLiteral("Boxed")).fontWeight(), QFont::Normal);
    // Each of the box's paragraphs keeps its alignment, the first one too.
    QTextDocument aligned;
    ASSERT_TRUE(
        readRtf("{\\rtf1 Anchor{\\shp{\\*\\shpinst{\\shptxt\\pard\\qc Centred\\par\\pard\\qr Right\\par}}}"
                "\\par After\\par}",
                aligned, defaultFormat()));
    const auto alignmentOf = [&](const char* text) {
        return aligned.find(QString::fromLatin1(text)).block().blockFormat().alignment() &
               Qt::AlignHorizontal_Mask;
    };
    EXPECT_EQ(alignmentOf("Centred"), Qt::AlignHCenter);
    EXPECT_EQ(alignmentOf("Right"), Qt::AlignRight);
    EXPECT_EQ(alignmentOf("Anchor"), Qt::AlignLeft);
}

namespace {
// A one-level list of the given number format whose item gives no number of its own.
std::string listDocument(int format, int start, const std::string& levelText = "\\'02\\'00.;",
                         const std::string& items = "\\pard\\ls1 Item\\par") {
    return "{\\rtf1\\ansi\\ansicpg932{\\*\\listtable{\\list{\\listlevel\\levelnfc" + std::to_string(format) +
           "\\levelstartat" + std::to_string(start) + "{\\leveltext " + levelText +
           "}{\\levelnumbers\\'01;}}{\\listlevel\\levelnfc18\\levelfollow1{\\leveltext\\'03\\'00-\\'01;}}"
           "{\\listname ;}\\listid5}}{\\*\\listoverridetable{\\listoverride\\listid5\\ls1}}" +
           items + "}";
}
} // namespace

// Numbers of list items whose writer left out the number's text, in the list's own format.
TEST(RtfReader, NumbersListItemsInTheirListsFormat) {
    const std::pair<std::string, QString> rows[] = {
        {listDocument(0, 3), QStringLiteral("3.\tItem\n")},
        {listDocument(1, 14), QStringLiteral("XIV.\tItem\n")},
        {listDocument(2, 9), QStringLiteral("ix.\tItem\n")},
        {listDocument(4, 28), QStringLiteral("bb.\tItem\n")},
        {listDocument(35, 1), QStringLiteral("一.\tItem\n")},
        {listDocument(10, 21), QStringLiteral("二十一.\tItem\n")},
        {listDocument(35, 110), QStringLiteral("百十.\tItem\n")},
        {listDocument(16, 3), QStringLiteral("参.\tItem\n")},
        {listDocument(18, 2), QStringLiteral("②.\tItem\n")},
        {listDocument(20, 3), QStringLiteral("ウ.\tItem\n")},
        {listDocument(12, 3), QStringLiteral("ｳ.\tItem\n")},
        {listDocument(21, 2), QStringLiteral("ロ.\tItem\n")},
        {listDocument(19, 12), QStringLiteral("１２.\tItem\n")},
        {listDocument(22, 7), QStringLiteral("07.\tItem\n")},
        {listDocument(30, 2), QStringLiteral("乙.\tItem\n")},
        {listDocument(30, 1, "\\'02\\'00\\'81\\'44;",
                      "\\pard\\ls1 A\\par\\pard\\ls1 B\\par\\pard\\ls1 C\\par\\pard\\ls1 D\\par"),
         QStringLiteral("甲．\tA\n乙．\tB\n丙．\tC\n丁．\tD\n")},
        {listDocument(255, 1), QStringLiteral(".\tItem\n")},
        // Text of the level in the document's code page, and as Unicode.
        {listDocument(35, 1, "\\'02\\'00\\'81\\'41;"), QStringLiteral("一、\tItem\n")},
        {listDocument(23, 1, "\\'01\\u8226 ?;"), QStringLiteral("•\tItem\n")},
        // Deeper levels restart under each item above them; a level's number shows in the one below.
        {listDocument(35, 1, "\\'02\\'00.;",
                      "\\pard\\ls1 A\\par\\pard\\ls1\\ilvl1 a\\par\\pard\\ls1\\ilvl1 b\\par\\pard\\ls1 B\\par"
                      "\\pard\\ls1\\ilvl1 c\\par\\pard After\\par"),
         QStringLiteral("一.\tA\n一-① a\n一-② b\n二.\tB\n二-① c\nAfter\n")},
        // A number the writer gave is shown as written, and still counted.
        {listDocument(0, 1, "\\'02\\'00.;", "\\pard\\ls1{\\listtext 1)\\tab}A\\par\\pard\\ls1 B\\par"),
         QStringLiteral("1)\tA\n2.\tB\n")},
        // An unknown list, or none, gets no number.
        {listDocument(0, 1, "\\'02\\'00.;", "\\pard\\ls9 A\\par"), QStringLiteral("A\n")},
        // A list override's own format for a level: the ten heavenly stems over Kanji numbers.
        {[] {
             std::string rtf = listDocument(35, 1, "\\'02\\'00.;", "\\pard\\ls1 A\\par\\pard\\ls1 B\\par");
             const std::string plain = "{\\listoverride\\listid5\\ls1}";
             return rtf.replace(rtf.find(plain), plain.size(),
                                "{\\listoverride\\listid5\\listoverridecount1{\\lfolevel\\listoverrideformat1"
                                "{\\listlevel\\levelnfc30\\levelnfcn30{\\leveltext\\'02\\'00.;}}}\\ls1}");
         }(),
         QStringLiteral("甲.\tA\n乙.\tB\n")},
    };
    for (const auto& [rtf, text] : rows) {
        EXPECT_EQ(textOf(rtf), text) << rtf;
    }
}

// Math zones without a picture of their own show their text runs in reading order: superscripts
// raised, a fraction's parts split by a slash; properties and pictures of the math stay unseen.
TEST(RtfReader, ShowsTheTextOfMath) {
    const std::string equation =
        "{\\mmath{\\*\\moMathPara{\\*\\moMathParaPr{\\*\\mjc1}}{\\*\\moMath{\\*\\msSup{\\*\\msSupPr{\\*"
        "\\mctrlPr"
        "\\i\\f34 }}{\\*\\me{\\*\\mr\\i\\f34 x}}{\\*\\msup{\\*\\mr\\i\\f34 2}}}{\\*\\mr "
        "+}{\\*\\mf{\\*\\mfPr{\\*"
        "\\mtype skw}}{\\*\\mnum{\\mr\\mscr0\\msty2 a}}{\\*\\mden{\\*\\mr b}}}{\\*\\msSub{\\*\\me{\\*\\mr y}}"
        "{\\*\\msub{\\*\\mr\\u-10187?\\u-9138?}}}}}}";
    const std::pair<std::string, QString> rows[] = {
        {"{\\rtf1{\\mmathPr\\mmathFont34\\mbrkBin0}Before\\par " + equation + "\\par After\\par}",
         QStringLiteral("Before\nx2+a/by\U0001D44E\nAfter\n")},
        {"{\\rtf1 " + equation.substr(0, equation.size() - 1) + "{\\*\\mmathPict{\\pict\\pngblip 00}}}\\par}",
         QStringLiteral("x2+a/by\U0001D44E\n")},
        // Words of other destinations that begin with m stay what they were.
        {"{\\rtf1{\\*\\mhtmltag x}{\\*\\mmathPr\\mdispDef1}Text}", QStringLiteral("Text")},
    };
    for (const auto& [rtf, text] : rows) {
        EXPECT_EQ(textOf(rtf), text) << rtf;
    }
    QTextDocument document;
    ASSERT_TRUE(readRtf(rows[0].first, document, defaultFormat()));
    EXPECT_EQ(formatOf(document, QStringLiteral("2")).verticalAlignment(), QTextCharFormat::AlignSuperScript);
    EXPECT_EQ(formatOf(document, QStringLiteral("x")).verticalAlignment(), QTextCharFormat::AlignNormal);
    EXPECT_EQ(formatOf(document, QStringLiteral("\U0001D44E")).verticalAlignment(),
              QTextCharFormat::AlignSubScript);
}

namespace {
// A bullet list whose one level shows `levelText` in font 3 (\f3 follows the text, as writers put it).
std::string bulletList(const std::string& fontTable, const std::string& levelText, const std::string& items) {
    return "{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0 Century;}" + fontTable +
           "}{\\*\\listtable{\\list{\\listlevel\\levelnfc23\\levelnfcn23\\levelfollow0{\\leveltext"
           "\\leveltemplateid67698689" +
           levelText +
           ";}{\\levelnumbers;}\\f3\\fbias0 \\fi-420\\li420}{\\listname ;}\\listid7}}"
           "{\\*\\listoverridetable{\\listoverride\\listid7\\listoverridecount0\\ls1}}" +
           items + "}";
}
} // namespace

// Bullets in symbol fonts show as the characters they look like, by the font's name or its
// symbol character set; Symbol and Wingdings differ for the same byte.
TEST(RtfReader, ShowsSymbolFontBulletsAsTheCharactersTheyLookLike) {
    const std::string wingdings = "{\\f3\\fnil\\fcharset2 Wingdings;}";
    const std::string symbol = "{\\f3\\froman\\fcharset2 Symbol;}";
    const std::string item = "\\pard\\ls1 Item\\par";
    const std::pair<std::string, QString> rows[] = {
        {"{\\rtf1{\\fonttbl" + wingdings + "}{\\f3\\'a7\\'6c\\'d8\\'fc\\'71\\'76\\'6e}}",
         QStringLiteral("▪●➢✓❑❖■")},
        // Named Wingdings without the symbol character set; as private codes.
        {"{\\rtf1{\\fonttbl{\\f3\\fnil\\fcharset0 Wingdings;}}{\\f3\\'a7l}}", QStringLiteral("▪●")},
        {"{\\rtf1{\\fonttbl" + wingdings + "}{\\f3\\u61607?\\u-3988?}}", QStringLiteral("▪●")},
        {"{\\rtf1{\\fonttbl" + symbol + "}{\\f3\\'b7\\'a7\\u-3913?}}", QStringLiteral("•♣•")},
        // Another symbol font: the bullets in common use; a text font keeps its letters.
        {"{\\rtf1{\\fonttbl{\\f3\\fcharset2 Marlett;}}{\\f3\\'b7\\'a7}}", QStringLiteral("•▪")},
        {"{\\rtf1\\ansi{\\fonttbl{\\f3\\fcharset0 Arial;}}{\\f3\\'a7l}}", QStringLiteral("§l")},
        // List levels in these fonts, as bytes, Unicode and letters; and a writer's own bullet text.
        {bulletList(wingdings, "\\'01\\'a7", item), QStringLiteral("▪\tItem\n")},
        {bulletList(wingdings, "\\'01l", item), QStringLiteral("●\tItem\n")},
        {bulletList(wingdings, "\\'01\\u-3880 ?", item), QStringLiteral("➢\tItem\n")},
        {bulletList(symbol, "\\'01\\u-3913 ?", item), QStringLiteral("•\tItem\n")},
        {bulletList(wingdings, "\\'01\\'a7", "\\pard\\ls1{\\listtext\\pard\\plain\\f3 \\'d8\\tab}Item\\par"),
         QStringLiteral("➢\tItem\n")},
        // A text font's bullet in the document's code page.
        {bulletList("{\\f3\\fnil\\fcharset128 MS Mincho;}", "\\'01\\'81\\'45", item),
         QStringLiteral("・\tItem\n")},
    };
    for (const auto& [rtf, text] : rows) {
        EXPECT_EQ(textOf(rtf), text) << rtf;
    }
}

namespace {
// The text of a document, each picture in it as "[w x h]".
QString textWithPictures(const std::string& rtf) {
    QTextDocument document;
    EXPECT_TRUE(readRtf(rtf, document, defaultFormat())) << rtf;
    QString out;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFormat format = it.fragment().charFormat();
            out += format.isImageFormat() ? QStringLiteral("[%1x%2]")
                                                .arg(format.toImageFormat().width())
                                                .arg(format.toImageFormat().height())
                                          : it.fragment().text();
        }
        out += QLatin1Char('\n');
    }
    return out;
}
} // namespace

// Drawing objects show the picture a picture shape holds, once: its fallback copy for readers
// that do not read shapes stays unseen, and shows only when the shape's own cannot be read.
TEST(RtfReader, ShowsThePictureOfAPictureShapeOnce) {
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(QColor(0, 120, 0));
    const std::string png = hexOf(encoded(picture, "PNG"));
    const std::string pict = "{\\pict\\pngblip\\picw4\\pich3 " + png + "}";
    const std::string fallback =
        "{\\shprslt{\\*\\do\\dobxcolumn\\dobypara\\dodhgt8192\\dptxbx{\\dptxbxtext x}}"
        "{\\pict\\pngblip\\picwgoal120\\pichgoal90 " +
        png + "}}";
    const std::pair<std::string, QString> rows[] = {
        {"{\\rtf1 A{\\shp{\\*\\shpinst\\shpleft0\\shptop0{\\sp{\\sn shapeType}{\\sv 75}}{\\sp{\\sn "
         "pib}{\\sv " +
             pict + "}}}" + fallback + "}B\\par}",
         QStringLiteral("A[4x3]B\n\n")},
        // A rectangle of no size draws nothing, its old drawing neither.
        {"{\\rtf1 A{\\shp{\\*\\shpinst{\\sp{\\sn shapeType}{\\sv 1}}{\\sp{\\sn fillColor}{\\sv 255}}}"
         "{\\shprslt{\\*\\do\\dobxcolumn\\dprect\\dpx0\\dpy0}}}B\\par}",
         QStringLiteral("AB\n\n")},
        // The shape's picture cannot be read, or it has none: the fallback shows.
        {"{\\rtf1 A{\\shp{\\*\\shpinst{\\sp{\\sn pib}{\\sv {\\pict\\macpict 00}}}}" + fallback + "}B\\par}",
         QStringLiteral("A[8x6]B\n\n")},
        {"{\\rtf1 A{\\shp{\\*\\shpinst{\\sp{\\sn shapeType}{\\sv 75}}}" + fallback + "}B\\par}",
         QStringLiteral("A[8x6]B\n\n")},
        // Two picture shapes: each shows its own.
        {"{\\rtf1{\\shp{\\*\\shpinst{\\sp{\\sn pib}{\\sv " + pict + "}}}" + fallback +
             "}{\\shp{\\*\\shpinst{\\sp{\\sn pib}{\\sv " + pict + "}}}" + fallback + "}}",
         QStringLiteral("[4x3][4x3]\n")},
    };
    for (const auto& [rtf, text] : rows) {
        EXPECT_EQ(textWithPictures(rtf), text) << rtf;
    }
}

TEST(RtfReader, AddsPngAndJpegPicturesAtTheirSize) {
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(QColor(200, 0, 0));
    struct Row {
        std::string pict;
        int width, height;
    };
    const Row rows[] = {
        {"\\pngblip\\picw4\\pich3\\picwgoal600\\pichgoal300 " + hexOf(encoded(picture, "PNG")), 40, 20},
        {"\\jpegblip\\picscalex200 " + hexOf(encoded(picture, "JPEG")), 8, 3},
    };
    for (const auto& row : rows) {
        QTextDocument document;
        ASSERT_TRUE(readRtf("{\\rtf1 x{\\*\\shppict{\\pict" + row.pict +
                                "}}{\\nonshppict{\\pict\\wmetafile8 0100}}y}",
                            document, defaultFormat()));
        EXPECT_EQ(document.toPlainText(), QStringLiteral("x\uFFFCy"));
        QTextCursor cursor(&document);
        cursor.setPosition(2);
        const QTextImageFormat format = cursor.charFormat().toImageFormat();
        ASSERT_TRUE(format.isValid());
        EXPECT_EQ(format.width(), row.width);
        EXPECT_EQ(format.height(), row.height);
        const QImage stored =
            document.resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
        ASSERT_EQ(stored.size(), QSize(4, 3));
        EXPECT_NEAR(qRed(stored.pixel(1, 1)), 200, 8);
    }
}

TEST(RtfReader, SurvivesHostileInput) {
    const std::string deep = "{\\rtf1 " + std::string(10000, '{') + "x" + std::string(10000, '}') + " y}";
    EXPECT_EQ(textOf(deep), QStringLiteral("x y"));

    QTextDocument document;
    ASSERT_TRUE(readRtf("{\\rtf1\\fs99999999999999 \\li-99999999999 z"
                        "\\cf4294967296 \\f-5 w\\uc99999999 \\u99999999999 \\bin99999999999",
                        document, defaultFormat()));
    EXPECT_LE(formatOf(document, QStringLiteral("w")).fontPointSize(), 1638);

    // Fonts beyond the table's bound are not kept: their text takes the default font.
    std::string manyFonts = "{\\rtf1{\\fonttbl";
    for (int i = 0; i < 10000; ++i) {
        manyFonts += "{\\f" + std::to_string(i) + " Face" + std::to_string(i) + ";}";
    }
    manyFonts += "}\\f1 one \\f9999 last}";
    QTextDocument fonts;
    ASSERT_TRUE(readRtf(manyFonts, fonts, defaultFormat()));
    EXPECT_EQ(formatOf(fonts, QStringLiteral("one")).fontFamilies().toStringList(), QStringList{"Face1"});
    EXPECT_EQ(formatOf(fonts, QStringLiteral("last")).fontFamilies().toStringList(), QStringList{"FixedSys"});

    const std::string hostile[] = {
        "{\\rtf1 \\'",
        "{\\rtf1 \\'9",
        "{\\rtf1 \\",
        "{\\rtf1}}}}} more",
        "{\\rtf1\\cell\\cell\\row\\row\\intbl\\cell x\\row\\nestcell\\nestrow}",
        "{\\rtf1{\\pict\\pngblip 89504e470d0a1a0a0000}}",
        "{\\rtf1{\\pict\\jpegblip\\picwgoal99999999 ffd8ffe0}}",
        "{\\rtf1{\\colortbl\\red999;;;}\\cf2 \\cb-1 x\\highlight99999 y}",
        "{\\rtf1{\\pict\\pngblip " + hexOf(pngHeaderClaiming(60000, 60000)) + "}}",
        "{\\rtf1\\ansicpg99999\\'80\\'ff{\\fonttbl{\\f0\\fcharset128 \\'81}}\\f0\\'81",
    };
    for (const auto& rtf : hostile) {
        QTextDocument d;
        EXPECT_TRUE(readRtf(rtf, d, defaultFormat())) << rtf;
    }
}

TEST(RtfReader, ReadsEveryCutOffPrefixOfADocument) {
    QImage picture(2, 2, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    const std::string full =
        "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fcharset128 \\'82\\'6c\\'82\\'72;}}"
        "{\\colortbl;\\red0\\green128\\blue0;}{\\*\\generator x;}\\pard\\qc\\b\\cf1 \\'93\\'fa\\'96\\'7b\\par"
        "\\trowd\\cellx1000\\intbl\\uc1\\u26085?\\cell\\row\\pard{\\pict\\pngblip " +
        hexOf(encoded(picture, "PNG")) + "}\\bin2 ab}";
    ASSERT_EQ(textOf(full).left(3), QStringLiteral("日本\n"));
    for (std::size_t cut = 5; cut < full.size(); ++cut) {
        QTextDocument document;
        ASSERT_TRUE(readRtf(full.substr(0, cut), document, defaultFormat())) << cut;
    }
}
