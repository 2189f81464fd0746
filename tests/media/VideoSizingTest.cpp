#include "media/VideoSizing.h"

#include <gtest/gtest.h>

using namespace velmoa;

TEST(VideoSizing, SizesAndCentresTheVideoArea) {
    struct Row {
        bool fullScreen, wide;
        int screenWidth, clientWidth, clientHeight;
        VideoArea expected;
    };
    const Row rows[] = {
        {false, false, 1920, 640, 480, {143, 120, 353, 240}},
        {false, true, 1920, 640, 480, {0, 99, 640, 281}}, // 28160 / 100 truncates to 281
        {false, false, 1920, 300, 200, {-26, -20, 353, 240}},
        {true, false, 1024, 1024, 768, {0, 36, 1024, 696}},
        {true, true, 1024, 1024, 768, {0, 159, 1024, 450}},
        {true, false, 1920, 1920, 1080, {0, -112, 1920, 1305}}, // -225 / 2 is -112, not -113
        {true, true, 1920, 1920, 1080, {0, 118, 1920, 844}},
        // the screen width counts in full screen even when the client area differs
        {true, false, 1024, 1000, 700, {-12, 2, 1024, 696}},
        // windowed and normal ignores the client width
        {false, false, 1024, 1000, 700, {323, 230, 353, 240}},
        {false, true, 1024, 99, 50, {0, 3, 99, 43}},
    };
    for (const auto& row : rows) {
        const VideoArea area =
            videoAreaFor(row.fullScreen, row.wide, row.screenWidth, row.clientWidth, row.clientHeight);
        const auto label = std::to_string(row.clientWidth) + "x" + std::to_string(row.clientHeight) +
                           (row.fullScreen ? " full" : " window") + (row.wide ? " wide" : "");
        EXPECT_EQ(area.left, row.expected.left) << label;
        EXPECT_EQ(area.top, row.expected.top) << label;
        EXPECT_EQ(area.width, row.expected.width) << label;
        EXPECT_EQ(area.height, row.expected.height) << label;
    }
}
