#include "FormHarness.h"

#include "controls/Panel.h"
#include "formats/image/PictureFixtures.h"
#include "formats/metafile/WmfWriter.h"

#include <QImage>

using namespace velmoa;
using namespace velmoa::testing;

namespace {

const QRgb kWhite = qRgb(255, 255, 255), kGreen = qRgb(0, 255, 0);

// A 32 x 32 icon, its left half left out by alpha and its right half green.
std::string halfTransparentIcon() {
    constexpr int kSide = 32;
    fixtures::Dib dib{40, kSide, kSide * 2, 32};
    for (int row = 0; row < kSide; ++row) {
        std::string bytes;
        for (int x = 0; x < kSide; ++x) {
            bytes += x < kSide / 2 ? std::string(4, '\0') : fixtures::bgr({kGreen}) + '\xFF';
        }
        dib.rows.push_back(bytes);
    }
    for (int row = 0; row < kSide; ++row) {
        dib.rows.push_back(std::string(kSide / 8, '\0')); // the AND mask: all drawn
    }
    const std::string image = fixtures::dibBytes(dib);
    return fixtures::le16(0) + fixtures::le16(1) + fixtures::le16(1) + std::string(8, '\0') +
           fixtures::le32(static_cast<std::uint32_t>(image.size())) + fixtures::le32(6 + 16) + image;
}

// A 32 x 32 metafile that fills only its right half, green.
std::string halfFilledMetafile() {
    constexpr int kCreateBrush = 0x02FC, kCreatePen = 0x02FA, kSelect = 0x012D, kRectangle = 0x041B;
    constexpr int kNullPen = 5;
    WmfWriter w(0, 0, 32, 32, 96);
    w.rec(kCreateBrush, {0, 0xFF00, 0, 0})
        .rec(kSelect, {0})
        .rec(kCreatePen, {kNullPen, 0, 0, 0, 0})
        .rec(kSelect, {1})
        .rec(kRectangle, {32, 32, 0, 16});
    return w.build();
}

using PictureFrame = FormTest;

} // namespace

// Icons and metafiles are drawn with their own transparency: where they draw nothing, the picture
// frame's white shows, not the black around it.
TEST_F(PictureFrame, TransparentPartsOfIconsAndMetafilesShowTheFramesWhite) {
    const struct {
        const char* name;
        std::string bytes;
    } rows[] = {{"icon.ico", halfTransparentIcon()}, {"drawing.wmf", halfFilledMetafile()}};
    showForm();
    for (const auto& row : rows) {
        drop(writeFile(dir, row.name, row.bytes));
        ASSERT_TRUE(reporter.messages.isEmpty())
            << row.name << ": " << reporter.messages.join(' ').toStdString();
        ASSERT_EQ(form->P1->size(), QSize(32, 32)) << row.name;
        const QImage frame = form->P1->grab().toImage();
        EXPECT_EQ(frame.pixel(4, 16) & RGB_MASK, kWhite & RGB_MASK) << row.name;
        EXPECT_EQ(frame.pixel(28, 16) & RGB_MASK, kGreen & RGB_MASK) << row.name;
    }
}
