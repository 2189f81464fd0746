#include "base/Paths.h"

#include <utility>

namespace velmoa {

std::string fileName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folderPart(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string extension(const std::string& path) {
    const auto dot = path.rfind('.');
    if (dot == std::string::npos) {
        return {};
    }
    const auto slash = path.rfind('/');
    if (slash != std::string::npos && slash > dot) {
        return {};
    }
    return path.substr(dot);
}

namespace {
// UTF-8 by its shape alone (lead and continuation bytes), enough to tell it from Shift-JIS.
bool isUtf8Shaped(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        const int extra = c < 0x80             ? 0
                          : (c & 0xE0) == 0xC0 ? 1
                          : (c & 0xF0) == 0xE0 ? 2
                          : (c & 0xF8) == 0xF0 ? 3
                                               : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size()) {
            return false;
        }
        for (int k = 1; k <= extra; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

bool isShiftJisLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// A name that is not UTF-8 is taken as Shift-JIS, whose second bytes include the ASCII letters:
// those must not change, or the character would become another one.
std::string mapAsciiLetters(std::string text, char from, char to) {
    const bool shiftJis = !isUtf8Shaped(text);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (shiftJis && isShiftJisLeadByte(c)) {
            ++i;
        } else if (c >= static_cast<unsigned char>(from) && c <= static_cast<unsigned char>(from + 25)) {
            text[i] = static_cast<char>(c - from + to);
        }
    }
    return text;
}
} // namespace

std::string asciiUpper(std::string text) {
    return mapAsciiLetters(std::move(text), 'a', 'A');
}

std::string asciiLower(std::string text) {
    return mapAsciiLetters(std::move(text), 'A', 'a');
}

} // namespace velmoa
