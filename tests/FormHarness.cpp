#include "FormHarness.h"

#include "app/ApplicationCursor.h"

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QTest>

namespace velmoa::testing {

std::string writeFile(const QTemporaryDir& dir, const std::string& name, const std::string& bytes) {
    std::string path = dir.path().toStdString() + "/" + name;
    QFile file(QString::fromStdString(path));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path;
}

std::string writeJpeg(const QTemporaryDir& dir, const std::string& name, int width, int height,
                      Qt::GlobalColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    std::string path = dir.path().toStdString() + "/" + name;
    EXPECT_TRUE(image.save(QString::fromStdString(path), "JPEG", 95));
    return path;
}

void FormTest::SetUp() {
    installFailureReporter(&reporter);
    form = std::make_unique<TzorvForm1>(FormServices{&chooser, &desktop, nullptr, &media});
}

void FormTest::TearDown() {
    form.reset();
    setApplicationCursorHidden(false);
    installFailureReporter(nullptr);
}

void FormTest::showForm(std::vector<std::string> commandLine) {
    form->setCommandLineFiles(std::move(commandLine));
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
}

std::string FormTest::caption() const {
    return form->windowTitle().toStdString();
}

std::string FormTest::counter() const {
    return form->CounterPanel->text().toStdString();
}

void FormTest::press(const char* keys) {
    const QKeySequence sequence(QString::fromLatin1(keys));
    QTest::keySequence(form.get(), sequence);
}

void FormTest::tick() {
    runReported([this] { form->Timer1Timer(); });
}

void FormTest::drop(const std::string& path) {
    runReported([this, &path] { form->WMDropFiles(path); });
}

} // namespace velmoa::testing
