#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmoa {

// The hexadecimal dump of bytes that are not text: one line per 16 bytes, each
// "OOOO : XX XX … " (upper-case offset of at least 4 digits, every byte followed by a blank).
// A partial last line appears only when some bytes are left over.
std::vector<std::string> hexDumpLines(std::string_view bytes);

} // namespace velmoa
