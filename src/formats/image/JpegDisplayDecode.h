#pragma once

#include "formats/image/JpegDecoder.h"

#include <QImage>
#include <QSize>
#include <atomic>

namespace velmoa {

// A JPEG's pixels decoded for one drawn size. A camera's own preview is taken when it has the main
// image's shape and covers the size on its own (a fraction of the work); otherwise the main image is
// decoded at the smallest DCT scale that covers the size. A preview that fails to decode cleanly is
// passed over without a word: the main image is the picture.
struct JpegDisplayDecode {
    QImage upright;         // turned by the EXIF orientation
    QSize stored;           // the main image as stored
    int mainScale = 0;      // eighths of the main image; 0 when the pixels come from a preview
    QSize previewSize;      // decoded size of the preview used (stored orientation)
    QSize fitted;           // the device size (stored orientation) the pixels were resampled to, if any
    int errorCode = 0;      // libjpeg's message number of a coded-data error in the main image
    bool cancelled = false; // stopped on request; nothing usable

    bool fromPreview() const { return mainScale == 0 && !previewSize.isEmpty(); }
    // Whether these pixels do for a target of storedTarget device pixels (stored orientation)
    // without decoding again. Resampled pixels do for their own size only.
    bool serves(const QSize& storedTarget) const;

    // Decodes source, whose header is header, for a target of storedTarget device pixels given the
    // stored way round. Never throws for bad data.
    static JpegDisplayDecode make(const CodedSource& source, const JpegHeader& header,
                                  const QSize& storedTarget, const std::atomic<bool>* cancel = nullptr);
    // The same, shrunk to exactly storedTarget by area averaging as the rows come out: a picture
    // prepared before it is shown then holds its shown size only, and never its larger decode.
    static JpegDisplayDecode makeFitted(const CodedSource& source, const JpegHeader& header,
                                        const QSize& storedTarget, const std::atomic<bool>* cancel = nullptr);

  private:
    static JpegDisplayDecode decode(const CodedSource& source, const JpegHeader& header,
                                    const QSize& storedTarget, const std::atomic<bool>* cancel, bool fit);
};

} // namespace velmoa
