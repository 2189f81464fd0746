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
