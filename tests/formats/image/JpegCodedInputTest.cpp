#include "formats/image/JpegCodedInput.h"
#include "formats/image/JpegDecoder.h"

#include "PictureFixtures.h"
#include "platform/FileCodedSource.h"
#include "platform/ReadOnlyFile.h"

#include <QRandomGenerator>
#include <csetjmp>
#include <gtest/gtest.h>

using namespace velmoa;
using namespace fixtures;

namespace {

// Hands out short pieces of uneven length, from one byte to a few hundred, so that piece boundaries
// fall inside markers, segments and skips.
class TricklingSource final : public CodedSource {
  public:
    explicit TricklingSource(const CodedSource& whole) : whole_(whole) {}
    std::uint64_t size() const override { return whole_.size(); }
    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t length) const override {
        return whole_.readAt(offset, buffer, std::min<std::size_t>(length, 1 + offset * 31 % 997));
    }

  private:
    const CodedSource& whole_;
};

struct ReferenceError {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

// libjpeg over the whole file in memory through its own memory source: the pixels every other way
// of reading must give. CMYK inks are turned to RGB as the decoder does.
QImage referenceDecode(const std::string& bytes, int eighths) {
    jpeg_decompress_struct cinfo{};
    ReferenceError err{};
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = [](j_common_ptr c) {
        std::longjmp(reinterpret_cast<ReferenceError*>(c->err)->jump, 1);
    };
    err.pub.output_message = [](j_common_ptr) {};
    QImage image;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return {};
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.scale_num = static_cast<unsigned>(eighths);
    cinfo.scale_denom = 8;
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&cinfo);
    image = QImage(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                   QImage::Format_RGB32);
    std::vector<unsigned char> row(std::size_t{cinfo.output_width} * 4);
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = static_cast<int>(cinfo.output_scanline);
        JSAMPROW target = row.data();
        jpeg_read_scanlines(&cinfo, &target, 1);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (unsigned x = 0; x < cinfo.output_width; ++x) {
            const unsigned char* p = row.data() + (std::size_t{x} * (cmyk ? 4 : 3));
            out[x] =
                cmyk ? qRgb(p[0] * p[3] / 255, p[1] * p[3] / 255, p[2] * p[3] / 255) : qRgb(p[0], p[1], p[2]);
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return image;
}

// Large enough (a few hundred kilobytes) for several pieces of the reader, and busy enough that
// any misplaced byte shows in the pixels.
QImage noise(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            row[x] = random.generate() | 0xFF000000u;
        }
    }
    return image;
}

} // namespace

TEST(JpegCodedInput, DecodesPieceByPieceExactlyAsTheWholeFileInMemory) {
    const QImage picture = noise(480, 320);
    // A segment nobody reads, longer than a piece of the reader once two are put together: it is
    // skipped, not read.
    const std::string comment = "Junk" + std::string(60000, '\x5A');
    const struct {
        const char* name;
        JpegOptions options;
    } rows[] = {
        {"baseline 4:2:0", {.hSampling = 2, .vSampling = 2}},
        {"progressive", {.progressive = true}},
        {"restart markers", {.restartInterval = 1}},
        {"Adobe CMYK", {.cmyk = true}},
        {"progressive CMYK", {.progressive = true, .cmyk = true}},
        {"a long segment to skip", {.app1 = comment}},
    };
    QTemporaryDir dir;
    for (const auto& row : rows) {
        const std::string bytes = jpegBytes(picture, row.options);
        ASSERT_GT(bytes.size(), 2 * JpegCodedInput::kPieceBytes) << row.name;
        ReadOnlyFile file(writeFile(dir, "p.jpg", bytes));
        const FileCodedSource onDisk(file);
        const MemoryCodedSource inMemory(bytes);
        const TricklingSource trickling(inMemory);
        for (const int eighths : {1, 3, 8}) {
            const QImage expected = referenceDecode(bytes, eighths);
            ASSERT_FALSE(expected.isNull()) << row.name;
            for (const CodedSource* source :
                 {static_cast<const CodedSource*>(&onDisk), static_cast<const CodedSource*>(&inMemory),
                  static_cast<const CodedSource*>(&trickling)}) {
                const JpegDecoder::Decoded decoded = JpegDecoder::decode(*source, eighths);
                EXPECT_EQ(decoded.errorCode, 0) << row.name;
                EXPECT_EQ(decoded.warnings, 0) << row.name;
                EXPECT_TRUE(decoded.image == expected) << row.name << " at " << eighths << "/8";
            }
        }
        EXPECT_EQ(JpegDecoder::readHeader(TricklingSource(onDisk)).width, 480) << row.name;
    }
}

// A cut file reads as libjpeg's memory source reads it: an end of image is made up, with a warning.
TEST(JpegCodedInput, MakesUpAnEndOfImageWhereTheDataEnds) {
    const std::string whole = jpegBytes(noise(480, 320));
    const std::string cut = whole.substr(0, whole.size() / 2);
    const MemoryCodedSource inMemory(cut);
    const TricklingSource trickling(inMemory);
    for (const CodedSource* source :
         {static_cast<const CodedSource*>(&inMemory), static_cast<const CodedSource*>(&trickling)}) {
        const JpegDecoder::Decoded decoded = JpegDecoder::decode(*source, 8);
        EXPECT_EQ(decoded.errorCode, 0);
        EXPECT_GT(decoded.warnings, 0);
        EXPECT_TRUE(decoded.image == referenceDecode(cut, 8));
    }
}
