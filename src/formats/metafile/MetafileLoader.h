#pragma once

#include "formats/picture/Picture.h"

#include <QSize>
#include <string>

namespace velmoa {

// Validates a WMF (placeable) or EMF file's bytes and returns the picture; throws Failure
// "メタファイルが不正です" for anything that is not a playable metafile.
Picture loadMetafilePicture(std::string bytes, bool enhanced);

// A WMF without its placeable header, as documents embed one, whose extent the document gives in
// hundredths of a millimetre. Throws Failure like loadMetafilePicture.
Picture loadBareWmfPicture(std::string bytes, int widthHundredthsMm, int heightHundredthsMm);

// A placeable WMF's size in screen pixels (96 per inch): the bounding box at unitsPerInch to
// hundredths of a millimetre, then to pixels, each step rounded to the nearest.
QSize placeableWmfPixelSize(int left, int top, int right, int bottom, int unitsPerInch);

// An EMF's size: its frame (hundredths of a millimetre, both edges included) in pixels of the
// recording device, whose size the header gives in pixels and millimetres.
QSize emfPixelSize(int frameLeft, int frameTop, int frameRight, int frameBottom, int devicePixelsX,
                   int devicePixelsY, int deviceMillimetresX, int deviceMillimetresY);

} // namespace velmoa
