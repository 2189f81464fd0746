#pragma once

#include "base/CodedSource.h"

#include <cstdint>
#include <vector>

namespace velmoa {

// The previews a camera stores beside the main image of a JPEG: the large thumbnails of its
// Multi-Picture (MPF) segment and its EXIF thumbnail. Only where the file says they are; every
// offset and length is checked against the source, nothing is decoded here. Only the segments
// before the first scan are read, and of them only the two that can name previews.
class JpegPreviews {
  public:
    struct Place {
        std::uint64_t offset = 0;
        std::uint64_t length = 0;
        bool operator==(const Place&) const = default;
    };
    // Where each preview's own JPEG lies in source, in the order the file gives them.
    static std::vector<Place> find(const CodedSource& source);
};

} // namespace velmoa
