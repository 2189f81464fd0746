// Big plain-text files in the document control: start to first screen beside `less` showing the
// same file on a pseudo-terminal in the same run (less_ms, ratio = ours / less's), the longest the
// window froze while the rest came in and it was resized meanwhile (longest_stall_ms), and the
// memory the whole text takes once it is in, over the empty control, as a multiple of the file's
// size.
#include "StallWatch.h"
#include "controls/RichTextControl.h"
#include "platform/ProcessMemory.h"

#include <QApplication>
#include <QDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace velmoa;

namespace {
using Clock = std::chrono::steady_clock;
constexpr int kLessRuns = 5;
constexpr unsigned short kTerminalRows = 24;
constexpr unsigned short kTerminalColumns = 80;
// The prompt less is given: once it is written, the first screen is.
constexpr const char* kPrompt = "@@SHOWN@@";
constexpr int kLessPatience = 10000; // milliseconds without output before less counts as stuck
constexpr int kWidth = 640;
constexpr int kHeight = 452;
// Widths the window takes in turn while the text fills in, one every kResizeEvery milliseconds.
constexpr int kResizeWidths[] = {500, 800, kWidth};
constexpr int kResizeEvery = 40;

struct BenchFile {
    std::string path;
    std::size_t bytes = 0;
    ~BenchFile() { std::remove(path.c_str()); }
};

const BenchFile& benchFile(const std::string& name, const std::function<std::string(int)>& line,
                           std::size_t size) {
    static std::vector<std::unique_ptr<BenchFile>> files;
    for (const auto& file : files) {
        if (file->path.ends_with(name)) {
            return *file;
        }
    }
    auto file = std::make_unique<BenchFile>();
    file->path = QDir::tempPath().toStdString() + "/velmoa-pager-" + std::to_string(getpid()) + "-" + name;
    std::ofstream out(file->path, std::ios::binary);
    for (int i = 0; file->bytes < size; ++i) {
        const std::string text = line(i);
        out << text;
        file->bytes += text.size();
    }
    files.push_back(std::move(file));
    return *files.back();
}

const BenchFile& csv10MB() {
    return benchFile(
        "table.csv",
        [](int i) {
            return std::to_string(i) + ",sample text for the column,3.14159," + std::to_string(i % 7) + "\n";
        },
        10'000'000);
}

const BenchFile& shiftJis10MB() {
    // "<n>,東京都千代田区,<n>" in CP932.
    return benchFile(
        "table.ini",
        [](int i) {
            return std::to_string(i) + ",\x93\x8C\x8B\x9E\x93\x73\x90\xE7\x91\xE3\x93\x63\x8B\xE6," +
                   std::to_string(i * 37 % 1000) + "\r\n";
        },
        10'000'000);
}

const BenchFile& millionLines() {
    return benchFile(
        "lines.c", [](int) { return std::string("x\n"); }, 1'999'998);
}

long residentKiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// less started on a pseudo-terminal until it has written its first screen and prompt.
double lessFirstScreenMs(const std::string& path) {
    winsize size{kTerminalRows, kTerminalColumns, 0, 0};
    int terminal = -1;
    const Clock::time_point start = Clock::now();
    const pid_t child = forkpty(&terminal, nullptr, nullptr, &size);
    if (child == 0) {
        const std::string prompt = std::string("-Ps") + kPrompt;
        // env sets less's environment: the forked child of a threaded process must not call setenv.
        // -f: no question first about a file that does not look like text (Shift-JIS, say).
        execlp("env", "env", "-u", "LESSOPEN", "-u", "LESS", "TERM=xterm", "less", "-f", prompt.c_str(),
               path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string seen;
    char buffer[4096];
    pollfd output{terminal, POLLIN, 0};
    while (seen.find(kPrompt) == std::string::npos && poll(&output, 1, kLessPatience) > 0) {
        const ssize_t n = read(terminal, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        seen.append(buffer, static_cast<std::size_t>(n));
    }
    const double elapsed = millisecondsSince(start);
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    close(terminal);
    return elapsed;
}

double medianLessMs(const std::string& path) {
    std::vector<double> runs;
    runs.reserve(kLessRuns);
    for (int i = 0; i < kLessRuns; ++i) {
        runs.push_back(lessFirstScreenMs(path));
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

void firstScreenBeside(benchmark::State& state, const BenchFile& file) {
    returnLargeBlocksWhenFreed(); // as the program does
    RichTextControl control;
    control.setDefaultAttributes(QStringLiteral("FixedSys"), 12, Qt::white);
    control.setPlainTextMode(true);
    control.resize(kWidth, kHeight);
    control.show();
    QApplication::processEvents();
    const long emptyKiB = residentKiB();
    double ours = 0;
    for (auto _ : state) {
        control.clearContent();
        const Clock::time_point start = Clock::now();
        control.loadWholeFile(file.path);
        benchmark::DoNotOptimize(control.grab()); // the first screen, painted
        ours += millisecondsSince(start);
    }
    ours /= static_cast<double>(state.iterations());
    // The whole text in, as the window holds it once filled; resized a few times meanwhile.
    const StallWatch stalls;
    QTimer resizes;
    std::size_t resized = 0;
    QObject::connect(&resizes, &QTimer::timeout,
                     [&] { control.resize(kResizeWidths[resized++ % std::size(kResizeWidths)], kHeight); });
    resizes.start(kResizeEvery);
    if (!QTest::qWaitFor([&] { return !control.fillingIn(); }, 600000)) {
        state.SkipWithError("the text did not finish filling in");
        return;
    }
    resizes.stop();
    const double longestStall = stalls.longestMs();
    control.resize(kWidth, kHeight);
    const double less = medianLessMs(file.path);
    state.counters["ms"] = ours;
    state.counters["less_ms"] = less;
    state.counters["ratio"] = ours / less;
    state.counters["longest_stall_ms"] = longestStall;
    state.counters["memory_per_file_byte"] = double(residentKiB() - emptyKiB) * 1024.0 / double(file.bytes);
}

void BM_PlainFirstScreen_Csv10MB(benchmark::State& state) {
    firstScreenBeside(state, csv10MB());
}
void BM_PlainFirstScreen_ShiftJis10MB(benchmark::State& state) {
    firstScreenBeside(state, shiftJis10MB());
}
void BM_PlainFirstScreen_MillionLines(benchmark::State& state) {
    firstScreenBeside(state, millionLines());
}
BENCHMARK(BM_PlainFirstScreen_Csv10MB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_PlainFirstScreen_ShiftJis10MB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_PlainFirstScreen_MillionLines)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
} // namespace
