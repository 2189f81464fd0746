#include "formats/metafile/MetafileRasterOp.h"

#include "EmfWriter.h"
#include "MetafileRendering.h"
#include "TestDib.h"

#include <gtest/gtest.h>
#include <random>

using namespace velmoa;

namespace {

using Ternary = std::uint32_t (*)(std::uint32_t p, std::uint32_t s, std::uint32_t d);

struct NamedOp {
    const char* name;
    std::uint32_t code;
    Ternary definition;
    bool pattern, source, destination; // the operands it reads
};

// The operations real files use, each by its documented definition.
const NamedOp kOps[] = {
    {"no-op", 0x00AA0029, [](auto, auto, auto d) { return d; }, false, false, true},
    {"BLACKNESS", 0x00000042, [](auto, auto, auto) { return 0u; }, false, false, false},
    {"WHITENESS", 0x00FF0062, [](auto, auto, auto) { return ~0u; }, false, false, false},
    {"PATCOPY", 0x00F00021, [](auto p, auto, auto) { return p; }, true, false, false},
    {"PATINVERT", 0x005A0049, [](auto p, auto, auto d) { return p ^ d; }, true, false, true},
    {"DSTINVERT", 0x00550009, [](auto, auto, auto d) { return ~d; }, false, false, true},
    {"SRCCOPY", 0x00CC0020, [](auto, auto s, auto) { return s; }, false, true, false},
    {"SRCPAINT", 0x00EE0086, [](auto, auto s, auto d) { return s | d; }, false, true, true},
    {"SRCAND", 0x008800C6, [](auto, auto s, auto d) { return s & d; }, false, true, true},
    {"SRCINVERT", 0x00660046, [](auto, auto s, auto d) { return s ^ d; }, false, true, true},
    {"SRCERASE", 0x00440328, [](auto, auto s, auto d) { return s & ~d; }, false, true, true},
    {"NOTSRCCOPY", 0x00330008, [](auto, auto s, auto) { return ~s; }, false, true, false},
    {"NOTSRCERASE", 0x001100A6, [](auto, auto s, auto d) { return ~(s | d); }, false, true, true},
    {"MERGECOPY", 0x00C000CA, [](auto p, auto s, auto) { return p & s; }, true, true, false},
    {"MERGEPAINT", 0x00BB0226, [](auto, auto s, auto d) { return ~s | d; }, false, true, true},
    {"PATPAINT", 0x00FB0A09, [](auto p, auto s, auto d) { return p | ~s | d; }, true, true, true},
    {"DSPDxax (masked brush)", 0x00E20746, [](auto p, auto s, auto d) { return ((p ^ d) & s) ^ d; }, true,
     true, true},
};

// Colour values whose channels hold the three operands' truth-table columns.
constexpr std::uint32_t kP = 0xF0F0F0, kS = 0xCCCCCC, kD = 0xAAAAAA;

} // namespace

TEST(MetafileRasterOp, EachOperationFollowsItsDefinition) {
    std::mt19937 random(14);
    for (const NamedOp& op : kOps) {
        const std::uint8_t index = rop::indexOf(op.code);
        for (int i = 0; i < 50; ++i) {
            const std::uint32_t p = random(), s = random(), d = random();
            ASSERT_EQ(rop::apply(index, p, s, d), op.definition(p, s, d)) << op.name;
        }
        // The index byte is the truth table itself.
        EXPECT_EQ(rop::apply(index, kP, kS, kD) & 0xFF, index) << op.name;
        EXPECT_EQ(rop::usesPattern(index), op.pattern) << op.name;
        EXPECT_EQ(rop::usesSource(index), op.source) << op.name;
        EXPECT_EQ(rop::usesDestination(index), op.destination) << op.name;
    }
}

TEST(MetafileRasterOp, PenOperationsAndTheirQtCompositions) {
    using Binary = std::uint32_t (*)(std::uint32_t pen, std::uint32_t d);
    const struct {
        int rop2;
        Binary definition;
    } rows[] = {
        {1, [](auto, auto) { return 0u; }},         {2, [](auto p, auto d) { return ~(p | d); }},
        {3, [](auto p, auto d) { return ~p & d; }}, {4, [](auto p, auto) { return ~p; }},
        {5, [](auto p, auto d) { return p & ~d; }}, {6, [](auto, auto d) { return ~d; }},
        {7, [](auto p, auto d) { return p ^ d; }},  {8, [](auto p, auto d) { return ~(p & d); }},
        {9, [](auto p, auto d) { return p & d; }},  {10, [](auto p, auto d) { return ~(p ^ d); }},
        {11, [](auto, auto d) { return d; }},       {12, [](auto p, auto d) { return ~p | d; }},
        {13, [](auto p, auto) { return p; }},       {14, [](auto p, auto d) { return p | ~d; }},
        {15, [](auto p, auto d) { return p | d; }}, {16, [](auto, auto) { return ~0u; }},
    };
    const QRgb pen = 0xFF3C96E1, destination = 0xFF5AC80F;
    for (const auto& row : rows) {
        const std::uint8_t index = rop::fromRop2(row.rop2);
        EXPECT_EQ(rop::apply(index, pen, 0x12345678, destination) & 0xFFFFFF,
                  row.definition(pen, destination) & 0xFFFFFF)
            << "R2 " << row.rop2;
        EXPECT_FALSE(rop::usesSource(index)) << "R2 " << row.rop2;
        // Qt's composition of the pen over the destination gives the same pixel.
        const auto mode = rop::compositionMode(index);
        ASSERT_TRUE(mode.has_value()) << "R2 " << row.rop2;
        if (row.rop2 == 11) {
            continue; // leaves the destination: nothing is drawn at all
        }
        QImage image(1, 1, QImage::Format_RGB32);
        image.fill(destination);
        QPainter painter(&image);
        painter.setCompositionMode(*mode);
        painter.fillRect(QRect(0, 0, 1, 1), QColor::fromRgb(pen));
        painter.end();
        EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, row.definition(pen, destination) & 0xFFFFFF)
            << "R2 " << row.rop2;
    }
    // Operations of all three operands have no Qt composition.
    EXPECT_FALSE(rop::compositionMode(rop::indexOf(0x00E20746)).has_value());
}

namespace {

int colourRef(std::uint32_t rgb) {
    return static_cast<int>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
}

EmfWriter picture() {
    return EmfWriter(9999, 9999, 100, 100, 100, 100);
}

// A solid brush of the colour as object 1 and a pen that draws nothing as object 2, selected.
EmfWriter& fillWith(EmfWriter& w, std::uint32_t rgb) {
    return w.rec(39, {1, 0, colourRef(rgb), 0}).rec(37, {1}).rec(38, {2, 5, 0, 0, 0}).rec(37, {2});
}

// A bit-block transfer record onto the rectangle with a bitmap of the given 32-bit rows (top row
// first) or none.
EmfWriter& bitBlt(EmfWriter& w, QRect dest, std::uint32_t rop,
                  const std::vector<std::vector<QRgb>>& rows = {}) {
    const testdib::Dib source = testdib::rgb32(rows);
    return testdib::bitBlock(w, testdib::kBitBlt, dest, rop, rows.empty() ? nullptr : &source);
}

// A stretched bitmap of one pixel over the rectangle.
EmfWriter& stretchBlt(EmfWriter& w, QRect dest, std::uint32_t rop, std::uint32_t pixel) {
    std::vector<std::vector<QRgb>> rows(static_cast<std::size_t>(dest.height()),
                                        std::vector<QRgb>(static_cast<std::size_t>(dest.width()), pixel));
    return bitBlt(w, dest, rop, rows);
}

// StretchDIBits of a one-pixel 32-bit bitmap over the whole picture.
EmfWriter& stretchDibits(EmfWriter& w, std::uint32_t rop, std::uint32_t pixel) {
    return testdib::stretchDibits(w, QRect(0, 0, 100, 100), rop, testdib::rgb32({{pixel}}));
}

} // namespace

TEST(MetafileRasterOp, BlitsCombinePatternSourceAndDestination) {
    for (const NamedOp& op : kOps) {
        EmfWriter w = picture();
        fillWith(w, kD).rec(43, {0, 0, 100, 100}); // the destination
        w.rec(39, {3, 0, colourRef(kP), 0}).rec(37, {3});
        stretchBlt(w, QRect(20, 20, 60, 60), op.code, kS);
        const QImage image = renderMetafile(w.build(), true);
        const std::uint32_t expected = op.definition(kP, kS, kD) & 0xFFFFFF;
        EXPECT_EQ(image.pixel(50, 50) & 0xFFFFFF, expected)
            << op.name << std::hex << " got " << image.pixel(50, 50);
        EXPECT_EQ(image.pixel(10, 10) & 0xFFFFFF, kD) << op.name << ": outside the block";
    }
}

TEST(MetafileRasterOp, NoOpAndMaskPairsKeepThePicture) {
    const std::uint32_t red = 0xFF0000, blue = 0x0000FF, white = 0xFFFFFF, black = 0;
    const struct {
        const char* name;
        std::function<void(EmfWriter&)> records;
        std::vector<Sample> samples;
    } rows[] = {
        {"a closing no-op without a bitmap, as GDI+ writes",
         [](EmfWriter& w) {
             fillWith(w, 0x00FF00).rec(43, {0, 0, 100, 100});
             fillWith(w, red).rec(43, {10, 10, 50, 50});
             bitBlt(w, QRect(0, 0, 100, 100), 0x00AA0029);
         },
         {{{30, 30}, QColor(255, 0, 0)}, {{80, 80}, QColor(0, 255, 0)}}},
        {"transparency by SRCINVERT, SRCAND, SRCINVERT",
         [=](EmfWriter& w) {
             fillWith(w, blue).rec(43, {0, 0, 100, 100});
             const std::vector<std::vector<QRgb>> image = {{red, black}}, mask = {{black, white}};
             bitBlt(w, QRect(0, 0, 2, 1), 0x00660046, image);
             bitBlt(w, QRect(0, 0, 2, 1), 0x008800C6, mask);
             bitBlt(w, QRect(0, 0, 2, 1), 0x00660046, image);
         },
         {{{0, 0}, QColor(255, 0, 0)}, {{1, 0}, QColor(0, 0, 255)}}},
        {"transparency by SRCPAINT mask then SRCAND image",
         [=](EmfWriter& w) {
             fillWith(w, blue).rec(43, {0, 0, 100, 100});
             bitBlt(w, QRect(0, 0, 2, 1), 0x00EE0086, {{white, black}});
             bitBlt(w, QRect(0, 0, 2, 1), 0x008800C6, {{red, white}});
         },
         {{{0, 0}, QColor(255, 0, 0)}, {{1, 0}, QColor(0, 0, 255)}}},
        {"transparency by a stretched monochrome mask with SRCPAINT, then the bits with SRCAND",
         [=](EmfWriter& w) {
             fillWith(w, blue).rec(43, {0, 0, 100, 100});
             w.rec(21, {4}); // HALFTONE, as the writers of such pairs set it
             // White over the picture's shape, black where the background shows.
             const testdib::Dib mask = testdib::mono({"0110", "1111", "0110", "0000"});
             testdib::bitBlock(w, testdib::kStretchBlt, QRect(0, 0, 100, 100), 0x00EE0086, &mask);
             const testdib::Dib bits = testdib::rgb32({{white, red, red, white},
                                                       {red, red, red, red},
                                                       {white, red, red, white},
                                                       {white, white, white, white}});
             testdib::stretchDibits(w, QRect(0, 0, 100, 100), 0x008800C6, bits);
         },
         // Near the mask's edges, where a blend would show.
         {{{28, 12}, QColor(255, 0, 0)},
          {{22, 12}, QColor(0, 0, 255)},
          {{50, 72}, QColor(255, 0, 0)},
          {{50, 78}, QColor(0, 0, 255)},
          {{3, 37}, QColor(255, 0, 0)},
          {{77, 62}, QColor(0, 0, 255)}}},
        {"a grey mask pair of stretched bitmaps blends, as its writer means",
         [=](EmfWriter& w) {
             fillWith(w, blue).rec(43, {0, 0, 100, 100});
             stretchDibits(w, 0x00EE0086, 0x808080);
             stretchDibits(w, 0x008800C6, red);
         },
         {{{50, 50}, QColor(128, 0, 127)}}},
        {"a pattern block inverted against the picture",
         [=](EmfWriter& w) {
             fillWith(w, white).rec(43, {0, 0, 100, 100});
             fillWith(w, red);
             bitBlt(w, QRect(0, 0, 50, 100), 0x005A0049);
             bitBlt(w, QRect(50, 0, 50, 100), 0x00550009);
         },
         {{{25, 50}, QColor(0, 255, 255)}, {{75, 50}, QColor(0, 0, 0)}}},
    };
    for (const auto& row : rows) {
        EmfWriter w = picture();
        row.records(w);
        const QImage image = renderMetafile(w.build(), true);
        for (const Sample& s : row.samples) {
            EXPECT_TRUE(near(image.pixel(s.at), s.colour, 2))
                << row.name << " at " << s.at.x() << "," << s.at.y() << ": " << std::hex << image.pixel(s.at);
        }
    }
}
