#pragma once

#include <cstdint>
#include <string>

// JPEG files carrying a camera's own preview, put together byte by byte around two JPEGs.
namespace fixtures {

// MP type codes of an MPF entry.
constexpr std::uint32_t kMpLargeThumbnail = 0x010002;
constexpr std::uint32_t kMpDisparity = 0x020002; // the other eye of a stereo pair

struct MultiPicture {
    std::uint32_t type = kMpLargeThumbnail;
    std::int64_t sizeSkew = 0;   // added to the preview's true length in its entry
    std::int64_t offsetSkew = 0; // added to the preview's true offset
};
// main with an MPF APP2 segment naming preview, which follows the main image's data.
std::string withMultiPicturePreview(const std::string& main, const std::string& preview,
                                    const MultiPicture& options = {});

// An EXIF APP1 block whose second directory holds preview as its thumbnail (it must fit the
// segment: under 64 KB), for JpegOptions::app1.
std::string exifWithThumbnail(const std::string& preview);

} // namespace fixtures
