// A big rich-text table, 64 columns by 3 000 rows with ruled cells, shown in the document control:
// until its first screen is painted, until all of it is in and laid out, and the longest time the
// event loop waited meanwhile; beside it, the same cells as tab-separated plain text in the same
// control, measured in the same run.
#include "StallWatch.h"
#include "base/Failure.h"
#include "controls/RichTextControl.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace velmoa;

namespace {
constexpr int kColumns = 64;
constexpr int kRows = 3000;
constexpr int kCellTwips = 140;
constexpr int kPatienceMs = 600'000;

struct TemporaryFile {
    std::string path;
    ~TemporaryFile() { std::remove(path.c_str()); }
};

std::string cellText(int row, int column) {
    return std::to_string(row) + "-" + std::to_string(column);
}

std::string benchPath(const char* extension) {
    return QDir::tempPath().toStdString() + "/velmoa-table-bench-" + std::to_string(getpid()) + extension;
}

// Rows as a word processor writes them: each defines its ruled cells, then fills them; every
// seventh cell is red.
const std::string& tableRtfPath() {
    static const TemporaryFile file{[] {
        std::string path = benchPath(".rtf");
        std::ofstream out(path, std::ios::binary);
        out << "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}"
               "{\\colortbl;\\red255\\green0\\blue0;}\n";
        for (int row = 0; row < kRows; ++row) {
            out << "\\trowd\\trgaph108\\trleft0";
            for (int column = 0; column < kColumns; ++column) {
                out << "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10"
                       "\\clbrdrr\\brdrs\\brdrw10\\cellx"
                    << (column + 1) * kCellTwips;
            }
            out << "\n";
            for (int column = 0; column < kColumns; ++column) {
                out << "\\pard\\intbl\\plain\\f0\\fs20 " << ((row + column) % 7 == 0 ? "\\cf1 " : "")
                    << cellText(row, column) << "\\cell";
            }
            out << "\\row\n";
        }
        out << "\\pard\\plain End\\par}";
        return path;
    }()};
    return file.path;
}

const std::string& tableTextPath() {
    static const TemporaryFile file{[] {
        std::string path = benchPath(".txt");
        std::ofstream out(path, std::ios::binary);
        for (int row = 0; row < kRows; ++row) {
            for (int column = 0; column < kColumns; ++column) {
                out << cellText(row, column) << (column + 1 < kColumns ? "\t" : "\n");
            }
        }
        return path;
    }()};
    return file.path;
}

// The whole document is in and Qt has laid it out to its end (plain text: the view has all lines).
bool allLaidOut(const RichTextControl& control) {
    if (control.fillingIn() || control.plainTextMode()) {
        return !control.fillingIn();
    }
    const QTextBlock last = control.document()->lastBlock();
    return last.layout() != nullptr && last.layout()->lineCount() > 0;
}

struct Figures {
    double firstScreenMs = 0;
    double allMs = 0;
    double longestStallMs = 0;
    bool done = false;
};

// One load: the first screen, then the event loop until everything is laid out, noting the longest
// pass between two turns of a timer that wants to run all the time.
Figures load(RichTextControl& control, const std::string& path) {
    Figures figures;
    control.clearContent();
    QApplication::processEvents();
    QElapsedTimer clock;
    clock.start();
    try {
        control.loadWholeFile(path);
    } catch (const Failure&) { // shown in part
    }
    benchmark::DoNotOptimize(control.grab());
    figures.firstScreenMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    const StallWatch stalls;
    figures.done = QTest::qWaitFor([&] { return allLaidOut(control); }, kPatienceMs);
    figures.allMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    figures.longestStallMs = stalls.longestMs();
    return figures;
}

void BM_RichTable64x3000_FirstScreen(benchmark::State& state) {
    RichTextControl control;
    control.setDefaultAttributes(QStringLiteral("FixedSys"), 12, Qt::white);
    control.resize(640, 452);
    control.show();
    RichTextControl plain;
    plain.setDefaultAttributes(QStringLiteral("FixedSys"), 12, Qt::white);
    plain.setPlainTextMode(true);
    plain.resize(640, 452);
    plain.show();
    Figures rich, text;
    for (auto _ : state) {
        rich = load(control, tableRtfPath());
        state.PauseTiming();
        text = load(plain, tableTextPath());
        state.ResumeTiming();
    }
    if (!rich.done || !text.done) {
        state.SkipWithError("the table was not laid out in time");
    }
    state.counters["first_screen_ms"] = rich.firstScreenMs;
    state.counters["all_ms"] = rich.allMs;
    state.counters["longest_stall_ms"] = rich.longestStallMs;
    state.counters["plain_first_screen_ms"] = text.firstScreenMs;
    state.counters["plain_all_ms"] = text.allMs;
    state.counters["ratio_first_screen"] = rich.firstScreenMs / text.firstScreenMs;
    state.counters["ratio_all"] = rich.allMs / text.allMs;
}
BENCHMARK(BM_RichTable64x3000_FirstScreen)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace
