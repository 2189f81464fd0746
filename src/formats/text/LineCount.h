#pragma once

#include "base/CodedSource.h"

#include <cstdint>
#include <optional>

namespace velmoa {

// Whether the text in source has more than limit lines (a CR, an LF and a CR LF each end one),
// read a piece at a time so that the bytes are never held whole; nullopt when the source ends
// before its size (a read error, or a file cut short while it is read).
std::optional<bool> moreLinesThan(const CodedSource& source, std::int64_t limit);

} // namespace velmoa
