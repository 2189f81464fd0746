#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace velmoa {

// Large buffers are mapped on their own, so that freeing one gives its pages back at once
// whichever thread's heap it would otherwise have come from.
struct ByteBufferFree {
    std::size_t mapped = 0; // 0: from malloc
    void operator()(char* p) const;
};

// Bytes read from a file and kept, such as an icon file while it is decoded. Large buffers
// are asked for in huge pages where the system offers them: faulting in a large file
// 4 KiB at a time costs more than reading it.
class ByteBuffer {
  public:
    ByteBuffer() = default;
    // size bytes, contents undefined. Throws std::bad_alloc.
    explicit ByteBuffer(std::size_t size);
    // A copy of bytes.
    static ByteBuffer copyOf(std::string_view bytes);

    char* data() { return data_.get(); }
    std::size_t size() const { return size_; }
    std::string_view view() const { return {data_.get(), size_}; }
    // Keeps only the first size bytes (a file that shrank while it was read).
    void truncate(std::size_t size);

  private:
    std::unique_ptr<char, ByteBufferFree> data_;
    std::size_t size_ = 0;
};

} // namespace velmoa
