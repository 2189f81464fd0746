#include "formats/metafile/MetafileText.h"

#include "formats/text/TextEncoding.h"

#include <iconv.h>
#include <optional>
#include <string>

namespace velmoa {
namespace {

constexpr int kShiftJisCharset = 128;

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

// Other East Asian character sets through iconv; nullopt when the bytes do not convert.
std::optional<QString> decodeWith(const char* codePage, std::string_view bytes) {
    iconv_t cd = iconv_open("UTF-8", codePage);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string out(bytes.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    const std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1) || inLeft != 0) {
        return std::nullopt;
    }
    out.resize(out.size() - outLeft);
    return QString::fromUtf8(out.data(), static_cast<qsizetype>(out.size()));
}

} // namespace

QString decodeMetafileText(std::string_view bytes, int charset) {
    std::optional<QString> text;
    switch (charset) {
    case kShiftJisCharset:
        text = decodeCp932(bytes);
        break;
    case 129: // Hangul
        text = decodeWith("CP949", bytes);
        break;
    case 134: // GB2312, which LibreOffice also picks for Japanese text
        text = decodeWith("GBK", bytes);
        break;
    case 136: // Big5
        text = decodeWith("CP950", bytes);
        break;
    default:
        break;
    }
    if (text) {
        return *text;
    }
    return decodeCp1252(bytes);
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
    if (name == QLatin1String("timesnewroman") || name == QLatin1String("times")) {
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

} // namespace velmoa
