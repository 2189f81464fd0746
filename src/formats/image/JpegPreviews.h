#pragma once

#include <string_view>
#include <vector>

namespace velmoa {

// The previews a camera stores beside the main image of a JPEG: the large thumbnails of its
// Multi-Picture (MPF) segment and its EXIF thumbnail. Only where the file says they are; every
// offset and length is checked against the bytes, nothing is decoded here.
class JpegPreviews {
  public:
    // Each preview's own JPEG bytes (views into bytes), in the order the file gives them.
    static std::vector<std::string_view> find(std::string_view bytes);
};

} // namespace velmoa
