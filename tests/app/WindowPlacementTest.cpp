#include "app/WindowPlacement.h"

#include <gtest/gtest.h>

using namespace velmoa;

TEST(WindowPlacement, LeavingFullScreenKeepsThePlaceOrCentres) {
    // A frame of 1 pixel at the sides and bottom and a 20-pixel caption bar.
    const auto frameOf = [](const QRect& client) { return client.adjusted(-1, -20, 1, 1); };
    const QRect screen(0, 0, 1280, 1024);
    struct Row {
        const char* name;
        QRect clientBefore;
        QRect expected;
    };
    const Row rows[] = {
        {"same size, same place", QRect(201, 170, 640, 480), QRect(201, 170, 640, 480)},
        {"larger before: the top-left stays", QRect(100, 50, 1000, 700), QRect(100, 50, 640, 480)},
        {"caption bar just on the screen", QRect(1, 20, 640, 480), QRect(1, 20, 640, 480)},
        {"caption bar above the screen", QRect(1, 10, 640, 480), QRect(320, 281, 640, 480)},
        {"left edge off the screen", QRect(-300, 170, 640, 480), QRect(320, 281, 640, 480)},
        {"maximised before", QRect(1, 20, 1278, 1003), QRect(1, 20, 640, 480)},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(
            clientRectAfterFullScreen(row.clientBefore, frameOf(row.clientBefore), QSize(640, 480), screen),
            row.expected)
            << row.name;
    }
}
