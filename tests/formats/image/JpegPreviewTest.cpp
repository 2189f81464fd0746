#include "formats/image/JpegDisplayDecode.h"
#include "formats/image/JpegPictureData.h"
#include "formats/image/JpegPreviews.h"

#include "PictureFixtures.h"
#include "PreviewFixtures.h"
#include "formats/picture/Picture.h"

#include <gtest/gtest.h>

using namespace velmoa;
using namespace fixtures;

namespace {

const QRgb kRed = qRgb(255, 0, 0), kGreen = qRgb(0, 255, 0);

// The camera's picture in red with its preview in green, so the pixels tell which one was drawn.
const std::string& mainRed() {
    static const std::string bytes = solidJpeg(1200, 800, kRed);
    return bytes;
}
const std::string& previewGreen() {
    static const std::string bytes = solidJpeg(600, 400, kGreen);
    return bytes;
}

QRgb centreAfterDrawing(const Picture& picture, QSize size) {
    return drawn(picture, size).pixel(size.width() / 2, size.height() / 2);
}

} // namespace

TEST(JpegPreviews, FindsOnlyPreviewsThatLieWhereTheFileSays) {
    const std::string& preview = previewGreen();
    const struct {
        const char* name;
        std::string bytes;
        bool found;
    } rows[] = {
        {"no preview", mainRed(), false},
        {"MPF large thumbnail", withMultiPicturePreview(mainRed(), preview), true},
        {"MPF stereo partner is another picture",
         withMultiPicturePreview(mainRed(), preview, {.type = kMpDisparity}), false},
        {"MPF offset past the end", withMultiPicturePreview(mainRed(), preview, {.offsetSkew = 1 << 20}),
         false},
        {"MPF length past the end", withMultiPicturePreview(mainRed(), preview, {.sizeSkew = 1}), false},
        {"MPF offset not at a JPEG", withMultiPicturePreview(mainRed(), preview, {.offsetSkew = 7}), false},
        {"EXIF thumbnail", solidJpeg(1200, 800, kRed, exifWithThumbnail(solidJpeg(60, 40, kGreen))), true},
    };
    for (const auto& row : rows) {
        const auto previews = JpegPreviews::find(MemoryCodedSource(row.bytes));
        ASSERT_EQ(previews.size(), row.found ? 1u : 0u) << row.name;
        if (row.found) {
            EXPECT_EQ(row.bytes.substr(previews[0].offset, 2), "\xFF\xD8") << row.name;
        }
        // Cut anywhere in its segments, a file gives no preview that runs past its end.
        for (std::size_t cut = 0; cut < 200; cut += 3) {
            for (const JpegPreviews::Place& found :
                 JpegPreviews::find(MemoryCodedSource(row.bytes.substr(0, cut)))) {
                EXPECT_LE(found.offset + found.length, cut) << row.name << " cut " << cut;
            }
        }
    }
    const std::string file = withMultiPicturePreview(mainRed(), preview);
    const JpegPreviews::Place place = JpegPreviews::find(MemoryCodedSource(file))[0];
    EXPECT_EQ(file.substr(place.offset, place.length), preview);
}

TEST(JpegPreviews, StandsInForTheMainImageOnlyWhenItHasItsShapeAndCoversTheSize) {
    RecordingReporter reporter;
    const std::string broken = previewGreen().substr(0, 40) + std::string(400, '\x55');
    const struct {
        const char* name;
        std::string bytes;
        QSize drawn;
        bool preview;
    } rows[] = {
        {"covered by the preview", withMultiPicturePreview(mainRed(), previewGreen()), {150, 100}, true},
        {"exactly covered", withMultiPicturePreview(mainRed(), previewGreen()), {600, 400}, true},
        {"outgrown", withMultiPicturePreview(mainRed(), previewGreen()), {601, 400}, false},
        {"another shape", withMultiPicturePreview(mainRed(), solidJpeg(600, 300, kGreen)), {150, 100}, false},
        {"as large as the main image",
         withMultiPicturePreview(mainRed(), solidJpeg(1200, 800, kGreen)),
         {150, 100},
         false},
        {"length cut short",
         withMultiPicturePreview(mainRed(), previewGreen(), {.sizeSkew = -300}),
         {150, 100},
         false},
        {"coded data broken", withMultiPicturePreview(mainRed(), broken), {150, 100}, false},
        {"EXIF thumbnail",
         solidJpeg(1200, 800, kRed, exifWithThumbnail(solidJpeg(120, 80, kGreen))),
         {100, 66},
         true},
        {"EXIF thumbnail too small",
         solidJpeg(1200, 800, kRed, exifWithThumbnail(solidJpeg(120, 80, kGreen))),
         {200, 133},
         false},
        // Turned upright by the main image's orientation, the preview still has its shape.
        {"turned",
         withMultiPicturePreview(solidJpeg(1200, 800, kRed, exifWithOrientation(6, false)), previewGreen()),
         {100, 150},
         true},
    };
    for (const auto& row : rows) {
        const Picture picture = jpegPictureFromBytes(row.bytes);
        const QRgb centre = centreAfterDrawing(picture, row.drawn);
        const auto& data = dynamic_cast<const JpegPictureData&>(*picture.data());
        EXPECT_EQ(data.decodedFromPreview(), row.preview) << row.name;
        EXPECT_TRUE(near(centre, row.preview ? kGreen : kRed)) << row.name << " " << std::hex << centre;

        // Prepared ahead, shrunk to the drawn size as it is decoded: the same choice.
        const MemoryCodedSource source(ByteBuffer::copyOf(row.bytes));
        const JpegHeader header = JpegDecoder::readHeader(source);
        const QSize stored = JpegDecoder::swapsSides(header.orientation) ? row.drawn.transposed() : row.drawn;
        const JpegDisplayDecode fitted = JpegDisplayDecode::makeFitted(source, header, stored);
        EXPECT_EQ(fitted.fromPreview(), row.preview) << row.name << " (prepared)";
        EXPECT_EQ(fitted.upright.size(), row.drawn) << row.name << " (prepared)";
        const QRgb fittedCentre = fitted.upright.pixel(row.drawn.width() / 2, row.drawn.height() / 2);
        EXPECT_TRUE(near(fittedCentre, row.preview ? kGreen : kRed))
            << row.name << " (prepared) " << std::hex << fittedCentre;
    }
    EXPECT_TRUE(reporter.delivered().isEmpty()) << reporter.messages.join('\n').toStdString();
}

TEST(JpegPreviews, FullScreenOutgrowsThePreviewAndDecodesTheMainImage) {
    const Picture picture = jpegPictureFromBytes(withMultiPicturePreview(mainRed(), previewGreen()));
    const auto& data = dynamic_cast<const JpegPictureData&>(*picture.data());
    const struct {
        QSize drawn;
        bool preview;
        int decodes;
    } steps[] = {
        {{300, 200}, true, 1}, {{150, 100}, true, 1}, {{900, 600}, false, 2}, {{300, 200}, false, 2}};
    for (const auto& step : steps) {
        EXPECT_TRUE(near(centreAfterDrawing(picture, step.drawn), step.preview ? kGreen : kRed))
            << step.drawn.width();
        EXPECT_EQ(data.decodedFromPreview(), step.preview) << step.drawn.width();
        EXPECT_EQ(data.decodeCount(), step.decodes) << step.drawn.width();
    }
}
