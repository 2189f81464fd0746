#include "formats/metafile/MetafileText.h"

#include "formats/text/CodePageDecoder.h"

namespace velmoa {
namespace {

// Windows-1252 differs from Latin-1 only in 0x80-0x9F; unassigned codes stay as Latin-1.
constexpr char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decodeCp1252(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text.append(byte >= 0x80 && byte < 0xA0 ? QChar(kCp1252High[byte - 0x80]) : QChar(byte));
    }
    return text;
}

// The Symbol font's characters from 0x20 to 0xFF; 0 where it shows nothing.
constexpr char16_t kSymbol[224] = {
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B, 0x0028, 0x0029, 0x2217, 0x002B, // 0x20
    0x002C, 0x2212, 0x002E, 0x002F, 0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037, // 0x2C
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F, 0x2245, 0x0391, 0x0392, 0x03A7, // 0x38
    0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399, 0x03D1, 0x039A, 0x039B, 0x039C, 0x039D, 0x039F, // 0x44
    0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9, 0x039E, 0x03A8, 0x0396, 0x005B, // 0x50
    0x2234, 0x005D, 0x22A5, 0x005F, 0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3, // 0x5C
    0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BF, 0x03C0, 0x03B8, 0x03C1, 0x03C3, // 0x68
    0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6, 0x007B, 0x007C, 0x007D, 0x223C, 0,      // 0x74
    0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      // 0x80
    0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      // 0x8C
    0,      0,      0,      0,      0,      0,      0,      0,      0x20AC, 0x03D2, 0x2032, 0x2264, // 0x98
    0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194, 0x2190, 0x2191, 0x2192, 0x2193, // 0xA4
    0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022, 0x00F7, 0x2260, 0x2261, 0x2248, // 0xB0
    0x2026, 0x23D0, 0x23AF, 0x21B5, 0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229, // 0xBC
    0x222A, 0x2283, 0x2287, 0x2284, 0x2282, 0x2286, 0x2208, 0x2209, 0x2220, 0x2207, 0x00AE, 0x00A9, // 0xC8
    0x2122, 0x220F, 0x221A, 0x22C5, 0x00AC, 0x2227, 0x2228, 0x21D4, 0x21D0, 0x21D1, 0x21D2, 0x21D3, // 0xD4
    0x25CA, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C, 0x239D, 0x23A1, 0x23A2, 0x23A3, // 0xE0
    0x23A7, 0x23A8, 0x23A9, 0x23AA, 0,      0x232A, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F, // 0xEC
    0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC, 0x23AD, 0,                                      // 0xF8
};

} // namespace

QString decodeMetafileText(std::string_view bytes, int charset) {
    const int codePage = CodePageDecoder::codePageForCharset(charset);
    if (codePage != 0 && codePage != 1252) {
        CodePageDecoder decoder(codePage);
        QString text = decoder.decode(bytes);
        if (!text.contains(QChar(0xFFFD))) {
            return text;
        }
    }
    return decodeCp1252(bytes);
}

bool isSymbolFace(const QString& face) {
    return face.trimmed().compare(QLatin1String("Symbol"), Qt::CaseInsensitive) == 0;
}

QString mapSymbolText(const QString& text) {
    QString mapped = text;
    for (QChar& c : mapped) {
        const char16_t code = c.unicode();
        const char16_t low = code >= 0xF020 && code <= 0xF0FF ? code - 0xF000 : code;
        if (low >= 0x20 && low <= 0xFF && kSymbol[low - 0x20] != 0) {
            c = QChar(kSymbol[low - 0x20]);
        } else if (low != code) {
            c = QChar(low);
        }
    }
    return mapped;
}

QString metafileFontFamily(const QString& face) {
    // Full-width letters in Japanese face names ("ＭＳ Ｐゴシック") compare as their ASCII forms.
    const QString name = face.normalized(QString::NormalizationForm_KC).toLower().remove(QLatin1Char(' '));
    const bool proportional =
        name.contains(QLatin1String("msp")) || name.contains(QLatin1String("pgothic")) ||
        name.contains(QLatin1String("pmincho")) || name.contains(QStringLiteral("p明朝")) ||
        name.contains(QStringLiteral("pゴシック"));
    if (name.contains(QStringLiteral("明朝")) || name.contains(QLatin1String("mincho"))) {
        return proportional ? QStringLiteral("IPAPMincho") : QStringLiteral("IPAMincho");
    }
    if (name.contains(QStringLiteral("ゴシック")) || name.contains(QLatin1String("gothic")) ||
        name.contains(QLatin1String("meiryo")) || name.contains(QStringLiteral("メイリオ")) ||
        name.contains(QLatin1String("msuigothic"))) {
        return proportional ? QStringLiteral("IPAPGothic") : QStringLiteral("IPAGothic");
    }
    if (name.contains(QStringLiteral("行書"))) {
        return QStringLiteral("AoyagiKouzanFontT");
    }
    if (name == QLatin1String("timesnewroman") || name == QLatin1String("times") ||
        name == QLatin1String("symbol")) {
        return QStringLiteral("serif");
    }
    if (name == QLatin1String("arial") || name == QLatin1String("helvetica")) {
        return QStringLiteral("sans-serif");
    }
    if (name == QLatin1String("couriernew") || name == QLatin1String("courier") ||
        name == QLatin1String("fixedsys")) {
        return QStringLiteral("monospace");
    }
    return face;
}

std::vector<TextCluster> positionedClusters(const QString& text, const std::vector<double>& dx,
                                            const std::vector<double>& dy) {
    auto advance = [](const std::vector<double>& advances, qsizetype unit) {
        return static_cast<std::size_t>(unit) < advances.size() ? advances[static_cast<std::size_t>(unit)]
                                                                : 0.0;
    };
    std::vector<TextCluster> clusters;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        double x = 0, y = 0;
        for (qsizetype k = i; k < i + length; ++k) {
            x += advance(dx, k);
            y += advance(dy, k);
        }
        const bool joins = x == 0 && y == 0 && !clusters.empty() &&
                           (clusters.back().advanceX != 0 || clusters.back().advanceY != 0);
        if (joins) {
            clusters.back().length += length;
        } else {
            clusters.push_back({i, length, x, y});
        }
        i += length;
    }
    return clusters;
}

} // namespace velmoa
