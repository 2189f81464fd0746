#include "platform/Display.h"

#include <QApplication>
#include <QByteArray>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace velmoa {

DisplayChoice chooseDisplay(const DisplayEnvironment& environment) {
    if (!environment.qpaPlatform.empty()) {
        return {};
    }
    const bool x11 = !environment.display.empty();
    const bool wayland = !environment.waylandDisplay.empty();
    if (x11 && wayland) {
        return {"xcb;wayland", {}};
    }
    if (x11) {
        return {"xcb", {}};
    }
    if (wayland) {
        return {"wayland", {}};
    }
    return {{},
            "velmoa: no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set); "
            "start it from a desktop session"};
}

std::string unreachableDisplayText(const DisplayEnvironment& environment) {
    std::string tried;
    const auto add = [&tried](const char* kind, const std::string& name) {
        if (!name.empty()) {
            tried += (tried.empty() ? "" : " or ") + std::string(kind) + " display " + name;
        }
    };
    add("X11", environment.display);
    add("Wayland", environment.waylandDisplay);
    if (tried.empty()) {
        tried =
            "platform " + (environment.qpaPlatform.empty() ? std::string("chosen") : environment.qpaPlatform);
    }
    return "velmoa: cannot open the " + tried + "; is the desktop session running and open to this user?";
}

DisplayEnvironment currentDisplayEnvironment() {
    const auto variable = [](const char* name) {
        // NOLINTNEXTLINE(concurrency-mt-unsafe): the environment is written at start-up alone
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
    return {variable("QT_QPA_PLATFORM"), variable("DISPLAY"), variable("WAYLAND_DISPLAY")};
}

namespace {

// The toolkit's messages while the display is being opened: kept back, so that a failure
// shows as one line, and passed on once the display is open.
std::vector<QByteArray> startMessages;
const DisplayEnvironment* startEnvironment = nullptr;

void holdStartMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", unreachableDisplayText(*startEnvironment).c_str());
        std::_Exit(1);
    }
    startMessages.push_back(message.toLocal8Bit());
}

} // namespace

std::optional<DisplayEnvironment> chooseDisplayPlatform() {
    const DisplayEnvironment environment = currentDisplayEnvironment();
    const DisplayChoice choice = chooseDisplay(environment);
    if (!choice.problem.empty()) {
        std::fprintf(stderr, "%s\n", choice.problem.c_str());
        return std::nullopt;
    }
    if (!choice.platform.empty()) {
        // NOLINTNEXTLINE(concurrency-mt-unsafe): at start-up, before any thread
        setenv("QT_QPA_PLATFORM", choice.platform.c_str(), 1);
    }
    return environment;
}

void useCNumericLocale() {
    // NOLINTNEXTLINE(concurrency-mt-unsafe): at start-up, before any thread
    std::setlocale(LC_NUMERIC, "C");
}

std::unique_ptr<QApplication> startApplication(int& argc, char** argv,
                                               const DisplayEnvironment& environment) {
    startEnvironment = &environment;
    const QtMessageHandler previous = qInstallMessageHandler(holdStartMessage);
    auto app = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previous);
    startEnvironment = nullptr;
    // Only the messages of a platform that was tried and given up are left out.
    for (const QByteArray& message : startMessages) {
        if (!message.contains("could not connect to display") &&
            !message.contains("even though it was found")) {
            std::fprintf(stderr, "%s\n", message.constData());
        }
    }
    startMessages.clear();
    // The application object has set the user's locale; the media libraries want C's numbers.
    useCNumericLocale();
    return app;
}

} // namespace velmoa
