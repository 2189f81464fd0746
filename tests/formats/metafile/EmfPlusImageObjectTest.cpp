#include "EmfPlusRecords.h"
#include "EmfPlusWriter.h"
#include "MetafileRendering.h"
#include "WmfWriter.h"

#include <gtest/gtest.h>

// Metafiles kept as EMF+ image objects, as office programs keep charts and formulas: split over
// continued object records and placed on a parallelogram.

using namespace emfplus_records;

namespace {

constexpr std::size_t kPiece = 32; // bytes of object data a record

const QColor blue(0, 0, 255), white(255, 255, 255);

// A blue square filling a 10 x 10 picture, enhanced, placeable or plain.
std::string blueEmf() {
    EmfWriter w(999, 999, 100, 100, 100, 100);
    w.rec(39, {1, 0, 0xFF0000, 0}).rec(37, {1}).rec(38, {2, 5, 0, 0, 0}).rec(37, {2}).rec(43, {0, 0, 10, 10});
    return w.build();
}
WmfWriter blueWmf() {
    WmfWriter w(0, 0, 10, 10, 96);
    w.rec(0x02FC, {0, 0, 0xFF, 0}).rec(0x012D, {0}).rec(0x041B, {10, 10, 0, 0});
    return w;
}
// A plain metafile sets its own window, which fills the rectangle it is drawn in.
std::string blueWmfWindow() {
    WmfWriter w(0, 0, 1, 1, 96);
    w.rec(0x020C, {1000, 1000}) // SETWINDOWEXT, y then x
        .rec(0x02FC, {0, 0, 0xFF, 0})
        .rec(0x012D, {0})
        .rec(0x041B, {1000, 1000, 0, 0});
    return w.bare();
}

struct ImageRow {
    const char* name;
    std::uint32_t kind;
    std::string bytes;
    bool totalFirst;
    bool lastFlagged;
};

} // namespace

TEST(EmfPlusImageObject, ContinuedMetafileImagesAreDrawnOnTheirParallelogram) {
    const auto u32 = EmfPlusWriter::u32;
    const std::vector<ImageRow> rows = {
        {"an enhanced metafile, the total before the data size", kEmf, blueEmf(), true, false},
        {"an enhanced metafile, the total in the data, every piece flagged", kEmf, blueEmf(), false, true},
        {"an enhanced metafile, the total in the data", kEmf, blueEmf(), false, false},
        {"a placeable metafile, the total before the data size", kWmfPlaceable, blueWmf().build(), true,
         false},
        {"a placeable metafile, every piece flagged", kWmfPlaceable, blueWmf().build(), true, true},
        {"a plain metafile in pixels", kWmf, blueWmf().bare(), true, false},
        {"a plain metafile setting its window", kWmf, blueWmfWindow(), true, false},
    };
    for (const ImageRow& row : rows) {
        EmfPlusWriter plus;
        plus.header(false);
        const std::string object = EmfPlusWriter::metafileImage(row.kind, row.bytes);
        ASSERT_GT(object.size(), 2 * kPiece) << row.name; // three pieces at least
        plus.continuedObject(7, kImageObject, object, kPiece, row.totalFirst, row.lastFlagged);
        EmfWriter w = picture();
        w.raw(kComment, plus.comment()); // the pieces in one comment, the drawing in the next
        plus.rec(kDrawImagePoints, 7,
                 u32(kNoAttributes) + u32(kUnitPixel) + EmfPlusWriter::rect(0, 0, 10, 10) + u32(3) +
                     EmfPlusWriter::floats({20, 20, 90, 20, 20, 90}));
        w.raw(kComment, plus.comment());
        const QImage image = renderMetafile(w.build(), true);
        for (const Sample& s : std::vector<Sample>{{{50, 50}, blue}, {{85, 85}, blue}, {{10, 10}, white}}) {
            EXPECT_TRUE(near(image.pixel(s.at), s.colour))
                << row.name << " at " << s.at.x() << "," << s.at.y() << ": " << std::hex << image.pixel(s.at);
        }
    }
}
