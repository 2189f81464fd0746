#include "formats/image/JpegCodedInput.h"

#include <jerror.h>

namespace velmoa {
namespace {

JpegCodedInput& inputOf(j_decompress_ptr cinfo) {
    return *reinterpret_cast<JpegCodedInput*>(cinfo->src);
}

void initSource(j_decompress_ptr) {}
void termSource(j_decompress_ptr) {}

boolean fillInputBuffer(j_decompress_ptr cinfo) {
    JpegCodedInput& in = inputOf(cinfo);
    std::size_t got = in.ended ? 0 : in.source->readAt(in.next, in.piece.data(), in.piece.size());
    if (got == 0) {
        WARNMS(cinfo, JWRN_JPEG_EOF);
        in.piece[0] = 0xFF;
        in.piece[1] = JPEG_EOI;
        got = 2;
        in.ended = true;
    } else {
        in.next += got;
    }
    in.pub.next_input_byte = in.piece.data();
    in.pub.bytes_in_buffer = got;
    return TRUE;
}

// Segments that nobody asked for are passed over without being read.
void skipInputData(j_decompress_ptr cinfo, long count) {
    if (count <= 0) {
        return;
    }
    JpegCodedInput& in = inputOf(cinfo);
    const auto skip = static_cast<std::size_t>(count);
    if (skip <= in.pub.bytes_in_buffer) {
        in.pub.next_input_byte += skip;
        in.pub.bytes_in_buffer -= skip;
        return;
    }
    if (!in.ended) {
        in.next += skip - in.pub.bytes_in_buffer;
    }
    in.pub.bytes_in_buffer = 0; // the next read fills from the new place
}

} // namespace

void JpegCodedInput::attach(j_decompress_ptr cinfo, const CodedSource& coded) {
    source = &coded;
    next = 0;
    ended = false;
    piece.resize(kPieceBytes);
    pub.init_source = initSource;
    pub.fill_input_buffer = fillInputBuffer;
    pub.skip_input_data = skipInputData;
    pub.resync_to_restart = jpeg_resync_to_restart;
    pub.term_source = termSource;
    pub.next_input_byte = nullptr;
    pub.bytes_in_buffer = 0;
    cinfo->src = &pub;
    if (coded.size() == 0) {
        ERREXIT(cinfo, JERR_INPUT_EMPTY);
    }
}

std::uint64_t JpegCodedInput::consumed() const {
    return ended ? next : next - pub.bytes_in_buffer;
}

} // namespace velmoa
