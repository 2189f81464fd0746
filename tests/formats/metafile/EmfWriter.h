#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>

// Builds EMF bytes record by record for tests.
class EmfWriter {
  public:
    // frame in hundredths of a millimetre (inclusive); the recording device in pixels and mm.
    EmfWriter(int frameRight, int frameBottom, int devicePixelsX, int devicePixelsY, int deviceMmX,
              int deviceMmY, int handles = 16)
        : frameRight_(frameRight), frameBottom_(frameBottom), devX_(devicePixelsX), devY_(devicePixelsY),
          mmX_(deviceMmX), mmY_(deviceMmY), handles_(handles) {}

    static std::string u32(std::uint32_t v) {
        std::string s(4, '\0');
        for (int i = 0; i < 4; ++i) {
            s[static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
        }
        return s;
    }
    static std::string i32(int v) { return u32(static_cast<std::uint32_t>(v)); }
    static std::string i16(int v) {
        return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
    }
    static std::string f32(float v) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        return u32(bits);
    }

    // A record whose payload is 32-bit values.
    EmfWriter& rec(std::uint32_t type, std::initializer_list<int> values) {
        std::string payload;
        for (int v : values) {
            payload += i32(v);
        }
        return raw(type, payload);
    }
    EmfWriter& raw(std::uint32_t type, std::string payload) {
        while (payload.size() % 4) {
            payload += '\0';
        }
        records_ += u32(type) + u32(static_cast<std::uint32_t>(8 + payload.size())) + payload;
        ++count_;
        return *this;
    }
    EmfWriter& bytes(const std::string& b) {
        records_ += b;
        return *this;
    }

    std::string header(std::size_t total) const {
        std::string h = u32(1) + u32(88) + i32(0) + i32(0) + i32(devX_) + i32(devY_) + i32(0) + i32(0) +
                        i32(frameRight_) + i32(frameBottom_) + u32(0x464D4520) + u32(0x10000) +
                        u32(static_cast<std::uint32_t>(total)) + u32(count_ + 2) + i16(handles_) + i16(0) +
                        u32(0) + u32(0) + u32(0) + i32(devX_) + i32(devY_) + i32(mmX_) + i32(mmY_);
        return h;
    }
    std::string build(bool withEof = true) const {
        const std::string eof = withEof ? u32(14) + u32(20) + u32(0) + u32(16) + u32(20) : std::string();
        const std::size_t total = 88 + records_.size() + eof.size();
        return header(total) + records_ + eof;
    }

  private:
    int frameRight_, frameBottom_, devX_, devY_, mmX_, mmY_, handles_;
    std::uint32_t count_ = 0;
    std::string records_;
};
