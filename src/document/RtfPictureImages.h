#pragma once

#include "formats/richtext/RtfPicture.h"

namespace velmoa {

// The rich-text reader's picture decoder for the document view: metafiles (drawn at shownSize, or
// an enhanced metafile at its own size when the document gives none) and bitmaps through the
// program's own readers. A null image for a picture they refuse or one past maxPixels.
QImage rtfPictureImage(const RtfPicture& picture, QSize shownSize, std::int64_t maxPixels);

} // namespace velmoa
