#include "platform/ByteBuffer.h"

#include <cstring>
#include <new>
#include <sys/mman.h>

namespace velmoa {
namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
}

ByteBuffer::ByteBuffer(std::size_t size) : size_(size) {
    if (size == 0) {
        return;
    }
    char* p = nullptr;
    if (size >= kHugePage) {
        const std::size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
        p = static_cast<char*>(std::aligned_alloc(kHugePage, rounded));
        if (p) {
            ::madvise(p, rounded, MADV_HUGEPAGE); // a hint; nothing changes when refused
        }
    } else {
        p = static_cast<char*>(std::malloc(size));
    }
    if (!p) {
        throw std::bad_alloc();
    }
    data_.reset(p);
}

ByteBuffer ByteBuffer::copyOf(std::string_view bytes) {
    ByteBuffer buffer(bytes.size());
    if (!bytes.empty()) {
        std::memcpy(buffer.data(), bytes.data(), bytes.size());
    }
    return buffer;
}

void ByteBuffer::truncate(std::size_t size) {
    if (size < size_) {
        size_ = size;
    }
}

} // namespace velmoa
