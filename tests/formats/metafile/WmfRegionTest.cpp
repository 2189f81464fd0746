// Regions of old metafiles are the union of their scans' rectangles, read no further than they
// add up, and filled with the brush the fill record names.
#include "MetafileRendering.h"
#include "WmfWriter.h"

#include <gtest/gtest.h>

namespace {

constexpr int kCreateBrush = 0x02FC, kCreateRegion = 0x06FF, kFillRegion = 0x0228, kPaintRegion = 0x012B,
              kSelect = 0x012D;
const QColor kGrey(128, 128, 128), kWhite(255, 255, 255);

struct Scan {
    int top, bottom;
    std::vector<int> xs; // left, right, left, right...
};

// A region object as writers lay it out: the header (the box given), then each scan as its count of
// x coordinates, top, bottom, the coordinates and the count again; countAgain replaces the repeated
// count when given.
std::string region(const std::vector<Scan>& scans, QRect box, int countAgain = -1) {
    std::string body;
    int largest = 0;
    for (const Scan& scan : scans) {
        const int count = static_cast<int>(scan.xs.size());
        largest = std::max(largest, count);
        body += WmfWriter::word(count) + WmfWriter::word(scan.top) + WmfWriter::word(scan.bottom);
        for (int x : scan.xs) {
            body += WmfWriter::word(x);
        }
        body += WmfWriter::word(countAgain >= 0 ? countAgain : count);
    }
    constexpr int kRegionType = 6;
    const int size = 22 + static_cast<int>(body.size());
    return WmfWriter::word(0) + WmfWriter::word(kRegionType) + WmfWriter::dword(0) + WmfWriter::word(size) +
           WmfWriter::word(static_cast<int>(scans.size())) + WmfWriter::word(largest) +
           WmfWriter::word(box.left()) + WmfWriter::word(box.top()) + WmfWriter::word(box.right() + 1) +
           WmfWriter::word(box.bottom() + 1) + body;
}

// A grey brush (object 0) and the region (object 1), filled by a record naming the region first (as
// documented) or the brush.
WmfWriter& fillGrey(WmfWriter& w, const std::string& regionObject, bool brushFirst = false) {
    w.rec(kCreateBrush, {0, 0x8080, 0x80, 0}).raw(kCreateRegion, regionObject);
    return w.rec(kFillRegion,
                 brushFirst ? std::initializer_list<int>{0, 1} : std::initializer_list<int>{1, 0});
}

} // namespace

TEST(WmfRegion, FillsTheScansRectanglesAndNoMore) {
    // A ring: a full band, a band with a hole between two rectangles, a full band.
    const std::vector<Scan> ring = {{10, 30, {10, 90}}, {30, 70, {10, 30, 70, 90}}, {70, 90, {10, 90}}};
    const QRect ringBox(10, 10, 80, 80);
    const std::vector<Sample> ringShown = {{{20, 20}, kGrey}, {{20, 50}, kGrey},  {{80, 50}, kGrey},
                                           {{50, 80}, kGrey}, {{50, 50}, kWhite}, {{5, 50}, kWhite}};
    const std::vector<Sample> nothing = {{{50, 50}, kWhite}, {{20, 20}, kWhite}, {{80, 80}, kWhite}};
    using Row = DrawRow<WmfWriter>;
    const std::vector<Row> rows = {
        {"a ring of three scans", [&](WmfWriter& w) { fillGrey(w, region(ring, ringBox), false); },
         ringShown},
        {"the fill record naming the brush first",
         [&](WmfWriter& w) { fillGrey(w, region(ring, ringBox), true); }, ringShown},
        {"a region of no scans, its box given: empty",
         [&](WmfWriter& w) { fillGrey(w, region({}, ringBox)); }, nothing},
        {"a scan whose repeated count differs ends the region",
         [&](WmfWriter& w) { fillGrey(w, region(ring, ringBox, 3)); }, nothing},
        {"an odd count of coordinates",
         [&](WmfWriter& w) {
             fillGrey(w, region({{10, 90, {10, 50, 90}}}, ringBox));
         },
         nothing},
        {"scans claimed beyond the record's end: those there are filled",
         [&](WmfWriter& w) {
             std::string object = region({ring[0]}, ringBox);
             object.replace(10, 2, WmfWriter::word(500));
             fillGrey(w, object);
         },
         {{{50, 20}, kGrey}, {{50, 50}, kWhite}}},
        {"a scan's coordinates running past the record's end",
         [&](WmfWriter& w) {
             std::string object = region({{10, 90, {10, 90}}}, ringBox);
             object.replace(22, 2, WmfWriter::word(400));
             fillGrey(w, object.substr(0, object.size() - 2));
         },
         nothing},
        {"painted with the selected brush",
         [&](WmfWriter& w) {
             w.rec(kCreateBrush, {0, 0x8080, 0x80, 0})
                 .rec(kSelect, {0})
                 .raw(kCreateRegion, region(ring, ringBox));
             w.rec(kPaintRegion, {1});
         },
         ringShown},
    };
    checkDrawRows(
        rows, +[] { return WmfWriter(0, 0, 100, 100, 96); }, false);
}
