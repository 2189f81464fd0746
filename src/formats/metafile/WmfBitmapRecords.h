#pragma once

#include "formats/metafile/MetafileCanvas.h"

#include <cstdint>
#include <optional>

namespace velmoa {
class MetafileReader;
}

namespace velmoa::wmf {

// Plays the bitmap and block records of a Windows metafile (the record's parameters in r):
// nullopt when the function is not one of them, false when the record is malformed.
std::optional<bool> playBitmapRecord(MetafileCanvas& canvas, std::uint16_t function, MetafileReader& r);

} // namespace velmoa::wmf
