#include "platform/Display.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

using namespace velmoa;

TEST(Display, PrefersX11AndExplainsAMissingDisplay) {
    struct Row {
        DisplayEnvironment environment;
        std::string platform;
        bool problem;
    };
    const Row rows[] = {
        {{"", ":0", ""}, "xcb", false},
        {{"", ":0", "wayland-0"}, "xcb;wayland", false}, // XWayland first, native if X is gone
        {{"", "", "wayland-0"}, "wayland", false},
        {{"", "", ""}, "", true},
        {{"offscreen", "", ""}, "", false}, // the user's choice stands
        {{"wayland", ":0", "wayland-0"}, "", false},
    };
    for (const Row& row : rows) {
        const DisplayChoice choice = chooseDisplay(row.environment);
        const std::string label = row.environment.qpaPlatform + "|" + row.environment.display + "|" +
                                  row.environment.waylandDisplay;
        EXPECT_EQ(choice.platform, row.platform) << label;
        EXPECT_EQ(!choice.problem.empty(), row.problem) << label;
        EXPECT_EQ(choice.problem.find('\n'), std::string::npos) << label;
    }
}

TEST(Display, UnreachableDisplayNamesWhatWasTried) {
    struct Row {
        DisplayEnvironment environment;
        std::vector<std::string> named;
    };
    const Row rows[] = {
        {{"", ":7", ""}, {"X11 display :7"}},
        {{"", ":7", "wayland-3"}, {"X11 display :7", "Wayland display wayland-3"}},
        {{"eglfs", "", ""}, {"platform eglfs"}},
    };
    for (const Row& row : rows) {
        const std::string text = unreachableDisplayText(row.environment);
        EXPECT_EQ(text.rfind("velmoa: ", 0), 0u) << text;
        EXPECT_EQ(text.find('\n'), std::string::npos) << text;
        for (const std::string& name : row.named) {
            EXPECT_NE(text.find(name), std::string::npos) << text;
        }
    }
}

// The program itself, started where there is no display: one line on standard error, no trace.
TEST(Display, ProgramWithoutADisplaySaysSoInOneLine) {
    int free = 60;
    while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(free))) {
        ++free;
    }
    struct Row {
        const char* display;
        const char* expected;
    };
    const std::string unused = ":" + std::to_string(free);
    const Row rows[] = {{nullptr, "no display"}, {unused.c_str(), "cannot open the X11 display"}};
    for (const Row& row : rows) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            environment.remove(QLatin1String(name));
        }
        if (row.display) {
            environment.insert(QStringLiteral("DISPLAY"), QLatin1String(row.display));
        }
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(VELMOA_BINARY), {});
        ASSERT_TRUE(program.waitForFinished(20000));
        const QString errors = QString::fromLocal8Bit(program.readAllStandardError()).trimmed();
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << errors.toStdString();
        EXPECT_EQ(program.exitCode(), 1);
        EXPECT_FALSE(errors.contains(u'\n')) << errors.toStdString();
        EXPECT_TRUE(errors.contains(QLatin1String(row.expected))) << errors.toStdString();
    }
}

TEST(Display, TheChoiceSetsThePlatformAndKeepsTheEnvironmentAsItWasForTheMessages) {
    const auto saved = [](const char* name) {
        const char* value = std::getenv(name); // NOLINT(concurrency-mt-unsafe): tests run on one thread
        return value ? std::optional<std::string>(value) : std::nullopt;
    };
    const std::pair<const char*, std::optional<std::string>> variables[] = {
        {"QT_QPA_PLATFORM", saved("QT_QPA_PLATFORM")},
        {"DISPLAY", saved("DISPLAY")},
        {"WAYLAND_DISPLAY", saved("WAYLAND_DISPLAY")},
    };
    // NOLINTBEGIN(concurrency-mt-unsafe): the tests run on one thread, as the program's start does
    unsetenv("QT_QPA_PLATFORM");
    unsetenv("WAYLAND_DISPLAY");
    setenv("DISPLAY", ":7", 1);
    const std::optional<DisplayEnvironment> before = chooseDisplayPlatform();
    const std::string platform = saved("QT_QPA_PLATFORM").value_or("");
    for (const auto& [name, value] : variables) {
        value ? setenv(name, value->c_str(), 1) : unsetenv(name);
    }
    // NOLINTEND(concurrency-mt-unsafe)
    ASSERT_TRUE(before);
    EXPECT_EQ(platform, "xcb");
    EXPECT_EQ(before->qpaPlatform, "");
    EXPECT_NE(unreachableDisplayText(*before).find("X11 display :7"), std::string::npos);
}
