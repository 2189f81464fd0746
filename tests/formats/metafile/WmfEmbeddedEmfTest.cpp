#include "EmfWriter.h"
#include "MetafileRendering.h"
#include "WmfWriter.h"

#include <gtest/gtest.h>

namespace {

// An enhanced metafile of one red rectangle over its left half.
std::string redEmf() {
    EmfWriter w(9999, 9999, 100, 100, 100, 100);
    w.rec(39, {1, 0, 0x0000FF, 0})
        .rec(37, {1})
        .rec(38, {2, 5, 0, 0, 0})
        .rec(37, {2})
        .rec(43, {0, 0, 50, 100});
    return w.build();
}

// The comment escapes that carry the bytes in pieces of the given size, each claiming total.
std::string comments(const std::string& emf, std::size_t piece, std::uint32_t total) {
    std::string records;
    for (std::size_t at = 0; at < emf.size(); at += piece) {
        const std::string part = emf.substr(at, piece);
        const std::string data =
            WmfWriter::dword(0x43464D57) + WmfWriter::dword(1) + WmfWriter::dword(0x10000) +
            WmfWriter::word(0) + WmfWriter::dword(0) +
            WmfWriter::dword(static_cast<std::uint32_t>((emf.size() + piece - 1) / piece)) +
            WmfWriter::dword(static_cast<std::uint32_t>(part.size())) +
            WmfWriter::dword(static_cast<std::uint32_t>(emf.size() - at - part.size())) +
            WmfWriter::dword(total) + part;
        std::string params = WmfWriter::word(0x000F) + WmfWriter::word(static_cast<int>(data.size())) + data;
        if (params.size() % 2) {
            params += '\0';
        }
        records += WmfWriter::dword(static_cast<std::uint32_t>(3 + params.size() / 2)) +
                   WmfWriter::word(0x0626) + params;
    }
    return records;
}

} // namespace

TEST(WmfEmbeddedEmf, DrawsTheEnhancedFormWhenItIsWhole) {
    const std::string emf = redEmf();
    const auto total = static_cast<std::uint32_t>(emf.size());
    const struct {
        const char* name;
        std::string escapes;
        QColor left;
    } rows[] = {
        {"one piece", comments(emf, emf.size(), total), QColor(255, 0, 0)},
        {"several pieces", comments(emf, 40, total), QColor(255, 0, 0)},
        {"pieces short of the total", comments(emf, 40, total + 40), QColor(0, 0, 255)},
        {"a total past any file", comments(emf, 40, 0xFFFFFFFF), QColor(0, 0, 255)},
        {"no enhanced metafile inside", comments(std::string(120, 'x'), 120, 120), QColor(0, 0, 255)},
    };
    for (const auto& row : rows) {
        // Its own records paint the whole picture blue.
        WmfWriter w(0, 0, 100, 100, 96);
        w.bytes(row.escapes);
        w.rec(0x02FC, {0, 0, 255, 0}).rec(0x012D, {0}).rec(0x041B, {100, 100, 0, 0});
        const QImage image = renderMetafile(w.build(), false);
        EXPECT_TRUE(near(image.pixel(25, 50), row.left))
            << row.name << std::hex << " " << image.pixel(25, 50);
    }
}
