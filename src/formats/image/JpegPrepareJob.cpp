#include "formats/image/JpegPrepareJob.h"

#include "platform/Paths.h"

namespace velmoa {
namespace {
// As for a step: past this a file would only exhaust memory.
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

void SharedJobBytes::publish(const FileIdentity& file, const std::shared_ptr<const ByteBuffer>& bytes) {
    std::lock_guard lock(mutex_);
    file_ = file;
    bytes_ = bytes;
    if (keep_) {
        kept_ = bytes;
    }
}

std::shared_ptr<const ByteBuffer> SharedJobBytes::take(const FileIdentity& file) const {
    std::lock_guard lock(mutex_);
    std::shared_ptr<const ByteBuffer> bytes = file == file_ ? bytes_.lock() : nullptr;
    kept_.reset();
    return bytes;
}

PreparedJpeg JpegPrepareJob::run(const std::string& path, const TargetFor& targetFor,
                                 const std::atomic<bool>& cancel, SharedJobBytes* shared) {
    PreparedJpeg prepared;
    try {
        ReadOnlyFile file(path);
        if (!file.isOpen() || file.size() > kMaxFileBytes || cancel) {
            return prepared;
        }
        prepared.file = file.identity();
        const auto bytes = std::make_shared<const ByteBuffer>(file.readAllBuffer());
        if (shared) {
            shared->publish(prepared.file, bytes);
        }
        if (bytes->size() == 0 || cancel) {
            return prepared;
        }
        prepared.header = JpegDecoder::readHeader(bytes->view());
        const QSize target = storedTarget(prepared.header, targetFor);
        auto decode = std::make_shared<JpegDisplayDecode>(
            JpegDisplayDecode::make(bytes->view(), prepared.header, target, &cancel));
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
