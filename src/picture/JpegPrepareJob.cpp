#include "picture/JpegPrepareJob.h"

#include "base/Paths.h"
#include "platform/FileCodedSource.h"

namespace velmoa {
namespace {
// As for a step, which refuses larger files.
constexpr std::int64_t kMaxFileBytes = std::int64_t{1} << 30;
} // namespace

bool JpegPrepareJob::handles(const std::string& path) {
    const std::string lower = asciiLower(extension(path));
    return lower == ".jpg" || lower == ".jpeg";
}

QSize JpegPrepareJob::storedTarget(const JpegHeader& header, const TargetFor& targetFor) {
    const bool turned = JpegDecoder::swapsSides(header.orientation);
    const QSize upright = turned ? QSize(header.height, header.width) : QSize(header.width, header.height);
    const QSize target = targetFor(upright);
    return turned ? target.transposed() : target;
}

PreparedJpeg JpegPrepareJob::run(const std::string& path, const TargetFor& targetFor,
                                 const std::atomic<bool>& cancel) {
    PreparedJpeg prepared;
    try {
        ReadOnlyFile file(path);
        if (!file.isOpen() || file.size() == 0 || file.size() > kMaxFileBytes || cancel) {
            return prepared;
        }
        prepared.file = file.identity();
        const FileCodedSource source(file);
        prepared.header = JpegDecoder::readHeader(source);
        const QSize target = storedTarget(prepared.header, targetFor);
        auto decode = std::make_shared<JpegDisplayDecode>(
            JpegDisplayDecode::makeFitted(source, prepared.header, target, &cancel));
        if (!decode->cancelled) {
            prepared.decode = std::move(decode);
        }
    } catch (...) {
        // A bad header, a picture that cannot be placed, no memory: the step will say so.
        prepared.decode.reset();
    }
    return prepared;
}

} // namespace velmoa
