#include "formats/image/JpegDisplayDecode.h"

#include "base/Failure.h"
#include "formats/image/JpegPreviews.h"
#include "formats/image/ScaledImageCache.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace velmoa {
namespace {

bool covers(const QSize& size, const QSize& target) {
    return size.width() >= target.width() && size.height() >= target.height();
}

// Same shape within 1 %: camera previews round their sides; a letterboxed or cropped preview
// differs by far more.
bool sameShape(const QSize& a, const QSize& b) {
    const std::int64_t cross = std::int64_t{a.width()} * b.height() - std::int64_t{a.height()} * b.width();
    return 100 * std::abs(cross) <= std::int64_t{a.height()} * b.width();
}

struct Candidate {
    JpegPreviews::Place place;
    QSize size;
    int eighths = 8;
};

// Previews that could stand in for the main image at this target, cheapest first.
std::vector<Candidate> usablePreviews(const CodedSource& source, const QSize& stored,
                                      const QSize& storedTarget) {
    std::vector<Candidate> usable;
    for (const JpegPreviews::Place& place : JpegPreviews::find(source)) {
        JpegHeader header;
        try {
            header = JpegDecoder::readHeader(CodedSlice(source, place.offset, place.length));
        } catch (const Failure&) {
            continue;
        }
        const QSize size(header.width, header.height);
        if (size.isEmpty() || size.width() >= stored.width() || size.height() >= stored.height() ||
            !sameShape(size, stored)) {
            continue;
        }
        const int eighths = JpegDecoder::chooseScale(size, storedTarget);
        if (covers(JpegDecoder::scaledSize(size, eighths), storedTarget)) {
            usable.push_back({place, size, eighths});
        }
    }
    std::sort(usable.begin(), usable.end(), [](const Candidate& a, const Candidate& b) {
        return std::int64_t{a.size.width()} * a.size.height() <
               std::int64_t{b.size.width()} * b.size.height();
    });
    return usable;
}

} // namespace

bool JpegDisplayDecode::serves(const QSize& storedTarget) const {
    if (!fitted.isEmpty()) {
        return fitted == storedTarget;
    }
    if (fromPreview()) {
        return covers(previewSize, storedTarget);
    }
    // A main image that could not be decoded at all is not tried again at the same scale.
    return mainScale > 0 && JpegDecoder::chooseScale(stored, storedTarget) <= mainScale;
}

JpegDisplayDecode JpegDisplayDecode::make(const CodedSource& source, const JpegHeader& header,
                                          const QSize& storedTarget, const std::atomic<bool>* cancel) {
    return decode(source, header, storedTarget, cancel, false);
}

JpegDisplayDecode JpegDisplayDecode::makeFitted(const CodedSource& source, const JpegHeader& header,
                                                const QSize& storedTarget, const std::atomic<bool>* cancel) {
    JpegDisplayDecode result = decode(source, header, storedTarget, cancel, true);
    if (result.cancelled || result.upright.isNull() || storedTarget.isEmpty()) {
        return result;
    }
    // A decode capped below the target (a huge picture) is enlarged the way a draw enlarges it.
    const QSize uprightTarget =
        JpegDecoder::swapsSides(header.orientation) ? storedTarget.transposed() : storedTarget;
    result.upright = ScaledImageCache::resampled(result.upright, uprightTarget);
    result.fitted = storedTarget;
    return result;
}

JpegDisplayDecode JpegDisplayDecode::decode(const CodedSource& source, const JpegHeader& header,
                                            const QSize& storedTarget, const std::atomic<bool>* cancel,
                                            bool fit) {
    JpegDisplayDecode result;
    result.stored = QSize(header.width, header.height);
    const QSize shrinkTo = fit ? storedTarget : QSize();
    for (const Candidate& preview : usablePreviews(source, result.stored, storedTarget)) {
        JpegDecoder::Decoded decoded =
            JpegDecoder::decode(CodedSlice(source, preview.place.offset, preview.place.length),
                                preview.eighths, cancel, shrinkTo);
        if (decoded.cancelled) {
            result.cancelled = true;
            return result;
        }
        // A preview with a coded-data error, data that ends early or a size that is not what its
        // header promised is not shown: the main image is.
        const QSize expected = JpegDecoder::scaledSize(preview.size, preview.eighths);
        if (decoded.errorCode == 0 && decoded.warnings == 0 &&
            decoded.image.size() == (fit ? storedTarget : expected)) {
            result.previewSize = expected;
            result.upright = JpegDecoder::oriented(decoded.image, header.orientation);
            return result;
        }
    }
    const int eighths = JpegDecoder::chooseScale(result.stored, storedTarget);
    JpegDecoder::Decoded decoded = JpegDecoder::decode(source, eighths, cancel, shrinkTo);
    if (decoded.cancelled) {
        result.cancelled = true;
        return result;
    }
    result.mainScale = eighths;
    result.errorCode = decoded.errorCode;
    result.upright = JpegDecoder::oriented(decoded.image, header.orientation);
    return result;
}

} // namespace velmoa
