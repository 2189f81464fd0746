#pragma once

#include <string>

namespace velmoa {

// File names in the order a file manager shows them: runs of digits compare by their numeric
// value (img2 before img10), ASCII letters without regard to case. Names that are still equal
// (IMG.jpg and img.jpg, 01 and 1) fall back to plain byte order, so the order is total.
bool naturalNameLess(const std::string& a, const std::string& b);

} // namespace velmoa
