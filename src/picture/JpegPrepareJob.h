#pragma once

#include "formats/image/JpegDecoder.h"
#include "formats/image/JpegDisplayDecode.h"
#include "platform/ReadOnlyFile.h"

#include <QSize>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

namespace velmoa {

// A JPEG file read and decoded for display ahead of the step that shows it.
struct PreparedJpeg {
    FileIdentity file; // the file as it was read
    JpegHeader header;
    std::shared_ptr<const JpegDisplayDecode> decode; // null when nothing could be prepared
};

// Prepares one file, off the UI thread. It says nothing about failures: the step that shows the
// file opens it again and reports what goes wrong there.
class JpegPrepareJob {
  public:
    // Whether path names a file that the job prepares (a .jpg or .jpeg name, any case).
    static bool handles(const std::string& path);

    // The device pixels the picture will be drawn at, from its upright width and height.
    using TargetFor = std::function<QSize(const QSize& upright)>;
    // The target the stored (not yet turned) pixels must cover.
    static QSize storedTarget(const JpegHeader& header, const TargetFor& targetFor);

    // Never throws. Stops early, with no decode, once cancel becomes true.
    static PreparedJpeg run(const std::string& path, const TargetFor& targetFor,
                            const std::atomic<bool>& cancel);
};

} // namespace velmoa
