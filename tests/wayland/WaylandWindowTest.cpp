// The window on a Wayland compositor (a headless Weston), seen from inside and in its screenshots.
#include "FormHarness.h"

#include "controls/RichTextControl.h"
#include "print/module/DialogPrinting.h"
#include "print/module/PrintDialog.h"

#include <QAction>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QWindow>

using namespace velmoa;
using namespace velmoa::testing;

namespace {

// The compositor's whole output, as the user sees it.
QImage screenshot() {
    QTemporaryDir dir;
    QProcess shooter;
    shooter.setWorkingDirectory(dir.path());
    shooter.start(QStringLiteral("weston-screenshooter"), {});
    if (!shooter.waitForFinished(10000) || shooter.exitCode() != 0) {
        return {};
    }
    const QStringList shots = QDir(dir.path()).entryList({QStringLiteral("*.png")});
    return shots.isEmpty() ? QImage() : QImage(dir.filePath(shots.first()));
}

// The bounding box of the clearly magenta pixels: no control of the window has that colour.
QRect magentaArea(const QImage& image) {
    QRect area;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 60 && c.blue() > 200) {
                area |= QRect(x, y, 1, 1);
            }
        }
    }
    return area;
}

// Waits for the compositor to show a red area of the given size.
QRect waitForMagenta(QSize size) {
    QRect found;
    for (int i = 0; i < 50 && found.size() != size; ++i) {
        QTest::qWait(100);
        found = magentaArea(screenshot());
    }
    return found;
}

class PdfFileDialog : public PrintDialog {
  public:
    bool execute(QPrinter& printer, QWidget*) override {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        return true;
    }
    QString path;
};

class Wayland : public FormTest {
  protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("wayland"));
        installFailureReporter(&reporter);
        printDialog.path = dir.filePath(QStringLiteral("out.pdf"));
        form = std::make_unique<TzorvForm1>(FormServices{&chooser, &desktop, &printing});
    }
    // Shown and mapped; a headless compositor has no keyboard, so the window is never active.
    void showMapped(std::vector<std::string> commandLine) {
        form->setCommandLineFiles(std::move(commandLine));
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    PdfFileDialog printDialog;
    DialogPrinting printing{&printDialog};
};

} // namespace

TEST_F(Wayland, WindowShowsThePictureUnderItsCaption) {
    showMapped({writeJpeg(dir, "magenta.jpg", 320, 240, Qt::magenta)});
    const QString caption = QStringLiteral(" Velmoa        manu       magenta.jpg");
    EXPECT_EQ(form->windowTitle(), caption);
    EXPECT_EQ(form->windowHandle()->title(), caption);
    EXPECT_FALSE(form->windowIcon().isNull());
    // The compositor shows the picture whole, at its own size inside the 640 x 480 client.
    EXPECT_EQ(waitForMagenta(QSize(320, 240)).size(), QSize(320, 240));
    EXPECT_TRUE(reporter.messages.isEmpty()) << reporter.messages.join('\n').toStdString();
}

TEST_F(Wayland, FullScreenCoversTheOutputAndComesBack) {
    showMapped({writeJpeg(dir, "magenta.jpg", 64, 48, Qt::magenta)});
    const QSize screen = form->screen()->geometry().size();
    form->ActFullScreen->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(form->size(), screen, 5000);
    EXPECT_TRUE(form->isFullScreen());
    form->ActFullScreen->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!form->isFullScreen() && form->size() != screen, 5000);
    EXPECT_TRUE(reporter.messages.isEmpty()) << reporter.messages.join('\n').toStdString();
}

TEST_F(Wayland, DocumentShowsAndPrints) {
    showMapped({writeFile(dir, "memo.txt", "日本語の文書\n")});
    EXPECT_TRUE(form->RichEdit1->isVisible());
    EXPECT_TRUE(form->RichEdit1->toPlainText().contains(QStringLiteral("日本語の文書")));
    form->ActCharPrint->trigger();
    EXPECT_TRUE(reporter.messages.isEmpty()) << reporter.messages.join('\n').toStdString();
    QFile pdf(printDialog.path);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5) == "%PDF-");
}

// The program itself, started with only a Wayland display, chooses it and shows its window.
TEST(WaylandProgram, StartsWithOnlyAWaylandDisplay) {
    QTemporaryDir dir;
    const std::string picture = writeJpeg(dir, "magenta.jpg", 200, 100, Qt::magenta);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QStringLiteral(VELMOA_BINARY), {QString::fromStdString(picture)});
    ASSERT_TRUE(program.waitForStarted());
    EXPECT_EQ(waitForMagenta(QSize(200, 100)).size(), QSize(200, 100));
    EXPECT_EQ(program.state(), QProcess::Running);
    program.terminate();
    EXPECT_TRUE(program.waitForFinished(5000));
}
