#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

// Builds placeable WMF bytes record by record for tests.
class WmfWriter {
  public:
    WmfWriter(int left, int top, int right, int bottom, int unitsPerInch, int objects = 16)
        : left_(left), top_(top), right_(right), bottom_(bottom), inch_(unitsPerInch), objects_(objects) {}

    static std::string word(int v) {
        return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
    }
    static std::string dword(std::uint32_t v) {
        return word(static_cast<int>(v & 0xFFFF)) + word(static_cast<int>(v >> 16));
    }

    // A record whose parameters are 16-bit words, in file order.
    WmfWriter& rec(int function, std::initializer_list<int> words) {
        std::string params;
        for (int w : words) {
            params += word(w);
        }
        return raw(function, params);
    }
    // A record with the given parameter bytes (padded to whole words).
    WmfWriter& raw(int function, std::string params) {
        if (params.size() % 2) {
            params += '\0';
        }
        records_ += dword(static_cast<std::uint32_t>(3 + params.size() / 2)) + word(function) + params;
        return *this;
    }
    // Bytes appended as they are, for records with broken lengths.
    WmfWriter& bytes(const std::string& b) {
        records_ += b;
        return *this;
    }

    std::string placeableHeader() const {
        std::string h = dword(0x9AC6CDD7) + word(0) + word(left_) + word(top_) + word(right_) +
                        word(bottom_) + word(inch_) + dword(0);
        int checksum = 0;
        for (std::size_t i = 0; i < 20; i += 2) {
            checksum ^= static_cast<unsigned char>(h[i]) | static_cast<unsigned char>(h[i + 1]) << 8;
        }
        return h + word(checksum);
    }
    std::string standardHeader(std::size_t recordBytes) const {
        return word(1) + word(9) + word(0x300) + dword(static_cast<std::uint32_t>((18 + recordBytes) / 2)) +
               word(objects_) + dword(0) + word(0);
    }
    std::string build(bool withEof = true) const { return placeableHeader() + bare(withEof); }
    // Without the placeable header, as documents and EMF+ images embed a metafile.
    std::string bare(bool withEof = true) const {
        const std::string records = records_ + (withEof ? dword(3) + word(0) : std::string());
        return standardHeader(records.size()) + records;
    }

  private:
    int left_, top_, right_, bottom_, inch_, objects_;
    std::string records_;
};
