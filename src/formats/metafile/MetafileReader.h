#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace velmoa {

// Little-endian reads from a record's bytes. Reads past the end yield 0 and mark the reader
// failed, so record handlers can read everything first and check ok() once.
class MetafileReader {
  public:
    MetafileReader() = default;
    explicit MetafileReader(std::string_view bytes) : bytes_(bytes) {}

    std::size_t size() const { return bytes_.size(); }
    bool ok() const { return ok_; }
    bool has(std::size_t offset, std::size_t count) const {
        return offset <= bytes_.size() && count <= bytes_.size() - offset;
    }

    std::uint8_t u8(std::size_t offset) {
        if (!has(offset, 1)) {
            ok_ = false;
            return 0;
        }
        return static_cast<std::uint8_t>(bytes_[offset]);
    }
    std::uint16_t u16(std::size_t offset) {
        if (!has(offset, 2)) {
            ok_ = false;
            return 0;
        }
        return static_cast<std::uint16_t>(byteAt(offset) | byteAt(offset + 1) << 8);
    }
    std::int16_t i16(std::size_t offset) { return static_cast<std::int16_t>(u16(offset)); }
    std::uint32_t u32(std::size_t offset) {
        if (!has(offset, 4)) {
            ok_ = false;
            return 0;
        }
        return static_cast<std::uint32_t>(byteAt(offset)) |
               static_cast<std::uint32_t>(byteAt(offset + 1)) << 8 |
               static_cast<std::uint32_t>(byteAt(offset + 2)) << 16 |
               static_cast<std::uint32_t>(byteAt(offset + 3)) << 24;
    }
    std::int32_t i32(std::size_t offset) { return static_cast<std::int32_t>(u32(offset)); }
    float f32(std::size_t offset) {
        const std::uint32_t bits = u32(offset);
        float value;
        static_assert(sizeof value == sizeof bits);
        __builtin_memcpy(&value, &bits, sizeof value);
        return value;
    }
    // count bytes from offset, or an empty view (and failed) when they are not all there.
    std::string_view bytes(std::size_t offset, std::size_t count) {
        if (!has(offset, count)) {
            ok_ = false;
            return {};
        }
        return bytes_.substr(offset, count);
    }
    std::string_view all() const { return bytes_; }

  private:
    unsigned byteAt(std::size_t offset) const { return static_cast<unsigned char>(bytes_[offset]); }

    std::string_view bytes_;
    bool ok_ = true;
};

} // namespace velmoa
