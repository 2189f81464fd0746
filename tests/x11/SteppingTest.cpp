// Stepping through a folder in full screen with pictures prepared ahead, under a real X server.
#include "FormHarness.h"

#include "controls/ImageControl.h"
#include "controls/Panel.h"
#include "picture/DecodeAhead.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

using namespace velmoa;
using namespace velmoa::testing;

namespace {
class Stepping : public FormTest {
  protected:
    void SetUp() override {
        FormTest::SetUp();
        form = std::make_unique<TzorvForm1>(FormServices{&chooser, &desktop, nullptr, &media, &ahead});
    }
    DecodeAhead ahead;
};

bool near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) < 40 && std::abs(qGreen(a) - qGreen(b)) < 40 &&
           std::abs(qBlue(a) - qBlue(b)) < 40;
}
} // namespace

TEST_F(Stepping, EachStepInFullScreenShowsItsWholePicture) {
    const Qt::GlobalColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
    std::vector<std::string> paths;
    for (int i = 0; i < 4; ++i) {
        paths.push_back(writeJpeg(dir, "p" + std::to_string(i) + ".jpg", 2400, 1600, colours[i]));
    }
    showForm({paths[0]});
    form->ActFullScreen->trigger();
    const QSize screen = QGuiApplication::primaryScreen()->size();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->centralWidget()->size() == screen; }, 10000));

    const struct {
        const char* keys;
        int shown;
    } steps[] = {{"Ctrl+N", 1}, {"Ctrl+N", 2}, {"Ctrl+N", 3}, {"Ctrl+N", 0}, {"Ctrl+B", 3}, {"Ctrl+B", 2}};
    for (const auto& step : steps) {
        press(step.keys);
        QTest::qWait(50);
        // Corners and centre of the picture's place, from the window as it is on screen.
        const QImage window = form->grab().toImage();
        const QRect box = form->P1->geometry().translated(form->centralWidget()->pos());
        const QRgb expected = QColor(colours[step.shown]).rgb();
        for (const QPoint at :
             {box.topLeft() + QPoint(4, 4), box.center(), box.bottomRight() - QPoint(4, 4)}) {
            EXPECT_TRUE(near(window.pixel(at), expected))
                << step.keys << " to " << step.shown << " at " << at.x() << "," << at.y() << ": " << std::hex
                << window.pixel(at);
        }
        EXPECT_EQ(counter(), std::to_string(step.shown + 1) + "/4");
    }
    EXPECT_GT(ahead.counts().ready + ahead.counts().running, 0);
    EXPECT_TRUE(reporter.messages.isEmpty()) << reporter.messages.join('\n').toStdString();
}
