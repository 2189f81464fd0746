#include "formats/metafile/EmfPlayer.h"
#include "formats/metafile/EmfPlusImages.h"
#include "formats/metafile/MetafileData.h"
#include "formats/metafile/MetafileWorkBudget.h"

#include "HostileMetafiles.h"
#include "MetafileRendering.h"

#include <gtest/gtest.h>
#include <set>

using namespace velmoa;

namespace {

// The shapes whose drawing the budget must cut short; the others (images kept as bytes) are
// drawn whole within memory, or refused with the same message.
const std::set<std::string> kDrawnWhole = {"png-images-kept"};

// A tenth of a real drawing's budget: every shape at full size still goes past it, in a tenth of
// the time.
constexpr double kTestBudget = MetafileWorkBudget::kMaxWork / 10;

// Each hostile shape stops within its budget (the images kept as bytes are drawn whole within the
// full one).
TEST(MetafileBudget, EveryHostileShapeStopsWithinItsBudget) {
    for (const hostile::Shape& shape : hostile::shapes()) {
        const std::string bytes = shape.make(true);
        const auto header = EmfPlayer::readHeader(bytes);
        ASSERT_TRUE(header) << shape.name;
        const bool whole = kDrawnWhole.count(shape.name) != 0;
        const double limit = whole ? MetafileWorkBudget::kMaxWork : kTestBudget;
        MetafileWorkBudget budget(limit);
        QImage image(400, 400, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        const EmfPlayer player(bytes, *header, &budget);
        player.play(painter, QRectF(image.rect()));
        painter.end();
        EXPECT_EQ(player.exhausted(), !whole) << shape.name;
        EXPECT_LE(budget.spent(), limit + 1) << shape.name;
    }
}

// Through the picture as the program draws it: the budget is one for the whole drawing, and its
// end is reported once with the message of an over-complex picture.
TEST(MetafileBudget, APictureCutShortSaysSoOnce) {
    for (const char* name :
         {"images-nested-three-deep", "gdi-clip-region-combines", "mono-bmp-16384-square"}) {
        const auto shape = std::find_if(hostile::shapes().begin(), hostile::shapes().end(),
                                        [&](const hostile::Shape& s) { return s.name == std::string(name); });
        ASSERT_NE(shape, hostile::shapes().end());
        const Picture picture = loadMetafilePicture(shape->make(true), true);
        QImage image(200, 200, QImage::Format_RGB32);
        QPainter painter(&image);
        picture.draw(painter, image.rect());
        painter.end();
        EXPECT_EQ(picture.data()->takeDrawFailure(), std::string(MetafileData::kTooComplexMessage)) << name;
        EXPECT_EQ(picture.data()->takeDrawFailure(), std::nullopt) << name;
    }
}

// A combination is weighed by the product of its sizes: many small ones are paid for, a few
// large ones use the budget up.
TEST(MetafileBudget, WeighsCombinationsByTheSizesTheyCombine) {
    MetafileWorkBudget small;
    for (int i = 0; i < 10'000; ++i) {
        ASSERT_TRUE(small.combine(5, 5)) << i;
    }
    MetafileWorkBudget large;
    int made = 0;
    while (large.combine(20'000, 20'000)) {
        ++made;
    }
    EXPECT_LT(made, 1000);
    EXPECT_TRUE(large.exhausted());
}

// Bitmaps stay encoded and are decoded at the size they are drawn; what cannot be decoded smaller
// and is past the pixel budget is refused.
TEST(MetafileBudget, DecodesImagesAtTheirDrawnSize) {
    constexpr int kSide = 5600;
    emfplus::Image png;
    png.kind = emfplus::Image::Kind::File;
    png.bytes = hostile::pngFile(kSide);
    png.pixels = QSize(kSide, kSide);
    const emfplus::DecodedImage drawn =
        emfplus::decodeImage(png, emfplus::decodedSize(png, QSizeF(0.05, 0.02)));
    EXPECT_EQ(drawn.pixels.size(), QSize(280, 112));
    EXPECT_TRUE(near(drawn.pixels.pixel(10, 10), Qt::red));
    EXPECT_TRUE(near(drawn.pixels.pixel(270, 100), Qt::blue));

    emfplus::Image bmp;
    bmp.kind = emfplus::Image::Kind::File;
    bmp.bytes = hostile::monoBmp(16384);
    bmp.pixels = QSize(16384, 16384);
    const emfplus::DecodedImage refused = emfplus::decodeImage(bmp, QSize(100, 100));
    EXPECT_TRUE(refused.refused);
    EXPECT_TRUE(refused.pixels.isNull());

    // Rows of pixels are read where they are, only the drawn size made.
    emfplus::Image rows;
    rows.kind = emfplus::Image::Kind::Pixels;
    rows.pixels = QSize(2000, 1000);
    rows.stride = 8000;
    rows.format = QImage::Format_RGB32;
    rows.bytes = std::string(std::size_t{8000} * 1000, '\x80');
    EXPECT_EQ(emfplus::decodeImage(rows, emfplus::decodedSize(rows, QSizeF(0.1, 0.1))).pixels.size(),
              QSize(200, 100));
}

// The cache keeps the most recent images within its bytes, and a repeat at the same size costs no
// second decode.
TEST(MetafileBudget, KeepsDecodedImagesWithinTheirBytes) {
    emfplus::ImageCache cache;
    MetafileWorkBudget budget;
    std::vector<emfplus::Image> images(12);
    const std::string png = hostile::pngFile(3000);
    for (std::size_t i = 0; i < images.size(); ++i) {
        images[i].kind = emfplus::Image::Kind::File;
        images[i].bytes = png;
        images[i].pixels = QSize(3000, 3000);
        images[i].id = 1000 + i;
        EXPECT_FALSE(cache.image(images[i], QSize(2000, 2000), budget).pixels.isNull()) << i;
        EXPECT_LE(cache.bytes(), emfplus::ImageCache::kMaxBytes) << i;
    }
    const double spent = budget.spent();
    EXPECT_FALSE(cache.image(images.back(), QSize(2000, 2000), budget).pixels.isNull());
    EXPECT_EQ(budget.spent(), spent) << "the last image is decoded again";
}

} // namespace
