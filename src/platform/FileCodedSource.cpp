#include "platform/FileCodedSource.h"

#include "platform/ReadOnlyFile.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace velmoa {

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

} // namespace velmoa
