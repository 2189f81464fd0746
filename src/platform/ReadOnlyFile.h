#pragma once

#include "base/ByteBuffer.h"

#include <cstdint>
#include <string>

namespace velmoa {

// What tells one version of a file from another without reading it: a file replaced or rewritten
// since differs in one of these.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = -1;
    std::int64_t modifiedNs = 0;
    bool operator==(const FileIdentity&) const = default;
};

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
    const FileIdentity& identity() const { return identity_; }
    // Reads up to maxBytes from the current position; throws Failure on a read error.
    std::string read(std::size_t maxBytes);
    std::string readAll() { return read(static_cast<std::size_t>(size_)); }
    // The whole file in one buffer, read in pieces: no second copy, and no page-by-page faults.
    // Shorter than size() when the file shrank meanwhile.
    ByteBuffer readAllBuffer();
    // Hands the open descriptor to the caller, who closes it; this file is closed afterwards.
    int releaseDescriptor();

  private:
    int fd_ = -1;
    Error error_ = Error::None;
    int errno_ = 0;
    std::int64_t size_ = 0;
    FileIdentity identity_;
};

} // namespace velmoa
