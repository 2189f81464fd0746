#include "formats/text/CodePageDecoder.h"

#include <cerrno>
#include <iconv.h>
#include <string>

namespace velmoa {
namespace {
std::string iconvName(int codePage) {
    switch (codePage) {
    case 932:
        return "CP932";
    case 936:
        return "GBK";
    case 949:
        return "CP949";
    case 950:
        return "BIG5";
    case 1361:
        return "JOHAB";
    case 10000:
        return "MACINTOSH";
    case 437:
    case 850:
    case 852:
    case 866:
    case 874:
        return "CP" + std::to_string(codePage);
    default:
        if (codePage >= 1250 && codePage <= 1258) {
            return "CP" + std::to_string(codePage);
        }
        return "CP1252";
    }
}

// iconv_open's failure value, (iconv_t)-1, as the library defines it.
// NOLINTNEXTLINE(performance-no-int-to-ptr)
const auto kNoConverter = reinterpret_cast<iconv_t>(-1);
} // namespace

CodePageDecoder::CodePageDecoder(int codePage) : codePage_(codePage) {
    iconv_t cd = iconv_open("UTF-16LE", iconvName(codePage).c_str());
    if (cd == kNoConverter) {
        cd = iconv_open("UTF-16LE", "CP1252");
    }
    if (cd != kNoConverter) {
        converter_ = cd;
    }
}

CodePageDecoder::~CodePageDecoder() {
    if (converter_) {
        iconv_close(static_cast<iconv_t>(converter_));
    }
}

int CodePageDecoder::codePageForCharset(int charset) {
    switch (charset) {
    case 0:
    case 2: // symbol fonts: their glyphs sit on the Latin code points
        return 1252;
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 130:
        return 1361;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 255:
        return 437;
    default:
        return 0;
    }
}

bool CodePageDecoder::isDoubleByte(int codePage) {
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 || codePage == 1361;
}

bool CodePageDecoder::isLeadByte(unsigned char byte) const {
    switch (codePage_) {
    case 932:
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950:
    case 1361:
        return byte >= 0x81 && byte <= 0xFE;
    default:
        return false;
    }
}

QString CodePageDecoder::decode(std::string_view bytes) {
    QString text;
    if (!converter_) {
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    auto cd = static_cast<iconv_t>(converter_);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::u16string out(bytes.size() + 4, u'\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* outPtr = reinterpret_cast<char*>(out.data());
        size_t outLeft = out.size() * sizeof(char16_t);
        const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        const auto produced = static_cast<qsizetype>((out.size() * sizeof(char16_t) - outLeft) / 2);
        text.append(reinterpret_cast<const QChar*>(out.data()), produced);
        if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
            // An undefined or cut-off character: mark it and go on after its first byte.
            text.append(QChar(0xFFFD));
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    // Code pages with combining marks (1255, 1258) hold the last character back until told
    // that no mark follows.
    char* outPtr = reinterpret_cast<char*>(out.data());
    size_t outLeft = out.size() * sizeof(char16_t);
    if (iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<size_t>(-1)) {
        text.append(reinterpret_cast<const QChar*>(out.data()),
                    static_cast<qsizetype>((out.size() * sizeof(char16_t) - outLeft) / 2));
    }
    return text;
}

} // namespace velmoa
