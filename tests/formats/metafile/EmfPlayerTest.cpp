#include "formats/metafile/EmfPlayer.h"

#include "EmfWriter.h"
#include "MetafileRendering.h"

#include <functional>
#include <gtest/gtest.h>

using namespace velmoa;

namespace {

enum : std::uint32_t {
    kPolyBezierTo16 = 88,
    kPolygon16 = 86,
    kPolyline16 = 87,
    kPolyPolygon16 = 91,
    kPolygon = 3,
    kSetWindowExt = 9,
    kSetWindowOrg = 10,
    kSetViewportExt = 11,
    kSetMapMode = 17,
    kSetBkMode = 18,
    kMoveTo = 27,
    kIntersectClip = 30,
    kSaveDc = 33,
    kRestoreDc = 34,
    kSetWorldTransform = 35,
    kModifyWorldTransform = 36,
    kSelect = 37,
    kCreatePen = 38,
    kCreateBrush = 39,
    kDelete = 40,
    kEllipse = 42,
    kRectangle = 43,
    kLineTo = 54,
    kBeginPath = 59,
    kEndPath = 60,
    kCloseFigure = 61,
    kFillPath = 62,
    kStrokePath = 64,
    kSelectClipPath = 67,
    kComment = 70,
    kBitBlt = 76,
    kStretchDibits = 81,
    kExtCreateFont = 82,
    kExtTextOutW = 84,
    kExtCreatePen = 95,
    kAlphaBlend = 114,
};

const QColor kRed(255, 0, 0), kBlue(0, 0, 255), kGreen(0, 160, 0), kWhite(255, 255, 255), kBlack(0, 0, 0);

int colourRef(QColor c) {
    return c.red() | c.green() << 8 | c.blue() << 16;
}

// 100 x 100 device pixels on a device of one pixel per millimetre: the picture is 100 pixels.
EmfWriter picture() {
    return EmfWriter(9999, 9999, 100, 100, 100, 100);
}

// A solid brush of the colour as object 1 and a pen that draws nothing as object 2, selected.
EmfWriter& fillWith(EmfWriter& w, QColor c) {
    return w.rec(kCreateBrush, {1, 0, colourRef(c), 0})
        .rec(kSelect, {1})
        .rec(kCreatePen, {2, 5, 0, 0, 0})
        .rec(kSelect, {2});
}

std::string points16(std::initializer_list<int> coordinates) {
    std::string s;
    for (int v : coordinates) {
        s += EmfWriter::i16(v);
    }
    return s;
}

// The fixed part of a record that counts its points: bounds, then the count.
std::string polyHeader(int count) {
    return std::string(16, '\0') + EmfWriter::i32(count);
}

std::string bitmapInfo(int width, int height, int bits) {
    return EmfWriter::u32(40) + EmfWriter::i32(width) + EmfWriter::i32(height) + EmfWriter::i16(1) +
           EmfWriter::i16(bits) + std::string(24, '\0');
}

// A 2 x 2 32-bit bitmap, rows bottom first: green, white / red, blue; alpha as given.
std::string pixels2x2(int alpha) {
    std::string s;
    for (QColor c : {kGreen, kWhite, kRed, kBlue}) {
        s +=
            std::string{static_cast<char>(c.blue() * alpha / 255), static_cast<char>(c.green() * alpha / 255),
                        static_cast<char>(c.red() * alpha / 255), static_cast<char>(alpha)};
    }
    return s;
}

using DrawRow = ::DrawRow<EmfWriter>;

void checkRows(const std::vector<DrawRow>& rows) {
    checkDrawRows(rows, &picture, true);
}

bool plays(const std::string& bytes, QImage* out = nullptr) {
    return playsToEnd<EmfPlayer>(bytes, out);
}

} // namespace

TEST(EmfPlayer, DrawsShapesAndPaths) {
    checkRows({
        {"rectangle",
         [](EmfWriter& w) {
             fillWith(w, kRed).rec(kRectangle, {10, 10, 90, 90});
         },
         {{{50, 50}, kRed}, {{5, 5}, kWhite}}},
        {"ellipse",
         [](EmfWriter& w) {
             fillWith(w, kBlue).rec(kEllipse, {10, 10, 90, 90});
         },
         {{{50, 50}, kBlue}, {{14, 14}, kWhite}}},
        {"polygon with 32-bit points",
         [](EmfWriter& w) {
             fillWith(w, kGreen).rec(kPolygon, {0, 0, 0, 0, 3, 10, 90, 50, 10, 90, 90});
         },
         {{{50, 70}, kGreen}, {{15, 20}, kWhite}}},
        {"polygon with 16-bit points",
         [](EmfWriter& w) {
             fillWith(w, kGreen).raw(kPolygon16, polyHeader(3) + points16({10, 90, 50, 10, 90, 90}));
         },
         {{{50, 70}, kGreen}, {{15, 20}, kWhite}}},
        {"polypolygon with 16-bit points",
         [](EmfWriter& w) {
             fillWith(w, kBlue).raw(kPolyPolygon16,
                                    std::string(16, '\0') + EmfWriter::u32(2) + EmfWriter::u32(6) +
                                        EmfWriter::u32(3) + EmfWriter::u32(3) +
                                        points16({0, 0, 40, 0, 0, 40, 100, 100, 60, 100, 100, 60}));
         },
         {{{10, 10}, kBlue}, {{90, 90}, kBlue}, {{50, 50}, kWhite}}},
        {"polyline from an extended pen",
         [](EmfWriter& w) {
             // Geometric solid pen, 8 wide, black.
             w.raw(kExtCreatePen, EmfWriter::u32(1) + std::string(16, '\0') + EmfWriter::u32(0x10000) +
                                      EmfWriter::u32(8) + EmfWriter::u32(0) + EmfWriter::u32(0) +
                                      EmfWriter::u32(0) + EmfWriter::u32(0));
             w.rec(kSelect, {1}).raw(kPolyline16, polyHeader(2) + points16({10, 50, 90, 50}));
         },
         {{{50, 50}, kBlack}, {{50, 40}, kWhite}}},
        {"a path filled: lines and a curve",
         [](EmfWriter& w) {
             fillWith(w, kRed).rec(kBeginPath, {}).rec(kMoveTo, {10, 10}).rec(kLineTo, {90, 10});
             w.raw(kPolyBezierTo16, polyHeader(3) + points16({90, 90, 10, 90, 10, 10}));
             w.rec(kCloseFigure, {}).rec(kEndPath, {}).rec(kFillPath, {0, 0, 0, 0});
         },
         {{{50, 20}, kRed}, {{80, 80}, kWhite}}},
        {"a path stroked, not filled",
         [](EmfWriter& w) {
             w.rec(kCreatePen, {1, 0, 6, 0, 0}).rec(kSelect, {1});
             w.rec(kBeginPath, {}).rec(kMoveTo, {10, 50}).rec(kLineTo, {90, 50}).rec(kEndPath, {});
             w.rec(kStrokePath, {0, 0, 0, 0});
         },
         {{{50, 50}, kBlack}, {{50, 30}, kWhite}}},
        {"a path as the clip",
         [](EmfWriter& w) {
             fillWith(w, kBlue).rec(kBeginPath, {}).rec(kRectangle, {0, 0, 50, 100}).rec(kEndPath, {});
             w.rec(kSelectClipPath, {5}).rec(kRectangle, {0, 0, 100, 100});
         },
         {{{25, 50}, kBlue}, {{75, 50}, kWhite}}},
        {"horizontal gradient",
         [](EmfWriter& w) {
             const auto vertex = [](int x, int y, int r, int b) {
                 return EmfWriter::i32(x) + EmfWriter::i32(y) + EmfWriter::i16(r << 8) + EmfWriter::i16(0) +
                        EmfWriter::i16(b << 8) + EmfWriter::i16(0);
             };
             w.raw(118, std::string(16, '\0') + EmfWriter::u32(2) + EmfWriter::u32(1) + EmfWriter::u32(0) +
                            vertex(0, 0, 255, 0) + vertex(100, 100, 0, 255) + EmfWriter::u32(0) +
                            EmfWriter::u32(1));
         },
         {{{3, 50}, kRed}, {{97, 50}, kBlue}, {{50, 50}, QColor(128, 0, 128)}}},
        {"poly draw: a line, a jump, a closed figure",
         [](EmfWriter& w) {
             w.rec(kCreatePen, {1, 0, 6, 0, 0}).rec(kSelect, {1});
             w.raw(92, polyHeader(5) + points16({10, 10, 90, 10, 10, 50, 90, 50, 90, 90}) +
                           std::string{6, 2, 6, 2, 3});
         },
         {{{50, 10}, kBlack}, {{90, 70}, kBlack}, {{30, 60}, kBlack}, {{10, 30}, kWhite}}},
        {"region filled with a stock brush",
         [](EmfWriter& w) {
             const std::string rect =
                 EmfWriter::i32(10) + EmfWriter::i32(10) + EmfWriter::i32(50) + EmfWriter::i32(50);
             const std::string data = EmfWriter::u32(32) + EmfWriter::u32(1) + EmfWriter::u32(1) +
                                      EmfWriter::u32(16) + rect + rect;
             w.raw(71, std::string(16, '\0') + EmfWriter::u32(48) + EmfWriter::u32(0x80000004) + data);
         },
         {{{30, 30}, kBlack}, {{70, 70}, kWhite}}},
        {"stock black brush",
         [](EmfWriter& w) {
             w.rec(kSelect, {static_cast<int>(0x80000004)}).rec(kRectangle, {10, 10, 90, 90});
         },
         {{{50, 50}, kBlack}}},
    });
}

TEST(EmfPlayer, MapsThroughWorldTransformAndMappingMode) {
    const auto rect = [](const std::function<void(EmfWriter&)>& mapping) {
        return [mapping](EmfWriter& w) {
            fillWith(w, kBlue);
            mapping(w);
            w.rec(kRectangle, {0, 0, 50, 50});
        };
    };
    const std::vector<Sample> bottomRight = {{{75, 75}, kBlue}, {{25, 25}, kWhite}, {{75, 25}, kWhite}};
    checkRows({
        {"world translation", rect([](EmfWriter& w) {
             w.raw(kSetWorldTransform, EmfWriter::f32(1) + EmfWriter::f32(0) + EmfWriter::f32(0) +
                                           EmfWriter::f32(1) + EmfWriter::f32(50) + EmfWriter::f32(50));
         }),
         bottomRight},
        {"world scale then reset",
         [](EmfWriter& w) {
             fillWith(w, kBlue);
             w.raw(kModifyWorldTransform, EmfWriter::f32(2) + EmfWriter::f32(0) + EmfWriter::f32(0) +
                                              EmfWriter::f32(2) + EmfWriter::f32(0) + EmfWriter::f32(0) +
                                              EmfWriter::u32(4));
             w.rec(kRectangle, {0, 0, 25, 25});
             w.raw(kModifyWorldTransform, std::string(24, '\0') + EmfWriter::u32(1));
             w.rec(kRectangle, {90, 90, 100, 100});
         },
         {{{40, 40}, kBlue}, {{60, 60}, kWhite}, {{95, 95}, kBlue}}},
        {"anisotropic window and viewport", rect([](EmfWriter& w) {
             w.rec(kSetMapMode, {8}).rec(kSetWindowExt, {100, 100}).rec(kSetViewportExt, {200, 200});
             w.rec(kSetWindowOrg, {-25, -25});
         }),
         bottomRight},
        {"extents ignored in text mode",
         rect([](EmfWriter& w) {
             w.rec(kSetWindowExt, {200, 200}).rec(kSetViewportExt, {100, 100});
         }),
         {{{25, 25}, kBlue}, {{75, 75}, kWhite}}},
        {"saved state restored",
         [](EmfWriter& w) {
             fillWith(w, kBlue).rec(kSaveDc, {}).rec(kIntersectClip, {0, 0, 10, 10}).rec(kSetMapMode, {8});
             w.rec(kSetWindowExt, {1, 1}).rec(kRestoreDc, {-1}).rec(kRectangle, {0, 0, 50, 50});
         },
         {{{25, 25}, kBlue}, {{75, 75}, kWhite}}},
    });
}

TEST(EmfPlayer, DrawsBitmaps) {
    const auto stretchDibits = [](EmfWriter& w) {
        const std::string info = bitmapInfo(2, 2, 32);
        const std::string bits = pixels2x2(255);
        // Fixed part 80 bytes with the header: bounds, dest x y, source x y w h, offsets, usage, rop, dest w
        // h.
        std::string p = std::string(16, '\0') + EmfWriter::i32(10) + EmfWriter::i32(10) + EmfWriter::i32(0) +
                        EmfWriter::i32(0) + EmfWriter::i32(2) + EmfWriter::i32(2) + EmfWriter::u32(80) +
                        EmfWriter::u32(static_cast<std::uint32_t>(info.size())) +
                        EmfWriter::u32(static_cast<std::uint32_t>(80 + info.size())) +
                        EmfWriter::u32(static_cast<std::uint32_t>(bits.size())) + EmfWriter::u32(0) +
                        EmfWriter::u32(0x00CC0020) + EmfWriter::i32(80) + EmfWriter::i32(80);
        w.raw(kStretchDibits, p + info + bits);
    };
    const auto blit = [](std::uint32_t type, int alpha, std::uint32_t function) {
        return [type, alpha, function](EmfWriter& w) {
            fillWith(w, kBlack).rec(kRectangle, {0, 0, 50, 100});
            const std::string info = bitmapInfo(2, 2, 32);
            const std::string bits = pixels2x2(alpha);
            const std::uint32_t fixed = 108;
            std::string p = std::string(16, '\0') + EmfWriter::i32(0) + EmfWriter::i32(0) +
                            EmfWriter::i32(100) + EmfWriter::i32(100) + EmfWriter::u32(function) +
                            EmfWriter::i32(0) + EmfWriter::i32(0) + std::string(24, '\0') +
                            EmfWriter::u32(0) + EmfWriter::u32(0) + EmfWriter::u32(fixed) +
                            EmfWriter::u32(static_cast<std::uint32_t>(info.size())) +
                            EmfWriter::u32(static_cast<std::uint32_t>(fixed + info.size())) +
                            EmfWriter::u32(static_cast<std::uint32_t>(bits.size())) + EmfWriter::i32(2) +
                            EmfWriter::i32(2);
            w.raw(type, p + info + bits);
        };
    };
    checkRows({
        {"stretched bits, bottom row last",
         [stretchDibits](EmfWriter& w) { stretchDibits(w); },
         {{{25, 25}, kRed}, {{75, 25}, kBlue}, {{25, 75}, kGreen}, {{75, 75}, kWhite}, {{5, 5}, kWhite}}},
        {"bit block transfer: pixel for pixel",
         blit(kBitBlt, 255, 0x00CC0020),
         {{{0, 0}, kRed}, {{1, 0}, kBlue}, {{0, 1}, kGreen}, {{25, 25}, kBlack}, {{75, 75}, kWhite}}},
        {"alpha blend at half strength over black and white",
         blit(kAlphaBlend, 255, 0x00800000),
         {{{25, 75}, QColor(0, 80, 0)}, {{75, 75}, kWhite}, {{75, 25}, QColor(128, 128, 255)}}},
        {"alpha blend with per-pixel alpha",
         blit(kAlphaBlend, 0, 0x01FF0000),
         {{{25, 25}, kBlack}, {{75, 25}, kWhite}}},
    });
}

TEST(EmfPlayer, DrawsTextAndSkipsComments) {
    EmfWriter w = picture();
    // An EMF+ comment full of nonsense comes first; the plain drawing after it counts.
    w.raw(kComment, EmfWriter::u32(40) + "EMF+" + std::string(36, '\xFF'));
    std::string font = EmfWriter::u32(1) + EmfWriter::i32(-30) + std::string(12, '\0') + EmfWriter::i32(400) +
                       std::string{0, 0, 0, static_cast<char>(128), 0, 0, 0, 0};
    for (char16_t c : std::u16string(u"ＭＳ ゴシック")) {
        font += EmfWriter::i16(c);
    }
    font.resize(12 + 92, '\0');
    w.raw(kExtCreateFont, font).rec(kSelect, {1}).rec(kSetBkMode, {1});
    const std::u16string text = u"日本";
    std::string record = std::string(16, '\0') + EmfWriter::u32(1) + EmfWriter::f32(1) + EmfWriter::f32(1) +
                         EmfWriter::i32(10) + EmfWriter::i32(20) + EmfWriter::u32(2) + EmfWriter::u32(76) +
                         EmfWriter::u32(0) + std::string(16, '\0') + EmfWriter::u32(0);
    for (char16_t c : text) {
        record += EmfWriter::i16(c);
    }
    w.raw(kExtTextOutW, record);
    w.raw(0x7777, "unknown records are passed over");
    fillWith(w, kRed).rec(kRectangle, {0, 80, 10, 90});
    const QImage image = renderMetafile(w.build(), true);
    EXPECT_GT(darkPixels(image, QRect(10, 20, 70, 30)), 80);
    EXPECT_EQ(darkPixels(image, QRect(20, 55, 80, 45)), 0);
    EXPECT_TRUE(near(image.pixel(5, 85), kRed));
}

TEST(EmfPlayer, EndsCleanlyOnMalformedRecords) {
    const auto drawnThen = [](const std::string& tail) {
        EmfWriter w = picture();
        fillWith(w, kRed).rec(kRectangle, {0, 0, 50, 50});
        return w.bytes(tail).build(false);
    };
    const auto rec = [](std::uint32_t type, std::uint32_t size, const std::string& payload) {
        return EmfWriter::u32(type) + EmfWriter::u32(size) + payload;
    };
    const struct {
        const char* name;
        std::string bytes;
        bool complete;
    } rows[] = {
        {"zero-length record", drawnThen(rec(kRectangle, 0, std::string(16, '\0'))), false},
        {"length past the end", drawnThen(rec(kRectangle, 4000, std::string(16, '\0'))), false},
        {"rectangle without its corners", drawnThen(rec(kRectangle, 12, EmfWriter::i32(1))), false},
        {"a giant point count",
         drawnThen(rec(kPolygon, 36, polyHeader(-1) + EmfWriter::i32(1) + EmfWriter::i32(2))), false},
        {"a giant polygon count",
         drawnThen(rec(kPolyPolygon16, 40,
                       std::string(16, '\0') + EmfWriter::u32(0x40000000) + EmfWriter::u32(3) +
                           EmfWriter::u32(3) + EmfWriter::u32(0))),
         false},
        {"polygon counts beyond their total",
         drawnThen(rec(kPolyPolygon16, 48,
                       std::string(16, '\0') + EmfWriter::u32(1) + EmfWriter::u32(1) + EmfWriter::u32(3) +
                           points16({0, 0, 1, 1, 2, 2}))),
         false},
        {"text longer than its record",
         drawnThen(rec(kExtTextOutW, 76,
                       std::string(36, '\0') + EmfWriter::u32(0x7FFFFFFF) + EmfWriter::u32(76) +
                           std::string(24, '\0'))),
         false},
        {"a transform that is not a number",
         drawnThen(rec(kSetWorldTransform, 32, EmfWriter::f32(NAN) + std::string(20, '\0'))), false},
        {"a record cut inside its header", drawnThen(EmfWriter::u32(kRectangle)), false},
        {"no end record", drawnThen(""), true},
    };
    for (const auto& row : rows) {
        QImage image;
        EXPECT_EQ(plays(row.bytes, &image), row.complete) << row.name;
        EXPECT_TRUE(near(image.pixel(25, 25), kRed)) << row.name << ": what came before stays drawn";
    }
}

TEST(EmfPlayer, SurvivesHostileObjectsAndOffsets) {
    const std::string badOffsets =
        std::string(16, '\0') + std::string(24, '\0') + EmfWriter::u32(0x00CC0020) + std::string(32, '\0') +
        EmfWriter::u32(0) + EmfWriter::u32(0) + EmfWriter::u32(0xFFFFFFF0) + EmfWriter::u32(40) +
        EmfWriter::u32(0x7FFFFFFF) + EmfWriter::u32(0x7FFFFFFF) + std::string(8, '\0');
    const struct {
        const char* name;
        std::function<void(EmfWriter&)> records;
    } rows[] = {
        {"objects past the table",
         [](EmfWriter& w) {
             w.rec(kCreateBrush, {0x7FFFFFFF, 0, 0, 0}).rec(kSelect, {0x7FFFFFF0}).rec(kDelete, {-5});
         }},
        {"bitmap offsets past the record", [badOffsets](EmfWriter& w) { w.raw(kBitBlt, badOffsets); }},
        {"a bitmap larger than its bits",
         [](EmfWriter& w) {
             const std::string info = bitmapInfo(60000, 60000, 32);
             std::string p = std::string(16, '\0') + std::string(16, '\0') + EmfWriter::u32(0x00CC0020) +
                             std::string(36, '\0') + EmfWriter::u32(108) + EmfWriter::u32(40) +
                             EmfWriter::u32(148) + EmfWriter::u32(4) + EmfWriter::i32(60000) +
                             EmfWriter::i32(60000);
             w.raw(kAlphaBlend, p + info + "abcd");
         }},
        {"restore past the saved states",
         [](EmfWriter& w) { w.rec(kRestoreDc, {-100}).rec(kRestoreDc, {7}); }},
        {"many nested saves",
         [](EmfWriter& w) {
             for (int i = 0; i < 5000; ++i) {
                 w.rec(kSaveDc, {});
             }
         }},
        {"a world transform composed past the largest number",
         [](EmfWriter& w) {
             const std::string scale = EmfWriter::f32(1e38f) + EmfWriter::f32(0) + EmfWriter::f32(0) +
                                       EmfWriter::f32(1e38f) + EmfWriter::f32(1e38f) + EmfWriter::f32(1e38f);
             for (int i = 0; i < 12; ++i) {
                 w.raw(kModifyWorldTransform, scale + EmfWriter::u32(2)); // left multiply
             }
             w.raw(kPolyline16, std::string(16, '\0') + EmfWriter::u32(2) + EmfWriter::i16(1) +
                                    EmfWriter::i16(1) + EmfWriter::i16(40) + EmfWriter::i16(40));
             w.rec(kModifyWorldTransform, {0, 0, 0, 0, 0, 0, 1}); // identity
         }},
        {"a path never ended",
         [](EmfWriter& w) {
             w.rec(kBeginPath, {}).rec(kLineTo, {5, 5}).rec(kEndPath, {}).rec(kFillPath, {0, 0, 0, 0});
         }},
    };
    for (const auto& row : rows) {
        EmfWriter w = picture();
        row.records(w);
        fillWith(w, kRed).rec(kRectangle, {0, 0, 50, 50});
        QImage image;
        EXPECT_TRUE(plays(w.build(), &image)) << row.name;
        EXPECT_TRUE(near(image.pixel(25, 25), kRed)) << row.name << ": drawing goes on after it";
    }
}
