// Decoding a 24-megapixel camera JPEG (and a bitmap of the same size) for display, against the
// usual way (Qt's reader, full decode, smooth scale) and against libjpeg's 1/8-scaled decode
// alone, the floor for a single-threaded decoder; and the same photo carrying a Display P3 colour
// profile, converted to the display's colours. A summary with the ratios is printed at exit.

#include "ColourFixtures.h"
#include "formats/picture/Picture.h"
#include "picture/PictureFile.h"

#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <lcms2.h>

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

// Smooth light, edges and fine texture plus sensor noise: about what a camera gives the entropy coder.
QImage cameraLikeImage() {
    QImage image(kWidth, kHeight, QImage::Format_RGB888);
    std::mt19937 random(1234);
    std::normal_distribution<float> noise(0.0f, 6.0f);
    for (int y = 0; y < kHeight; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < kWidth; ++x) {
            const float light = 90.0f + 80.0f * std::sin(x * 0.0011f) * std::cos(y * 0.0017f);
            const float detail = 30.0f * std::sin(x * 0.09f + std::sin(y * 0.05f) * 3.0f);
            const bool stripe = ((x / 150 + y / 110) % 7) == 0;
            const float base = light + detail + (stripe ? 50.0f : 0.0f);
            for (int c = 0; c < 3; ++c) {
                const float v = base * (0.8f + 0.15f * c) + noise(random);
                row[3 * x + c] = static_cast<uchar>(std::clamp(v, 0.0f, 255.0f));
            }
        }
    }
    return image;
}

// A Display P3 profile as phones embed it: its primaries, D65 white, the sRGB curve.
std::string displayP3Profile() {
    const cmsFloat64Number srgbCurve[5] = {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
    cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, srgbCurve);
    std::string bytes = fixtures::profileOf(fixtures::kDisplayP3, curve);
    cmsFreeToneCurve(curve);
    return bytes;
}

void writeJpeg(const QImage& image, const std::string& path, int quality,
               const std::string& iccProfile = {}) {
    FILE* out = std::fopen(path.c_str(), "wb");
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = static_cast<JDIMENSION>(image.width());
    cinfo.image_height = static_cast<JDIMENSION>(image.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    if (!iccProfile.empty()) {
        jpeg_write_icc_profile(&cinfo, reinterpret_cast<const JOCTET*>(iccProfile.data()),
                               static_cast<unsigned>(iccProfile.size()));
    }
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<uchar*>(image.constScanLine(static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(out);
}

struct Files {
    QTemporaryDir dir;
    std::string jpeg;
    std::string p3Jpeg; // the same photo with a Display P3 profile
    std::string bmp;
    long jpegBytes = 0;

    Files() {
        jpeg = dir.path().toStdString() + "/camera.jpg";
        p3Jpeg = dir.path().toStdString() + "/camera-p3.jpg";
        bmp = dir.path().toStdString() + "/camera.bmp";
        const QImage image = cameraLikeImage();
        writeJpeg(image, jpeg, 92);
        writeJpeg(image, p3Jpeg, 92, displayP3Profile());
        image.save(QString::fromStdString(bmp), "BMP");
        std::ifstream in(jpeg, std::ios::binary | std::ios::ate);
        jpegBytes = static_cast<long>(in.tellg());
    }
};

// Made on first use and removed by the summary at exit, after the last benchmark.
Files* generatedFiles = nullptr;
const Files& files() {
    if (!generatedFiles) {
        generatedFiles = new Files;
    }
    return *generatedFiles;
}

// The window's client area and the picture fitted into it, keeping its aspect ratio.
QRect fitted(QSize window) {
    const QSize picture = QSize(kWidth, kHeight).scaled(window, Qt::KeepAspectRatio);
    return QRect(QPoint((window.width() - picture.width()) / 2, (window.height() - picture.height()) / 2),
                 picture);
}

// Peak resident memory of the process since the last reset (Linux).
void resetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

double peakMemoryMb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024.0;
        }
    }
    return 0.0;
}

struct Figure {
    double ms = 0;    // wall time
    double cpuMs = 0; // CPU time of the process, all threads: fairer on a shared machine
    double peakMb = 0;
};

double cpuNowMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}
std::map<std::string, Figure> measured; // defined before the summary, so it outlives it
std::map<std::string, Figure>& figures() {
    return measured;
}

// Times each iteration and keeps the mean and the peak memory for the summary.
template <typename Body> void measure(benchmark::State& state, const std::string& name, Body body) {
    files();
    resetPeakMemory();
    double total = 0;
    double cpuTotal = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = cpuNowMs();
        body();
        total += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        cpuTotal += cpuNowMs() - cpuStart;
    }
    Figure& f = figures()[name];
    f.ms = total / static_cast<double>(state.iterations());
    f.cpuMs = cpuTotal / static_cast<double>(state.iterations());
    f.peakMb = peakMemoryMb();
    state.counters["ms"] = f.ms;
    state.counters["cpu_ms"] = f.cpuMs;
    state.counters["peak_MB"] = f.peakMb;
}

void drawJpeg(benchmark::State& state, const std::string& name, const std::string& path) {
    const QSize window(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    measure(state, name + std::to_string(window.width()), [&] {
        QImage canvas(window, QImage::Format_RGB32);
        QPainter painter(&canvas);
        const velmoa::Picture picture = velmoa::loadPictureFile(path);
        picture.draw(painter, fitted(window));
        benchmark::DoNotOptimize(canvas.constBits());
    });
}

void velmoaJpeg(benchmark::State& state) {
    drawJpeg(state, "velmoa ", files().jpeg);
}

void velmoaJpegDisplayP3(benchmark::State& state) {
    drawJpeg(state, "velmoa p3 ", files().p3Jpeg);
}

void qtReaderJpeg(benchmark::State& state) {
    const QSize window(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    measure(state, "qt " + std::to_string(window.width()), [&] {
        QImage canvas(window, QImage::Format_RGB32);
        QPainter painter(&canvas);
        QImageReader reader(QString::fromStdString(files().jpeg));
        reader.setAutoTransform(true);
        const QImage full = reader.read();
        const QRect target = fitted(window);
        painter.drawImage(target.topLeft(),
                          full.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        benchmark::DoNotOptimize(canvas.constBits());
    });
}

// libjpeg alone: the file read and decoded at 1/8 scale, nothing else.
void libjpegEighth(benchmark::State& state) {
    measure(state, "libjpeg 1/8", [] {
        FILE* in = std::fopen(files().jpeg.c_str(), "rb");
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr err;
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_decompress(&cinfo);
        jpeg_stdio_src(&cinfo, in);
        jpeg_read_header(&cinfo, TRUE);
        cinfo.scale_num = 1;
        cinfo.scale_denom = 8;
        cinfo.out_color_space = JCS_EXT_BGRA;
        jpeg_start_decompress(&cinfo);
        std::vector<unsigned char> pixels(static_cast<std::size_t>(cinfo.output_width) * cinfo.output_height *
                                          4);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row =
                pixels.data() + static_cast<std::size_t>(cinfo.output_scanline) * cinfo.output_width * 4;
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        std::fclose(in);
        benchmark::DoNotOptimize(pixels.data());
    });
}

void velmoaBitmap(benchmark::State& state) {
    const QSize window(640, 480);
    measure(state, "velmoa bmp 640", [&] {
        QImage canvas(window, QImage::Format_RGB32);
        QPainter painter(&canvas);
        const velmoa::Picture picture = velmoa::loadPictureFile(files().bmp);
        picture.draw(painter, fitted(window));
        benchmark::DoNotOptimize(canvas.constBits());
    });
}

struct Summary {
    ~Summary() {
        auto& f = figures();
        if (!f.count("libjpeg 1/8")) {
            delete generatedFiles;
            return;
        }
        const Figure floor = f["libjpeg 1/8"];
        std::printf("\n24 MP JPEG (%.1f MB), mean per load+draw, wall / CPU ms:\n", files().jpegBytes / 1e6);
        std::printf("  libjpeg 1/8 decode alone  %7.1f / %7.1f\n", floor.ms, floor.cpuMs);
        for (const char* size : {"640", "1920"}) {
            if (!f.count("velmoa " + std::string(size)) || !f.count("qt " + std::string(size))) {
                continue;
            }
            const Figure ours = f["velmoa " + std::string(size)];
            const Figure qt = f["qt " + std::string(size)];
            std::printf("  into %-4s: Velmoa %7.1f / %7.1f = %.2f / %.2f x the 1/8 decode, peak %.0f MB\n",
                        size, ours.ms, ours.cpuMs, ours.ms / floor.ms, ours.cpuMs / floor.cpuMs, ours.peakMb);
            std::printf(
                "             Qt reader + smooth scale %7.1f / %7.1f, peak %.0f MB: %.1f / %.1f x Velmoa\n",
                qt.ms, qt.cpuMs, qt.peakMb, qt.ms / ours.ms, qt.cpuMs / ours.cpuMs);
            if (f.count("velmoa p3 " + std::string(size))) {
                const Figure p3 = f["velmoa p3 " + std::string(size)];
                std::printf(
                    "             with a Display P3 profile %7.1f / %7.1f: %+.1f %% / %+.1f %% over none\n",
                    p3.ms, p3.cpuMs, 100.0 * (p3.ms / ours.ms - 1), 100.0 * (p3.cpuMs / ours.cpuMs - 1));
            }
        }
        if (f.count("velmoa bmp 640")) {
            const Figure bmp = f["velmoa bmp 640"];
            std::printf("  6000 x 4000 24-bit BMP into 640: %.1f / %.1f, peak %.0f MB\n", bmp.ms, bmp.cpuMs,
                        bmp.peakMb);
        }
        delete generatedFiles;
    }
} summary;

} // namespace

BENCHMARK(libjpegEighth)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(velmoaJpeg)->Args({640, 480})->Args({1920, 1080})->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(velmoaJpegDisplayP3)
    ->Args({640, 480})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK(qtReaderJpeg)->Args({640, 480})->Args({1920, 1080})->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(velmoaBitmap)->Unit(benchmark::kMillisecond)->MinTime(2.0);
