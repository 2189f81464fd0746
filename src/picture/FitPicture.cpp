#include "picture/FitPicture.h"

#include "base/Failure.h"

#include <cmath>

namespace velmoa {
namespace {
constexpr int margin = 10;

// Half to even, on the product formed in extended precision, so that 187.5 gives 188 and
// 192.5 gives 192 (nearbyint uses the default round-to-nearest-even mode).
int scaled(int side, double ratio) {
    return static_cast<int>(std::nearbyint(static_cast<long double>(side) * static_cast<long double>(ratio)));
}
} // namespace

PictureBox fitToClient(int pictureWidth, int pictureHeight, int clientWidth, int clientHeight) {
    // The floating-point unit's messages, as a division by a zero side would report them.
    if (pictureWidth == 0 && pictureHeight == 0) {
        throw Failure("Invalid floating point operation");
    }
    if (pictureWidth == 0 || pictureHeight == 0) {
        throw Failure("Floating point division by zero");
    }
    const double heightPerWidth = static_cast<double>(pictureHeight) / pictureWidth;
    const double widthPerHeight = static_cast<double>(pictureWidth) / pictureHeight;

    const bool tooHigh = pictureHeight > clientHeight - margin;
    const bool tooWide = pictureWidth > clientWidth - margin;
    PictureBox box{};
    if (tooHigh && (!tooWide || pictureHeight - clientHeight > pictureWidth - clientWidth)) {
        box.height = clientHeight;
        box.width = scaled(box.height, widthPerHeight);
    } else if (tooWide) {
        box.width = clientWidth;
        box.height = scaled(box.width, heightPerWidth);
    } else {
        box.width = pictureWidth;
        box.height = pictureHeight;
    }
    // Integer division truncates toward zero: one pixel too large still centres at 0.
    box.top = (clientHeight - box.height) / 2;
    box.left = (clientWidth - box.width) / 2;
    return box;
}

} // namespace velmoa
