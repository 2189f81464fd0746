// The media view with the real engine under a real X server: video inside the display panel, and
// a sound that plays on under a picture.
#include "FormHarness.h"
#include "media/MediaFixtures.h"

#include "controls/Panel.h"
#include "media/MediaPlayer.h"
#include "media/engines/MpvEngine.h"

#include <QAction>
#include <QCheckBox>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QSlider>
#include <QTest>

using namespace velmoa;
using namespace velmoa::testing;

namespace {

class MediaOnX : public ::testing::Test {
  protected:
    void SetUp() override {
        installFailureReporter(&reporter);
        form = std::make_unique<TzorvForm1>(FormServices{&chooser, &desktop, nullptr, &engine});
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    void TearDown() override {
        form.reset();
        installFailureReporter(nullptr);
    }
    void open(const std::string& path) {
        chooser.answer = path;
        form->ActOpen->trigger();
        ASSERT_TRUE(reporter.messages.isEmpty()) << reporter.messages.join('\n').toStdString();
    }
    QColor screenPixel(QWidget* widget, QPoint at) {
        const QPoint global = widget->mapToGlobal(at);
        return QGuiApplication::primaryScreen()
            ->grabWindow(0, global.x(), global.y(), 1, 1)
            .toImage()
            .pixelColor(0, 0);
    }

    QTemporaryDir dir;
    RecordingReporter reporter;
    FakeChooser chooser;
    RecordingDesktop desktop;
    MpvEngine engine;
    std::unique_ptr<TzorvForm1> form;
};

bool reddish(const QColor& c) {
    return c.red() > 180 && c.green() < 80 && c.blue() < 80;
}

} // namespace

TEST_F(MediaOnX, VideoFrameShowsInsideTheDisplayPanelAtItsComputedRectangle) {
    const std::string clip = dir.path().toStdString() + "/red.mpg";
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "color=c=red:size=320x240:rate=25:duration=3", "-c:v",
                        "mpeg1video", "-f", "mpeg"},
                       clip));
    open(clip);
    QWidget* surface = engine.videoSurface();
    ASSERT_NE(surface, nullptr);
    // The device's own size from the panel's corner until the area is sized again.
    EXPECT_EQ(surface->geometry(), QRect(0, 0, 320, 240));
    form->ActMovS->trigger();
    EXPECT_EQ(form->DisplayPanel->geometry(), QRect(143, 120, 353, 240));
    EXPECT_EQ(surface->geometry(), QRect(0, 0, 353, 240));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return reddish(screenPixel(form->DisplayPanel, QPoint(176, 120))); }, 10000))
        << "no video frame in the middle of the area";
    // Outside the area the backdrop is black (once the server has drawn it).
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return screenPixel(form->BackPanel, QPoint(100, 240)) == QColor(Qt::black) &&
                   screenPixel(form->BackPanel, QPoint(320, 90)) == QColor(Qt::black);
        },
        10000))
        << "the backdrop around the video area is not black";

    form->Wide->click();
    EXPECT_EQ(form->DisplayPanel->geometry(), QRect(0, 99, 640, 281));
    EXPECT_EQ(surface->geometry(), QRect(0, 0, 640, 281));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return reddish(screenPixel(form->BackPanel, QPoint(320, 110))); }, 10000));
}

TEST_F(MediaOnX, ASoundPlaysOnUnderAPictureAndStopsAtItsEnd) {
    const std::string tone = writeFile(dir, "tone.wav", wavBytes(1500));
    open(tone);
    EXPECT_FALSE(form->MediaPlayer1->isButtonEnabled(MediaButton::Play));
    runReported([&] { form->WMDropFiles(writeJpeg(dir, "p.jpg", 64, 48)); });
    ASSERT_TRUE(form->BP1->isVisible());
    // The hidden bar follows the playback, and at the end the player stands rewound.
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->TrackBar1->value() > 300; }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->MediaPlayer1->AutoEnable(); }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->TrackBar1->value() == 0; }, 10000));
    EXPECT_TRUE(form->MediaPlayer1->isButtonEnabled(MediaButton::Play));
    EXPECT_FALSE(form->MediaPlayer1->isButtonEnabled(MediaButton::Stop));
    EXPECT_TRUE(reporter.messages.isEmpty()) << reporter.messages.join('\n').toStdString();
}

TEST_F(MediaOnX, ARightClickOnThePlayingVideoShowsAndHidesTheMediaBar) {
    const std::string clip = dir.path().toStdString() + "/blue.mpg";
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "color=c=blue:size=320x240:rate=25:duration=3", "-c:v",
                        "mpeg1video", "-f", "mpeg"},
                       clip));
    open(clip);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->frameGeometry() != form->geometry(); }, 10000));
    // A real press of the X server, on mpv's window inside the panel.
    const QPoint centre = form->DisplayPanel->mapToGlobal(QPoint(100, 100));
    auto rightClick = [&] {
        QProcess::execute(QStringLiteral("xdotool"), {"mousemove", QString::number(centre.x()),
                                                      QString::number(centre.y()), "click", "3"});
    };
    rightClick();
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->CoolBar1->isVisible(); }, 10000));
    rightClick();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form->CoolBar1->isVisible(); }, 10000));
}
