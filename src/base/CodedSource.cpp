#include "base/CodedSource.h"

#include <algorithm>
#include <cstring>

namespace velmoa {
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
