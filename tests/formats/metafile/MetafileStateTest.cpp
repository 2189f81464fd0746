#include "formats/metafile/MetafileClipper.h"
#include "formats/metafile/MetafileMapping.h"
#include "formats/metafile/MetafileObjects.h"
#include "formats/metafile/MetafileWorkBudget.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>

#include <vector>

using namespace velmoa;

TEST(MetafileMapping, MapsLogicalPointsByModeWindowAndViewport) {
    const QSizeF perMm(4, 4);
    const struct {
        const char* name;
        int mode;
        QSizeF windowExt;
        QSizeF viewportExt;
        QPointF logical;
        QPointF device;
    } rows[] = {
        {"text: one to one", 1, {}, {}, {10, 20}, {10, 20}},
        {"low metric: tenths of a millimetre, y up", 2, {}, {}, {10, 20}, {4, -8}},
        {"high metric", 3, {}, {}, {100, 200}, {4, -8}},
        {"twips", 6, {}, {}, {1440, 0}, {25.4 * 4, 0}},
        {"anisotropic scales each axis", 8, {100, 200}, {50, 400}, {10, 10}, {5, 20}},
        {"isotropic keeps the smaller scale", 7, {100, 200}, {50, 400}, {10, 10}, {5, 5}},
        {"isotropic keeps each axis's sign", 7, {100, 100}, {200, -50}, {10, 10}, {5, -5}},
        {"zero extents are refused", 8, {0, 10}, {0, 0}, {10, 10}, {10, 10}},
        {"an unknown mode is refused", 9, {100, 200}, {50, 400}, {10, 20}, {10, 20}},
    };
    for (const auto& row : rows) {
        MetafileMapping mapping;
        mapping.setMapMode(row.mode);
        mapping.setWindowExt(row.windowExt);
        mapping.setViewportExt(row.viewportExt);
        const QPointF device = mapping.logicalToDevice(perMm).map(row.logical);
        EXPECT_NEAR(device.x(), row.device.x(), 1e-9) << row.name;
        EXPECT_NEAR(device.y(), row.device.y(), 1e-9) << row.name;
    }
}

TEST(MetafileMapping, CombinesOriginsWorldTransformAndScaling) {
    MetafileMapping mapping;
    mapping.setMapMode(8);
    mapping.setWindowExt({10, 10});
    mapping.setViewportExt({20, 20});
    mapping.scaleViewportExt(3, 2, 1, 2); // (30, 10): x three, y one device unit a logical unit
    mapping.setWindowOrg({5, 5});
    mapping.offsetWindowOrg({1, 1});
    mapping.setViewportOrg({100, 100});
    mapping.scaleWindowExt(1, 0, 1, 1); // a zero denominator leaves the extents alone
    EXPECT_EQ(mapping.logicalToDevice({1, 1}).map(QPointF(6, 6)), QPointF(100, 100));
    EXPECT_EQ(mapping.logicalToDevice({1, 1}).map(QPointF(8, 8)), QPointF(106, 102));

    const QTransform shift = QTransform::fromTranslate(2, 0);
    const struct {
        int mode;
        QTransform expected;
    } rows[] = {
        {1, QTransform()},                        // identity
        {2, shift * QTransform::fromScale(2, 2)}, // left multiply
        {3, QTransform::fromScale(2, 2) * shift}, // right multiply
        {4, shift},                               // set
        {7, QTransform::fromScale(2, 2)},         // unknown: unchanged
    };
    for (const auto& row : rows) {
        mapping.setWorldTransform(QTransform::fromScale(2, 2));
        mapping.modifyWorldTransform(shift, row.mode);
        EXPECT_EQ(mapping.world(), row.expected) << row.mode;
    }
    // A composition that overflows is refused, as is a transform that is not finite: the last good
    // one stays.
    const QTransform huge = QTransform::fromScale(1e200, 1e200);
    mapping.setWorldTransform(huge);
    for (int mode : {2, 3}) {
        mapping.modifyWorldTransform(huge, mode);
        EXPECT_EQ(mapping.world(), huge) << mode;
    }
    mapping.setWorldTransform(QTransform(std::nan(""), 0, 0, 1, 0, 0));
    EXPECT_EQ(mapping.world(), huge);
}

TEST(MetafileObjectTable, FillsTheLowestFreeSlotAndRefusesBadIndexes) {
    MetafileObjectTable table;
    table.resize(3);
    EXPECT_TRUE(table.add(MetafilePen{}));
    EXPECT_TRUE(table.add(MetafileBrush{}));
    EXPECT_TRUE(table.remove(0));
    EXPECT_TRUE(table.add(MetafileFont{})); // into the freed slot 0
    EXPECT_TRUE(table.add(MetafilePalette{}));
    EXPECT_FALSE(table.add(MetafileRegion{})); // full

    const struct {
        std::size_t index;
        std::size_t alternative; // variant index; 0 for no object
    } rows[] = {{0, 3}, {1, 2}, {2, 4}, {3, 0}, {std::size_t(-1), 0}};
    for (const auto& row : rows) {
        const MetafileObject* found = table.find(row.index);
        EXPECT_EQ(found ? found->index() : 0, row.alternative) << row.index;
    }
    EXPECT_FALSE(table.set(3, MetafilePen{}));
    EXPECT_FALSE(table.remove(3));
    EXPECT_TRUE(table.remove(1));
    EXPECT_EQ(table.find(1), nullptr);

    table.resize(std::size_t{1} << 40); // a header's claim is capped
    EXPECT_EQ(table.size(), 65536u);
}

// The shape of a hostile file: a table of 65 535 slots, then far more creates than slots, with
// deletions and explicit placements between them. Each create takes the lowest free slot.
TEST(MetafileObjectTable, TakesTheLowestFreeSlotThroughAFullTable) {
    MetafileObjectTable table;
    table.resize(65535);
    int added = 0;
    for (int i = 0; i < 150000; ++i) {
        added += table.add(MetafilePen{}) ? 1 : 0;
    }
    EXPECT_EQ(added, 65535);
    const struct {
        const char* step;
        std::function<bool()> action;
        std::size_t expectFilled; // the slot that must hold an object afterwards
        std::size_t expectFree;   // one that must not (or size() for none)
    } rows[] = {
        {"free two, the lower is taken first",
         [&] { return table.remove(900) && table.remove(40) && table.add(MetafileFont{}); }, 40, 900},
        {"then the higher", [&] { return table.add(MetafileFont{}); }, 900, table.size()},
        {"a slot filled by place is not handed out again",
         [&] {
             return table.remove(5) && table.remove(6) && table.set(5, MetafileBrush{}) &&
                    table.add(MetafileFont{});
         },
         6, table.size()},
        {"emptied by place, it is free again",
         [&] { return table.set(7, MetafileObject{}) && table.add(MetafileFont{}); }, 7, table.size()},
        {"full again", [&] { return !table.add(MetafileFont{}); }, 0, table.size()},
    };
    for (const auto& row : rows) {
        EXPECT_TRUE(row.action()) << row.step;
        EXPECT_NE(table.find(row.expectFilled), nullptr) << row.step;
        if (row.expectFree < table.size()) {
            EXPECT_EQ(table.find(row.expectFree), nullptr) << row.step;
        }
    }
    EXPECT_EQ(table.find(5)->index(), 2u);  // the brush placed there
    EXPECT_EQ(table.find(40)->index(), 3u); // the font
}

namespace {

QPainterPath band(double left, double right) {
    QPainterPath path;
    path.addRect(QRectF(QPointF(left, 0), QPointF(right, 100)));
    return path;
}

} // namespace

TEST(MetafileClipper, CombinesByModeWithinTheBounds) {
    const QPainterPath operand = band(60, 120); // reaches past the bounds
    const struct {
        int mode;
        std::vector<double> inside;
        std::vector<double> outside;
    } rows[] = {
        {1, {70}, {30, 90}},      // AND
        {2, {30, 90}, {110}},     // OR, cut to the bounds
        {3, {30, 90}, {70, 110}}, // XOR
        {4, {30}, {70, 90}},      // DIFF
        {5, {70, 90}, {30, 110}}, // COPY, cut to the bounds
    };
    for (const auto& row : rows) {
        MetafileWorkBudget budget;
        MetafileClipper clipper(band(0, 100), budget);
        std::optional<QPainterPath> clip = band(0, 80);
        ASSERT_TRUE(clipper.combine(clip, operand, row.mode)) << row.mode;
        for (const double x : row.inside) {
            EXPECT_TRUE(clip->contains(QPointF(x, 50))) << row.mode << " at " << x;
        }
        for (const double x : row.outside) {
            EXPECT_FALSE(clip->contains(QPointF(x, 50))) << row.mode << " at " << x;
        }
    }
}

TEST(MetafileClipper, StartsFromTheBoundsAndRefusesBadModesAndWhatTheBudgetCannotPay) {
    MetafileWorkBudget budget;
    MetafileClipper clipper(band(0, 100), budget);
    std::optional<QPainterPath> clip;
    ASSERT_TRUE(clipper.combine(clip, band(60, 120), 1)); // no clip yet: the bounds
    EXPECT_TRUE(clip->contains(QPointF(90, 50)));
    EXPECT_FALSE(clip->contains(QPointF(30, 50)));

    QPainterPath many;
    for (int i = 0; i < 1000; ++i) {
        many.addRect(i * 0.1, 0, 0.05, 100);
    }
    // Nearly all spent: a small combination is still paid for, one with a thousand rectangles not.
    budget.spend(MetafileWorkBudget::kMaxWork - 1e6);
    const struct {
        QPainterPath path;
        int mode;
        bool made;
    } rows[] = {{band(0, 10), 0, false}, {band(0, 10), 6, false}, {band(70, 80), 1, true}, {many, 5, false}};
    for (const auto& row : rows) {
        const QRectF before = clip->boundingRect();
        EXPECT_EQ(clipper.combine(clip, row.path, row.mode), row.made) << row.mode;
        EXPECT_EQ(clip->boundingRect() == before, !row.made) << row.mode;
    }
    EXPECT_TRUE(budget.exhausted());
}
