#include "formats/metafile/WmfPlayer.h"

#include "MetafileRendering.h"
#include "WmfWriter.h"

#include <QImage>
#include <functional>
#include <gtest/gtest.h>

using namespace velmoa;

namespace {

constexpr int kCreatePen = 0x02FA, kCreateBrush = 0x02FC, kSelect = 0x012D, kDelete = 0x01F0;
constexpr int kRectangle = 0x041B, kEllipse = 0x0418, kPolygon = 0x0324, kPolyline = 0x0325;
constexpr int kPolyPolygon = 0x0538, kRoundRect = 0x061C, kArc = 0x0817, kChord = 0x0830, kPie = 0x081A;
constexpr int kMoveTo = 0x0214, kLineTo = 0x0213, kSetPixel = 0x041F, kPatBlt = 0x061D;
constexpr int kSaveDc = 0x001E, kRestoreDc = 0x0127, kIntersectClip = 0x0416, kExcludeClip = 0x0415;
constexpr int kSetRop2 = 0x0104, kSetPolyFill = 0x0106, kSetMapMode = 0x0103;
constexpr int kWindowOrg = 0x020B, kWindowExt = 0x020C, kViewportOrg = 0x020D, kViewportExt = 0x020E;

const QColor kRed(255, 0, 0), kBlue(0, 0, 255), kGreen(0, 160, 0), kWhite(255, 255, 255), kBlack(0, 0, 0);

// A 100 x 100 unit picture at 96 units per inch: one unit is one pixel at its own size.
WmfWriter picture() {
    return WmfWriter(0, 0, 100, 100, 96);
}

// Selects a solid brush of the colour (object 0) and a pen that draws nothing (object 1).
WmfWriter& fillWith(WmfWriter& w, QColor c) {
    const int rg = c.red() | c.green() << 8;
    return w.rec(kCreateBrush, {0, rg, c.blue(), 0})
        .rec(kSelect, {0})
        .rec(kCreatePen, {5, 0, 0, 0, 0})
        .rec(kSelect, {1});
}

// A black pen of the width as object 0.
WmfWriter& strokeWith(WmfWriter& w, int width) {
    return w.rec(kCreatePen, {0, width, 0, 0, 0}).rec(kSelect, {0});
}

std::string dib24(int width, int height, const std::vector<QColor>& bottomUpPixels) {
    std::string d = WmfWriter::dword(40) + WmfWriter::dword(width) + WmfWriter::dword(height) +
                    WmfWriter::word(1) + WmfWriter::word(24) + std::string(24, '\0');
    const int stride = (width * 3 + 3) / 4 * 4;
    for (int y = 0; y < height; ++y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            const QColor& c = bottomUpPixels[(static_cast<std::size_t>(y) * width) + x];
            row += std::string{static_cast<char>(c.blue()), static_cast<char>(c.green()),
                               static_cast<char>(c.red())};
        }
        row.resize(static_cast<std::size_t>(stride), '\0');
        d += row;
    }
    return d;
}

using DrawRow = ::DrawRow<WmfWriter>;

void checkRows(const std::vector<DrawRow>& rows, QSize size = QSize(100, 100)) {
    checkDrawRows(rows, &picture, false, size);
}

bool plays(const std::string& bytes, QImage* out = nullptr) {
    return playsToEnd<WmfPlayer>(bytes, out);
}

} // namespace

TEST(WmfPlayer, DrawsShapes) {
    checkRows({
        {"rectangle",
         [](WmfWriter& w) {
             fillWith(w, kRed).rec(kRectangle, {90, 90, 10, 10});
         },
         {{{50, 50}, kRed}, {{12, 12}, kRed}, {{5, 5}, kWhite}, {{95, 50}, kWhite}}},
        {"ellipse",
         [](WmfWriter& w) {
             fillWith(w, kBlue).rec(kEllipse, {90, 90, 10, 10});
         },
         {{{50, 50}, kBlue}, {{14, 14}, kWhite}, {{50, 12}, kBlue}}},
        {"polygon",
         [](WmfWriter& w) {
             fillWith(w, kGreen).rec(kPolygon, {3, 10, 90, 50, 10, 90, 90});
         },
         {{{50, 70}, kGreen}, {{15, 20}, kWhite}, {{85, 20}, kWhite}}},
        {"touching pieces leave no seam",
         [](WmfWriter& w) {
             fillWith(w, kRed)
                 .rec(kPolygon, {3, 0, 0, 100, 0, 0, 100})
                 .rec(kPolygon, {3, 100, 0, 100, 100, 0, 100});
         },
         {{{49, 50}, kRed}, {{20, 79}, kRed}}},
        {"round rectangle",
         [](WmfWriter& w) {
             fillWith(w, kRed).rec(kRoundRect, {40, 40, 90, 90, 10, 10});
         },
         {{{50, 50}, kRed}, {{12, 12}, kWhite}, {{50, 11}, kRed}}},
        {"pie: the upper right quarter",
         [](WmfWriter& w) {
             fillWith(w, kBlue).rec(kPie, {10, 50, 50, 90, 90, 90, 10, 10});
         },
         {{{70, 30}, kBlue}, {{30, 30}, kWhite}, {{30, 70}, kWhite}, {{70, 70}, kWhite}}},
        {"chord: the upper half",
         [](WmfWriter& w) {
             fillWith(w, kGreen).rec(kChord, {50, 10, 50, 90, 90, 90, 10, 10});
         },
         {{{50, 30}, kGreen}, {{50, 70}, kWhite}}},
        {"arc: the pen only",
         [](WmfWriter& w) {
             strokeWith(w, 6).rec(kArc, {50, 10, 50, 90, 90, 90, 10, 10});
         },
         {{{50, 10}, kBlack}, {{50, 30}, kWhite}, {{50, 90}, kWhite}}},
        {"polyline",
         [](WmfWriter& w) {
             strokeWith(w, 8).rec(kPolyline, {3, 10, 50, 90, 50, 90, 90});
         },
         {{{30, 50}, kBlack}, {{90, 70}, kBlack}, {{30, 70}, kWhite}}},
        {"move and line",
         [](WmfWriter& w) {
             strokeWith(w, 8).rec(kMoveTo, {20, 10}).rec(kLineTo, {20, 90}).rec(kLineTo, {80, 90});
         },
         {{{50, 20}, kBlack}, {{90, 50}, kBlack}, {{50, 50}, kWhite}}},
        {"set pixel",
         [](WmfWriter& w) {
             w.rec(kSetPixel, {0x00FF, 0x0000, 40, 30});
         },
         {{{30, 40}, kRed}, {{32, 40}, kWhite}}},
    });
}

TEST(WmfPlayer, ShowsHairlinesAtAnySize) {
    WmfWriter w = picture();
    strokeWith(w, 0).rec(kMoveTo, {50, 0}).rec(kLineTo, {50, 100});
    for (const QSize size : {QSize(100, 100), QSize(20, 20), QSize(400, 400)}) {
        const QImage image = renderMetafile(w.build(), false, size);
        int darkest = 255;
        for (int y = 0; y < size.height(); ++y) {
            darkest = std::min(darkest, qGray(image.pixel(size.width() / 3, y)));
        }
        EXPECT_LT(darkest, 160) << size.width();
    }
}

TEST(WmfPlayer, FillsPolyPolygonsByTheFillMode) {
    const auto squares = [](int mode) {
        return [mode](WmfWriter& w) {
            fillWith(w, kBlue).rec(kSetPolyFill, {mode});
            // Two squares drawn the same way round, the small one inside the big one.
            w.rec(kPolyPolygon, {2, 4, 4, 10, 10, 90, 10, 90, 90, 10, 90, 40, 40, 60, 40, 60, 60, 40, 60});
        };
    };
    checkRows({
        {"alternate leaves a hole", squares(1), {{{20, 20}, kBlue}, {{50, 50}, kWhite}}},
        {"winding fills it", squares(2), {{{20, 20}, kBlue}, {{50, 50}, kBlue}}},
    });
}

TEST(WmfPlayer, UsesBrushKinds) {
    checkRows({
        {"hollow brush",
         [](WmfWriter& w) {
             w.rec(kCreateBrush, {1, 0, 0, 0}).rec(kSelect, {0}).rec(kRectangle, {90, 90, 10, 10});
         },
         {{{50, 50}, kWhite}}},
        {"pattern brush from a bitmap",
         [](WmfWriter& w) {
             w.raw(0x0142, WmfWriter::word(5) + WmfWriter::word(0) + dib24(1, 1, {kGreen}))
                 .rec(kSelect, {0})
                 .rec(kPatBlt, {0x0021, 0x00F0, 80, 80, 10, 10});
         },
         {{{50, 50}, kGreen}, {{5, 5}, kWhite}}},
        {"blackness ignores the brush",
         [](WmfWriter& w) {
             fillWith(w, kRed).rec(kPatBlt, {0x0042, 0x0000, 80, 80, 10, 10});
         },
         {{{50, 50}, kBlack}}},
    });
    // A hatched brush leaves lines of both colours on an opaque background.
    WmfWriter w = picture();
    w.rec(kCreateBrush, {2, 0, 0, 4}).rec(kSelect, {0}).rec(kCreatePen, {5, 0, 0, 0, 0}).rec(kSelect, {1});
    w.rec(kRectangle, {100, 100, 0, 0});
    const QImage image = renderMetafile(w.build(), false);
    const int dark = darkPixels(image, QRect(10, 10, 80, 80));
    EXPECT_GT(dark, 80 * 80 / 20);
    EXPECT_LT(dark, 80 * 80 / 2);
}

TEST(WmfPlayer, ResolvesColoursThroughTheSelectedPalette) {
    // A logical palette of red and blue, selected before anything is drawn.
    const auto withPalette = [](WmfWriter& w) {
        w.rec(0x00F7, {0x0300, 2, 0x00FF, 0x0000, 0x0000, 0x00FF}).rec(0x0234, {0});
    };
    std::string indexedDib = WmfWriter::dword(40) + WmfWriter::dword(1) + WmfWriter::dword(1) +
                             WmfWriter::word(1) + WmfWriter::word(8) + std::string(16, '\0') +
                             WmfWriter::dword(1) + WmfWriter::dword(0);
    indexedDib += WmfWriter::word(1) + std::string(4, '\0'); // one table entry: palette index 1; one pixel
    checkRows({
        {"a brush of palette index 1",
         [withPalette](WmfWriter& w) {
             withPalette(w);
             w.rec(kCreateBrush, {0, 0x0001, 0x0100, 0}).rec(kSelect, {1}).rec(kCreatePen, {5, 0, 0, 0, 0});
             w.rec(kSelect, {2}).rec(kRectangle, {90, 90, 10, 10});
         },
         {{{50, 50}, kBlue}}},
        {"a bitmap whose colour table indexes the palette",
         [withPalette, indexedDib](WmfWriter& w) {
             withPalette(w);
             w.raw(0x0F43, WmfWriter::dword(0x00CC0020) + WmfWriter::word(1) + WmfWriter::word(1) +
                               WmfWriter::word(1) + WmfWriter::word(0) + WmfWriter::word(0) +
                               WmfWriter::word(100) + WmfWriter::word(100) + WmfWriter::word(0) +
                               WmfWriter::word(0) + indexedDib);
         },
         {{{50, 50}, kBlue}}},
    });
}

TEST(WmfPlayer, DrawsBitmapsTheRightWayUp) {
    // Rows are stored bottom first: red, green below blue, white.
    const std::string dib = dib24(2, 2, {kGreen, kWhite, kRed, kBlue});
    const auto stretchDib = [dib](WmfWriter& w) {
        w.raw(0x0F43, WmfWriter::dword(0x00CC0020) + WmfWriter::word(0) + WmfWriter::word(2) +
                          WmfWriter::word(2) + WmfWriter::word(0) + WmfWriter::word(0) + WmfWriter::word(80) +
                          WmfWriter::word(80) + WmfWriter::word(10) + WmfWriter::word(10) + dib);
    };
    const auto dibBitBlt = [dib](WmfWriter& w) {
        w.raw(0x0940, WmfWriter::dword(0x00CC0020) + WmfWriter::word(0) + WmfWriter::word(0) +
                          WmfWriter::word(2) + WmfWriter::word(2) + WmfWriter::word(10) +
                          WmfWriter::word(20) + dib);
    };
    const auto dibStretchBlt = [dib](WmfWriter& w) {
        w.raw(0x0B41, WmfWriter::dword(0x00CC0020) + WmfWriter::word(2) + WmfWriter::word(2) +
                          WmfWriter::word(0) + WmfWriter::word(0) + WmfWriter::word(-80) +
                          WmfWriter::word(80) + WmfWriter::word(90) + WmfWriter::word(10) + dib);
    };
    checkRows({
        {"stretched",
         stretchDib,
         {{{25, 25}, kRed}, {{75, 25}, kBlue}, {{25, 75}, kGreen}, {{75, 75}, kWhite}, {{5, 5}, kWhite}}},
        {"copied pixel for pixel", dibBitBlt, {{{20, 10}, kRed}, {{21, 10}, kBlue}, {{20, 11}, kGreen}}},
        {"stretched upside down by a negative height",
         dibStretchBlt,
         {{{25, 25}, kGreen}, {{25, 75}, kRed}, {{75, 75}, kBlue}}},
    });
}

TEST(WmfPlayer, CombinesWithTheDestinationByRop2) {
    const auto blackThen = [](int rop, QColor second) {
        return [rop, second](WmfWriter& w) {
            fillWith(w, kBlack).rec(kRectangle, {100, 50, 0, 0}); // left half black
            w.rec(kCreateBrush, {0, second.red() | second.green() << 8, second.blue(), 0}).rec(kSelect, {2});
            w.rec(kSetRop2, {rop}).rec(kRectangle, {60, 100, 40, 0}); // a band across both halves
        };
    };
    checkRows({
        {"copy pen", blackThen(13, kRed), {{{25, 50}, kRed}, {{75, 50}, kRed}}},
        {"not: inverts what is there", blackThen(6, kRed), {{{25, 50}, kWhite}, {{75, 50}, kBlack}}},
        {"xor pen", blackThen(7, kRed), {{{25, 50}, kRed}, {{75, 50}, QColor(0, 255, 255)}}},
        {"no operation", blackThen(11, kRed), {{{25, 50}, kBlack}, {{75, 50}, kWhite}}},
    });
}

TEST(WmfPlayer, ClipsAndRestoresTheClip) {
    checkRows({
        {"intersect, then restore",
         [](WmfWriter& w) {
             fillWith(w, kRed)
                 .rec(kSaveDc, {})
                 .rec(kIntersectClip, {50, 50, 0, 0})
                 .rec(kRectangle, {100, 100, 0, 0});
             w.rec(kRestoreDc, {-1})
                 .rec(kCreateBrush, {0, 0, 0xFF, 0})
                 .rec(kSelect, {2})
                 .rec(kRectangle, {100, 100, 90, 90});
         },
         {{{25, 25}, kRed}, {{75, 25}, kWhite}, {{25, 75}, kWhite}, {{95, 95}, kBlue}}},
        {"exclude",
         [](WmfWriter& w) {
             fillWith(w, kRed).rec(kExcludeClip, {60, 60, 40, 40}).rec(kRectangle, {100, 100, 0, 0});
         },
         {{{50, 50}, kWhite}, {{20, 20}, kRed}}},
        {"region selected as the clip",
         [](WmfWriter& w) {
             fillWith(w, kGreen);
             // A region of one scan holding one rectangle, 10..30 across and 10..90 down.
             w.rec(0x06FF, {0, 6, 0, 0, 34, 1, 10, 10, 10, 30, 90, 2, 10, 90, 10, 30, 2});
             w.rec(0x012C, {2}).rec(kRectangle, {100, 100, 0, 0});
         },
         {{{20, 50}, kGreen}, {{50, 50}, kWhite}}},
    });
}

TEST(WmfPlayer, MapsLogicalUnitsOntoThePicture) {
    const auto rectAt = [](const std::function<void(WmfWriter&)>& mapping, const std::vector<int>& rect) {
        return [mapping, rect](WmfWriter& w) {
            fillWith(w, kBlue);
            mapping(w);
            w.rec(kRectangle, {rect[3], rect[2], rect[1], rect[0]});
        };
    };
    const std::vector<Sample> topLeftQuarter = {
        {{25, 25}, kBlue}, {{75, 25}, kWhite}, {{25, 75}, kWhite}, {{75, 75}, kWhite}};
    const std::vector<Sample> bottomRightQuarter = {
        {{75, 75}, kBlue}, {{25, 25}, kWhite}, {{75, 25}, kWhite}, {{25, 75}, kWhite}};
    checkRows({
        {"the bounding box by default", rectAt([](WmfWriter&) {}, {0, 0, 50, 50}), topLeftQuarter},
        {"window extent fills the picture",
         rectAt(
             [](WmfWriter& w) {
                 w.rec(kWindowOrg, {0, 0}).rec(kWindowExt, {1000, 1000});
             },
             {0, 0, 500, 500}),
         topLeftQuarter},
        {"window origin moves the drawing",
         rectAt(
             [](WmfWriter& w) {
                 w.rec(kWindowOrg, {-50, -50}).rec(kWindowExt, {100, 100});
             },
             {0, 0, 50, 50}),
         bottomRightQuarter},
        {"a flipped window extent mirrors",
         rectAt(
             [](WmfWriter& w) {
                 w.rec(kWindowOrg, {100, 100}).rec(kWindowExt, {-100, -100});
             },
             {0, 0, 50, 50}),
         bottomRightQuarter},
        {"viewport origin and extent",
         rectAt(
             [](WmfWriter& w) {
                 w.rec(kWindowOrg, {0, 0})
                     .rec(kWindowExt, {10, 10})
                     .rec(kViewportOrg, {50, 50})
                     .rec(kViewportExt, {50, 50});
             },
             {0, 0, 10, 10}),
         bottomRightQuarter},
        {"isotropic keeps the aspect",
         rectAt(
             [](WmfWriter& w) {
                 w.rec(kSetMapMode, {7}).rec(kWindowOrg, {0, 0}).rec(kWindowExt, {100, 200});
                 w.rec(kViewportExt, {100, 100});
             },
             {0, 0, 200, 100}),
         {{{25, 25}, kBlue}, {{75, 25}, kBlue}, {{25, 75}, kWhite}}},
        {"text mode: one unit a device unit from the window origin",
         rectAt(
             [](WmfWriter& w) {
                 w.rec(kSetMapMode, {1}).rec(kWindowOrg, {0, 0}).rec(kWindowExt, {1, 1});
             },
             {50, 50, 100, 100}),
         bottomRightQuarter},
    });
    // Tenths of a millimetre with y upwards, in a box of one inch at 254 units per inch.
    WmfWriter w(0, 0, 254, 254, 254);
    fillWith(w, kBlue).rec(kSetMapMode, {2}).rec(kWindowOrg, {0, 0}).rec(kViewportOrg, {0, 0});
    w.rec(kRectangle, {-127, 127, 0, 0});
    const QImage image = renderMetafile(w.build(), false);
    EXPECT_TRUE(near(image.pixel(25, 25), kBlue));
    EXPECT_TRUE(near(image.pixel(75, 75), kWhite));
}

TEST(WmfPlayer, ScalesToAnyTargetSize) {
    WmfWriter w = picture();
    fillWith(w, kRed).rec(kRectangle, {50, 50, 0, 0});
    const QImage image = renderMetafile(w.build(), false, QSize(400, 200));
    EXPECT_TRUE(near(image.pixel(190, 90), kRed));
    EXPECT_TRUE(near(image.pixel(210, 90), kWhite));
    EXPECT_TRUE(near(image.pixel(190, 110), kWhite));
}

TEST(WmfPlayer, DrawsShiftJisText) {
    WmfWriter w = picture();
    // A 40-unit Gothic font in the Shift-JIS character set, its face name itself in Shift-JIS.
    const std::string face =
        "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E"; // ＭＳ Ｐゴシック
    std::string font = WmfWriter::word(-40) + WmfWriter::word(0) + WmfWriter::word(0) + WmfWriter::word(0) +
                       WmfWriter::word(400) + std::string{0, 0, 0, static_cast<char>(128), 0, 0, 0, 0} + face;
    font.resize(50, '\0');
    const std::string text = "\x93\xFA\x96\x7B"; // 日本
    w.raw(0x02FB, font).rec(kSelect, {0}).rec(0x0102, {1});
    w.raw(0x0521, WmfWriter::word(4) + text + WmfWriter::word(20) + WmfWriter::word(10));
    const QImage image = renderMetafile(w.build(), false);
    EXPECT_GT(darkPixels(image, QRect(10, 20, 80, 40)), 100);
    EXPECT_EQ(darkPixels(image, QRect(0, 70, 100, 30)), 0);

    // Advances come a byte at a time; a double-byte character takes the sum of its two.
    WmfWriter spaced = picture();
    spaced.raw(0x02FB, font).rec(kSelect, {0}).rec(0x0102, {1});
    spaced.raw(0x0A32, WmfWriter::word(20) + WmfWriter::word(0) + WmfWriter::word(4) + WmfWriter::word(0) +
                           text + WmfWriter::word(35) + WmfWriter::word(35) + WmfWriter::word(5) +
                           WmfWriter::word(5));
    const QImage apart = renderMetafile(spaced.build(), false);
    EXPECT_GT(darkPixels(apart, QRect(0, 20, 40, 40)), 100);  // 日 at 0
    EXPECT_EQ(darkPixels(apart, QRect(45, 20, 24, 40)), 0);   // a gap
    EXPECT_GT(darkPixels(apart, QRect(70, 20, 30, 40)), 100); // 本 at 70
}

TEST(WmfPlayer, PlacesTextByItsAlignment) {
    const int kLeft = 0, kRight = 2, kCentre = 6, kTop = 0, kBottom = 8;
    const struct {
        const char* name;
        int align;
        QRect inked, clear;
    } rows[] = {
        {"left, top", kLeft | kTop, QRect(50, 50, 50, 30), QRect(0, 0, 49, 100)},
        {"right, top", kRight | kTop, QRect(0, 50, 50, 30), QRect(51, 0, 49, 100)},
        {"right, bottom", kRight | kBottom, QRect(0, 20, 50, 30), QRect(0, 51, 100, 49)},
        {"centre, bottom", kCentre | kBottom, QRect(30, 20, 40, 30), QRect(0, 51, 100, 49)},
    };
    for (const auto& row : rows) {
        WmfWriter w = picture();
        std::string font = WmfWriter::word(-30) + std::string(16, '\0') + "Arial";
        font.resize(50, '\0');
        w.raw(0x02FB, font).rec(kSelect, {0}).rec(0x0102, {1}).rec(0x012E, {row.align});
        w.raw(0x0521, WmfWriter::word(2) + "HH" + WmfWriter::word(50) + WmfWriter::word(50));
        const QImage image = renderMetafile(w.build(), false);
        EXPECT_GT(darkPixels(image, row.inked), 100) << row.name;
        EXPECT_EQ(darkPixels(image, row.clear), 0) << row.name;
    }
    // An opaque text rectangle takes the background colour even without text.
    WmfWriter w = picture();
    w.rec(0x0201, {0x00FF, 0}); // background red
    w.raw(0x0A32, WmfWriter::word(0) + WmfWriter::word(0) + WmfWriter::word(0) + WmfWriter::word(2) +
                      WmfWriter::word(10) + WmfWriter::word(10) + WmfWriter::word(90) + WmfWriter::word(90));
    const QImage image = renderMetafile(w.build(), false);
    EXPECT_TRUE(near(image.pixel(50, 50), kRed));
    EXPECT_TRUE(near(image.pixel(5, 5), kWhite));
}

TEST(WmfPlayer, EndsCleanlyOnMalformedRecords) {
    const auto drawnThen = [](const std::string& tail) {
        WmfWriter w = picture();
        fillWith(w, kRed).rec(kRectangle, {50, 50, 0, 0});
        return w.bytes(tail).build(false);
    };
    const struct {
        const char* name;
        std::string bytes;
        bool complete;
    } rows[] = {
        {"record length past the end", drawnThen(WmfWriter::dword(5000) + WmfWriter::word(kRectangle)),
         false},
        {"zero-length record",
         drawnThen(WmfWriter::dword(0) + WmfWriter::word(kRectangle) + std::string(40, 'x')), false},
        {"record cut inside its header", drawnThen(std::string("\x05\x00", 2)), false},
        {"polyline count past the record",
         drawnThen(WmfWriter::dword(5) + WmfWriter::word(kPolyline) + WmfWriter::word(0xFFFF) +
                   WmfWriter::word(1)),
         false},
        {"polypolygon counts past the record",
         drawnThen(WmfWriter::dword(7) + WmfWriter::word(kPolyPolygon) + WmfWriter::word(2) +
                   WmfWriter::word(3) + WmfWriter::word(60000)),
         false},
        {"rectangle without its corners", drawnThen(WmfWriter::dword(4) + WmfWriter::word(kRectangle) + "ab"),
         false},
        {"text longer than its record",
         drawnThen(WmfWriter::dword(5) + WmfWriter::word(0x0521) + WmfWriter::word(9000) + "ab"), false},
        {"no end record", drawnThen(""), true},
    };
    for (const auto& row : rows) {
        QImage image;
        EXPECT_EQ(plays(row.bytes, &image), row.complete) << row.name;
        EXPECT_TRUE(near(image.pixel(25, 25), kRed)) << row.name << ": what came before stays drawn";
    }
}

TEST(WmfPlayer, SurvivesHostileObjectsAndStates) {
    const std::string giantDib = WmfWriter::dword(40) + WmfWriter::dword(100000) + WmfWriter::dword(100000) +
                                 WmfWriter::word(1) + WmfWriter::word(32) + std::string(24, '\0') + "tiny";
    const struct {
        const char* name;
        std::function<void(WmfWriter&)> records;
    } rows[] = {
        {"select and delete past the table",
         [](WmfWriter& w) { w.rec(kSelect, {9999}).rec(kDelete, {9999}); }},
        {"select a deleted object",
         [](WmfWriter& w) {
             w.rec(kCreatePen, {0, 5, 0, 0, 0}).rec(kDelete, {0}).rec(kSelect, {0});
         }},
        {"more objects than the table holds",
         [](WmfWriter& w) {
             for (int i = 0; i < 40; ++i) {
                 w.rec(kCreatePen, {0, 1, 0, 0, 0});
             }
             for (int i = 0; i < 16; ++i) {
                 w.rec(kDelete, {i});
             }
         }},
        {"deep saves",
         [](WmfWriter& w) {
             for (int i = 0; i < 3000; ++i) {
                 w.rec(kSaveDc, {});
             }
         }},
        {"restores with nothing saved",
         [](WmfWriter& w) { w.rec(kRestoreDc, {-5}).rec(kRestoreDc, {3}).rec(kRestoreDc, {0}); }},
        {"zero window extent",
         [](WmfWriter& w) {
             w.rec(kWindowExt, {0, 0});
         }},
        {"a bitmap claiming 100000 x 100000 pixels",
         [giantDib](WmfWriter& w) {
             w.raw(0x0940, WmfWriter::dword(0x00CC0020) + std::string(12, '\0') + giantDib);
         }},
        {"a region claiming many scans",
         [](WmfWriter& w) {
             w.rec(0x06FF, {0, 6, 0, 0, 34, 30000, 10, 0, 0, 1, 1, 60000, 1, 2}).rec(kDelete, {0});
         }},
        {"a font without a face",
         [](WmfWriter& w) {
             w.rec(0x02FB, {-10, 0, 0, 0, 400, 0, 0, 0, 0}).rec(kSelect, {0}).rec(kDelete, {0});
         }},
    };
    for (const auto& row : rows) {
        WmfWriter w = picture();
        row.records(w);
        fillWith(w, kRed).rec(kWindowOrg, {0, 0}).rec(kWindowExt, {100, 100}).rec(kRectangle, {50, 50, 0, 0});
        QImage image;
        plays(w.build(), &image);
        EXPECT_TRUE(near(image.pixel(25, 25), kRed)) << row.name << ": drawing goes on after it";
    }
}

TEST(WmfPlayer, StopsAFileThatWouldDrawForever) {
    WmfWriter w = picture();
    fillWith(w, kRed);
    for (int i = 0; i < 40000; ++i) {
        w.rec(kRectangle, {100, 100, 0, 0});
    }
    const std::string bytes = w.build();
    const auto header = WmfPlayer::readHeader(bytes);
    ASSERT_TRUE(header.has_value());
    QImage image(400, 400, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    EXPECT_FALSE(WmfPlayer(bytes, *header).play(painter, QRectF(0, 0, 400, 400)));
    painter.end();
    EXPECT_TRUE(near(image.pixel(200, 200), kRed));
}
