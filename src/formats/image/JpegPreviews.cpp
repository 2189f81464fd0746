#include "formats/image/JpegPreviews.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmoa {
namespace {

// MP type codes of the large thumbnails (VGA and full-HD class); other entries (the second
// eye of a stereo pair, panorama frames) are separate pictures, not previews of the main one.
constexpr std::uint32_t kLargeThumbnailVga = 0x010001;
constexpr std::uint32_t kLargeThumbnailFullHd = 0x010002;
constexpr std::uint16_t kMpEntryTag = 0xB002;
constexpr std::uint16_t kThumbnailOffsetTag = 0x0201;
constexpr std::uint16_t kThumbnailLengthTag = 0x0202;

// A TIFF-structured block (EXIF and MPF both use one) read with bounds checks.
class Tiff {
  public:
    explicit Tiff(std::string_view bytes) : bytes_(bytes) {
        bigEndian_ = bytes.substr(0, 2) == "MM";
        valid_ = bigEndian_ || bytes.substr(0, 2) == "II";
    }
    bool valid() const { return valid_; }

    std::optional<std::uint32_t> u16(std::uint64_t at) const { return number(at, 2); }
    std::optional<std::uint32_t> u32(std::uint64_t at) const { return number(at, 4); }

    struct Entry {
        std::uint32_t count = 0;
        std::uint32_t value = 0; // the value itself when it fits in four bytes, else its offset
    };
    // The entry of a tag in the directory at offset ifd.
    std::optional<Entry> find(std::uint32_t ifd, std::uint16_t tag) const {
        const auto entries = u16(ifd);
        for (std::uint32_t i = 0; entries && i < *entries; ++i) {
            const std::uint64_t at = std::uint64_t{ifd} + 2 + 12 * std::uint64_t{i};
            const auto t = u16(at), type = u16(at + 2), count = u32(at + 4);
            if (!t || !type || !count) {
                return std::nullopt;
            }
            if (*t == tag) {
                // A SHORT value sits in the first two bytes of the value field.
                const auto value = *type == 3 ? u16(at + 8) : u32(at + 8);
                return value ? std::optional<Entry>(Entry{*count, *value}) : std::nullopt;
            }
        }
        return std::nullopt;
    }
    // The offset of the directory after the one at ifd (0: none).
    std::optional<std::uint32_t> nextDirectory(std::uint32_t ifd) const {
        const auto entries = u16(ifd);
        return entries ? u32(std::uint64_t{ifd} + 2 + 12 * std::uint64_t{*entries}) : std::nullopt;
    }

  private:
    std::optional<std::uint32_t> number(std::uint64_t at, int width) const {
        if (at + static_cast<std::uint64_t>(width) > bytes_.size()) {
            return std::nullopt;
        }
        std::uint32_t v = 0;
        for (int i = 0; i < width; ++i) {
            const auto byte = static_cast<unsigned char>(
                bytes_[at + static_cast<std::uint64_t>(bigEndian_ ? i : width - 1 - i)]);
            v = (v << 8) | byte;
        }
        return v;
    }

    std::string_view bytes_;
    bool bigEndian_ = false;
    bool valid_ = false;
};

using Place = JpegPreviews::Place;

// The piece offset..offset+length of source, if it lies inside and holds a JPEG.
void addIfJpeg(std::vector<Place>& out, const CodedSource& source, std::uint64_t offset,
               std::uint64_t length) {
    unsigned char start[2] = {};
    if (offset < source.size() && length >= 4 && length <= source.size() - offset &&
        source.readAt(offset, start, 2) == 2 && start[0] == 0xFF && start[1] == 0xD8) {
        out.push_back({offset, length});
    }
}

// MPF offsets count from the segment's TIFF header (at tiffStart in the file); the preview lies
// after the main image.
void addMultiPicturePreviews(std::vector<Place>& out, const CodedSource& source, std::string_view tiffBytes,
                             std::uint64_t tiffStart) {
    const Tiff tiff(tiffBytes);
    const auto ifd = tiff.valid() ? tiff.u32(4) : std::nullopt;
    const auto entries = ifd ? tiff.find(*ifd, kMpEntryTag) : std::nullopt;
    if (!entries) {
        return;
    }
    for (std::uint32_t i = 1; i < entries->count / 16; ++i) {
        const std::uint64_t at = std::uint64_t{entries->value} + 16 * std::uint64_t{i};
        const auto attribute = tiff.u32(at), size = tiff.u32(at + 4), offset = tiff.u32(at + 8);
        if (!attribute || !size || !offset || *offset == 0) {
            return;
        }
        const std::uint32_t type = *attribute & 0x00FFFFFF;
        if (type == kLargeThumbnailVga || type == kLargeThumbnailFullHd) {
            addIfJpeg(out, source, tiffStart + std::uint64_t{*offset}, *size);
        }
    }
}

// The thumbnail of the second EXIF directory, inside the APP1 segment (whose TIFF header is at
// tiffStart in the file).
void addExifThumbnail(std::vector<Place>& out, const CodedSource& source, std::string_view tiffBytes,
                      std::uint64_t tiffStart) {
    const Tiff tiff(tiffBytes);
    const auto first = tiff.valid() ? tiff.u32(4) : std::nullopt;
    const auto second = first ? tiff.nextDirectory(*first) : std::nullopt;
    if (!second || *second == 0) {
        return;
    }
    const auto offset = tiff.find(*second, kThumbnailOffsetTag);
    const auto length = tiff.find(*second, kThumbnailLengthTag);
    if (offset && length && offset->value < tiffBytes.size() &&
        length->value <= tiffBytes.size() - offset->value) {
        addIfJpeg(out, source, tiffStart + offset->value, length->value);
    }
}

// The marker segments before the first scan, read a piece at a time.
class Segments {
  public:
    explicit Segments(const CodedSource& source) : source_(source) {}

    // Up to length bytes at offset (fewer at the end of the data).
    std::string_view at(std::uint64_t offset, std::size_t length) {
        if (offset < start_ || offset + length > start_ + piece_.size()) {
            piece_.resize(std::max(length, kPieceBytes));
            piece_.resize(source_.readAt(offset, piece_.data(), piece_.size()));
            start_ = offset;
        }
        const std::string_view held(piece_);
        return held.substr(std::min<std::size_t>(offset - start_, held.size()), length);
    }

  private:
    static constexpr std::size_t kPieceBytes = std::size_t{16} << 10;
    const CodedSource& source_;
    std::string piece_;
    std::uint64_t start_ = 0;
};

} // namespace

std::vector<Place> JpegPreviews::find(const CodedSource& source) {
    std::vector<Place> previews;
    Segments segments(source);
    if (source.size() < 4 || segments.at(0, 2) != "\xFF\xD8") {
        return previews;
    }
    // The segments of interest come first in camera files.
    std::uint64_t pos = 2;
    for (;;) {
        const std::string_view head = segments.at(pos, 4);
        if (head.size() < 4 || head[0] != '\xFF') {
            break;
        }
        const auto marker = static_cast<unsigned char>(head[1]);
        if (marker == 0xFF) {
            ++pos; // fill byte
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) {
            break;
        }
        const std::size_t length =
            (static_cast<unsigned char>(head[2]) << 8) | static_cast<unsigned char>(head[3]);
        if (length < 2) {
            break;
        }
        const bool exif = marker == 0xE1, mpf = marker == 0xE2;
        if (exif || mpf) {
            const std::string_view data = segments.at(pos + 4, length - 2);
            if (data.size() < length - 2) {
                break; // the segment runs past the end
            }
            if (exif && data.substr(0, 6) == std::string_view("Exif\0\0", 6)) {
                addExifThumbnail(previews, source, data.substr(6), pos + 10);
            } else if (mpf && data.substr(0, 4) == std::string_view("MPF\0", 4)) {
                addMultiPicturePreviews(previews, source, data.substr(4), pos + 8);
            }
        } else if (pos + 2 + length > source.size()) {
            break;
        }
        pos += 2 + length;
    }
    return previews;
}

} // namespace velmoa
