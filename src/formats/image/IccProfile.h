#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmoa {

// An ICC profile embedded in a JPEG: split over APP2 segments that each begin with
// "ICC_PROFILE\0", then the chunk's number (from 1) and the count of chunks. Returns the chunks'
// data joined in their numbered order; empty when there is none, or when the chunks do not make
// one whole profile (a number missing or given twice, counts that differ).
std::string joinIccProfileChunks(const std::vector<std::string_view>& app2Segments);

} // namespace velmoa
