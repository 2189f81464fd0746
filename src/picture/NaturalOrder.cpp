#include "picture/NaturalOrder.h"

namespace velmoa {
namespace {
bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

unsigned char folded(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c;
}

// <0, 0, >0 with digit runs by value and letters folded; 0 means "equal but for case and zeros".
int naturalCompare(const std::string& a, const std::string& b) {
    const auto* pa = reinterpret_cast<const unsigned char*>(a.data());
    const auto* pb = reinterpret_cast<const unsigned char*>(b.data());
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(pa[i]) && isDigit(pb[j])) {
            while (i < a.size() && pa[i] == '0') {
                ++i;
            }
            while (j < b.size() && pb[j] == '0') {
                ++j;
            }
            const std::size_t startA = i;
            const std::size_t startB = j;
            while (i < a.size() && isDigit(pa[i])) {
                ++i;
            }
            while (j < b.size() && isDigit(pb[j])) {
                ++j;
            }
            // Without leading zeros, the longer run is the larger number; equal lengths compare
            // digit by digit. No conversion, so runs of any length work.
            const std::size_t lengthA = i - startA;
            const std::size_t lengthB = j - startB;
            if (lengthA != lengthB) {
                return lengthA < lengthB ? -1 : 1;
            }
            for (std::size_t k = 0; k < lengthA; ++k) {
                if (pa[startA + k] != pb[startB + k]) {
                    return pa[startA + k] < pb[startB + k] ? -1 : 1;
                }
            }
            continue;
        }
        const unsigned char ca = folded(pa[i]);
        const unsigned char cb = folded(pb[j]);
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
        ++i;
        ++j;
    }
    const bool restA = i < a.size();
    const bool restB = j < b.size();
    return restA == restB ? 0 : restA ? 1 : -1;
}
} // namespace

bool naturalNameLess(const std::string& a, const std::string& b) {
    const int order = naturalCompare(a, b);
    return order != 0 ? order < 0 : a < b;
}

} // namespace velmoa
