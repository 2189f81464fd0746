#include "platform/ReadOnlyFile.h"

#include "base/Failure.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace velmoa {
namespace {
ReadOnlyFile::Error classify(int err) {
    switch (err) {
    case ENOENT:
        return ReadOnlyFile::Error::NotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return ReadOnlyFile::Error::InvalidName;
    case EMFILE:
    case ENFILE:
        return ReadOnlyFile::Error::TooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EISDIR:
        return ReadOnlyFile::Error::AccessDenied;
    // open() gives these for a socket and for a device without a driver, before fstat can tell.
    case ENXIO:
    case ENODEV:
        return ReadOnlyFile::Error::NotRegularFile;
    default:
        return ReadOnlyFile::Error::Other;
    }
}
} // namespace

ReadOnlyFile::ReadOnlyFile(const std::string& path) {
    if (path.empty()) {
        error_ = Error::NotFound;
        errno_ = ENOENT;
        return;
    }
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused just below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        errno_ = errno;
        error_ = classify(errno_);
        return;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        errno_ = errno;
        error_ = classify(errno_);
        ::close(fd);
        return;
    }
    if (S_ISDIR(st.st_mode)) {
        errno_ = EISDIR;
        error_ = Error::AccessDenied;
        ::close(fd);
        return;
    }
    if (!S_ISREG(st.st_mode)) {
        errno_ = ENODEV;
        error_ = Error::NotRegularFile;
        ::close(fd);
        return;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    fd_ = fd;
    size_ = static_cast<std::int64_t>(st.st_size);
    identity_ = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino), size_,
                 std::int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec};
}

ReadOnlyFile::~ReadOnlyFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::string ReadOnlyFile::reasonText() const {
    if (error_ == Error::NotRegularFile) {
        return "通常のファイルではありません";
    }
    return std::generic_category().message(errno_);
}

std::string ReadOnlyFile::read(std::size_t maxBytes) {
    std::string buffer(maxBytes, '\0');
    std::size_t got = 0;
    while (got < maxBytes) {
        const ssize_t n = ::read(fd_, buffer.data() + got, maxBytes - got);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw Failure("I/O error " + std::to_string(errno));
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    buffer.resize(got);
    return buffer;
}

ByteBuffer ReadOnlyFile::readAllBuffer() {
    ByteBuffer buffer(static_cast<std::size_t>(size_));
    std::size_t got = 0;
    while (got < buffer.size()) {
        const std::string piece = read(std::min<std::size_t>(buffer.size() - got, std::size_t{1} << 16));
        if (piece.empty()) {
            break;
        }
        std::memcpy(buffer.data() + got, piece.data(), piece.size());
        got += piece.size();
    }
    buffer.truncate(got);
    return buffer;
}

int ReadOnlyFile::releaseDescriptor() {
    return std::exchange(fd_, -1);
}

} // namespace velmoa
