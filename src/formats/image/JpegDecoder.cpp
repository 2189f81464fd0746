#include "formats/image/JpegDecoder.h"

#include "base/Failure.h"
#include "formats/image/AreaResampler.h"
#include "formats/image/ColourConversion.h"
#include "formats/image/IccProfile.h"
#include "formats/image/JpegCodedInput.h"

#include <QTransform>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <optional>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>
#include <libexif/exif-data.h>

namespace velmoa {
namespace {

// A marker segment's length field is 16 bits: this keeps any segment whole.
constexpr unsigned kMaxMarkerBytes = 0xFFFF;

// QImage::Format_RGB32 is 0xAARRGGBB in native order; the A variants make libjpeg-turbo set the
// fourth byte to 0xFF, as RGB32 needs.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr J_COLOR_SPACE kRgb32Space = JCS_EXT_BGRA;
#else
constexpr J_COLOR_SPACE kRgb32Space = JCS_EXT_ARGB;
#endif

// Hostile progressive files can hold thousands of tiny scans, each costing a pass over the
// coefficients; real encoders write a dozen or so.
constexpr int kMaxScans = 1000;
// A scan visits every block of its components even when it holds almost no data, so a few
// kilobytes of scans over a large picture would take minutes within kMaxScans. Real encoders
// pass over each block ten times or so; at libjpeg's memory limit this still allows thirty.
constexpr std::int64_t kMaxScanBlocks = std::int64_t{1} << 27;
// libjpeg's own working memory (a progressive picture keeps all its coefficients: 72 MB for a
// 24-megapixel one). A header claiming 65500 x 65500 pixels fails here instead of exhausting memory.
constexpr long kMaxLibjpegMemory = 512L << 20;
// Below that, what the file can really hold: real progressive files need a few tens of bytes of
// coefficients for each byte of theirs (a 24-megapixel one of 1 MB needs 72 MB); a few hundred
// bytes claiming a 100-megapixel picture get no more than a large real file would.
constexpr long kMinLibjpegMemory = 128L << 20;
constexpr long kLibjpegMemoryPerCodedByte = 100;

long libjpegMemoryFor(std::uint64_t codedBytes) {
    const auto bound = std::min<std::uint64_t>(codedBytes, kMaxLibjpegMemory) * kLibjpegMemoryPerCodedByte;
    return static_cast<long>(std::clamp<std::uint64_t>(bound, kMinLibjpegMemory, kMaxLibjpegMemory));
}

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    int warnings = 0;
};

void onErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}
void onEmitMessage(j_common_ptr cinfo, int level) {
    if (level < 0) {
        ++reinterpret_cast<ErrorManager*>(cinfo->err)->warnings;
    }
}
void onOutputMessage(j_common_ptr) {}

struct Progress {
    jpeg_progress_mgr pub{};
    int scan = 0;
    std::int64_t blocks = 0; // blocks visited by the scans so far
    const std::atomic<bool>* cancel = nullptr;
    bool cancelled = false;
};

void onProgress(j_common_ptr cinfo) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    auto* p = reinterpret_cast<Progress*>(d->progress);
    if (d->input_scan_number != p->scan) {
        p->scan = d->input_scan_number;
        for (int i = 0; i < d->comps_in_scan; ++i) {
            const jpeg_component_info* c = d->cur_comp_info[i];
            p->blocks += std::int64_t{c->width_in_blocks} * c->height_in_blocks;
        }
    }
    if (p->cancel && p->cancel->load(std::memory_order_relaxed)) {
        p->cancelled = true;
        cinfo->err->error_exit(cinfo);
    }
    if (d->input_scan_number > kMaxScans || p->blocks > kMaxScanBlocks) {
        cinfo->err->msg_code = JERR_BAD_PROGRESSION;
        cinfo->err->error_exit(cinfo);
    }
}

// Everything a libjpeg run touches lives here, outside the frame that calls setjmp, so that a
// longjmp skips no destructor and leaves no clobbered local behind.
struct Session {
    ErrorManager err{};
    jpeg_decompress_struct cinfo{};
    Progress progress;
    JpegCodedInput input;
    bool created = false;
    std::string exif;
    QImage image;
    QSize shrinkTo;                      // when given and smaller: the rows are shrunk as they come
    std::optional<AreaResampler> shrink; // instead of being kept in image
    std::vector<QRgb> shrinkRow;         // a row on its way to shrink
    std::vector<unsigned char> cmykRow;  // libjpeg's output for CMYK, before it is made RGB
    // From the picture's own colour profile to the display's; none without a profile.
    std::shared_ptr<const ColourConversion> colours;
    bool colouredRows = false; // CMYK: converted row by row, as each is made RGB
    int rowsDone = 0;

    // The decoded picture, whole or shrunk, in the display's colours; rows not decoded are grey.
    QImage finish() {
        QImage done = finishRows();
        // RGB is converted once shrunk, which costs a fraction of converting every decoded row.
        if (colours && !colouredRows) {
            for (int y = 0; y < done.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(done.scanLine(y));
                colours->convertRow(line, line, done.width());
            }
        }
        return done;
    }

    QImage finishRows() {
        const int height = static_cast<int>(cinfo.output_height);
        if (shrink) {
            const std::vector<QRgb> grey(cinfo.output_width, qRgb(128, 128, 128));
            for (int y = rowsDone; y < height; ++y) {
                shrink->addRow(grey.data());
            }
            return shrink->take();
        }
        for (int y = rowsDone; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            std::fill(line, line + image.width(), qRgb(128, 128, 128));
        }
        return std::move(image);
    }

    Session() {
        cinfo.err = jpeg_std_error(&err.pub);
        err.pub.error_exit = onErrorExit;
        err.pub.emit_message = onEmitMessage;
        err.pub.output_message = onOutputMessage;
        progress.pub.progress_monitor = onProgress;
    }
    ~Session() {
        if (created) {
            jpeg_destroy_decompress(&cinfo);
        }
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void begin(const CodedSource& source) {
        jpeg_create_decompress(&cinfo);
        created = true;
        cinfo.mem->max_memory_to_use = libjpegMemoryFor(source.size());
        cinfo.progress = &progress.pub;
        input.attach(&cinfo, source);
    }
};

bool runHeader(Session& s, const CodedSource& source) {
    if (setjmp(s.err.jump)) {
        return false;
    }
    s.begin(source);
    jpeg_save_markers(&s.cinfo, JPEG_APP0 + 1, kMaxMarkerBytes);
    jpeg_read_header(&s.cinfo, TRUE);
    for (jpeg_saved_marker_ptr m = s.cinfo.marker_list; m; m = m->next) {
        if (m->marker == JPEG_APP0 + 1 && m->data_length >= 6 &&
            std::string_view(reinterpret_cast<const char*>(m->data), 6) == std::string_view("Exif\0\0", 6)) {
            s.exif.assign(reinterpret_cast<const char*>(m->data), m->data_length);
            break;
        }
    }
    return true;
}

// The conversion for the colour profile the picture carries in its APP2 segments, if any.
std::shared_ptr<const ColourConversion> embeddedColours(const jpeg_decompress_struct& cinfo, bool cmyk) {
    std::vector<std::string_view> segments;
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next) {
        if (m->marker == JPEG_APP0 + 2) {
            segments.emplace_back(reinterpret_cast<const char*>(m->data), m->data_length);
        }
    }
    if (segments.empty()) {
        return nullptr;
    }
    return ColourConversion::forProfile(joinIccProfileChunks(segments),
                                        cmyk ? ColourConversion::Source::InvertedCmyk8
                                             : ColourConversion::Source::Rgb32);
}

// CMYK JPEGs store their inks inverted (255 is no ink): Adobe's way, which every writer in use
// follows, with or without Adobe's marker.
void cmykToRgb32(const unsigned char* in, QRgb* out, unsigned width) {
    for (unsigned x = 0; x < width; ++x, in += 4) {
        const int k = in[3];
        out[x] = qRgb(in[0] * k / 255, in[1] * k / 255, in[2] * k / 255);
    }
}

bool runDecode(Session& s, const CodedSource& source, int eighths) {
    if (setjmp(s.err.jump)) {
        return false;
    }
    s.begin(source);
    jpeg_save_markers(&s.cinfo, JPEG_APP0 + 2, kMaxMarkerBytes);
    jpeg_read_header(&s.cinfo, TRUE);
    s.cinfo.scale_num = static_cast<unsigned>(eighths);
    s.cinfo.scale_denom = 8;
    const bool cmyk = s.cinfo.jpeg_color_space == JCS_CMYK || s.cinfo.jpeg_color_space == JCS_YCCK;
    s.colours = embeddedColours(s.cinfo, cmyk);
    s.colouredRows = cmyk;
    s.cinfo.out_color_space = cmyk ? JCS_CMYK : kRgb32Space;
    jpeg_calc_output_dimensions(&s.cinfo);
    const std::int64_t w = s.cinfo.output_width;
    const std::int64_t h = s.cinfo.output_height;
    if (w * h > JpegDecoder::kMaxDecodedPixels) {
        s.err.pub.msg_code = JERR_IMAGE_TOO_BIG;
        return false;
    }
    // Start first: libjpeg reserves its own memory there (and refuses past its limit) before
    // the picture's pixels are allocated.
    jpeg_start_decompress(&s.cinfo);
    const QSize decodedSize(static_cast<int>(w), static_cast<int>(h));
    if (decodedSize != s.shrinkTo && AreaResampler::shrinks(decodedSize, s.shrinkTo)) {
        s.shrink.emplace(decodedSize, s.shrinkTo);
        s.shrinkRow.resize(static_cast<std::size_t>(w));
    } else {
        s.image = QImage(static_cast<int>(w), static_cast<int>(h), QImage::Format_RGB32);
    }
    if (s.shrink ? !s.shrink->hasOutput() : s.image.isNull()) {
        s.err.pub.msg_code = JERR_OUT_OF_MEMORY;
        return false;
    }
    if (cmyk) {
        s.cmykRow.resize(static_cast<std::size_t>(w) * 4);
    }
    while (s.cinfo.output_scanline < s.cinfo.output_height) {
        const int y = static_cast<int>(s.cinfo.output_scanline);
        QRgb* rgb = s.shrink ? s.shrinkRow.data() : reinterpret_cast<QRgb*>(s.image.scanLine(y));
        JSAMPROW target = cmyk ? s.cmykRow.data() : reinterpret_cast<JSAMPROW>(rgb);
        if (jpeg_read_scanlines(&s.cinfo, &target, 1) != 1) {
            break;
        }
        if (cmyk && s.colours) {
            s.colours->convertRow(s.cmykRow.data(), rgb, static_cast<int>(s.cinfo.output_width));
        } else if (cmyk) {
            cmykToRgb32(s.cmykRow.data(), rgb, s.cinfo.output_width);
        }
        if (s.shrink) {
            s.shrink->addRow(rgb);
        }
        s.rowsDone = y + 1;
    }
    // No jpeg_finish_decompress: every row is out, and what follows the last scan does not matter.
    return true;
}

// The start of the last marker segment that begins before end (none when only the start of image
// does). Inside coded data a 0xFF is followed by a stuffed 0x00, or is a restart marker. Read
// backwards a piece at a time: the segment sought is usually near end.
std::optional<std::uint64_t> lastMarkerBefore(const CodedSource& source, std::uint64_t end) {
    constexpr std::uint64_t kPiece = JpegCodedInput::kPieceBytes;
    std::vector<unsigned char> piece(kPiece + 1);
    for (std::uint64_t high = std::min(end, source.size()); high > 2;) {
        const std::uint64_t low = std::max<std::uint64_t>(2, high > kPiece ? high - kPiece : 0);
        // One byte past high too: the code that follows the last 0xFF of this piece.
        const std::size_t got = source.readAt(low, piece.data(), static_cast<std::size_t>(high - low + 1));
        for (std::uint64_t i = high; i-- > low;) {
            const auto at = static_cast<std::size_t>(i - low);
            if (at >= got) {
                continue;
            }
            const unsigned char code = at + 1 < got ? piece[at + 1] : 0;
            if (piece[at] == 0xFF && code != 0x00 && code != 0xFF && (code < 0xD0 || code > 0xD8)) {
                return i;
            }
        }
        high = low;
    }
    return std::nullopt;
}

} // namespace

std::string JpegDecoder::errorMessage(int code) {
    return "JPEG エラー #" + std::to_string(code);
}

JpegHeader JpegDecoder::readHeader(const CodedSource& source) {
    Session s;
    if (!runHeader(s, source)) {
        throw Failure(errorMessage(s.err.pub.msg_code));
    }
    JpegHeader header;
    header.width = static_cast<int>(s.cinfo.image_width);
    header.height = static_cast<int>(s.cinfo.image_height);
    if (!s.exif.empty()) {
        header.orientation =
            exifOrientation(reinterpret_cast<const unsigned char*>(s.exif.data()), s.exif.size());
    }
    return header;
}

QSize JpegDecoder::scaledSize(const QSize& stored, int eighths) {
    auto side = [eighths](int n) { return static_cast<int>((std::int64_t{n} * eighths + 7) / 8); };
    return {side(stored.width()), side(stored.height())};
}

int JpegDecoder::chooseScale(const QSize& stored, const QSize& target) {
    int eighths = 8;
    for (int n = 1; n <= 8; ++n) {
        const QSize out = scaledSize(stored, n);
        if (out.width() >= target.width() && out.height() >= target.height()) {
            eighths = n;
            break;
        }
    }
    while (eighths > 1) {
        const QSize out = scaledSize(stored, eighths);
        if (std::int64_t{out.width()} * out.height() <= kMaxDecodedPixels) {
            break;
        }
        --eighths;
    }
    return eighths;
}

JpegDecoder::Decoded JpegDecoder::decode(const CodedSource& source, int eighths,
                                         const std::atomic<bool>* cancel, const QSize& shrinkTo) {
    Session s;
    s.progress.cancel = cancel;
    s.shrinkTo = shrinkTo;
    Decoded result;
    const bool finished = runDecode(s, source, eighths);
    result.warnings = s.err.warnings;
    if (s.progress.cancelled) {
        result.cancelled = true;
        return result;
    }
    if (!finished) {
        result.errorCode = s.err.pub.msg_code;
        // A file of several scans is read whole before its first row comes out, so an error in a
        // late scan would lose the scans before it: decode again without the failing segment.
        if (s.rowsDone == 0) {
            const std::optional<std::uint64_t> cut = lastMarkerBefore(source, s.input.consumed());
            Session again;
            again.shrinkTo = shrinkTo;
            // The data ends before the failing segment; an end of image is made up there.
            if (cut && runDecode(again, CodedSlice(source, 0, *cut), eighths)) {
                result.image = again.finish();
                return result;
            }
        }
    }
    // The rows decoded so far; the rest shows grey.
    result.image = s.finish();
    return result;
}

int JpegDecoder::exifOrientation(const unsigned char* data, std::size_t size) {
    ExifData* exif = exif_data_new();
    if (!exif) {
        return 1;
    }
    // Only one tag is wanted: no maker notes, no "fixing" of the data.
    exif_data_unset_option(exif, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_set_option(exif, EXIF_DATA_OPTION_DONT_CHANGE_MAKER_NOTE);
    exif_data_load_data(exif, data, static_cast<unsigned int>(size));
    int orientation = 1;
    if (ExifEntry* entry = exif_content_get_entry(exif->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
        entry && entry->components >= 1 && entry->data) {
        // The tag is a SHORT, but some writers store it as another integer type.
        const ExifByteOrder order = exif_data_get_byte_order(exif);
        const auto width = static_cast<unsigned>(exif_format_get_size(entry->format));
        if (entry->size >= width) {
            switch (entry->format) {
            case EXIF_FORMAT_BYTE:
                orientation = entry->data[0];
                break;
            case EXIF_FORMAT_SHORT:
                orientation = exif_get_short(entry->data, order);
                break;
            case EXIF_FORMAT_SSHORT:
                orientation = exif_get_sshort(entry->data, order);
                break;
            case EXIF_FORMAT_LONG:
                orientation = static_cast<int>(std::min<ExifLong>(exif_get_long(entry->data, order), 9));
                break;
            case EXIF_FORMAT_SLONG:
                orientation =
                    static_cast<int>(std::clamp<ExifSLong>(exif_get_slong(entry->data, order), 0, 9));
                break;
            default:
                break;
            }
        }
    }
    exif_data_unref(exif);
    return orientation >= 1 && orientation <= 8 ? orientation : 1;
}

QImage JpegDecoder::oriented(const QImage& stored, int orientation) {
    const QTransform clockwise = QTransform().rotate(90);
    switch (orientation) {
    case 2:
        return stored.mirrored(true, false);
    case 3:
        return stored.mirrored(true, true);
    case 4:
        return stored.mirrored(false, true);
    case 5: // transpose
        return stored.transformed(clockwise).mirrored(true, false);
    case 6:
        return stored.transformed(clockwise);
    case 7: // transverse
        return stored.transformed(clockwise).mirrored(false, true);
    case 8:
        return stored.transformed(QTransform().rotate(270));
    default:
        return stored;
    }
}

} // namespace velmoa
