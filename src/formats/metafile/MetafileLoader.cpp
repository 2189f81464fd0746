#include "formats/metafile/MetafileLoader.h"

#include "base/Failure.h"
#include "formats/metafile/EmfPlayer.h"
#include "formats/metafile/MetafileData.h"
#include "formats/metafile/WmfPlayer.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace velmoa {
namespace {

constexpr double kScreenPixelsPerInch = 96;
constexpr double kHundredthsPerInch = 2540;
// Larger pictures would only be refused later by whatever tries to draw them at their size.
constexpr int kMaxSide = 1 << 20;

// Rounded to the nearest, and held within int: a hostile header's size would otherwise wrap
// round into a plausible one.
int roundedPixels(double value) {
    return static_cast<int>(std::clamp(std::round(value), double{INT_MIN}, double{INT_MAX}));
}

[[noreturn]] void refuse() {
    throw Failure("メタファイルが不正です");
}

} // namespace

QSize placeableWmfPixelSize(int left, int top, int right, int bottom, int unitsPerInch) {
    if (unitsPerInch == 0) {
        // No resolution given: 96 units per inch, and the millimetres go to pixels the way an
        // EMF's do, on a reference device of 96 pixels per 25.4 mm.
        const double widthHmm =
            static_cast<double>(std::lround(std::abs(right - left) * kHundredthsPerInch / 96));
        const double heightHmm =
            static_cast<double>(std::lround(std::abs(bottom - top) * kHundredthsPerInch / 96));
        return QSize(roundedPixels(widthHmm / 100 * 96 / 25.4), roundedPixels(heightHmm / 100 * 96 / 25.4));
    }
    const double widthHmm =
        static_cast<double>(std::lround(std::abs(right - left) * kHundredthsPerInch / unitsPerInch));
    const double heightHmm =
        static_cast<double>(std::lround(std::abs(bottom - top) * kHundredthsPerInch / unitsPerInch));
    return QSize(roundedPixels(widthHmm * kScreenPixelsPerInch / kHundredthsPerInch),
                 roundedPixels(heightHmm * kScreenPixelsPerInch / kHundredthsPerInch));
}

QSize emfPixelSize(int frameLeft, int frameTop, int frameRight, int frameBottom, int devicePixelsX,
                   int devicePixelsY, int deviceMillimetresX, int deviceMillimetresY) {
    const double widthHmm = static_cast<double>(frameRight) - frameLeft + 1;
    const double heightHmm = static_cast<double>(frameBottom) - frameTop + 1;
    return QSize(roundedPixels(widthHmm / 100 * devicePixelsX / deviceMillimetresX),
                 roundedPixels(heightHmm / 100 * devicePixelsY / deviceMillimetresY));
}

Picture loadMetafilePicture(std::string bytes, bool enhanced) {
    QSize size;
    std::shared_ptr<MetafileData> data;
    if (enhanced) {
        const auto header = EmfPlayer::readHeader(bytes);
        if (!header) {
            refuse();
        }
        size = emfPixelSize(header->frameLeft, header->frameTop, header->frameRight, header->frameBottom,
                            header->devicePixelsX, header->devicePixelsY, header->deviceMillimetresX,
                            header->deviceMillimetresY);
        if (size.width() < 1 || size.height() < 1 || size.width() > kMaxSide || size.height() > kMaxSide) {
            refuse();
        }
        data = std::make_shared<MetafileData>(std::move(bytes), *header, size);
    } else {
        const auto header = WmfPlayer::readHeader(bytes);
        if (!header) {
            refuse();
        }
        size = placeableWmfPixelSize(header->left, header->top, header->right, header->bottom,
                                     header->unitsPerInch);
        if (size.width() < 1 || size.height() < 1) {
            refuse();
        }
        data = std::make_shared<MetafileData>(std::move(bytes), *header, size);
    }
    return Picture(Picture::Kind::Metafile, std::move(data));
}

Picture loadBareWmfPicture(std::string bytes, int widthHundredthsMm, int heightHundredthsMm) {
    const auto header = WmfPlayer::readBareHeader(bytes, widthHundredthsMm, heightHundredthsMm,
                                                  static_cast<int>(kHundredthsPerInch));
    if (!header) {
        refuse();
    }
    const QSize size = placeableWmfPixelSize(0, 0, widthHundredthsMm, heightHundredthsMm,
                                             static_cast<int>(kHundredthsPerInch));
    if (size.width() < 1 || size.height() < 1 || size.width() > kMaxSide || size.height() > kMaxSide) {
        refuse();
    }
    auto data = std::make_shared<MetafileData>(std::move(bytes), *header, size);
    return Picture(Picture::Kind::Metafile, std::move(data));
}

} // namespace velmoa
