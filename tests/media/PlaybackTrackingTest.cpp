#include "media/PlaybackTracking.h"

#include <gtest/gtest.h>
#include <limits>
#include <vector>

using namespace velmoa;

TEST(PlaybackTracking, TickStepsByBarPositionAndLength) {
    struct Row {
        std::int32_t position, max;
        bool autoEnable, stopAndRewind;
    };
    constexpr std::int32_t big = std::numeric_limits<std::int32_t>::max();
    const Row rows[] = {
        {0, 0, false, true}, // length 0 and 1: every tick stops and rewinds
        {0, 1, false, true},
        {1, 1, true, true},
        {0, 10, false, false}, // length 10: 1 to 4 hand the buttons over, 9 and 10 end
        {1, 10, true, false},
        {4, 10, true, false},
        {5, 10, false, false},
        {8, 10, false, false},
        {9, 10, false, true},
        {10, 10, false, true},
        {4, 13, true, false}, // the early rule needs Max 13 or less
        {4, 14, false, false},
        {1, 600000, false, false},
        {599998, 600000, false, false},
        {599999, 600000, false, true},
        {big, big, false, true},
        {big - 2, big, false, false},
    };
    for (const Row& row : rows) {
        const TickSteps steps = tickSteps(row.position, row.max);
        EXPECT_EQ(steps.autoEnable, row.autoEnable) << row.position << "/" << row.max;
        EXPECT_EQ(steps.stopAndRewind, row.stopAndRewind) << row.position << "/" << row.max;
    }
}

TEST(PlaybackTracking, BarChangeSeeksOnlyBeyondFiveUnitsAndReadsTheDeviceAtMostTwice) {
    struct Row {
        std::int32_t bar;
        std::vector<std::int32_t> reads; // what the device answers, in order
        bool seeks;
        size_t readsUsed;
    };
    constexpr std::int32_t big = std::numeric_limits<std::int32_t>::max();
    const Row rows[] = {
        {105, {100, 100}, false, 2}, {106, {100, 100}, true, 1},
        {95, {100, 100}, false, 2},  {94, {100, 100}, true, 2},
        {100, {100, 100}, false, 2}, {150, {100, 200}, true, 1}, // decided by the first reading
        {100, {100, 110}, true, 2},                              // playback moved on between the two readings
        {0, {big, big}, true, 2},    {big, {0, 0}, true, 1},
        {big, {big, big}, false, 2},
    };
    for (const Row& row : rows) {
        size_t used = 0;
        const bool seeks = barChangeSeeks(row.bar, [&] { return row.reads.at(used++); });
        EXPECT_EQ(seeks, row.seeks) << "bar " << row.bar << " device " << row.reads[0];
        EXPECT_EQ(used, row.readsUsed) << "bar " << row.bar << " device " << row.reads[0];
    }
}
