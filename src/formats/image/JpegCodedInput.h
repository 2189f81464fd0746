#pragma once

#include "base/CodedSource.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace velmoa {

// libjpeg's input taken from a CodedSource a piece at a time, so that only one piece of the coded
// data is in memory while decoding. Where the data ends, an end-of-image marker is made up (with a
// warning), as libjpeg's own sources do, so that a cut file shows what it holds.
struct JpegCodedInput {
    static constexpr std::size_t kPieceBytes = std::size_t{64} << 10;

    jpeg_source_mgr pub{}; // first: libjpeg hands it back as a pointer to this
    const CodedSource* source = nullptr;
    std::uint64_t next = 0; // where the next piece starts
    bool ended = false;
    std::vector<JOCTET> piece;

    // Makes this cinfo's source, from the start of source; both must outlive the reading. Raises
    // libjpeg's error for a source that holds nothing, as its memory source does.
    void attach(j_decompress_ptr cinfo, const CodedSource& coded);
    // How far libjpeg has read (the end of the data once it ran out).
    std::uint64_t consumed() const;
};

} // namespace velmoa
