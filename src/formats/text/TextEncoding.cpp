#include "formats/text/TextEncoding.h"

#include <cerrno>
#include <iconv.h>
#include <string>

namespace velmoa {

bool isValidUtf8(std::string_view bytes) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra;
        unsigned min;
        unsigned cp;
        if ((c & 0xE0) == 0xC0) {
            extra = 1, min = 0x80, cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, min = 0x800, cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, min = 0x10000, cp = c & 0x07;
        } else {
            return false;
        }
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= n || (s[i + k] & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        i += extra + 1;
    }
    return true;
}

namespace {
// The number of bytes at the end that begin a UTF-8 character without completing it (0 to 3).
std::size_t incompleteUtf8Tail(std::string_view bytes) {
    const std::size_t n = bytes.size();
    for (std::size_t back = 1; back <= 3 && back <= n; ++back) {
        const auto c = static_cast<unsigned char>(bytes[n - back]);
        if ((c & 0xC0) == 0x80) {
            continue; // a continuation byte: the lead lies further back
        }
        const std::size_t length = (c & 0xE0) == 0xC0   ? 2
                                   : (c & 0xF0) == 0xE0 ? 3
                                   : (c & 0xF8) == 0xF0 ? 4
                                                        : 0;
        return length > back ? back : 0;
    }
    return 0;
}
} // namespace

std::optional<QString> decodeCp932(std::string_view bytes, TextEnd end) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    // NOLINTNEXTLINE(performance-no-int-to-ptr): iconv_open's failure value, (iconv_t)-1
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string out(bytes.size() * 3 + 4, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    const int error = errno;
    iconv_close(cd);
    // EINVAL: the input ends inside a character, which cut bytes may do.
    const bool cutCharacter = end == TextEnd::Cut && rc == static_cast<size_t>(-1) && error == EINVAL;
    if ((rc == static_cast<size_t>(-1) || inLeft != 0) && !cutCharacter) {
        return std::nullopt;
    }
    out.resize(out.size() - outLeft);
    return QString::fromUtf8(out.data(), static_cast<qsizetype>(out.size()));
}

QString bytesToDisplayText(std::string_view bytes, TextEnd end) {
    const std::string_view complete =
        end == TextEnd::Cut ? bytes.substr(0, bytes.size() - incompleteUtf8Tail(bytes)) : bytes;
    if (isValidUtf8(complete)) {
        return QString::fromUtf8(complete.data(), static_cast<qsizetype>(complete.size()));
    }
    if (auto text = decodeCp932(bytes, end)) {
        return *text;
    }
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace velmoa
