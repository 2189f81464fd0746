#include "StartUpChild.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

// Widgets and painting need an application object; benchmarks run on Qt's offscreen platform.
int main(int argc, char** argv) {
    // NOLINTNEXTLINE(concurrency-mt-unsafe): the program's own start, before any thread
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (argc > 1 && std::string(argv[1]) == kStartUpChildFlag) {
        return runStartUpChild(argc, argv);
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
