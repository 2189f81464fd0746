#pragma once

#include <cstdint>
#include <string>

namespace velmoa {

// A file opened for reading only. Only regular files are opened: a folder, FIFO, socket or
// device is refused at once (opening a FIFO for reading would block until a writer comes).
class ReadOnlyFile {
  public:
    enum class Error { None, NotFound, InvalidName, TooManyOpenFiles, AccessDenied, NotRegularFile, Other };

    explicit ReadOnlyFile(const std::string& path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    Error error() const { return error_; }
    // The errno behind error() (0 when open).
    int systemError() const { return errno_; }
    // The system's text for the failure, for messages that quote it.
    std::string reasonText() const;

    std::int64_t size() const { return size_; }
    // Reads up to maxBytes from the current position; throws Failure on a read error.
    std::string read(std::size_t maxBytes);
    std::string readAll() { return read(static_cast<std::size_t>(size_)); }

  private:
    int fd_ = -1;
    Error error_ = Error::None;
    int errno_ = 0;
    std::int64_t size_ = 0;
};

} // namespace velmoa
