#include "sound/heard/RunningProgram.h"

#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include <cstdio>

namespace velmoa::testing {
namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr int kWindowTimeoutMs = 10000;
// Long enough for a loaded machine, where the window manager may take seconds to pass the close on;
// a program that outlives its window still fails, only later.
constexpr int kExitTimeoutMs = 10000;
constexpr int kDebuggerTimeoutMs = 60000;

// The name as octal escapes for printf: any byte passes through the shell unchanged.
QString printfEscapes(const std::string& bytes) {
    QString escaped;
    for (const char byte : bytes) {
        escaped += QStringLiteral("\\%1").arg(static_cast<unsigned char>(byte), 3, 8, QLatin1Char('0'));
    }
    return escaped;
}

// What each of the program's threads is doing, on standard error: a program that does not show
// its window or does not end is a fault whose place the test's report should name.
void printThreads(qint64 pid) {
    if (QStandardPaths::findExecutable(QStringLiteral("gdb")).isEmpty()) {
        return;
    }
    QProcess gdb;
    gdb.start(QStringLiteral("gdb"), {QStringLiteral("-batch"), QStringLiteral("-p"), QString::number(pid),
                                      QStringLiteral("-ex"), QStringLiteral("thread apply all bt")});
    if (!gdb.waitForFinished(kDebuggerTimeoutMs)) {
        gdb.kill();
        gdb.waitForFinished();
    }
    std::fprintf(stderr, "[ THREADS  ] of the program, process %lld:\n%s\n", static_cast<long long>(pid),
                 gdb.readAllStandardOutput().constData());
}

} // namespace

QString xdotool(const QStringList& arguments) {
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), arguments);
    if (!tool.waitForFinished(kWindowTimeoutMs)) {
        tool.kill();
        tool.waitForFinished();
    }
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

RunningProgram::RunningProgram(const QString& program, const QString& folder, const std::string& nameBytes) {
    process_.setWorkingDirectory(folder);
    // QProcess passes arguments as UTF-8: a name in another encoding is made by the shell, which
    // then becomes the program (same process, so the window carries its id).
    process_.start(QStringLiteral("/bin/sh"),
                   {QStringLiteral("-c"), QStringLiteral("exec \"$0\" \"$(printf \"$1\")\""), program,
                    printfEscapes(nameBytes)});
    process_.waitForStarted(kStartTimeoutMs);
}

RunningProgram::~RunningProgram() {
    if (running()) {
        process_.kill();
        process_.waitForFinished();
    }
}

QStringList RunningProgram::failures() {
    errors_ += QString::fromUtf8(process_.readAllStandardError());
    static const QRegularExpression libraryLog(QStringLiteral("^\\[[TDIWE]\\]\\[[0-9.]+\\] "));
    QStringList lines = errors_.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    lines.removeIf([](const QString& line) { return libraryLog.match(line).hasMatch(); });
    return lines;
}

bool RunningProgram::close() {
    if (!running()) {
        return false;
    }
    const QString pid = QString::number(process_.processId());
    // The window may still be on its way.
    QStringList windows;
    (void)QTest::qWaitFor(
        [&] {
            windows = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                               QStringLiteral("--pid"), pid})
                          .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            return !windows.isEmpty() || !running();
        },
        kWindowTimeoutMs);
    // The main window is the first the search finds (the video area's own windows follow it).
    // Closed by the window manager's key, as a user closes it: activated first, for the key to go to it.
    if (!windows.isEmpty()) {
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), windows.front(),
                 QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("alt+F4")});
    } else if (running()) {
        std::fprintf(stderr, "[ NO WINDOW] the program shows no window\n");
    }
    const bool ended = process_.waitForFinished(kExitTimeoutMs);
    if (!ended) {
        printThreads(process_.processId());
        process_.kill();
        process_.waitForFinished();
    }
    return ended && process_.exitStatus() == QProcess::NormalExit;
}

} // namespace velmoa::testing
