// Document view figures: a whole 10 MB plain-text file and a 6 MB rich-text file until their first
// screen is painted, and the 16 KB hex dump into the control, each beside a baseline measured in
// the same run.
#include "base/Failure.h"
#include "controls/RichTextControl.h"
#include "document/HexDump.h"
#include "formats/richtext/RtfReader.h"
#include "formats/text/TextEncoding.h"
#include "platform/ReadOnlyFile.h"

#include <QApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTextDocument>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

using namespace velmoa;

namespace {
// A file removed again when the benchmarks end.
struct TemporaryFile {
    std::string path;
    ~TemporaryFile() { std::remove(path.c_str()); }
};

// A comma-separated table with Japanese and Latin columns, about 10 MB.
const std::string& csvPath() {
    static const TemporaryFile file{[] {
        std::string p = QDir::tempPath().toStdString() + "/velmoa-bench-" + std::to_string(getpid()) + ".csv";
        std::ofstream out(p, std::ios::binary);
        std::string row;
        std::size_t written = 0;
        for (int i = 0; written < 10'000'000; ++i) {
            row = std::to_string(i) + ",東京都千代田区," + std::to_string(i * 37 % 1000) +
                  ",sample text for the column,3.14159," + std::to_string(i % 7) + "\r\n";
            out << row;
            written += row.size();
        }
        return p;
    }()};
    return file.path;
}

// A long report in rich text: formatted paragraphs in two fonts and a colour, about 6 MB.
const std::string& rtfPath() {
    static const TemporaryFile file{[] {
        std::string p = QDir::tempPath().toStdString() + "/velmoa-bench-" + std::to_string(getpid()) + ".rtf";
        std::ofstream out(p, std::ios::binary);
        out << "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times;}{\\f1\\fswiss Arial;}}"
               "{\\colortbl;\\red255\\green0\\blue0;}\n";
        std::size_t written = 0;
        for (int i = 0; written < 6'000'000; ++i) {
            const std::string paragraph =
                "\\pard\\sa120\\fs24 Paragraph " + std::to_string(i) +
                " of the long report, with {\\b bold words} and {\\i some italic} and {\\cf1\\f1 red "
                "Arial text} that runs on for a while so that the line wraps once or twice.\\par\n";
            out << paragraph;
            written += paragraph.size();
        }
        out << "}";
        return p;
    }()};
    return file.path;
}

std::string readAll(const std::string& path) {
    ReadOnlyFile file(path);
    return file.readAll();
}

long residentKiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

template <typename Widget> void showAt640(Widget& w) {
    w.resize(640, 452);
    w.show();
    QApplication::processEvents();
}

void BM_PlainTextFile10MB_RichTextControl(benchmark::State& state) {
    const std::string& path = csvPath();
    RichTextControl control;
    control.setDefaultAttributes(QStringLiteral("FixedSys"), 12, Qt::white);
    control.setPlainTextMode(true);
    showAt640(control);
    const long before = residentKiB();
    for (auto _ : state) {
        control.clearContent();
        control.loadWholeFile(path);
        benchmark::DoNotOptimize(control.grab()); // the first screen, painted
    }
    state.counters["resident_MiB"] = double(residentKiB() - before) / 1024.0;
}
BENCHMARK(BM_PlainTextFile10MB_RichTextControl)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_RichTextFile6MB_RichTextControl(benchmark::State& state) {
    const std::string& path = rtfPath();
    RichTextControl control;
    control.setDefaultAttributes(QStringLiteral("FixedSys"), 12, Qt::white);
    showAt640(control);
    for (auto _ : state) {
        control.clearContent();
        try {
            control.loadWholeFile(path);
        } catch (const Failure&) { // shown in part
        }
        benchmark::DoNotOptimize(control.grab());
    }
}
BENCHMARK(BM_RichTextFile6MB_RichTextControl)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Baseline: the reader alone filling a document that nothing shows.
void BM_RichTextFile6MB_ReaderOnly(benchmark::State& state) {
    const std::string bytes = readAll(rtfPath());
    for (auto _ : state) {
        QTextDocument document;
        RtfReader(document, QTextCharFormat()).read(bytes);
        benchmark::DoNotOptimize(document.blockCount());
    }
}
BENCHMARK(BM_RichTextFile6MB_ReaderOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Baseline: Qt's plain-text editor given the same decoded text.
void BM_PlainTextFile10MB_QPlainTextEdit(benchmark::State& state) {
    const std::string& path = csvPath();
    QPlainTextEdit edit;
    showAt640(edit);
    for (auto _ : state) {
        edit.clear();
        edit.setPlainText(bytesToDisplayText(readAll(path)));
        benchmark::DoNotOptimize(edit.grab());
    }
}
BENCHMARK(BM_PlainTextFile10MB_QPlainTextEdit)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Baseline: reading and decoding alone, the floor of any load.
void BM_PlainTextFile10MB_ReadAndDecodeOnly(benchmark::State& state) {
    const std::string& path = csvPath();
    for (auto _ : state) {
        benchmark::DoNotOptimize(bytesToDisplayText(readAll(path)));
    }
}
BENCHMARK(BM_PlainTextFile10MB_ReadAndDecodeOnly)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

std::string binaryBytes() {
    std::string bytes(16384, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 7);
    }
    return bytes;
}

QStringList dumpLines(const std::string& bytes) {
    QStringList lines;
    for (const std::string& line : hexDumpLines(bytes)) {
        lines.append(QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
    }
    return lines;
}

// The document control as the dump finds it: white fixed-pitch text, shown at 640 x 480.
std::unique_ptr<RichTextControl> shownDumpControl() {
    auto control = std::make_unique<RichTextControl>();
    control->setDefaultAttributes(QStringLiteral("FixedSys"), 12, Qt::white);
    showAt640(*control);
    return control;
}

void BM_HexDump16KB_AppendLines(benchmark::State& state) {
    const std::string bytes = binaryBytes();
    const auto shown = shownDumpControl();
    RichTextControl& control = *shown;
    for (auto _ : state) {
        control.clearContent();
        control.appendLines(hexDumpLines(bytes));
        benchmark::DoNotOptimize(control.grab());
    }
}
BENCHMARK(BM_HexDump16KB_AppendLines)->Unit(benchmark::kMillisecond)->UseRealTime();

// Baseline: one append per line, as the dump is described.
void BM_HexDump16KB_AppendLineEach(benchmark::State& state) {
    const std::string bytes = binaryBytes();
    const auto shown = shownDumpControl();
    RichTextControl& control = *shown;
    for (auto _ : state) {
        control.clearContent();
        for (const QString& line : dumpLines(bytes)) {
            control.appendLine(line);
        }
        benchmark::DoNotOptimize(control.grab());
    }
}
BENCHMARK(BM_HexDump16KB_AppendLineEach)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HexDump16KB_LinesOnly(benchmark::State& state) {
    const std::string bytes = binaryBytes();
    for (auto _ : state) {
        benchmark::DoNotOptimize(dumpLines(bytes));
    }
}
BENCHMARK(BM_HexDump16KB_LinesOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
} // namespace
