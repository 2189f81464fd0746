// Next → next 24-megapixel picture shown in a running 640 x 480 window, against the scaled decode
// of the same file alone (the floor: each step reads and decodes its file anew).
#include "CameraJpeg.h"

#include "app/TzorvForm1.h"
#include "controls/ImageControl.h"
#include "formats/image/JpegDecoder.h"
#include "platform/ReadOnlyFile.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>

using namespace velmoa;

namespace {

struct CameraFolder {
    QTemporaryDir dir;
    std::vector<std::string> files;
    CameraFolder() {
        for (int i = 0; i < 3; ++i) {
            files.push_back(writeCameraLikeJpeg(
                dir.path().toStdString() + "/DSC0000" + std::to_string(i) + ".JPG", 6000, 4000, i));
        }
    }
};

CameraFolder& cameraFolder() {
    static CameraFolder folder;
    return folder;
}

double decodeAloneSeconds(const std::string& path, QSize target) {
    const auto start = std::chrono::steady_clock::now();
    ReadOnlyFile file(path);
    const std::string bytes = file.readAll();
    const JpegHeader header = JpegDecoder::readHeader(bytes);
    const int eighths = JpegDecoder::chooseScale(QSize(header.width, header.height), target);
    benchmark::DoNotOptimize(JpegDecoder::decode(bytes, eighths).image.width());
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_NextPictureShown(benchmark::State& state) {
    CameraFolder& folder = cameraFolder();
    TzorvForm1 form(FormServices{});
    form.setCommandLineFiles({folder.files[0]});
    form.show();
    form.Image2->grab();
    double stepSeconds = 0;
    double decodeSeconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        form.NextButtonClick();
        form.Image2->grab(); // draws it: decode, scale
        const double step = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(step);
        stepSeconds += step;
        decodeSeconds +=
            decodeAloneSeconds(folder.files[static_cast<size_t>(form.CurrentIndex)], form.Image2->size());
    }
    state.counters["step_ms"] = 1000 * stepSeconds / static_cast<double>(state.iterations());
    state.counters["decode_alone_ms"] = 1000 * decodeSeconds / static_cast<double>(state.iterations());
    state.counters["ratio"] = stepSeconds / decodeSeconds;
}
BENCHMARK(BM_NextPictureShown)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(12);

} // namespace
