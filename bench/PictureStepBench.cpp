// Next → next 24-megapixel camera picture shown in a running 640 x 480 window, with pictures
// prepared ahead and, as the baseline in the same run, without (each picture decoded in its paint):
// at a human pace (a step every 600 ms), with the key held (30 steps a second), and slideshow
// ticks at 1 s. Each figure is from the key (or tick) to the end of the paint that shows its picture.
#include "CameraJpeg.h"
#include "PaintWatch.h"

#include "app/TzorvForm1.h"
#include "controls/SecondsBox.h"
#include "picture/DecodeAhead.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <thread>

using namespace velmoa;

namespace {

constexpr int kPictures = 6;

const std::vector<std::string>& cameraFolder(bool withPreview) {
    static QTemporaryDir dir;
    static std::map<bool, std::vector<std::string>> made;
    if (!made.count(withPreview)) {
        const std::string folder = dir.path().toStdString() + (withPreview ? "/preview" : "/plain");
        QDir().mkpath(QString::fromStdString(folder));
        for (int i = 0; i < kPictures; ++i) {
            made[withPreview].push_back(writeCameraLikeJpeg(folder + "/DSC0000" + std::to_string(i) + ".JPG",
                                                            6000, 4000, i, withPreview));
        }
    }
    return made[withPreview];
}

void runEventsFor(double ms) {
    if (ms <= 0) {
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(ms), &loop, &QEventLoop::quit);
    loop.exec();
}

void waitForPaintAfter(const PaintWatch& watch, int paints) {
    while (watch.paints <= paints) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

// A window showing the first picture of the folder, settled.
struct Window {
    std::unique_ptr<DecodeAhead> ahead;
    TzorvForm1 form;
    PaintWatch watch;
    Window(bool prepareAhead, const std::vector<std::string>& files)
        : ahead(prepareAhead ? std::make_unique<DecodeAhead>() : nullptr),
          form(FormServices{nullptr, nullptr, nullptr, nullptr, ahead.get()}), watch(form.Image2) {
        form.setCommandLineFiles({files[0]});
        form.show();
        waitForPaintAfter(watch, 0);
        runEventsFor(600);
    }
    int ready() const { return ahead ? ahead->counts().ready : 0; }
};

struct Figures {
    double median = 0, worst = 0;
    int ready = 0, steps = 0;
};

Figures summarise(std::vector<double> ms, int ready) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back(), ready, static_cast<int>(ms.size())};
}

// A step every pace ms, each waited for.
Figures atPace(bool prepareAhead, const std::vector<std::string>& files, double paceMs, int steps) {
    Window w(prepareAhead, files);
    std::vector<double> latencies;
    for (int i = 0; i < steps; ++i) {
        const int paints = w.watch.paints;
        const double key = benchNowMs();
        w.form.ActNext->trigger();
        waitForPaintAfter(w.watch, paints);
        latencies.push_back(w.watch.paintedAt - key);
        runEventsFor(paceMs - (benchNowMs() - key));
    }
    return summarise(latencies, w.ready());
}

// Keys arrive every 33 ms whether or not the window keeps up (they queue, as a held key's repeats
// do); the figure is from the last key to the end of the paint of its picture.
// From the last key to its picture painted; ready counts the steps that found their picture ready.
double keyHeld(bool prepareAhead, const std::vector<std::string>& files, int keys, int& ready) {
    Window w(prepareAhead, files);
    std::atomic<int> handled{0};
    double lastKey = 0;
    double lastHandled = 0;
    std::thread repeat([&] {
        for (int i = 0; i < keys; ++i) {
            if (i == keys - 1) {
                lastKey = benchNowMs();
            }
            QMetaObject::invokeMethod(
                &w.form,
                [&] {
                    w.form.ActNext->trigger();
                    lastHandled = benchNowMs();
                    ++handled;
                },
                Qt::QueuedConnection);
            std::this_thread::sleep_for(std::chrono::microseconds(33333));
        }
    });
    // Until the last key is handled and its picture painted.
    while (handled < keys || w.watch.paintedAt < lastHandled) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    repeat.join();
    ready += w.ready();
    return w.watch.paintedAt - lastKey;
}

// Notes each tick of the slideshow timer as it arrives.
class TickWatch : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Timer) {
            tickAt = benchNowMs();
            ++ticks;
        }
        return false;
    }
    double tickAt = 0;
    int ticks = 0;
};

Figures slideshow(bool prepareAhead, const std::vector<std::string>& files, int ticks) {
    Window w(prepareAhead, files);
    TickWatch watch;
    w.form.Timer1.installEventFilter(&watch);
    w.form.SpinEdit1->setValue(1);
    w.form.ActStart->trigger();
    std::vector<double> latencies;
    while (watch.ticks < ticks) {
        const int seen = watch.ticks;
        while (watch.ticks == seen) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        const double tick = watch.tickAt;
        while (w.watch.paintedAt < tick) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        latencies.push_back(w.watch.paintedAt - tick);
    }
    w.form.ActStop->trigger();
    return summarise(latencies, w.ready());
}

void report(benchmark::State& state, const char* what, const Figures& ahead, const Figures& baseline) {
    state.counters["ahead_median_ms"] = ahead.median;
    state.counters["ahead_worst_ms"] = ahead.worst;
    state.counters["ready"] = ahead.ready;
    state.counters["baseline_median_ms"] = baseline.median;
    state.counters["baseline_worst_ms"] = baseline.worst;
    std::printf("%s: prepared ahead median %.1f ms (worst %.1f), %d of %d steps found their picture ready; "
                "decoded in the paint (baseline) median %.1f ms (worst %.1f)\n",
                what, ahead.median, ahead.worst, ahead.ready, ahead.steps, baseline.median, baseline.worst);
}

void BM_NextAtHumanPace(benchmark::State& state) {
    const auto& files = cameraFolder(state.range(0) != 0);
    for (auto _ : state) {
        const Figures baseline = atPace(false, files, 600, 10);
        const Figures ahead = atPace(true, files, 600, 10);
        report(state,
               state.range(0) ? "Next every 600 ms, camera previews" : "Next every 600 ms, no previews",
               ahead, baseline);
    }
}
BENCHMARK(BM_NextAtHumanPace)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_NextKeyHeld(benchmark::State& state) {
    const auto& files = cameraFolder(state.range(0) != 0);
    for (auto _ : state) {
        // Rounds alternate between the two ways; the last key falls at a different point of a
        // decode each time.
        constexpr int kRounds = 7, kKeys = 20;
        std::vector<double> withAhead, withoutAhead;
        int readyAhead = 0, readyBaseline = 0;
        for (int round = 0; round < kRounds; ++round) {
            withoutAhead.push_back(keyHeld(false, files, kKeys, readyBaseline));
            withAhead.push_back(keyHeld(true, files, kKeys, readyAhead));
        }
        const Figures baseline = summarise(withoutAhead, readyBaseline);
        Figures ahead = summarise(withAhead, readyAhead);
        ahead.steps = kRounds * kKeys;
        report(state,
               state.range(0) ? "Next held (30/s, 20 keys, 7 rounds), last key → its picture, camera previews"
                              : "Next held (30/s, 20 keys, 7 rounds), last key → its picture, no previews",
               ahead, baseline);
    }
}
BENCHMARK(BM_NextKeyHeld)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_SlideshowTick(benchmark::State& state) {
    const auto& files = cameraFolder(false);
    for (auto _ : state) {
        const Figures baseline = slideshow(false, files, 5);
        const Figures ahead = slideshow(true, files, 5);
        report(state, "Slideshow at 1 s, tick → shown, no previews", ahead, baseline);
    }
}
BENCHMARK(BM_SlideshowTick)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
