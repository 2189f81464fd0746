#include "formats/metafile/MetafileText.h"

#include <gtest/gtest.h>

using namespace velmoa;

TEST(MetafileText, DecodesTextByTheFontCharacterSet) {
    const struct {
        std::string bytes;
        int charset;
        QString expected;
    } rows[] = {
        {"\x93\xFA\x96\x7B\x8C\xEA", 128, QStringLiteral("日本語")}, // Shift-JIS
        {"\x83\x65\x83\x58\x83\x67", 128, QStringLiteral("テスト")},
        {"\xC8\xD5\xB1\xBE\xD3\xEF", 134, QStringLiteral("日本语")}, // GB2312, as LibreOffice writes
        {"\xA4\xE9\xA5\xBB", 136, QStringLiteral("日本")},           // Big5
        {"\x80 caf\xE9", 0, QStringLiteral("€ café")},               // Windows-1252
        {"\x93\xFA", 0, QStringLiteral("“ú")},                       // Shift-JIS bytes in a western font
        {"\xFF\xFF", 128, QString::fromLatin1("\xFF\xFF")},          // not Shift-JIS: taken byte by byte
        {"\xCF\xF0\xE8\xE2\xE5\xF2", 204, QStringLiteral("Привет")}, // Cyrillic
        {"\x8F\xF3\xF6\xE3", 238, QStringLiteral("Źóöă")},           // Central European
        {"\xE1\xE2\xE3", 161, QStringLiteral("αβγ")},                // Greek
        {"\xFE\xF0\xDD", 162, QStringLiteral("şğİ")},                // Turkish
        {"\xF9\xEC\xE5\xED", 177, QStringLiteral("שלום")},           // Hebrew
        {"\xD3\xE1\xC7\xE3", 178, QStringLiteral("سلام")},           // Arabic
        {"\xC0\xE0", 186, QStringLiteral("Ąą")},                     // Baltic
        {"\xBE\xC8\xB3\xE7", 129, QStringLiteral("안녕")},           // Hangul
        {"\xA1\xA2", 222, QStringLiteral("กข")},                     // Thai
        {"", 128, QString()},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(decodeMetafileText(row.bytes, row.charset), row.expected) << row.bytes;
    }
}

TEST(MetafileText, MapsWindowsFacesToInstalledFamilies) {
    const std::pair<QString, QString> rows[] = {
        {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic")},
        {QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic")},
        {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic")},
        {QStringLiteral("ＭＳ 明朝"), QStringLiteral("IPAMincho")},
        {QStringLiteral("MS Mincho"), QStringLiteral("IPAMincho")},
        {QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho")},
        {QStringLiteral("HG行書体"), QStringLiteral("AoyagiKouzanFontT")},
        {QStringLiteral("Arial"), QStringLiteral("sans-serif")},
        {QStringLiteral("Times New Roman"), QStringLiteral("serif")},
        {QStringLiteral("Courier New"), QStringLiteral("monospace")},
        {QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Sans")},
    };
    for (const auto& [face, family] : rows) {
        EXPECT_EQ(metafileFontFamily(face), family) << face.toStdString();
    }
}

TEST(MetafileText, ShowsSymbolFontCodesAsTheirCharacters) {
    const struct {
        QString face;
        QString written;
        QString shown;
    } rows[] = {
        {QStringLiteral("Symbol"), QString(QChar(0xF061)) + QChar(0xF062) + QChar(0xF070),
         QStringLiteral("αβπ")},
        {QStringLiteral("symbol "), QStringLiteral("a+b"), QStringLiteral("α+β")}, // plain codes in the font
        {QStringLiteral("Symbol"), QString(QChar(0xF0E5)) + QChar(0xF0AE) + QChar(0xF0B3),
         QStringLiteral("∑→≥")},
        {QStringLiteral("Symbol"), QString(QChar(0xF0A5)) + QChar(0xF0D6) + QChar(0xF0FE),
         QStringLiteral("∞√⎭")},
        {QStringLiteral("Symbol"), QString(QChar(0xF020)) + QChar(0xF044) + QChar(0xF057),
         QStringLiteral(" ΔΩ")},
        {QStringLiteral("Arial"), QStringLiteral("a+b"),
         QStringLiteral("a+b")}, // other fonts keep their text
    };
    for (const auto& row : rows) {
        const QString shown = isSymbolFace(row.face) ? mapSymbolText(row.written) : row.written;
        EXPECT_EQ(shown, row.shown) << row.face.toStdString() << " " << row.written.toStdString();
    }
}

TEST(MetafileText, GroupsCharactersOfNoAdvanceWithThePieceBefore) {
    const QString pair = QString::fromUtf16(u"a\U0001F600b");
    const struct {
        const char* name;
        QString text;
        std::vector<double> dx, dy;
        std::vector<std::pair<qsizetype, qsizetype>> pieces; // start, length
    } rows[] = {
        {"each character alone", QStringLiteral("abc"), {5, 6, 7}, {}, {{0, 1}, {1, 1}, {2, 1}}},
        {"a ligature's second letter joins its first",
         QStringLiteral("Metafile"),
         {35, 25, 16, 25, 26, 0, 11, 25},
         {},
         {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 2}, {6, 1}, {7, 1}}},
        {"marks join their letter",
         QString::fromUtf16(u"e\u0301\u0323x"),
         {10, 0, 0, 9},
         {},
         {{0, 3}, {3, 1}}},
        {"a surrogate pair is one character", pair, {5, 9, 0, 6}, {}, {{0, 1}, {1, 2}, {3, 1}}},
        {"a vertical advance counts", QStringLiteral("ab"), {0, 0}, {-25, 0}, {{0, 2}}},
        {"nothing joins a piece of no advance",
         QStringLiteral("abc"),
         {0, 0, 0},
         {},
         {{0, 1}, {1, 1}, {2, 1}}},
    };
    for (const auto& row : rows) {
        std::vector<std::pair<qsizetype, qsizetype>> pieces;
        for (const TextCluster& cluster : positionedClusters(row.text, row.dx, row.dy)) {
            pieces.emplace_back(cluster.start, cluster.length);
        }
        EXPECT_EQ(pieces, row.pieces) << row.name;
    }
}
