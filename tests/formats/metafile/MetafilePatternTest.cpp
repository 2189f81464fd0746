// Pattern brushes tile the metafile's device pixels from the device's origin, top row of the
// pattern first, whatever the mapping of the logical units and wherever the block starts.
#include "EmfWriter.h"
#include "MetafileRendering.h"
#include "TestDib.h"
#include "WmfWriter.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t kPatCopy = 0x00F00021;
constexpr int kDotColumn = 1, kDotRow = 2;

// An 8 x 8 pattern, white with one black dot; the rows below the dot's differ so that a pattern
// turned upside down shows.
testdib::Dib dottedPattern() {
    std::vector<std::vector<QRgb>> rows(8, std::vector<QRgb>(8, qRgb(255, 255, 255)));
    rows[kDotRow][kDotColumn] = qRgb(0, 0, 0);
    return testdib::rgb32(rows);
}

// The pixels of the block that are not as the tiled pattern has them.
int misplacedDots(const QImage& image, const QRect& block) {
    int wrong = 0;
    for (int y = block.top(); y <= block.bottom(); ++y) {
        for (int x = block.left(); x <= block.right(); ++x) {
            const bool dot = x % 8 == kDotColumn && y % 8 == kDotRow;
            wrong += near(image.pixel(x, y), dot ? Qt::black : Qt::white, 60) ? 0 : 1;
        }
    }
    return wrong;
}

} // namespace

TEST(MetafilePattern, PatternBlocksDotTheDevicesRowsAndColumns) {
    // The block covers device pixels 3..42 across and 5..44 down in every row.
    const QRect block(3, 5, 40, 40);
    constexpr std::uint32_t kSetWindowExt = 9, kSetWindowOrg = 10, kSetViewportExt = 11, kSetMapMode = 17,
                            kSelect = 37;
    const struct {
        const char* name;
        std::function<std::string()> file;
        bool enhanced;
    } rows[] = {
        {"enhanced, logical units as device pixels",
         [&] {
             EmfWriter w(9999, 9999, 100, 100, 100, 100);
             testdib::patternBrush(w, 1, dottedPattern()).rec(kSelect, {1});
             return testdib::bitBlock(w, testdib::kBitBlt, block, kPatCopy).build();
         },
         true},
        {"enhanced, the window moved",
         [&] {
             EmfWriter w(9999, 9999, 100, 100, 100, 100);
             w.rec(kSetWindowOrg, {13, 27});
             testdib::patternBrush(w, 1, dottedPattern()).rec(kSelect, {1});
             return testdib::bitBlock(w, testdib::kBitBlt, block.translated(13, 27), kPatCopy).build();
         },
         true},
        {"enhanced, logical units a third of a pixel",
         [&] {
             EmfWriter w(9999, 9999, 100, 100, 100, 100);
             w.rec(kSetMapMode, {8}).rec(kSetWindowExt, {300, 300}).rec(kSetViewportExt, {100, 100});
             testdib::patternBrush(w, 1, dottedPattern()).rec(kSelect, {1});
             const QRect logical(block.x() * 3, block.y() * 3, block.width() * 3, block.height() * 3);
             return testdib::bitBlock(w, testdib::kBitBlt, logical, kPatCopy).build();
         },
         true},
        {"placeable, its box away from the origin, in twips",
         [&] {
             constexpr int kTwips = 1440, kPerPixel = 15;
             WmfWriter w(1000, 2000, 1000 + 100 * kPerPixel, 2000 + 100 * kPerPixel, kTwips);
             constexpr int kDibCreatePatternBrush = 0x0142, kSelectObject = 0x012D, kPatBlt = 0x061D;
             w.raw(kDibCreatePatternBrush, WmfWriter::word(5) + WmfWriter::word(0) + dottedPattern().packed())
                 .rec(kSelectObject, {0});
             const QRect logical(1000 + block.x() * kPerPixel, 2000 + block.y() * kPerPixel,
                                 block.width() * kPerPixel, block.height() * kPerPixel);
             return w
                 .rec(kPatBlt, {0x0021, 0x00F0, logical.height(), logical.width(), logical.y(), logical.x()})
                 .build();
         },
         false},
    };
    for (const auto& row : rows) {
        const QImage image = renderMetafile(row.file(), row.enhanced);
        EXPECT_EQ(misplacedDots(image, block), 0) << row.name;
        EXPECT_TRUE(near(image.pixel(block.right() + 2, block.bottom() + 2), Qt::white)) << row.name;
    }
}
