#include "EmfPlusRecords.h"
#include "EmfPlusWriter.h"
#include "MetafileRendering.h"

#include <gtest/gtest.h>

// Linear gradient brushes tiled over a fill larger than their rectangle.

using namespace emfplus_records;

namespace {

constexpr std::uint32_t kLinearGradient = 4;
constexpr std::uint32_t kWithTransform = 0x02;
enum : std::uint32_t { kTile = 0, kTileFlipX = 1, kTileFlipY = 2, kTileFlipXY = 3, kClamp = 4 };

const QColor red(255, 0, 0), blue(0, 0, 255);

// Red to blue across x = 0..25, in the brush's own space.
std::string gradient(std::uint32_t wrap, const std::string& transform = {}) {
    const auto u32 = EmfPlusWriter::u32;
    return u32(0xDBC01002) + u32(kLinearGradient) + u32(transform.empty() ? 0 : kWithTransform) + u32(wrap) +
           EmfPlusWriter::rect(0, 0, 25, 100) + u32(kRed) + u32(kBlue) + u32(0) + u32(0) + transform;
}

struct GradientRow {
    const char* name;
    std::string brush;
    std::vector<Sample> samples;
};

} // namespace

TEST(EmfPlusBrush, LinearGradientTilesFollowTheWrapMode) {
    // A quarter turn: the brush's x axis runs down the picture.
    const std::string down = EmfPlusWriter::floats({0, 1, -1, 0, 0, 0});
    const std::vector<GradientRow> rows = {
        {"tiles", gradient(kTile), {{{2, 50}, red}, {{23, 50}, blue}, {{27, 50}, red}, {{48, 50}, blue}}},
        {"tiles flipped across the gradient repeat it",
         gradient(kTileFlipY),
         {{{23, 50}, blue}, {{27, 50}, red}, {{48, 50}, blue}}},
        {"tiles flipped along it mirror it",
         gradient(kTileFlipX),
         {{{23, 50}, blue}, {{27, 50}, blue}, {{48, 50}, red}}},
        {"tiles flipped both ways mirror it", gradient(kTileFlipXY), {{{27, 50}, blue}, {{48, 50}, red}}},
        {"clamped", gradient(kClamp), {{{48, 50}, blue}, {{90, 50}, blue}}},
        {"turned down the picture, tiles",
         gradient(kTile, down),
         {{{50, 2}, red}, {{50, 23}, blue}, {{50, 27}, red}, {{50, 48}, blue}}},
        {"turned down the picture, flipped across",
         gradient(kTileFlipY, down),
         {{{50, 23}, blue}, {{50, 27}, red}, {{80, 73}, blue}}},
    };
    for (const GradientRow& row : rows) {
        EmfPlusWriter plus;
        plus.header(false);
        plus.object(0, kBrushObject, row.brush);
        plus.rec(kFillRects, 0,
                 EmfPlusWriter::u32(0) + EmfPlusWriter::u32(1) + EmfPlusWriter::rect(0, 0, 100, 100));
        EmfWriter w = picture();
        w.raw(kComment, plus.comment());
        const QImage image = renderMetafile(w.build(), true);
        for (const Sample& s : row.samples) {
            EXPECT_TRUE(near(image.pixel(s.at), s.colour, 60))
                << row.name << " at " << s.at.x() << "," << s.at.y() << ": " << std::hex << image.pixel(s.at);
        }
    }
}
