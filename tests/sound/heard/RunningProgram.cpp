#include "sound/heard/RunningProgram.h"

#include <QRegularExpression>
#include <QTest>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace velmoa::testing {
namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr int kWindowTimeoutMs = 10000;
constexpr int kExitTimeoutMs = 3000;
// The source of a window manager request: a pager or the user's own tools.
constexpr std::uint32_t kSourceUser = 2;

// The name as octal escapes for printf: any byte passes through the shell unchanged.
QString printfEscapes(const std::string& bytes) {
    QString escaped;
    for (const char byte : bytes) {
        escaped += QStringLiteral("\\%1").arg(static_cast<unsigned char>(byte), 3, 8, QLatin1Char('0'));
    }
    return escaped;
}

// Asks the window manager to close the window, as its close button does (it then asks the
// program, which may refuse while a modal box is up).
void askToClose(xcb_window_t window) {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return;
    }
    const char* name = "_NET_CLOSE_WINDOW";
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr);
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = reply ? reply->atom : XCB_ATOM_NONE;
    event.data.data32[0] = XCB_CURRENT_TIME;
    event.data.data32[1] = kSourceUser;
    std::free(reply);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
    xcb_disconnect(connection);
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
    for (const QString& window : windows) {
        askToClose(window.toUInt());
    }
    const bool ended = process_.waitForFinished(kExitTimeoutMs);
    if (!ended) {
        process_.kill();
        process_.waitForFinished();
    }
    return ended && process_.exitStatus() == QProcess::NormalExit;
}

} // namespace velmoa::testing
