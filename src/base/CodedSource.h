#pragma once

#include "base/ByteBuffer.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace velmoa {

// Coded bytes read piece by piece where they lie, so that a large file is never held whole.
// Immutable once made; every reader may be used from several threads at once.
class CodedSource {
  public:
    virtual ~CodedSource() = default;
    // The size when the source was made.
    virtual std::uint64_t size() const = 0;
    // Copies up to length bytes from offset into buffer and gives how many it copied: fewer at the
    // end, none past it. A file that shrank since, or a read error, ends the data early.
    virtual std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t length) const = 0;

  protected:
    // What of length fits from offset in a stretch of size bytes.
    static std::size_t within(std::uint64_t size, std::uint64_t offset, std::size_t length) {
        return offset >= size ? 0 : static_cast<std::size_t>(std::min<std::uint64_t>(length, size - offset));
    }
};

// Bytes held in memory (built-in pictures, tests and fuzzing).
class MemoryCodedSource final : public CodedSource {
  public:
    explicit MemoryCodedSource(ByteBuffer bytes) : bytes_(std::move(bytes)) {}
    explicit MemoryCodedSource(std::string_view bytes) : bytes_(ByteBuffer::copyOf(bytes)) {}

    std::uint64_t size() const override { return bytes_.size(); }
    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t length) const override;

  private:
    ByteBuffer bytes_;
};

// A stretch of another source, such as a preview stored inside a camera file. The other source
// must outlive it.
class CodedSlice final : public CodedSource {
  public:
    // The stretch is cut to what whole holds.
    CodedSlice(const CodedSource& whole, std::uint64_t offset, std::uint64_t length);

    std::uint64_t size() const override { return length_; }
    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t length) const override;

  private:
    const CodedSource& whole_;
    std::uint64_t offset_;
    std::uint64_t length_;
};

} // namespace velmoa
