#include "base/ByteBuffer.h"

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
    if (size >= kHugePage) {
        const std::size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
        void* p = ::mmap(nullptr, rounded, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) {
            throw std::bad_alloc();
        }
        ::madvise(p, rounded, MADV_HUGEPAGE); // a hint; nothing changes when refused
        data_ = std::unique_ptr<char, ByteBufferFree>(static_cast<char*>(p), ByteBufferFree{rounded});
        return;
    }
    char* p = static_cast<char*>(std::malloc(size));
    if (!p) {
        throw std::bad_alloc();
    }
    data_.reset(p);
}

void ByteBufferFree::operator()(char* p) const {
    if (mapped != 0) {
        ::munmap(p, mapped);
    } else {
        std::free(p);
    }
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
