#include "platform/CodedSource.h"

#include "platform/ReadOnlyFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace velmoa {
namespace {
// What of length fits from offset in a stretch of size bytes.
std::size_t within(std::uint64_t size, std::uint64_t offset, std::size_t length) {
    return offset >= size ? 0 : static_cast<std::size_t>(std::min<std::uint64_t>(length, size - offset));
}
} // namespace

FileCodedSource::FileCodedSource(ReadOnlyFile& file)
    : fd_(file.releaseDescriptor()),
      size_(static_cast<std::uint64_t>(std::max<std::int64_t>(file.size(), 0))) {}

FileCodedSource::~FileCodedSource() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::size_t FileCodedSource::readAt(std::uint64_t offset, void* buffer, std::size_t length) const {
    length = within(size_, offset, length);
    std::size_t got = 0;
    while (got < length) {
        const ssize_t n =
            ::pread(fd_, static_cast<char*>(buffer) + got, length - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break; // the end of a file that shrank, or a read error: the data ends here
        }
        got += static_cast<std::size_t>(n);
    }
    return got;
}

std::size_t MemoryCodedSource::readAt(std::uint64_t offset, void* buffer, std::size_t length) const {
    length = within(bytes_.size(), offset, length);
    if (length != 0) {
        std::memcpy(buffer, bytes_.view().data() + offset, length);
    }
    return length;
}

CodedSlice::CodedSlice(const CodedSource& whole, std::uint64_t offset, std::uint64_t length)
    : whole_(whole), offset_(std::min(offset, whole.size())),
      length_(std::min(length, whole.size() - offset_)) {}

std::size_t CodedSlice::readAt(std::uint64_t offset, void* buffer, std::size_t length) const {
    return whole_.readAt(offset_ + offset, buffer, within(length_, offset, length));
}

} // namespace velmoa
