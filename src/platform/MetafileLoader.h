#pragma once

#include "platform/Picture.h"

#include <string>

namespace velmoa {

// Validates a WMF (placeable) or EMF file's bytes and returns the picture; throws Failure
// "メタファイルが不正です" for anything that is not a playable metafile.
Picture loadMetafilePicture(std::string bytes, bool enhanced);

} // namespace velmoa
