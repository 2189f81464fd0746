#pragma once

#include "base/CodedSource.h"

namespace velmoa {

class ReadOnlyFile;

// An open file, read where it is needed. It keeps the file open, so the bytes stay those of the
// file that was opened even when its name is removed or given to another file meanwhile.
class FileCodedSource final : public CodedSource {
  public:
    // Takes over the open file's descriptor (the file is closed for other reads after this).
    explicit FileCodedSource(ReadOnlyFile& file);
    ~FileCodedSource() override;
    FileCodedSource(const FileCodedSource&) = delete;
    FileCodedSource& operator=(const FileCodedSource&) = delete;

    std::uint64_t size() const override { return size_; }
    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t length) const override;

  private:
    int fd_;
    std::uint64_t size_;
};

} // namespace velmoa
