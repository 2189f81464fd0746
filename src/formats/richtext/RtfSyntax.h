#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>

// Units, bounds and byte helpers the parts of the rich text reader share.
namespace velmoa::rtf {

constexpr int kTwipsPerPixel = 15;    // 1440 twips per inch at 96 pixels per inch
constexpr int kMaxTwips = 31680;      // 22 inches: larger indents and spacings are damage
constexpr int kMaxLinePercent = 1000; // line spacing of at most ten single lines
constexpr int kMaxColumns = 64;
constexpr int kMaxPictureSide = 10000;
constexpr std::int64_t kBytesPerPixel = 4; // of a decoded or drawn picture

inline int clampInt(int value, int low, int high) {
    return std::clamp(value, low, high);
}

inline int twipsToPixels(int twips) {
    return clampInt(twips, -kMaxTwips, kMaxTwips) / kTwipsPerPixel;
}

inline bool isHexDigit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

inline int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    return (std::tolower(static_cast<unsigned char>(c)) - 'a') + 10;
}

} // namespace velmoa::rtf
