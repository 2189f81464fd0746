#include "EmfPlusRecords.h"
#include "EmfPlusWriter.h"
#include "MetafileRendering.h"

#include <gtest/gtest.h>

// Strings laid out in their rectangle by a font and a string format, in page units as small as
// report writers choose them.

using namespace emfplus_records;

namespace {

constexpr std::uint32_t kNoClip = 0x4000;
// A world unit of 2/15 pixel: a 720th of an inch at 96 dpi.
constexpr float kPageScale = 0.1333f;
constexpr float kWorldPerPixel = 1 / kPageScale;

struct StringRow {
    const char* name;
    std::uint32_t formatFlags;
    QRectF layout; // in pixels
    QRect inked;   // where the text's ink is expected
    QRect clean;   // and where none may be
};

} // namespace

TEST(EmfPlusString, FontAndFormatObjectsUnderASmallPageScale) {
    const auto u32 = EmfPlusWriter::u32;
    const std::vector<StringRow> rows = {
        {"a layout rectangle", 0, QRectF(5, 30, 90, 40), QRect(5, 30, 90, 40), QRect(0, 75, 100, 25)},
        // Without a height the line is centred on the rectangle's top.
        {"a rectangle of a width only", 0, QRectF(5, 30, 90, 0), QRect(5, 20, 90, 20), QRect(0, 50, 100, 50)},
        {"centred on a point", 0, QRectF(50, 50, 0, 0), QRect(5, 40, 90, 20), QRect(0, 0, 100, 30)},
        {"clipped to a rectangle too low for the line", 0, QRectF(5, 30, 90, 6), QRect(5, 30, 90, 6),
         QRect(0, 37, 100, 63)},
        {"a rectangle too low with clipping off", kNoClip, QRectF(5, 30, 90, 6), QRect(5, 37, 90, 30),
         QRect(0, 0, 100, 20)},
    };
    for (const StringRow& row : rows) {
        EmfPlusWriter plus;
        plus.header(false);
        plus.rec(kPageTransform, kUnitPixel, EmfPlusWriter::floats({kPageScale}));
        plus.object(3, kFontObject, EmfPlusWriter::font(18, u"DejaVu Sans", kUnitPoint)); // 24 pixels
        plus.object(4, kStringFormatObject, EmfPlusWriter::stringFormat(row.formatFlags, 1, 1));
        std::string text;
        for (char16_t c : std::u16string(u"HH HH")) {
            text += EmfWriter::i16(c);
        }
        const QRectF& l = row.layout;
        plus.rec(kDrawString, 0x8000 | 3,
                 u32(kBlack) + u32(4) + u32(5) +
                     EmfPlusWriter::rect(static_cast<float>(l.x() * kWorldPerPixel),
                                         static_cast<float>(l.y() * kWorldPerPixel),
                                         static_cast<float>(l.width() * kWorldPerPixel),
                                         static_cast<float>(l.height() * kWorldPerPixel)) +
                     text);
        EmfWriter w = picture();
        w.raw(kComment, plus.comment());
        const QImage image = renderMetafile(w.build(), true);
        EXPECT_GT(darkPixels(image, row.inked), 60) << row.name;
        EXPECT_EQ(darkPixels(image, row.clean), 0) << row.name;
    }
}
