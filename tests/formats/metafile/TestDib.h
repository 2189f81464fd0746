#pragma once

#include "EmfWriter.h"

#include <QRect>
#include <QRgb>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// Device-independent bitmaps as the bitmap records of both metafile kinds carry them, and the
// enhanced records that carry one, built for tests.
namespace testdib {

// A BITMAPINFOHEADER.
inline std::string header(int width, int height, int bits, int colours = 0, std::uint32_t compression = 0) {
    return EmfWriter::u32(40) + EmfWriter::i32(width) + EmfWriter::i32(height) + EmfWriter::i16(1) +
           EmfWriter::i16(bits) + EmfWriter::u32(compression) + std::string(12, '\0') +
           EmfWriter::u32(colours) + EmfWriter::u32(0);
}

// RGBQUAD entries.
inline std::string palette(std::initializer_list<QRgb> colours) {
    std::string s;
    for (QRgb c : colours) {
        s += std::string{static_cast<char>(qBlue(c)), static_cast<char>(qGreen(c)),
                         static_cast<char>(qRed(c)), 0};
    }
    return s;
}

// The header (with its colour table) and the rows, apart as the enhanced records keep them.
struct Dib {
    int width = 0;
    int height = 0;
    std::string info;
    std::string bits;
    std::string packed() const { return info + bits; }
};

// A 32-bit bottom-up bitmap of the rows given top row first.
inline Dib rgb32(const std::vector<std::vector<QRgb>>& rowsTopFirst) {
    Dib dib;
    dib.width = rowsTopFirst.empty() ? 0 : static_cast<int>(rowsTopFirst.front().size());
    dib.height = static_cast<int>(rowsTopFirst.size());
    for (auto row = rowsTopFirst.rbegin(); row != rowsTopFirst.rend(); ++row) {
        for (QRgb pixel : *row) {
            dib.bits += EmfWriter::u32(pixel & 0xFFFFFF);
        }
    }
    dib.info = header(dib.width, dib.height, 32);
    return dib;
}

// A 1-bit bottom-up bitmap, black for 0 and white for 1, of rows given top row first as strings
// of '0' and '1'.
inline Dib mono(const std::vector<std::string>& rowsTopFirst) {
    Dib dib;
    dib.width = rowsTopFirst.empty() ? 0 : static_cast<int>(rowsTopFirst.front().size());
    dib.height = static_cast<int>(rowsTopFirst.size());
    const std::size_t stride = (static_cast<std::size_t>(dib.width) + 31) / 32 * 4;
    for (auto row = rowsTopFirst.rbegin(); row != rowsTopFirst.rend(); ++row) {
        std::string bytes(stride, '\0');
        for (std::size_t x = 0; x < row->size(); ++x) {
            if ((*row)[x] == '1') {
                bytes[x / 8] = static_cast<char>(bytes[x / 8] | 0x80 >> (x % 8));
            }
        }
        dib.bits += bytes;
    }
    dib.info = header(dib.width, dib.height, 1, 2) + palette({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    return dib;
}

// Enhanced record types that carry a bitmap.
enum : std::uint32_t { kBitBlt = 76, kStretchBlt = 77, kStretchDibits = 81, kCreateDibPatternBrushPt = 94 };

// EMR_BITBLT or EMR_STRETCHBLT onto dest; the source is the whole bitmap, or none.
inline EmfWriter& bitBlock(EmfWriter& w, std::uint32_t type, QRect dest, std::uint32_t rop,
                           const Dib* source = nullptr) {
    const bool stretch = type == kStretchBlt;
    const std::uint32_t fixed = stretch ? 108 : 100;
    const std::string info = source ? source->info : std::string();
    const std::string bits = source ? source->bits : std::string();
    std::string p = std::string(16, '\0') + EmfWriter::i32(dest.x()) + EmfWriter::i32(dest.y()) +
                    EmfWriter::i32(dest.width()) + EmfWriter::i32(dest.height()) + EmfWriter::u32(rop) +
                    EmfWriter::i32(0) + EmfWriter::i32(0) + std::string(24, '\0') + EmfWriter::u32(0) +
                    EmfWriter::u32(0) + EmfWriter::u32(source ? fixed : 0) +
                    EmfWriter::u32(static_cast<std::uint32_t>(info.size())) +
                    EmfWriter::u32(source ? static_cast<std::uint32_t>(fixed + info.size()) : 0) +
                    EmfWriter::u32(static_cast<std::uint32_t>(bits.size()));
    if (stretch) {
        p += EmfWriter::i32(source ? source->width : 0) + EmfWriter::i32(source ? source->height : 0);
    }
    return w.raw(type, p + info + bits);
}

// EMR_STRETCHDIBITS of the whole bitmap onto dest.
inline EmfWriter& stretchDibits(EmfWriter& w, QRect dest, std::uint32_t rop, const Dib& source) {
    constexpr std::uint32_t kFixed = 80;
    const std::string p = std::string(16, '\0') + EmfWriter::i32(dest.x()) + EmfWriter::i32(dest.y()) +
                          EmfWriter::i32(0) + EmfWriter::i32(0) + EmfWriter::i32(source.width) +
                          EmfWriter::i32(source.height) + EmfWriter::u32(kFixed) +
                          EmfWriter::u32(static_cast<std::uint32_t>(source.info.size())) +
                          EmfWriter::u32(static_cast<std::uint32_t>(kFixed + source.info.size())) +
                          EmfWriter::u32(static_cast<std::uint32_t>(source.bits.size())) + EmfWriter::u32(0) +
                          EmfWriter::u32(rop) + EmfWriter::i32(dest.width()) + EmfWriter::i32(dest.height());
    return w.raw(kStretchDibits, p + source.info + source.bits);
}

// EMR_CREATEDIBPATTERNBRUSHPT: the bitmap as a pattern brush in object slot index.
inline EmfWriter& patternBrush(EmfWriter& w, std::uint32_t index, const Dib& pattern) {
    constexpr std::uint32_t kFixed = 32;
    const std::string p = EmfWriter::u32(index) + EmfWriter::u32(0) + EmfWriter::u32(kFixed) +
                          EmfWriter::u32(static_cast<std::uint32_t>(pattern.info.size())) +
                          EmfWriter::u32(static_cast<std::uint32_t>(kFixed + pattern.info.size())) +
                          EmfWriter::u32(static_cast<std::uint32_t>(pattern.bits.size()));
    return w.raw(kCreateDibPatternBrushPt, p + pattern.info + pattern.bits);
}

} // namespace testdib
