#include "print/module/PrintGeometry.h"

#include <cstdint>
#include <cstdlib>

namespace velmoa {

int mulDiv(int a, int b, int c) {
    if (c == 0) {
        return -1;
    }
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const std::int64_t quotient = product / c;
    const std::int64_t remainder = product % c;
    // Rounded half away from zero.
    if (2 * std::llabs(remainder) >= std::llabs(static_cast<std::int64_t>(c))) {
        return static_cast<int>(quotient + (((product < 0) != (c < 0)) ? -1 : 1));
    }
    return static_cast<int>(quotient);
}

PrintSize pictureOnPage(int pictureWidth, int pictureHeight, int pageWidth, int pageHeight) {
    const double pictureRatio = static_cast<double>(pictureWidth) / pictureHeight;
    const double pageRatio = static_cast<double>(pageWidth) / pageHeight;
    if (pictureRatio > pageRatio) {
        return {pageWidth, mulDiv(pictureHeight, pageWidth, pictureWidth)};
    }
    return {mulDiv(pictureWidth, pageHeight, pictureHeight), pageHeight};
}

} // namespace velmoa
