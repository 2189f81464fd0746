#include "formats/metafile/EmfPlayer.h"

#include "EmfPlusRecords.h"
#include "EmfPlusWriter.h"
#include "MetafileRendering.h"

#include <gtest/gtest.h>

using namespace emfplus_records;

namespace {

const QColor red(255, 0, 0), blue(0, 0, 255), green(0, 255, 0), white(255, 255, 255), black(0, 0, 0);

std::string rect(float x, float y, float w, float h) {
    return EmfPlusWriter::floats({x, y, w, h});
}
// FillRects of one rectangle in a colour.
EmfPlusWriter& fillRect(EmfPlusWriter& p, std::uint32_t argb, float x, float y, float w, float h) {
    return p.rec(kFillRects, kColour, EmfPlusWriter::u32(argb) + EmfPlusWriter::u32(1) + rect(x, y, w, h));
}

// A plain rectangle record with a solid brush of the colour (0x00bbggrr).
EmfWriter& plainRect(EmfWriter& w, int colourRef, int x, int y, int r, int b) {
    return w.rec(39, {1, 0, colourRef, 0})
        .rec(37, {1})
        .rec(38, {2, 5, 0, 0, 0})
        .rec(37, {2})
        .rec(43, {x, y, r, b});
}

// One EMF+-only picture: records after the header, pixels to expect, and any further check.
struct PlusRow {
    const char* name;
    std::function<void(EmfPlusWriter&)> records;
    std::vector<Sample> samples;
    std::function<void(const QImage&, const char*)> check = {};
};

void checkPlusRows(const std::vector<PlusRow>& rows) {
    for (const auto& row : rows) {
        EmfPlusWriter plus;
        plus.header(false);
        row.records(plus);
        EmfWriter w = picture();
        w.raw(kComment, plus.comment());
        const QImage image = renderMetafile(w.build(), true);
        for (const Sample& s : row.samples) {
            EXPECT_TRUE(near(image.pixel(s.at), s.colour))
                << row.name << " at " << s.at.x() << "," << s.at.y() << ": " << std::hex << image.pixel(s.at);
        }
        if (row.check) {
            row.check(image, row.name);
        }
    }
}

} // namespace

TEST(EmfPlusPlayer, DrawsShapesTextAndState) {
    checkPlusRows({

        {"rectangles in a colour",
         [](EmfPlusWriter& p) { fillRect(p, kRed, 10, 10, 30, 30); },
         {{{25, 25}, red}, {{60, 60}, white}}},
        {"clear, then an ellipse with a brush object",
         [](EmfPlusWriter& p) {
             p.rec(kClear, 0, EmfPlusWriter::u32(kGreen));
             p.object(0, kBrushObject, EmfPlusWriter::solidBrush(kBlue));
             p.rec(kFillEllipse, 0, EmfPlusWriter::u32(0) + rect(20, 20, 60, 60));
         },
         {{{50, 50}, blue}, {{22, 22}, green}}},
        {"a linear gradient from red to blue",
         [](EmfPlusWriter& p) {
             p.object(0, kBrushObject,
                      EmfPlusWriter::u32(0xDBC01002) + EmfPlusWriter::u32(4) + EmfPlusWriter::u32(0) +
                          EmfPlusWriter::u32(4) + rect(0, 0, 100, 100) + EmfPlusWriter::u32(kRed) +
                          EmfPlusWriter::u32(kBlue) + EmfPlusWriter::u32(0) + EmfPlusWriter::u32(0));
             p.rec(kFillRects, 0, EmfPlusWriter::u32(0) + EmfPlusWriter::u32(1) + rect(0, 0, 100, 100));
         },
         {{{2, 50}, red}, {{97, 50}, blue}, {{50, 50}, QColor(128, 0, 128)}}},
        {"a pie, clockwise from the x axis",
         [](EmfPlusWriter& p) {
             p.rec(kFillPie, kColour,
                   EmfPlusWriter::u32(kRed) + EmfPlusWriter::floats({0, 90}) + rect(0, 0, 100, 100));
         },
         {{{70, 70}, red}, {{70, 30}, white}, {{30, 70}, white}}},
        {"a path filled and a dashed pen along a line",
         [](EmfPlusWriter& p) {
             p.object(1, kPathObject,
                      EmfPlusWriter::path({{10, 10}, {50, 10}, {10, 50}},
                                          std::string{0, 1, static_cast<char>(0x81)}));
             p.rec(kFillPath, kColour | 1, EmfPlusWriter::u32(kBlue));
             // Line style dash (flag 0x20): dashes three widths long, gaps one.
             p.object(2, kPenObject, EmfPlusWriter::pen(4, kBlack, 0x20, EmfPlusWriter::u32(1)));
             p.rec(kDrawLines, 2, EmfPlusWriter::u32(2) + EmfPlusWriter::floats({0, 80, 100, 80}));
         },
         {{{20, 20}, blue}, {{45, 45}, white}, {{5, 80}, black}}},
        {"a path stroked by its own pen",
         [](EmfPlusWriter& p) {
             p.object(1, kPathObject, EmfPlusWriter::path({{10, 50}, {90, 50}}, std::string{0, 1}));
             p.object(2, kPenObject, EmfPlusWriter::pen(6, kGreen));
             p.rec(kDrawPath, 1, EmfPlusWriter::u32(2));
         },
         {{{50, 50}, green}, {{50, 40}, white}}},
        {"beziers",
         [](EmfPlusWriter& p) {
             p.object(2, kPenObject, EmfPlusWriter::pen(6, kRed));
             p.rec(kDrawBeziers, 2,
                   EmfPlusWriter::u32(4) + EmfPlusWriter::floats({10, 90, 10, 10, 90, 10, 90, 90}));
         },
         {{{50, 30}, red}, {{50, 80}, white}}},
        {"world transform saved and restored",
         [](EmfPlusWriter& p) {
             p.rec(kSave, 0, EmfPlusWriter::u32(7));
             p.rec(kTranslate, 0, EmfPlusWriter::floats({50, 50}));
             fillRect(p, kRed, 0, 0, 40, 40);
             p.rec(kRestore, 0, EmfPlusWriter::u32(7));
             fillRect(p, kBlue, 0, 0, 20, 20);
         },
         {{{70, 70}, red}, {{10, 10}, blue}, {{30, 30}, white}}},
        {"rotation about the origin",
         [](EmfPlusWriter& p) {
             p.rec(kTranslate, 0, EmfPlusWriter::floats({50, 50}));
             p.rec(kRotate, 0, EmfPlusWriter::floats({90}));
             fillRect(p, kRed, 0, 0, 40, 10); // turned clockwise: now straight down
         },
         {{{45, 80}, red}, {{80, 45}, white}}},
        {"page units of millimetres",
         [](EmfPlusWriter& p) {
             p.rec(kPageTransform, 6, EmfPlusWriter::floats({1}));
             fillRect(p, kRed, 0, 0, 10, 10); // 10 mm: 38 pixels at 96 dpi
         },
         {{{35, 35}, red}, {{42, 42}, white}}},
        {"a clip rectangle, then the clip reset",
         [](EmfPlusWriter& p) {
             p.rec(kClipRect, 0, rect(0, 0, 50, 100));
             fillRect(p, kRed, 0, 0, 100, 50);
             p.rec(kResetClip, 0);
             fillRect(p, kBlue, 0, 60, 100, 40);
         },
         {{{25, 25}, red}, {{75, 25}, white}, {{75, 80}, blue}}},
        {"a string in a font object",
         [](EmfPlusWriter& p) {
             p.object(3, kFontObject, EmfPlusWriter::font(30, u"DejaVu Sans"));
             std::string text;
             for (char16_t c : std::u16string(u"HHHH")) {
                 text += EmfWriter::i16(c);
             }
             p.rec(kDrawString, kColour | 3,
                   EmfPlusWriter::u32(kBlack) + EmfPlusWriter::u32(0xFFFFFFFF) + EmfPlusWriter::u32(4) +
                       rect(5, 5, 0, 0) + text);
         },
         {},
         [](const QImage& image, const char* name) { // ink where the text stands, none below it
             EXPECT_GT(darkPixels(image, QRect(5, 5, 80, 30)), 100) << name;
             EXPECT_EQ(darkPixels(image, QRect(0, 50, 100, 50)), 0) << name;
         }},
    });
}

TEST(EmfPlusPlayer, DrawsDualFilesOnceAndGetDcRecordsToo) {
    EmfPlusWriter plus;
    EmfWriter w = picture();
    w.raw(kComment, plus.header(true).comment());
    w.raw(kComment, fillRect(plus, kRed, 0, 0, 50, 50).comment());
    plainRect(w, 0xFF0000, 0, 0, 50, 50); // the stand-in: blue, never shown
    w.raw(kComment, plus.rec(kGetDc, 0).comment());
    plainRect(w, 0x00FF00, 50, 50, 100, 100); // drawn through the device context: shown
    w.raw(kComment, fillRect(plus, kBlue, 0, 60, 20, 20).comment());
    plainRect(w, 0x0000FF, 60, 0, 100, 40); // a stand-in again
    const QImage image = renderMetafile(w.build(), true);
    EXPECT_TRUE(near(image.pixel(25, 25), red));
    EXPECT_TRUE(near(image.pixel(75, 75), green));
    EXPECT_TRUE(near(image.pixel(10, 70), blue));
    EXPECT_TRUE(near(image.pixel(80, 20), white));
}

TEST(EmfPlusPlayer, SurvivesHostileRecords) {
    const struct {
        const char* name;
        std::function<void(EmfPlusWriter&)> records;
    } rows[] = {
        {"an object id past the table",
         [](EmfPlusWriter& p) { p.object(200, kBrushObject, EmfPlusWriter::solidBrush(kRed)); }},
        {"a path with a giant point count",
         [](EmfPlusWriter& p) {
             p.object(1, kPathObject,
                      EmfPlusWriter::u32(0xDBC01002) + EmfPlusWriter::u32(0x7FFFFFFF) +
                          EmfPlusWriter::u32(0));
             p.rec(kFillPath, kColour | 1, EmfPlusWriter::u32(kBlue));
         }},
        {"a continued object claiming gigabytes",
         [](EmfPlusWriter& p) {
             p.rec(kObject, kContinued | kBrushObject << 8, EmfPlusWriter::u32(0xFFFFFFF0) + "abcd");
         }},
        {"rectangles beyond the record",
         [](EmfPlusWriter& p) {
             p.rec(kFillRects, kColour, EmfPlusWriter::u32(kBlue) + EmfPlusWriter::u32(0x10000000));
         }},
        {"a region nested without end",
         [](EmfPlusWriter& p) {
             std::string nodes = EmfPlusWriter::u32(0xDBC01002) + EmfPlusWriter::u32(9999);
             for (int i = 0; i < 5000; ++i) {
                 nodes += EmfPlusWriter::u32(1);
             }
             p.object(4, 4, nodes).rec(kSetClipRegion, 4);
         }},
        {"a transform that is not a number",
         [](EmfPlusWriter& p) {
             p.rec(kTranslate, 0, EmfPlusWriter::floats({NAN, 1e30f}));
         }},
        {"a record longer than its comment", [](EmfPlusWriter& p) { p.rec(kSave, 0).rec(kSave, 0); }},
        {"restore of a state never saved",
         [](EmfPlusWriter& p) { p.rec(kRestore, 0, EmfPlusWriter::u32(99)); }},
        {"a string with an impossible length",
         [](EmfPlusWriter& p) {
             p.object(3, kFontObject, EmfPlusWriter::font(30, u"x"));
             p.rec(kDrawString, kColour | 3,
                   EmfPlusWriter::u32(kBlack) + EmfPlusWriter::u32(0) + EmfPlusWriter::u32(0x7FFFFFFF) +
                       rect(0, 0, 0, 0));
         }},
    };
    for (const auto& row : rows) {
        EmfPlusWriter plus;
        plus.header(false);
        row.records(plus);
        std::string hostile = plus.comment();
        if (std::string(row.name) == "a record longer than its comment") {
            hostile.resize(hostile.size() - 4); // the second record loses its end
            hostile.replace(0, 4, EmfPlusWriter::u32(static_cast<std::uint32_t>(hostile.size() - 4)));
        }
        EmfWriter w = picture();
        w.raw(kComment, hostile);
        w.raw(kComment, fillRect(plus, kRed, 0, 0, 50, 50).comment());
        QImage image;
        EXPECT_TRUE(playsToEnd<velmoa::EmfPlayer>(w.build(), &image)) << row.name;
        EXPECT_TRUE(near(image.pixel(25, 25), red)) << row.name << ": drawing goes on after it";
    }
}

TEST(EmfPlusPlayer, DrawsImagesRegionsAndBrushKinds) {
    const auto u32 = EmfPlusWriter::u32;
    checkPlusRows({

        {"a 2 x 1 bitmap stretched over the picture",
         [&](EmfPlusWriter& p) {
             p.object(5, 5,
                      u32(0xDBC01002) + u32(1) + u32(2) + u32(1) + u32(8) + u32(0x0026200A) + u32(0) +
                          u32(kRed) + u32(kBlue));
             p.rec(kDrawImage, 5, u32(kNoAttributes) + u32(2) + rect(0, 0, 2, 1) + rect(0, 0, 100, 100));
         },
         {{{25, 50}, red}, {{75, 50}, blue}}},
        {"an enhanced metafile drawn as an image",
         [&](EmfPlusWriter& p) {
             EmfWriter inner(999, 999, 100, 100, 100, 100); // 10 x 10 pixels
             const std::string bytes = plainRect(inner, 0x0000FF, 0, 0, 10, 10).build();
             p.object(5, 5,
                      u32(0xDBC01002) + u32(2) + u32(3) + u32(static_cast<std::uint32_t>(bytes.size())) +
                          bytes);
             p.rec(kDrawImage, 5, u32(kNoAttributes) + u32(2) + rect(0, 0, 10, 10) + rect(50, 0, 50, 50));
         },
         {{{75, 25}, red}, {{25, 25}, white}, {{75, 75}, white}}},
        {"a region with a hole as the clip",
         [&](EmfPlusWriter& p) {
             const std::string box = u32(0x10000000);
             p.object(4, 4,
                      u32(0xDBC01002) + u32(2) + u32(4) + box + rect(0, 0, 100, 100) + box +
                          rect(25, 25, 50, 50));
             p.rec(kSetClipRegion, 4);
             fillRect(p, kRed, 0, 0, 100, 100);
         },
         {{{10, 10}, red}, {{50, 50}, white}}},
        {"a path gradient paints inside its boundary only",
         [&](EmfPlusWriter& p) {
             p.object(0, kBrushObject,
                      u32(0xDBC01002) + u32(3) + u32(0) + u32(0) + u32(kRed) +
                          EmfPlusWriter::floats({50, 50}) + u32(1) + u32(kBlue) + u32(3) +
                          EmfPlusWriter::floats({50, 0, 100, 100, 0, 100}));
             p.rec(kFillRects, 0, u32(0) + u32(1) + rect(0, 0, 100, 100));
         },
         {{{50, 52}, red}, {{5, 5}, white}, {{95, 5}, white}}},
        {"a hatch shows both its colours",
         [&](EmfPlusWriter& p) {
             p.object(0, kBrushObject, u32(0xDBC01002) + u32(1) + u32(4) + u32(kBlack) + u32(kGreen));
             p.rec(kFillRects, 0, u32(0) + u32(1) + rect(0, 0, 100, 100));
         },
         {},
         [](const QImage& image, const char* name) { // lines in the fore colour, gaps in the back colour
             int greens = 0;
             for (int y = 0; y < 100; ++y) {
                 for (int x = 0; x < 100; ++x) {
                     greens += near(image.pixel(x, y), green) ? 1 : 0;
                 }
             }
             EXPECT_GT(darkPixels(image, QRect(0, 0, 100, 100)), 500) << name;
             EXPECT_GT(greens, 500) << name;
         }},
    });
}
