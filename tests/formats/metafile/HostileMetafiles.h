#pragma once

#include "EmfPlusWriter.h"
#include "EmfWriter.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

// Enhanced metafiles shaped to make a player run away with time or memory: each is small as a
// file and cheap to read, and would cost minutes or gigabytes to draw in full. The tests, the bench
// and the fuzz seeds write them from here, at full size or (count) scaled down.
namespace hostile {

using u8 = std::uint8_t;

enum : std::uint16_t {
    kObject = 0x4008,
    kFillRects = 0x400A,
    kFillPolygon = 0x400C,
    kDrawPath = 0x4015,
    kDrawImage = 0x401A,
    kSetClipPath = 0x4033,
    kSetClipRegion = 0x4034,
};
enum : int { kBrushObject = 1, kPenObject = 2, kPathObject = 3, kRegionObject = 4, kImageObject = 5 };
constexpr std::uint16_t kColourFlag = 0x8000, kCompressedFlag = 0x4000;
constexpr std::uint32_t kPathRelative = 0x0800, kPathRunLength = 0x1000;
constexpr std::uint32_t kVersion = 0xDBC01002;
constexpr std::uint32_t kRectNode = 0x10000000;
constexpr std::uint32_t kIntersect = 1, kXor = 3; // region combine modes
constexpr std::uint32_t kEmrComment = 70, kEmrExtSelectClipRgn = 75;
constexpr int kSide = 1000; // pixels of every picture here

inline std::string u32(std::uint32_t v) {
    return EmfWriter::u32(v);
}

// A picture of kSide x kSide pixels at 96 dpi, so that EMF+ pixels are the picture's.
inline EmfWriter frame() {
    return EmfWriter(kSide * 2540 / 96, kSide * 2540 / 96, 960, 960, 254, 254);
}

// A deterministic scribble of count points within the picture, steps of at most 60 pixels.
inline std::vector<std::pair<int, int>> scribbleSteps(int count) {
    std::vector<std::pair<int, int>> steps;
    steps.reserve(static_cast<std::size_t>(count));
    std::uint32_t seed = 12345;
    int x = kSide / 2, y = kSide / 2;
    const auto next = [&seed](int from) {
        seed = seed * 1103515245u + 12345u;
        return from - 60 + static_cast<int>((seed >> 16) % 121);
    };
    for (int i = 0; i < count; ++i) {
        const int nx = std::clamp(next(x), 20, kSide - 20), ny = std::clamp(next(y), 20, kSide - 20);
        steps.emplace_back(i == 0 ? x : nx - x, i == 0 ? y : ny - y);
        x = i == 0 ? x : nx;
        y = i == 0 ? y : ny;
    }
    return steps;
}

// A path object of count points as GDI+ packs long ones: relative 7-bit steps (the first from the
// origin in 15 bits) and run-length point types, every point after the first a line.
inline std::string scribblePath(int count) {
    std::string points;
    bool first = true;
    for (const auto& [dx, dy] : scribbleSteps(count)) {
        for (const int v : {dx, dy}) {
            if (first) { // 15 bits, signed
                points += static_cast<char>(0x80 | ((v >> 8) & 0x7F));
                points += static_cast<char>(v & 0xFF);
            } else {
                points += static_cast<char>(v & 0x7F);
            }
        }
        first = false;
    }
    std::string types;
    for (int left = count; left > 0; left -= 63) {
        types += static_cast<char>(std::min(left, 63));
        types += static_cast<char>(1);
    }
    return u32(kVersion) + u32(static_cast<std::uint32_t>(count)) + u32(kPathRelative | kPathRunLength) +
           points + types;
}

inline std::string rect(float x, float y, float w, float h) {
    return EmfPlusWriter::floats({x, y, w, h});
}

// An EMF+-only picture of the records written by write.
template <class Write> std::string plusPicture(Write write) {
    EmfPlusWriter plus;
    plus.header(false);
    EmfWriter w = frame();
    write(plus, w);
    w.raw(kEmrComment, plus.comment());
    return w.build();
}

// A path of count points drawn with a pen 40 pixels wide with round joins.
inline std::string wideRoundJoinPath(int count) {
    return plusPicture([&](EmfPlusWriter& p, EmfWriter&) {
        constexpr std::uint32_t kJoinFlag = 0x08, kRoundJoin = 2;
        p.object(1, kPathObject, scribblePath(count));
        p.object(2, kPenObject, EmfPlusWriter::pen(40, 0xFF0000FF, kJoinFlag, u32(kRoundJoin)));
        p.rec(kDrawPath, 1, u32(2));
    });
}

// A scribble of count points drawn with a hairline pen whose dashes and gaps are a twentieth of a
// pixel each.
inline std::string denseDashes(int count) {
    return plusPicture([&](EmfPlusWriter& p, EmfWriter&) {
        constexpr std::uint32_t kDashLengthsFlag = 0x100;
        p.object(1, kPathObject, scribblePath(count));
        p.object(2, kPenObject,
                 EmfPlusWriter::pen(1, 0xFF000000, kDashLengthsFlag,
                                    u32(2) + EmfPlusWriter::floats({0.05f, 0.05f})));
        p.rec(kDrawPath, 1, u32(2));
    });
}

// A star polygon of count points whose tips reach thirty times past the picture, filled.
inline std::string polygonFarOutside(int count) {
    return plusPicture([&](EmfPlusWriter& p, EmfWriter&) {
        std::string points;
        for (int i = 0; i < count; ++i) {
            const double angle = 6.283185307179586 * i / count;
            const double radius = i % 2 ? 30000 : 100;
            points += EmfWriter::i16(kSide / 2 + static_cast<int>(radius * std::cos(angle)));
            points += EmfWriter::i16(kSide / 2 + static_cast<int>(radius * std::sin(angle)));
        }
        p.rec(kFillPolygon, kColourFlag | kCompressedFlag,
              u32(0xFF00A000) + u32(static_cast<std::uint32_t>(count)) + points);
    });
}

// A path gradient brush whose boundary is a path of count points, filling the picture four times.
inline std::string pathGradientBoundary(int count) {
    return plusPicture([&](EmfPlusWriter& p, EmfWriter&) {
        constexpr std::uint32_t kPathGradient = 3, kBoundaryIsPath = 0x01;
        const std::string path = scribblePath(count);
        p.object(0, kBrushObject,
                 u32(kVersion) + u32(kPathGradient) + u32(kBoundaryIsPath) + u32(0) + u32(0xFFFF0000) +
                     EmfPlusWriter::floats({kSide / 2.0f, kSide / 2.0f}) + u32(1) + u32(0xFF0000FF) +
                     u32(static_cast<std::uint32_t>(path.size())) + path);
        for (int i = 0; i < 4; ++i) {
            p.rec(kFillRects, 0, u32(0) + u32(1) + rect(0, 0, kSide, kSide));
        }
    });
}

// A region of count rectangles combined as a balanced tree, by the first mode on the levels of
// even depth and the second on the others.
inline std::string regionNodes(int count, std::uint32_t even, std::uint32_t odd, int depth, int& next) {
    if (count == 1) {
        const int i = next++;
        const auto x = static_cast<float>((i * 37) % (kSide - 100)),
                   y = static_cast<float>((i * 53) % (kSide - 100));
        return u32(kRectNode) + rect(x, y, 100 + static_cast<float>(i % 7), 100 + static_cast<float>(i % 5));
    }
    const std::string left = regionNodes(count / 2, even, odd, depth + 1, next);
    return u32(depth % 2 ? odd : even) + left + regionNodes(count - count / 2, even, odd, depth + 1, next);
}
inline std::string region(int rects, std::uint32_t even, std::uint32_t odd) {
    int next = 0;
    return u32(kVersion) + u32(static_cast<std::uint32_t>(2 * rects - 2)) +
           regionNodes(rects, even, odd, 0, next);
}

// One region object of count combinations of rectangles, made the clip, then the picture filled.
inline std::string regionCombines(int count, std::uint32_t even, std::uint32_t odd) {
    return plusPicture([&](EmfPlusWriter& p, EmfWriter&) {
        p.object(4, kRegionObject, region(count + 1, even, odd));
        p.rec(kSetClipRegion, 4);
        p.rec(kFillRects, kColourFlag, u32(0xFF0000FF) + u32(1) + rect(0, 0, kSide, kSide));
    });
}

// count clip changes by a star path and by a region of a hundred rectangles, in every combine
// mode in turn, each followed by a fill.
inline std::string clipCombines(int count) {
    return plusPicture([&](EmfPlusWriter& p, EmfWriter&) {
        std::vector<std::pair<float, float>> star;
        for (int i = 0; i < 64; ++i) {
            const double angle = 6.283185307179586 * i / 64, radius = i % 2 ? 450 : 150;
            star.emplace_back(kSide / 2.0 + radius * std::cos(angle), kSide / 2.0 + radius * std::sin(angle));
        }
        p.object(3, kPathObject, EmfPlusWriter::path(star, std::string(1, '\0') + std::string(63, '\x01')));
        p.object(4, kRegionObject, region(100, kXor, kXor));
        for (int i = 0; i < count; ++i) {
            const auto mode = static_cast<std::uint16_t>(i % 6);
            p.rec(i % 2 ? kSetClipRegion : kSetClipPath,
                  static_cast<std::uint16_t>((i % 2 ? 4 : 3) | mode << 8));
            p.rec(kFillRects, kColourFlag,
                  u32(0xFF000000u | static_cast<std::uint32_t>(i * 7919)) + u32(1) +
                      rect(0, 0, kSide, kSide));
        }
    });
}

// An EMF+ image object holding a metafile, and draws of it over the whole picture.
inline void drawMetafileImage(EmfPlusWriter& p, const std::string& inner, int draws) {
    constexpr std::uint32_t kMetafileImage = 2, kEmf = 3, kPixelUnit = 2;
    p.object(5, kImageObject,
             u32(kVersion) + u32(kMetafileImage) + u32(kEmf) + u32(static_cast<std::uint32_t>(inner.size())) +
                 inner);
    for (int i = 0; i < draws; ++i) {
        p.rec(kDrawImage, 5,
              u32(0xFFFFFFFF) + u32(kPixelUnit) + rect(0, 0, kSide, kSide) + rect(0, 0, kSide, kSide));
    }
}

// Three levels: the picture draws an image draws times, which draws another image draws times,
// which fills fifty rectangles over the whole of it.
inline std::string nestedImages(int draws) {
    EmfWriter innermost = frame();
    innermost.rec(39, {1, 0, 0x0000FF, 0}).rec(37, {1});
    for (int i = 0; i < 50; ++i) {
        innermost.rec(43, {i, i, kSide - i, kSide - i});
    }
    const std::string middle =
        plusPicture([&](EmfPlusWriter& p, EmfWriter&) { drawMetafileImage(p, innermost.build(), draws); });
    return plusPicture([&](EmfPlusWriter& p, EmfWriter&) { drawMetafileImage(p, middle, draws); });
}

// count ExtSelectClipRgn records, each combining a region of a hundred rectangles into the clip by
// and, or, xor and difference in turn, each followed by a rectangle.
inline std::string gdiClipRegions(int count) {
    constexpr int kRects = 100;
    EmfWriter w = frame();
    w.rec(39, {1, 0, 0x00A000, 0}).rec(37, {1});
    for (int i = 0; i < count; ++i) {
        std::string rects;
        for (int k = 0; k < kRects; ++k) {
            const int x = (k * 97 + i * 13) % (kSide - 50), y = (k * 61 + i * 29) % (kSide - 50);
            rects += EmfWriter::i32(x) + EmfWriter::i32(y) + EmfWriter::i32(x + 40 + k % 9) +
                     EmfWriter::i32(y + 40 + i % 11);
        }
        const std::string data = u32(32) + u32(1) + u32(kRects) + u32(kRects * 16) + EmfWriter::i32(0) +
                                 EmfWriter::i32(0) + EmfWriter::i32(kSide) + EmfWriter::i32(kSide) + rects;
        const int mode = 1 + i % 4;
        w.raw(kEmrExtSelectClipRgn,
              u32(static_cast<std::uint32_t>(data.size())) + u32(static_cast<std::uint32_t>(mode)) + data);
        w.rec(43, {0, 0, kSide, kSide});
    }
    return w.build();
}

// A PNG of side x side pixels: a few shapes on white, so that it packs small.
inline std::string pngFile(int side) {
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.fillRect(QRect(0, 0, side / 2, side / 2), Qt::red);
        painter.fillRect(QRect(side / 2, side / 2, side / 2, side / 2), Qt::blue);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

// An EMF+ image object holding an image file of width x height pixels.
inline std::string fileImage(const std::string& file, int width, int height) {
    constexpr std::uint32_t kBitmapImage = 1, kFileBitmap = 1, kArgb32 = 0x0026200A;
    return u32(kVersion) + u32(kBitmapImage) + EmfWriter::i32(width) + EmfWriter::i32(height) + u32(0) +
           u32(kArgb32) + u32(kFileBitmap) + file;
}

// count image objects, each a PNG of side x side pixels, each drawn over a part of the picture.
inline std::string pngImages(int count, int side) {
    const std::string png = pngFile(side);
    return plusPicture([&](EmfPlusWriter& p, EmfWriter& w) {
        for (int i = 0; i < count; ++i) {
            p.object(i, kImageObject, fileImage(png, side, side));
            // Written out comment by comment, as a recording would be.
            w.raw(kEmrComment, p.comment());
        }
        constexpr std::uint32_t kPixelUnit = 2;
        for (int i = 0; i < count; ++i) {
            const float at = static_cast<float>(i * kSide) / static_cast<float>(count);
            p.rec(kDrawImage, static_cast<std::uint16_t>(i),
                  u32(0xFFFFFFFF) + u32(kPixelUnit) + rect(0, 0, side, side) + rect(at, at, 200, 200));
        }
    });
}

// A BMP file of side x side pixels at one bit each, all zero bits; only the first dataBytes of
// them when given.
inline std::string monoBmp(int side, std::size_t dataBytes = std::string::npos) {
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(side) + 31) / 32 * 4;
    const std::uint32_t bits = rowBytes * static_cast<std::uint32_t>(side);
    constexpr std::uint32_t kOffset = 14 + 40 + 8;
    return std::string("BM") + u32(kOffset + bits) + u32(0) + u32(kOffset) + u32(40) + EmfWriter::i32(side) +
           EmfWriter::i32(side) + EmfWriter::i16(1) + EmfWriter::i16(1) + u32(0) + u32(bits) + u32(3780) +
           u32(3780) + u32(2) + u32(0) + u32(0) + u32(0x00FFFFFF) +
           std::string(std::min<std::size_t>(bits, dataBytes), '\0');
}

inline std::string monoBmpImage(int side, std::size_t dataBytes = std::string::npos) {
    return plusPicture([&](EmfPlusWriter& p, EmfWriter&) {
        constexpr std::uint32_t kPixelUnit = 2;
        p.object(0, kImageObject, fileImage(monoBmp(side, dataBytes), side, side));
        p.rec(kDrawImage, 0,
              u32(0xFFFFFFFF) + u32(kPixelUnit) + rect(0, 0, side, side) + rect(0, 0, kSide, kSide));
    });
}

// Each shape at full size and at a size that fits a fuzz seed (64 KB).
struct Shape {
    const char* name;
    std::string (*make)(bool full);
};

inline const std::vector<Shape>& shapes() {
    static const std::vector<Shape> all = {
        {"wide-round-join-path", [](bool full) { return wideRoundJoinPath(full ? 1'000'000 : 20'000); }},
        {"dense-dashes", [](bool full) { return denseDashes(full ? 20'000 : 2'000); }},
        {"polygon-filled-far-outside",
         [](bool full) { return polygonFarOutside(full ? 1'000'000 : 12'000); }},
        {"path-gradient-boundary", [](bool full) { return pathGradientBoundary(full ? 1'000'000 : 20'000); }},
        {"region-xor-tree", [](bool full) { return regionCombines(full ? 20'000 : 2'000, kXor, kXor); }},
        {"region-intersect-of-xors",
         [](bool full) { return regionCombines(full ? 20'000 : 2'000, kIntersect, kXor); }},
        {"clip-combines-every-mode", [](bool full) { return clipCombines(full ? 2'000 : 400); }},
        {"images-nested-three-deep", [](bool full) { return nestedImages(full ? 200 : 40); }},
        {"gdi-clip-region-combines", [](bool full) { return gdiClipRegions(full ? 2'000 : 30); }},
        {"png-images-kept", [](bool full) { return pngImages(full ? 12 : 2, full ? 5600 : 2000); }},
        {"mono-bmp-16384-square",
         [](bool full) { return monoBmpImage(16384, full ? std::string::npos : 4096); }},
    };
    return all;
}

} // namespace hostile
