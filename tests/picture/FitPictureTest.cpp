#include "picture/FitPicture.h"

#include "base/Failure.h"

#include <gtest/gtest.h>

using namespace velmoa;

TEST(FitPicture, PlacesPicturesInTheClientArea) {
    struct Row {
        int w, h, cw, ch;
        PictureBox expected;
    };
    const Row rows[] = {
        // picture        client      left  top  width height
        {1600, 1200, 640, 480, {0, 0, 640, 480}},
        {800, 600, 640, 480, {0, 0, 640, 480}},
        {1200, 1600, 640, 480, {140, 0, 360, 480}},
        {1000, 800, 640, 480, {0, -16, 640, 512}}, // the unfitted side is cut on both edges
        {1000, 801, 640, 480, {0, -16, 640, 513}},
        {500, 600, 640, 480, {120, 0, 400, 480}},
        {620, 471, 640, 480, {4, 0, 632, 480}},
        {700, 300, 640, 480, {0, 103, 640, 274}},
        {1024, 300, 640, 480, {0, 146, 640, 188}}, // 187.5 goes to the even 188
        {1024, 308, 640, 480, {0, 144, 640, 192}}, // 192.5 goes to the even 192
        {631, 470, 640, 480, {0, 1, 640, 477}},
        {635, 475, 640, 480, {0, 0, 640, 479}},
        {634, 475, 640, 480, {0, 0, 641, 480}}, // one pixel too wide: -1 div 2 is 0
        {630, 470, 640, 480, {5, 5, 630, 470}},
        {320, 240, 640, 480, {160, 120, 320, 240}},
        {32, 32, 640, 480, {304, 224, 32, 32}},
        {4000, 3000, 1280, 1024, {0, 32, 1280, 960}},
        {3000, 4000, 1280, 1024, {256, 0, 768, 1024}},
        // the margin (630 by 470 and 631 by 470 above): one pixel more in the height scales too
        {630, 471, 640, 480, {-1, 0, 642, 480}},
        {1270, 1014, 1280, 1024, {5, 5, 1270, 1014}},
        // equal excesses go to the width
        {700, 540, 640, 480, {0, -7, 640, 494}},
        {540, 540, 480, 480, {0, 0, 480, 480}},
        // one pixel more excess in the height goes to the height
        {700, 541, 640, 480, {9, 0, 621, 480}},
        // extreme shapes
        {1, 100000, 640, 480, {320, 0, 0, 480}},
        {100000, 1, 640, 480, {0, 240, 640, 0}},
        {1, 1, 640, 480, {319, 239, 1, 1}},
        // a client area smaller than the margin
        {5, 5, 8, 8, {0, 0, 8, 8}},
    };
    for (const auto& row : rows) {
        const PictureBox box = fitToClient(row.w, row.h, row.cw, row.ch);
        EXPECT_EQ(box.left, row.expected.left) << row.w << "x" << row.h << " in " << row.cw << "x" << row.ch;
        EXPECT_EQ(box.top, row.expected.top) << row.w << "x" << row.h << " in " << row.cw << "x" << row.ch;
        EXPECT_EQ(box.width, row.expected.width)
            << row.w << "x" << row.h << " in " << row.cw << "x" << row.ch;
        EXPECT_EQ(box.height, row.expected.height)
            << row.w << "x" << row.h << " in " << row.cw << "x" << row.ch;
    }
}

TEST(FitPicture, RefusesAPictureWithAnEmptySide) {
    const std::tuple<int, int, std::string> rows[] = {
        {0, 0, "Invalid floating point operation"},
        {0, 480, "Floating point division by zero"},
        {640, 0, "Floating point division by zero"},
    };
    for (const auto& [w, h, message] : rows) {
        try {
            fitToClient(w, h, 640, 480);
            ADD_FAILURE() << w << "x" << h << " was placed";
        } catch (const Failure& failure) {
            EXPECT_EQ(std::string(failure.what()), message) << w << "x" << h;
        }
    }
}
