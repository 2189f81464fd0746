// The media view with the real engine under a real X server: video inside the display panel, and
// a sound that plays on under a picture.
#include "FormHarness.h"
#include "media/MediaFixtures.h"

#include "controls/Panel.h"
#include "controls/ToolBar.h"
#include "media/MediaPlayer.h"
#include "media/engines/MpvEngine.h"

#include <QAction>
#include <QCheckBox>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QSlider>
#include <QTest>
#include <QToolButton>

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

    void videoUnderTheBar(bool soundFirst);

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

// A video of one colour made by ffmpeg, in the given container and codec.
std::string colourVideo(const QTemporaryDir& dir, const std::string& name, const char* colour, QSize size,
                        const char* codec) {
    const std::string path = dir.path().toStdString() + "/" + name;
    const QString source = QStringLiteral("color=c=%1:size=%2x%3:rate=25:duration=3")
                               .arg(colour)
                               .arg(size.width())
                               .arg(size.height());
    return ffmpeg({"-f", "lavfi", "-i", source, "-c:v", codec}, path) ? path : std::string();
}

// A file of the video layout without any picture: a Windows Media sound named by a .wax playlist.
std::string soundOnlyWax(const QTemporaryDir& dir) {
    const std::string sound = dir.path().toStdString() + "/sound.wma";
    if (!ffmpeg({"-f", "lavfi", "-i", "sine=d=3", "-c:a", "wmav2", "-f", "asf"}, sound)) {
        return {};
    }
    return writeFile(dir, "sound.wax", "<ASX version=\"3.0\"><Entry><Ref href=\"sound.wma\"/></Entry></ASX>");
}

// Whether the video surface covers any of the video area.
bool showsInTheArea(const QWidget* surface) {
    return surface->isVisible() && surface->geometry().intersects(surface->parentWidget()->rect());
}

// The part of the screen a control covers.
QImage onScreen(const QWidget* control) {
    const QPoint at = control->mapToGlobal(QPoint(0, 0));
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, at.x(), at.y(), control->width(), control->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// Whether the screen shows the control as it draws itself, not something lying over it.
bool showsItself(QWidget* control) {
    const QImage own = control->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage seen = onScreen(control);
    if (own.size() != seen.size()) {
        return false;
    }
    int differing = 0;
    for (int y = 0; y < own.height(); ++y) {
        for (int x = 0; x < own.width(); ++x) {
            differing += own.pixel(x, y) != seen.pixel(x, y);
        }
    }
    // A little room for a control that changes its look while it is grabbed (hover, focus).
    return differing * 20 < own.width() * own.height();
}

void xdotool(const QStringList& arguments) {
    QProcess::execute(QStringLiteral("xdotool"), arguments);
}

void clickAt(QWidget* control, QPoint at, const char* button) {
    const QPoint global = control->mapToGlobal(at);
    xdotool({"mousemove", QString::number(global.x()), QString::number(global.y()), "click", button});
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

TEST_F(MediaOnX, TheMediaBarOfAFileWithoutPictureTakesClicks) {
    const std::string wax = soundOnlyWax(dir);
    ASSERT_FALSE(wax.empty());
    open(wax);
    ASSERT_TRUE(form->DisplayPanel->isVisible());
    EXPECT_FALSE(showsInTheArea(engine.videoSurface())) << "a video surface shown without video";
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->frameGeometry() != form->geometry(); }, 10000));
    clickAt(form->BackPanel, QPoint(50, 400), "3");
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->CoolBar1->isVisible(); }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return showsItself(form->Panel3); }, 10000))
        << "something lies over the bar's buttons";
    const int asked = chooser.calls;
    chooser.answer = wax;
    QWidget* openButton = form->ToolBar2->findChild<QWidget*>(QStringLiteral("ToolButton2"));
    ASSERT_NE(openButton, nullptr);
    clickAt(openButton, openButton->rect().center(), "1");
    EXPECT_TRUE(QTest::qWaitFor([&] { return chooser.calls > asked; }, 10000))
        << "the Open button got no click";
}

TEST_F(MediaOnX, ANewVideoAtItsOwnSizeIsCutAtTheVideoAreasEdges) {
    struct Case {
        const char* name;
        QSize size;
        QPoint outside; // past the area of 353 x 240 at (143, 120), where the video would reach
    };
    const Case cases[] = {
        {"wide.avi", {640, 360}, {143 + 353 + 4, 200}},
        {"wide-below.avi", {640, 360}, {300, 120 + 240 + 4}},
        {"tall.avi", {240, 432}, {200, 120 + 240 + 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string clip = colourVideo(dir, c.name, "red", c.size, "mpeg4");
        ASSERT_FALSE(clip.empty());
        open(clip);
        ASSERT_EQ(form->DisplayPanel->geometry(), QRect(143, 120, 353, 240));
        EXPECT_EQ(engine.videoSurface()->geometry(), QRect(QPoint(0, 0), c.size));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return reddish(screenPixel(form->DisplayPanel, QPoint(100, 200))); }, 10000))
            << "no video frame in the area";
        EXPECT_EQ(screenPixel(form->BackPanel, c.outside).name(), QColor(Qt::black).name())
            << "video past the area";
    }
}

TEST_F(MediaOnX, AVideoShowsAgainAfterAFileWithoutPicture) {
    const std::string red = colourVideo(dir, "red.avi", "red", {320, 240}, "mpeg4");
    const std::string blue = colourVideo(dir, "blue.avi", "blue", {320, 240}, "mpeg4");
    const std::string wax = soundOnlyWax(dir);
    ASSERT_FALSE(red.empty() || blue.empty() || wax.empty());
    open(red);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return reddish(screenPixel(form->DisplayPanel, QPoint(100, 100))); }, 10000));
    open(wax);
    EXPECT_FALSE(showsInTheArea(engine.videoSurface()));
    open(blue);
    form->ActMovS->trigger();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const QColor c = screenPixel(form->DisplayPanel, QPoint(176, 120));
            return c.blue() > 180 && c.red() < 80 && c.green() < 80;
        },
        10000))
        << "the video did not come back";
}

// Before the video: nothing, or a sound whose layout showed the bar first.
void MediaOnX::videoUnderTheBar(bool soundFirst) {
    if (soundFirst) {
        open(writeFile(dir, "tone.wav", wavBytes(1500)));
        ASSERT_TRUE(QTest::qWaitFor([&] { return showsItself(form->Panel3); }, 10000));
    }
    // A small window: the area of 353 x 240 reaches above the client area, under the bar.
    form->resize(300, 200);
    const std::string clip = colourVideo(dir, "red.avi", "red", {320, 240}, "mpeg4");
    ASSERT_FALSE(clip.empty());
    open(clip);
    form->ActMovS->trigger();
    ASSERT_EQ(form->DisplayPanel->geometry(), QRect(-26, -20, 353, 240));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return reddish(screenPixel(form->BackPanel, QPoint(150, 20))); }, 10000));
    clickAt(form->BackPanel, QPoint(150, 150), "3");
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->CoolBar1->isVisible(); }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return showsItself(form->Panel3); }, 10000))
        << "the video lies over the bar";
    // The right click on the video still reaches the area: a second one hides the bar.
    clickAt(form->BackPanel, QPoint(150, 150), "3");
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->CoolBar1->isHidden(); }, 10000));
}

TEST_F(MediaOnX, TheMediaBarCoversTheVideoAreaUnderIt) {
    videoUnderTheBar(false);
}

TEST_F(MediaOnX, TheMediaBarShownFirstBySoundCoversTheVideoAreaUnderIt) {
    videoUnderTheBar(true);
}

TEST_F(MediaOnX, AfterAClickOnStopLeftAndSpacePlayAgain) {
    open(writeFile(dir, "tone.wav", wavBytes(10000)));
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QToolButton* stop = form->MediaPlayer1->button(MediaButton::Stop);
    clickAt(stop, stop->rect().center(), "1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !engine.isPlaying(); }, 10000));
    xdotool({"key", "Left", "space"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return engine.isPlaying(); }, 10000)) << "Play was not pressed";
}
