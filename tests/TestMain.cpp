#include "platform/Display.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

// Widgets need an application object; tests run on Qt's offscreen platform unless told otherwise.
int main(int argc, char** argv) {
    // Line by line even into a pipe: a test ended by the runner's timeout still shows how far it got.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    // NOLINTNEXTLINE(concurrency-mt-unsafe): the program's own start, before any thread
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    // As the program does once its application object exists.
    velmoa::useCNumericLocale();
    QApplication::setApplicationName(QStringLiteral("Velmoa"));
    return RUN_ALL_TESTS();
}
