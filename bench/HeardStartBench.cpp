// Process start → sound heard on the sound server, and → first video frame on the X screen, for
// the real program and, as the baseline in the same run, mpv's own player on the same files; and a
// later open: a second file opened in the running player, command → sound heard. Rounds alternate
// between the two players; medians. Run under tests/sound/run-with-sound-server.sh.
#include "media/MediaFixtures.h"
#include "sound/Tones.h"
#include "sound/heard/RunningProgram.h"
#include "sound/heard/SinkRecorder.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace velmoa::testing;

namespace {

using Clock = SinkRecorder::Clock;

constexpr double kToneSeconds = 3;
constexpr double kToneFrequency = 440;
constexpr double kSilenceSeconds = 1;
// A sample this loud (about -30 dBFS) is the sound begun.
constexpr int kHeardLevel = 1000;
// The video is one flat colour that nothing else on the screen has.
constexpr int kVideoGreenAtLeast = 180;
constexpr int kVideoOtherAtMost = 80;
// The screen is looked at through a grid of this step, every so often: looking costs the players
// the processor.
constexpr int kScreenStep = 4;
constexpr int kScreenPollMs = 10;
constexpr int kSoundPollMs = 5;
constexpr int kGiveUpMs = 20000;
constexpr int kEndTimeoutMs = 3000;
constexpr int kRounds = 5;

// The files, made once: a tone as WAV and MP3, a green picture with the tone as MPEG-1, and a
// silent WAV that a later open follows.
struct BenchFiles {
    QTemporaryDir dir;
    bool made = false;
    std::string path(const char* name) const { return dir.path().toStdString() + "/" + name; }
    BenchFiles() {
        const std::vector<Tone> tone{{kToneFrequency, kToneSeconds}};
        const std::vector<Tone> silence{{0, kSilenceSeconds}};
        const std::string wav = path("tone.wav");
        std::ofstream(wav, std::ios::binary)
            << wavOf(toneSamples(tone, SinkRecorder::kRate), SinkRecorder::kRate);
        std::ofstream(path("silence.wav"), std::ios::binary)
            << wavOf(toneSamples(silence, SinkRecorder::kRate), SinkRecorder::kRate);
        const QStringList input{"-i", QString::fromStdString(wav)};
        made = ffmpeg(input + QStringList{"-c:a", "libmp3lame", "-b:a", "192k"}, path("tone.mp3")) &&
               ffmpeg(QStringList{"-f", "lavfi", "-i", "color=c=0x00ff00:size=320x240:rate=25:duration=3"} +
                          input + QStringList{"-c:v", "mpeg1video", "-c:a", "mp2", "-f", "mpeg"},
                      path("clip.mpg"));
    }
};

const BenchFiles& files() {
    static const BenchFiles made;
    return made;
}

struct Player {
    const char* name;
    QString program;
    QStringList options;
};

Player velmoaPlayer() {
    return {"velmoa", QStringLiteral(VELMOA_PROGRAM), {}};
}
// mpv's own player with the outputs the program asks mpv for.
Player mpvPlayer() {
    return {
        "mpv",
        QStringLiteral("mpv"),
        {"--no-config", "--ao=pulse", "--vo=gpu,x11", "--gpu-sw=yes", "--keep-open=yes", "--no-terminal"}};
}

double msSince(Clock::time_point start, Clock::time_point at) {
    return std::chrono::duration<double, std::milli>(at - start).count();
}

bool videoOnScreen() {
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    for (int y = 0; y < screen.height(); y += kScreenStep) {
        for (int x = 0; x < screen.width(); x += kScreenStep) {
            const QRgb pixel = screen.pixel(x, y);
            if (qGreen(pixel) >= kVideoGreenAtLeast && qRed(pixel) <= kVideoOtherAtMost &&
                qBlue(pixel) <= kVideoOtherAtMost) {
                return true;
            }
        }
    }
    return false;
}

// Milliseconds from start to the first loud sample played after it, or nothing in time.
std::optional<double> waitHeard(SinkRecorder& recorder, Clock::time_point start) {
    std::size_t scanned = recorder.samples().size();
    while (msSince(start, Clock::now()) < kGiveUpMs) {
        recorder.collect(kSoundPollMs);
        const auto& samples = recorder.samples();
        for (; scanned < samples.size(); ++scanned) {
            if (std::abs(samples[scanned]) >= kHeardLevel && recorder.timeOf(scanned) >= start) {
                return msSince(start, recorder.timeOf(scanned));
            }
        }
    }
    return std::nullopt;
}

std::optional<double> waitFrame(Clock::time_point start) {
    while (msSince(start, Clock::now()) < kGiveUpMs) {
        if (videoOnScreen()) {
            return msSince(start, Clock::now());
        }
        QThread::msleep(kScreenPollMs);
    }
    return std::nullopt;
}

void end(QProcess& process) {
    process.terminate();
    if (!process.waitForFinished(kEndTimeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
}

enum class Watch { Sound, Frame };

// Starts the player on the file and times its first sound or its first frame.
std::optional<double> startAndTime(const Player& player, const std::string& file, Watch watch) {
    SinkRecorder recorder;
    if (!recorder.start()) {
        return std::nullopt;
    }
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    const auto start = Clock::now();
    process.start(player.program, player.options + QStringList{QString::fromStdString(file)});
    const std::optional<double> ms = watch == Watch::Sound ? waitHeard(recorder, start) : waitFrame(start);
    end(process);
    return ms;
}

// Sends one line to mpv's command socket.
bool sendToMpv(const std::string& socketPath, const std::string& line) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    const bool sent = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                      ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    if (fd >= 0) {
        ::close(fd);
    }
    return sent;
}

// The second file opened in a running player: the program through its Open dialog as a user does
// (timed from the Return that accepts it), mpv through its command socket.
std::optional<double> laterOpen(const Player& player, const std::string& first, const std::string& second) {
    SinkRecorder recorder;
    if (!recorder.start()) {
        return std::nullopt;
    }
    const bool mpv = std::string(player.name) == "mpv";
    const std::string socketPath = files().path("mpv-commands");
    QStringList options = player.options;
    if (mpv) {
        options += QString::fromStdString("--input-ipc-server=" + socketPath);
    }
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(player.program, options + QStringList{QString::fromStdString(first)});
    process.waitForStarted();
    std::optional<double> ms;
    if (mpv) {
        const std::string command = R"({"command":["loadfile",")" + second + R"(","replace"]})" + "\n";
        // The socket is there once mpv has started.
        auto start = Clock::now();
        while (!sendToMpv(socketPath, "\n") && msSince(start, Clock::now()) < kGiveUpMs) {
            QThread::msleep(kSoundPollMs);
        }
        start = Clock::now();
        if (sendToMpv(socketPath, command)) {
            ms = waitHeard(recorder, start);
        }
    } else {
        const QString pid = QString::number(process.processId());
        const QString window =
            xdotool({"search", "--sync", "--onlyvisible", "--pid", pid}).section('\n', 0, 0);
        xdotool({"windowactivate", "--sync", window, "key", "--clearmodifiers", "ctrl+o"});
        const QString dialog =
            xdotool({"search", "--sync", "--all", "--onlyvisible", "--pid", pid, "--name", "開く|Open"})
                .section('\n', 0, 0);
        if (!dialog.isEmpty()) {
            xdotool(
                {"windowactivate", "--sync", dialog, "type", "--delay", "5", QString::fromStdString(second)});
            const auto start = Clock::now();
            xdotool({"key", "--clearmodifiers", "Return"});
            ms = waitHeard(recorder, start);
        }
    }
    end(process);
    return ms;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

bool canRun(benchmark::State& state, bool onScreen) {
    if (SinkRecorder::monitor().isEmpty()) {
        state.SkipWithError("needs tests/sound/run-with-sound-server.sh");
        return false;
    }
    if (onScreen && QGuiApplication::platformName() != QLatin1String("xcb")) {
        state.SkipWithError("needs an X screen");
        return false;
    }
    if (!files().made) {
        state.SkipWithError("ffmpeg could not make the files");
        return false;
    }
    return true;
}

// Rounds of the program then mpv, each timed by measure; the figure is the program's, mpv's is
// beside it.
void compare(benchmark::State& state, const std::function<std::optional<double>(const Player&)>& measure) {
    std::vector<double> ours;
    std::vector<double> theirs;
    for (auto _ : state) {
        const std::optional<double> velmoa = measure(velmoaPlayer());
        const std::optional<double> mpv = measure(mpvPlayer());
        if (!velmoa || !mpv) {
            state.SkipWithError(!velmoa ? "velmoa: nothing came in time" : "mpv: nothing came in time");
            return;
        }
        state.SetIterationTime(*velmoa / 1000);
        ours.push_back(*velmoa);
        theirs.push_back(*mpv);
    }
    state.counters["velmoa_ms"] = median(ours);
    state.counters["mpv_ms"] = median(theirs);
    state.counters["ratio"] = median(ours) / median(theirs);
}

void BM_LaunchToHeard(benchmark::State& state, const char* name) {
    if (canRun(state, false)) {
        compare(state,
                [&](const Player& player) { return startAndTime(player, files().path(name), Watch::Sound); });
    }
}
void BM_LaunchToFirstFrame(benchmark::State& state, const char* name) {
    if (canRun(state, true)) {
        compare(state,
                [&](const Player& player) { return startAndTime(player, files().path(name), Watch::Frame); });
    }
}
void BM_LaterOpenToHeard(benchmark::State& state, const char* name) {
    if (canRun(state, true)) {
        compare(state, [&](const Player& player) {
            return laterOpen(player, files().path("silence.wav"), files().path(name));
        });
    }
}

} // namespace

BENCHMARK_CAPTURE(BM_LaunchToHeard, wav, "tone.wav")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(kRounds);
BENCHMARK_CAPTURE(BM_LaunchToHeard, mp3, "tone.mp3")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(kRounds);
BENCHMARK_CAPTURE(BM_LaunchToHeard, mpg, "clip.mpg")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(kRounds);
BENCHMARK_CAPTURE(BM_LaunchToFirstFrame, mpg, "clip.mpg")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(kRounds);
BENCHMARK_CAPTURE(BM_LaterOpenToHeard, wav, "tone.wav")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(kRounds);
