#include "formats/metafile/MetafileData.h"
#include "formats/metafile/MetafileLoader.h"

#include "EmfWriter.h"
#include "MetafileRendering.h"
#include "WmfWriter.h"

#include <climits>
#include <gtest/gtest.h>

using namespace velmoa;

namespace {

// A filled rectangle over the left half of the picture.
std::string leftHalf(bool enhanced) {
    if (enhanced) {
        return EmfWriter(9999, 9999, 100, 100, 100, 100)
            .rec(39, {1, 0, 0, 0})
            .rec(37, {1})
            .rec(43, {0, 0, 50, 100})
            .build();
    }
    return WmfWriter(0, 0, 100, 100, 96)
        .rec(0x02FC, {0, 0, 0, 0})
        .rec(0x012D, {0})
        .rec(0x041B, {100, 50, 0, 0})
        .build();
}

// A repaint or a copy at the size last drawn shows the kept pixels without playing the records
// again; a new size plays them once more. What shows is what a direct play gives.
TEST(MetafileData, PlaysOnceForEachDrawnSize) {
    for (const bool enhanced : {false, true}) {
        const Picture picture = loadMetafilePicture(leftHalf(enhanced), enhanced);
        const Picture copy = picture;
        const auto* data = dynamic_cast<const MetafileData*>(picture.data());
        ASSERT_NE(data, nullptr);
        const struct {
            QSize size;
            int plays;
        } steps[] = {{{100, 100}, 1}, {{100, 100}, 1}, {{60, 40}, 2}, {{60, 40}, 2}, {{100, 100}, 3}};
        bool useCopy = false;
        for (const auto& step : steps) {
            QImage image(step.size + QSize(20, 20), QImage::Format_RGB32);
            image.fill(Qt::red);
            QPainter painter(&image);
            (useCopy ? copy : picture).draw(painter, QRect(QPoint(10, 10), step.size));
            painter.end();
            useCopy = !useCopy;
            EXPECT_EQ(data->playCount(), step.plays) << enhanced << " " << step.size.width();
            // Placed at the target, dark on the left, white on the right, the red around untouched.
            EXPECT_TRUE(near(image.pixel(12, 10 + step.size.height() / 2), Qt::black)) << enhanced;
            EXPECT_TRUE(near(image.pixel(8 + step.size.width(), 10 + step.size.height() / 2), Qt::white))
                << enhanced;
            EXPECT_TRUE(near(image.pixel(5, 5), Qt::red)) << enhanced;
            EXPECT_TRUE(near(image.pixel(15 + step.size.width(), 15 + step.size.height()), Qt::red))
                << enhanced;
        }
    }
}

// A frame as wide as int allows, measured on a device of countless millimetres: the loader finds a
// picture of 2 x 2 pixels, and the player must place it the same way rather than overflow.
TEST(MetafileData, DrawsAFrameWiderThanIntSpans) {
    std::string bytes = EmfWriter(INT_MAX, INT_MAX, 100, 100, INT_MAX, INT_MAX)
                            .rec(39, {1, 0, 0, 0})
                            .rec(37, {1})
                            .rec(43, {-5, -5, 5, 5})
                            .build();
    bytes.replace(24, 4, EmfWriter::i32(INT_MIN)); // frame left
    bytes.replace(28, 4, EmfWriter::i32(INT_MIN)); // frame top
    const Picture picture = loadMetafilePicture(bytes, true);
    EXPECT_EQ(QSize(picture.width(), picture.height()), QSize(2, 2));
    const QImage image = renderMetafile(bytes, true);
    EXPECT_TRUE(near(image.pixel(50, 50), Qt::black)) << std::hex << image.pixel(50, 50);
}

} // namespace
