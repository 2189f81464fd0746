#include "PreviewFixtures.h"

namespace fixtures {
namespace {
std::string little(std::uint32_t v, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    return out;
}
std::string entry(std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t value) {
    return little(tag, 2) + little(type, 2) + little(count, 4) + little(value, 4);
}
} // namespace

std::string withMultiPicturePreview(const std::string& main, const std::string& preview,
                                    const MultiPicture& options) {
    // Little-endian TIFF: header, one directory of three entries at 8, the two MP entries after it.
    constexpr std::uint32_t kEntries = 8 + 2 + 3 * 12 + 4;
    constexpr std::uint32_t kTiffSize = kEntries + 2 * 16;
    constexpr std::uint32_t kSegmentSize = 2 + 4 + kTiffSize; // length field, "MPF\0", TIFF
    constexpr std::uint32_t kTiffStart = 2 + 2 + 2 + 4;       // SOI, marker, length, "MPF\0"
    const auto mainSize = static_cast<std::uint32_t>(2 + 2 + kSegmentSize + main.size() - 2);
    const auto previewOffset = static_cast<std::uint32_t>(mainSize - kTiffStart + options.offsetSkew);
    const auto previewSize = static_cast<std::uint32_t>(preview.size() + options.sizeSkew);
    std::string tiff = std::string("II*\0", 4) + little(8, 4) + little(3, 2);
    tiff += entry(0xB000, 7, 4, 0x30303130); // version "0100"
    tiff += entry(0xB001, 4, 1, 2);
    tiff += entry(0xB002, 7, 32, kEntries);
    tiff += little(0, 4);
    tiff += little(0x20030000, 4) + little(mainSize, 4) + little(0, 4) + little(0, 4);
    tiff += little(options.type, 4) + little(previewSize, 4) + little(previewOffset, 4) + little(0, 4);
    const std::string segment = std::string("\xFF\xE2", 2) + static_cast<char>(kSegmentSize >> 8) +
                                static_cast<char>(kSegmentSize & 0xFF) + std::string("MPF\0", 4) + tiff;
    return main.substr(0, 2) + segment + main.substr(2) + preview;
}

std::string exifWithThumbnail(const std::string& preview) {
    // IFD0 at 8 without entries, IFD1 at 14 with the thumbnail's offset and length, then the thumbnail.
    constexpr std::uint32_t kThumbnail = 14 + 2 + 2 * 12 + 4;
    std::string tiff = std::string("II*\0", 4) + little(8, 4) + little(0, 2) + little(14, 4);
    tiff += little(2, 2) + entry(0x0201, 4, 1, kThumbnail) +
            entry(0x0202, 4, 1, static_cast<std::uint32_t>(preview.size())) + little(0, 4);
    return std::string("Exif\0\0", 6) + tiff + preview;
}

} // namespace fixtures
