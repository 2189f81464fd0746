#pragma once

#include <string_view>

namespace velmoa {

// Whether bytes read from a file can be shown as text: any C0 control byte other than TAB, LF and
// CR (0x00-0x08, 0x0B, 0x0C, 0x0E-0x1F) makes them binary. DEL and bytes of 0x80 and above pass, so
// multi-byte Japanese text does too. No bytes at all count as text.
bool isTextContent(std::string_view bytes);

} // namespace velmoa
