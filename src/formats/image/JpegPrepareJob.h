#pragma once

#include "formats/image/JpegDecoder.h"
#include "formats/image/JpegDisplayDecode.h"
#include "platform/ReadOnlyFile.h"

#include <QSize>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace velmoa {

// A JPEG file read and decoded for display ahead of the step that shows it.
struct PreparedJpeg {
    FileIdentity file; // the file as it was read
    JpegHeader header;
    std::shared_ptr<const JpegDisplayDecode> decode; // null when nothing could be prepared
};

// The bytes a running job holds, so that a step reading the same file meanwhile can share them
// instead of holding a second copy. Published once read; gone when the job lets them go.
class SharedJobBytes {
  public:
    // keep: hold the bytes after the job too, until they are taken (the opened picture, whose step
    // surely comes: it reads nothing a second time).
    explicit SharedJobBytes(bool keep = false) : keep_(keep) {}
    void publish(const FileIdentity& file, const std::shared_ptr<const ByteBuffer>& bytes);
    // The bytes, if the job still holds them and read them from file.
    std::shared_ptr<const ByteBuffer> take(const FileIdentity& file) const;

  private:
    mutable std::mutex mutex_;
    FileIdentity file_;
    std::weak_ptr<const ByteBuffer> bytes_;
    const bool keep_;
    mutable std::shared_ptr<const ByteBuffer> kept_;
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
                            const std::atomic<bool>& cancel, SharedJobBytes* shared = nullptr);
};

} // namespace velmoa
