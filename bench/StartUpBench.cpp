// Process start → first paint of a 24-megapixel camera JPEG in a new 640 x 480 window, in a child
// process each time: with the picture decoded on a worker while the window is built, and, as the
// baseline in the same run, decoded in the first paint. Rounds alternate between the two; medians.
// The child also reports its memory, after the first paint and after ten Next steps.
#include "CameraJpeg.h"
#include "PaintWatch.h"
#include "StartUpChild.h"

#include "app/TzorvForm1.h"
#include "app/ViewerWindow.h"
#include "controls/ImageControl.h"
#include "picture/DecodeAhead.h"
#include "platform/ProcessMemory.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

using namespace velmoa;

namespace {

double benchNowMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// kB figures of /proc/self/status and smaps_rollup.
double procKb(const char* file, const char* key) {
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) == 0) {
            return std::stod(line.substr(std::string(key).size()));
        }
    }
    return 0;
}

std::string memoryLine(const char* when) {
    const double priv = procKb("/proc/self/smaps_rollup", "Private_Clean:") +
                        procKb("/proc/self/smaps_rollup", "Private_Dirty:");
    char text[256];
    std::snprintf(text, sizeof text, "%s peak=%.1f rss=%.1f anon=%.1f file=%.1f private=%.1f\n", when,
                  procKb("/proc/self/status", "VmHWM:") / 1024, procKb("/proc/self/status", "VmRSS:") / 1024,
                  procKb("/proc/self/status", "RssAnon:") / 1024,
                  procKb("/proc/self/status", "RssFile:") / 1024, priv / 1024);
    return text;
}

} // namespace

int runStartUpChild(int argc, char** argv) {
    if (argc < 5) {
        return 2;
    }
    const bool ahead = std::string(argv[2]) == "ahead";
    const std::string file = argv[3];
    const int steps = std::atoi(argv[4]);
    // As the program's main(): the decode starts before anything else.
    returnLargeBlocksWhenFreed();
    DecodeAhead decodeAhead;
    if (ahead) {
        decodeAhead.prepareOpening(file, {TzorvForm1::kInitialClientSize});
    }
    int appArgc = 1;
    QApplication app(appArgc, argv);
    ViewerWindow::prepareApplication();
    ViewerWindow window(nullptr, ahead ? &decodeAhead : nullptr);
    TzorvForm1& zorvForm1 = window.form();
    zorvForm1.setCommandLineFiles({file});
    PaintWatch watch(zorvForm1.Image2);
    zorvForm1.show();
    while (watch.paintedAt == 0) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    std::printf("painted=%.3f\n%s", watch.paintedAt, memoryLine("first").c_str());
    for (int i = 0; i < steps; ++i) {
        zorvForm1.NextButtonClick();
        zorvForm1.Image2->repaint();
    }
    if (steps > 0) {
        std::printf("%s", memoryLine("steps").c_str());
    }
    return 0;
}

namespace {

struct ChildFigures {
    double ms = 0;
    std::map<std::string, std::map<std::string, double>> memory; // "first"/"steps" → key → MB
};

ChildFigures runChild(const std::string& mode, const std::string& file, int steps) {
    QProcess child;
    const double start = benchNowMs();
    child.start(QCoreApplication::applicationFilePath(),
                {kStartUpChildFlag, QString::fromStdString(mode), QString::fromStdString(file),
                 QString::number(steps)});
    child.waitForFinished(60000);
    ChildFigures figures;
    std::istringstream out(child.readAllStandardOutput().toStdString());
    std::string line;
    while (std::getline(out, line)) {
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word.rfind("painted=", 0) == 0) {
            figures.ms = std::stod(word.substr(8)) - start;
            continue;
        }
        const std::string when = word;
        while (words >> word) {
            const auto eq = word.find('=');
            figures.memory[when][word.substr(0, eq)] = std::stod(word.substr(eq + 1));
        }
    }
    return figures;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

std::string cameraFile(bool withPreview) {
    static QTemporaryDir dir;
    static std::map<bool, std::string> made;
    if (!made.count(withPreview)) {
        const std::string folder = dir.path().toStdString() + (withPreview ? "/preview" : "/plain");
        QDir().mkpath(QString::fromStdString(folder));
        for (int i = 0; i < 3; ++i) {
            writeCameraLikeJpeg(folder + "/DSC0" + std::to_string(i) + ".JPG", 6000, 4000, i, withPreview);
        }
        made[withPreview] = folder + "/DSC00.JPG";
    }
    return made[withPreview];
}

void BM_StartToFirstPicture(benchmark::State& state) {
    const bool withPreview = state.range(0) != 0;
    const std::string file = cameraFile(withPreview);
    constexpr int kRounds = 7;
    std::vector<double> ahead, inPaint;
    ChildFigures lastAhead, lastInPaint;
    for (auto _ : state) {
        for (int round = 0; round < kRounds; ++round) {
            // Interleaved, so that a busy moment of the machine hits both alike.
            lastInPaint = runChild("in-paint", file, round == kRounds - 1 ? 10 : 0);
            inPaint.push_back(lastInPaint.ms);
            lastAhead = runChild("ahead", file, round == kRounds - 1 ? 10 : 0);
            ahead.push_back(lastAhead.ms);
        }
    }
    state.counters["ahead_ms"] = median(ahead);
    state.counters["in_paint_ms"] = median(inPaint);
    state.counters["ratio"] = median(ahead) / median(inPaint);
    state.counters["peak_MB"] = lastAhead.memory["first"]["peak"];
    state.counters["private_MB"] = lastAhead.memory["first"]["private"];
    state.counters["rss_MB"] = lastAhead.memory["first"]["rss"];
    state.counters["file_MB"] = lastAhead.memory["first"]["file"];
    state.counters["peak10_MB"] = lastAhead.memory["steps"]["peak"];
    state.counters["in_paint_peak_MB"] = lastInPaint.memory["first"]["peak"];
    std::printf(
        "start → first paint, 24 MP %s: decoded ahead %.0f ms, in the first paint (baseline) %.0f ms; "
        "memory after the first paint: peak %.1f MB, resident %.1f (files %.1f, anonymous %.1f), "
        "private %.1f; peak after 10 steps %.1f MB (baseline %.1f / %.1f)\n",
        withPreview ? "with camera preview" : "without preview", median(ahead), median(inPaint),
        lastAhead.memory["first"]["peak"], lastAhead.memory["first"]["rss"],
        lastAhead.memory["first"]["file"], lastAhead.memory["first"]["anon"],
        lastAhead.memory["first"]["private"], lastAhead.memory["steps"]["peak"],
        lastInPaint.memory["first"]["peak"], lastInPaint.memory["steps"]["peak"]);
}
BENCHMARK(BM_StartToFirstPicture)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
