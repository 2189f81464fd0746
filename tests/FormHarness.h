#pragma once

#include "app/TzorvForm1.h"
#include "media/FakeMediaDevice.h"
#include "platform/Desktop.h"
#include "platform/FailureReporter.h"
#include "platform/FileChooser.h"

#include "TemporaryFolder.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>

namespace velmoa::testing {

class RecordingReporter : public FailureReporter {
  public:
    void report(const QString& message) override { messages << message; }
    QStringList messages;
};

class FakeChooser : public FileChooser {
  public:
    std::optional<std::string> choose(QWidget*) override {
        ++calls;
        return answer;
    }
    std::optional<std::string> answer;
    int calls = 0;
};

// Records the task-bar calls and really changes the window state.
class RecordingDesktop : public WindowManagerDesktop {
  public:
    void hideTaskBar() override { calls << QStringLiteral("hide"); }
    void showTaskBar() override { calls << QStringLiteral("show"); }
    QStringList calls;
};

// Writes a file with the given bytes and returns its path.
std::string writeFile(const QTemporaryDir& dir, const std::string& name, const std::string& bytes);
// Writes a JPEG of the given size in one colour.
std::string writeJpeg(const QTemporaryDir& dir, const std::string& name, int width, int height,
                      Qt::GlobalColor colour = Qt::red);

// A main window on the offscreen platform with fake dialogs and a recording reporter.
class FormTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // Shows the window (running the command-line files given before) and makes it active.
    void showForm(std::vector<std::string> commandLine = {});
    // The window's caption as bytes of UTF-8.
    std::string caption() const;
    std::string counter() const;
    void press(const char* keys);
    // Handlers as Qt would call them: failures go to the reporter.
    void tick();
    void drop(const std::string& path);

    RecordingReporter reporter;
    FakeChooser chooser;
    RecordingDesktop desktop;
    FakeMediaDevice media;
    std::unique_ptr<TzorvForm1> form;
    TemporaryFolder dir;
};

} // namespace velmoa::testing
