// Media: Open → first audio playing, for mpv (WAV) and the MIDI synthesizer, against reading the same
// file whole; and the cost of one position-timer tick in a playing window, against the bar update
// that every tick needs anyway.
#include "app/TzorvForm1.h"
#include "formats/midi/MidiWriter.h"
#include "media/MediaFixtures.h"
#include "media/engines/FluidSynthEngine.h"
#include "media/engines/MpvEngine.h"
#include "platform/ReadOnlyFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QSlider>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>

using namespace velmoa;
using namespace velmoa::testing;

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string writeBytes(const QTemporaryDir& dir, const std::string& name, const std::string& bytes) {
    std::string path = dir.path().toStdString() + "/" + name;
    QFile file(QString::fromStdString(path));
    file.open(QIODevice::WriteOnly);
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path;
}

double readAloneSeconds(const std::string& path) {
    const auto start = Clock::now();
    ReadOnlyFile file(path);
    benchmark::DoNotOptimize(file.readAll().size());
    return secondsSince(start);
}

// Open, play, and wait until the position has moved: sound is coming out.
void openToFirstAudio(benchmark::State& state, MediaDevice& device, const std::string& path) {
    double openSeconds = 0;
    double readSeconds = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        device.open(path);
        device.play();
        while (device.position() == 0) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        const double seconds = secondsSince(start);
        state.SetIterationTime(seconds);
        openSeconds += seconds;
        device.close();
        readSeconds += readAloneSeconds(path);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["open_to_audio_ms"] = 1000 * openSeconds / n;
    state.counters["read_alone_ms"] = 1000 * readSeconds / n;
    state.counters["ratio"] = openSeconds / readSeconds;
}

void BM_MpvOpenToFirstAudio(benchmark::State& state) {
    QTemporaryDir dir;
    const std::string wav = writeBytes(dir, "tone.wav", wavBytes(5000));
    MpvEngine engine;
    engine.open(wav); // the first open also starts mpv and probes the sound servers
    openToFirstAudio(state, engine, wav);
}
BENCHMARK(BM_MpvOpenToFirstAudio)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_MidiOpenToFirstAudio(benchmark::State& state) {
    QTemporaryDir dir;
    const std::string mid = writeBytes(dir, "song.mid", smf(0, 480, {noteEvents(0, 4800) + endOfTrack()}));
    FluidSynthEngine engine;
    engine.open(mid); // the first open also loads the sound font
    openToFirstAudio(state, engine, mid);
}
BENCHMARK(BM_MidiOpenToFirstAudio)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_Timer3Tick(benchmark::State& state) {
    QTemporaryDir dir;
    const std::string wav = writeBytes(dir, "long.wav", wavBytes(600000));
    MpvEngine engine;
    TzorvForm1 form(FormServices{nullptr, nullptr, nullptr, &engine});
    form.setCommandLineFiles({wav});
    form.show();
    QCoreApplication::processEvents();
    form.Timer3.stop(); // ticks run by hand here
    QSlider bare(Qt::Horizontal);
    bare.setRange(0, 600000);
    double tickSeconds = 0;
    double barSeconds = 0;
    int value = 0;
    for (auto _ : state) {
        // Playback moves on between ticks, as it does in the 50 ms between real ones.
        const auto wait = Clock::now();
        while (secondsSince(wait) < 0.005) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        const auto start = Clock::now();
        form.Timer3Timer();
        const double seconds = secondsSince(start);
        state.SetIterationTime(seconds);
        tickSeconds += seconds;
        const auto barStart = Clock::now();
        bare.setValue(value += 5);
        barSeconds += secondsSince(barStart);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["tick_us"] = 1e6 * tickSeconds / n;
    state.counters["bar_alone_us"] = 1e6 * barSeconds / n;
    state.counters["ratio"] = tickSeconds / barSeconds;
}
BENCHMARK(BM_Timer3Tick)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(200);

} // namespace
