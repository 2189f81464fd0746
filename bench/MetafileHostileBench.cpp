// Drawing the hostile metafiles of the tests at their full size, as the picture view draws them (a
// 1000-pixel picture fitted into 900 x 900): the time, the peak resident memory of the drawing
// alone (the peak is reset once the file is written and loaded as the program loads it) and whether
// the picture was drawn in part.
// Run one shape a process for a clean peak: --benchmark_filter='HostileMetafile/<name>$'.

#include "formats/metafile/HostileMetafiles.h"
#include "formats/picture/Picture.h"
#include "picture/PictureFile.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fstream>
#include <string>

namespace {

// The kernel's peak resident size of this process (VmHWM), in megabytes.
double peakResidentMb() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmHWM:") {
            double kb = 0;
            status >> kb;
            return kb / 1024;
        }
        status.ignore(1 << 12, '\n');
    }
    return 0;
}

// Makes the peak resident size start again from what is resident now.
void resetPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

void drawShape(benchmark::State& state, const hostile::Shape& shape) {
    const QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("hostile.emf")).toStdString();
    double fileMb = 0;
    {
        const std::string bytes = shape.make(true);
        fileMb = static_cast<double>(bytes.size()) / (1 << 20);
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    const velmoa::Picture picture = velmoa::loadPictureFile(path);
    QImage view(900, 900, QImage::Format_RGB32);
    resetPeakResident();
    const double before = peakResidentMb();
    bool partial = false;
    for (auto _ : state) {
        view.fill(Qt::white);
        QPainter painter(&view);
        picture.draw(painter, view.rect());
        painter.end();
        partial = picture.data()->takeDrawFailure().has_value();
    }
    state.counters["file_mb"] = fileMb;
    state.counters["peak_rss_mb"] = peakResidentMb();
    state.counters["rss_growth_mb"] = peakResidentMb() - before;
    state.counters["partial"] = partial ? 1 : 0;
}

[[maybe_unused]] const bool registered = [] {
    for (const hostile::Shape& shape : hostile::shapes()) {
        benchmark::RegisterBenchmark((std::string("HostileMetafile/") + shape.name).c_str(),
                                     [&shape](benchmark::State& state) { drawShape(state, shape); })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
    return true;
}();

} // namespace
