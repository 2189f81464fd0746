#pragma once

#include "formats/picture/Picture.h"
#include "platform/ReadOnlyFile.h"

#include <string>

namespace velmoa {

// Loads a picture file, choosing the reader by its extension (bmp, ico, wmf, emf, jpg, jpeg, any
// case). All or nothing: throws Failure with the user's message. identity, when given, receives the
// identity of the file that was read. A JPEG keeps its file open and reads only its header here; its
// pixels are read from that file when it is drawn.
Picture loadPictureFile(const std::string& path, FileIdentity* identity = nullptr);

} // namespace velmoa
