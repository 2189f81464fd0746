#include "FormHarness.h"

#include "app/ApplicationCursor.h"
#include "controls/ImageControl.h"
#include "controls/Panel.h"
#include "media/MediaPlayer.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QSlider>
#include <QTest>
#include <QToolButton>

using namespace velmoa;
using namespace velmoa::testing;

namespace {

class MediaView : public FormTest {
  protected:
    void open(const std::string& name) {
        chooser.answer = writeFile(dir, name, "media");
        form->ActOpen->trigger();
    }
    std::string buttons() const {
        return std::string(form->MediaPlayer1->isButtonEnabled(MediaButton::Play) ? "P" : "-") +
               (form->MediaPlayer1->isButtonEnabled(MediaButton::Stop) ? "S" : "-");
    }
    void timer3Tick() {
        runReported([this] { form->Timer3Timer(); });
    }
};

} // namespace

TEST_F(MediaView, SoundLayoutStartsPlaybackAndSetsTheBarRange) {
    showForm();
    open("a.wav");
    EXPECT_EQ(media.calls, QStringList({"open " + QString::fromStdString(chooser.answer.value()), "play"}));
    EXPECT_TRUE(reporter.messages.isEmpty()) << reporter.messages.join('\n').toStdString();
    EXPECT_TRUE(form->CoolBar1->isVisible());
    EXPECT_FALSE(form->Wide->isVisible());
    EXPECT_TRUE(form->Image3->isVisible());
    EXPECT_EQ(form->Image3->geometry(), QRect(0, 36, 640, 444));
    EXPECT_TRUE(form->Timer3.isActive());
    EXPECT_EQ(form->TrackBar1->maximum(), 10000);
    EXPECT_EQ(buttons(), "-S");
    EXPECT_FALSE(form->MediaPlayer1->AutoEnable());
}

TEST_F(MediaView, VideoLayoutUnchecksWideAndSizesTheAreaOnTheNextResize) {
    showForm();
    form->Wide->setChecked(true);
    open("a.mpg");
    EXPECT_FALSE(form->Wide->isChecked());
    EXPECT_TRUE(form->DisplayPanel->isVisible());
    EXPECT_FALSE(form->CoolBar1->isVisible());
    EXPECT_EQ(form->DisplayPanel->geometry(), QRect(143, 120, 353, 240));
    // Sized before the device opened, so the new device has not been told yet.
    EXPECT_TRUE(media.displayRects.isEmpty());
    form->resize(800, 600);
    ASSERT_FALSE(media.displayRects.isEmpty());
    EXPECT_EQ(media.displayRects.last(), QRect(0, 0, 353, 240));
    form->Wide->click();
    EXPECT_EQ(media.displayRects.last(), QRect(0, 0, 800, 352));
    EXPECT_EQ(form->DisplayPanel->geometry(), QRect(0, 124, 800, 352));
}

TEST_F(MediaView, FailedOpenKeepsTheBarAndAfterwardsTicksDoNothing) {
    showForm();
    media.openFailure = "unrecognized file format";
    open("first.mp3");
    EXPECT_EQ(reporter.messages, QStringList{"unrecognized file format"});
    EXPECT_FALSE(form->Timer3.isActive());
    EXPECT_EQ(buttons(), "PS");

    media.openFailure.clear();
    media.scriptedLength = 3000;
    open("second.mp3");
    media.at = 2000;
    timer3Tick();
    ASSERT_EQ(form->TrackBar1->value(), 2000);

    reporter.messages.clear();
    media.openFailure = "loading failed";
    open("third.mp3");
    EXPECT_EQ(reporter.messages, QStringList{"loading failed"});
    EXPECT_TRUE(form->Timer3.isActive());
    EXPECT_EQ(form->TrackBar1->maximum(), 3000);
    EXPECT_EQ(buttons(), "-S");
    media.calls.clear();
    const int reads = media.positionReads;
    for (int i = 0; i < 3; ++i) {
        timer3Tick();
    }
    EXPECT_TRUE(media.calls.isEmpty());
    EXPECT_EQ(media.positionReads, reads);
    EXPECT_EQ(reporter.messages.size(), 1);

    // The device is gone, so moving the bar far from 0 fails as a seek without a device.
    form->TrackBar1->setValue(2500);
    EXPECT_EQ(reporter.messages.last(), QStringLiteral("MCI デバイスがありません"));
}

TEST_F(MediaView, TicksFollowThePositionAndStopAndRewindAtTheEnd) {
    struct Row {
        std::int32_t length, position;
        int bar;
        const char* calls;
        bool autoEnable;
    };
    const Row rows[] = {
        {0, 0, 0, "stop rewind", true},
        {1, 0, 0, "stop rewind", true},
        {1, 1, 1, "stop rewind", true},
        {10, 3, 3, "", true},
        {10, 5, 5, "", false},
        {10, 9, 9, "stop rewind", true},
        {10, 10, 10, "stop rewind", true},
        {600000, 3, 3, "", false},
        {600000, 5000, 5000, "", false},
        {600000, 599998, 599998, "", false},
        {600000, 599999, 599999, "stop rewind", true},
    };
    showForm();
    for (const Row& row : rows) {
        media.scriptedLength = row.length;
        open("a.wav");
        media.calls.clear();
        media.at = row.position;
        timer3Tick();
        const std::string label = std::to_string(row.position) + "/" + std::to_string(row.length);
        EXPECT_EQ(form->TrackBar1->value(), row.bar) << label;
        EXPECT_EQ(media.calls.join(' ').toStdString(), row.calls) << label;
        EXPECT_EQ(form->MediaPlayer1->AutoEnable(), row.autoEnable) << label;
        EXPECT_TRUE(reporter.messages.isEmpty()) << label;
    }
    // After the end the next tick shows the bar at the start, and the buttons belong to the player.
    timer3Tick();
    EXPECT_EQ(form->TrackBar1->value(), 0);
    EXPECT_EQ(buttons(), "P-");
}

TEST_F(MediaView, TheBarSpansEachEntryOfAPlaylistInTurnWithoutMovingTheDevice) {
    showForm();
    media.scriptedLength = 3000;
    open("list.m3u");
    media.at = 2998;
    timer3Tick();
    EXPECT_EQ(form->TrackBar1->value(), 2998);
    // The next entry, shorter, has begun: the bar takes its range and its position, and neither
    // change seeks the device nor ends the playback.
    media.calls.clear();
    media.scriptedLength = 1000;
    media.at = 20;
    timer3Tick();
    EXPECT_EQ(form->TrackBar1->maximum(), 1000);
    EXPECT_EQ(form->TrackBar1->value(), 20);
    EXPECT_EQ(media.calls.join(' ').toStdString(), "");
    // A longer one next: the position past the old range is kept, not cut to it.
    media.scriptedLength = 5000;
    media.at = 1500;
    timer3Tick();
    EXPECT_EQ(form->TrackBar1->maximum(), 5000);
    EXPECT_EQ(form->TrackBar1->value(), 1500);
    EXPECT_EQ(media.calls.join(' ').toStdString(), "");
}

TEST_F(MediaView, DraggingMovesTheDeviceOnlyBeyondFiveUnits) {
    struct Row {
        int bar;
        const char* calls;
    };
    const Row rows[] = {{5005, ""}, {5006, "seek 5006"}, {4995, ""}, {4994, "seek 4994"}};
    showForm();
    open("a.wav");
    for (const Row& row : rows) {
        media.at = 5000;
        form->TrackBar1->setValue(5000);
        media.calls.clear();
        form->TrackBar1->setValue(row.bar);
        EXPECT_EQ(media.calls.join(' ').toStdString(), row.calls) << row.bar;
        // A playing device is not started again, nor stopped.
        EXPECT_TRUE(media.playing) << row.bar;
    }
    // The next tick puts a thumb moved by 5 back where the device is.
    media.at = 5000;
    form->TrackBar1->setValue(5005);
    timer3Tick();
    EXPECT_EQ(form->TrackBar1->value(), 5000);
}

TEST_F(MediaView, PlayerButtonsRaiseTheClickFirstAndThenFollowTheDevice) {
    showForm();
    open("a.wav");
    QStringList order;
    QObject::connect(form->MediaPlayer1, &MediaPlayer::Click, form.get(),
                     [&] { order << QStringLiteral("click"); });
    media.calls.clear();
    form->MediaPlayer1->button(MediaButton::Stop)->click();
    order += media.calls;
    EXPECT_EQ(order, QStringList({"click", "stop"}));
    EXPECT_TRUE(form->MediaPlayer1->AutoEnable());
    EXPECT_EQ(buttons(), "P-");

    // Space on the focused button presses it; Left and Right move the focus.
    QToolButton* play = form->MediaPlayer1->button(MediaButton::Play);
    play->setFocus();
    QTest::keyClick(play, Qt::Key_Space);
    EXPECT_EQ(media.calls.last(), QStringLiteral("play"));
    EXPECT_EQ(buttons(), "-S");
    QToolButton* stop = form->MediaPlayer1->button(MediaButton::Stop);
    stop->setFocus();
    ASSERT_TRUE(stop->hasFocus());
    QTest::keyClick(stop, Qt::Key_Right);
    EXPECT_TRUE(stop->hasFocus());
    QTest::keyClick(stop, Qt::Key_Space);
    EXPECT_EQ(media.calls.last(), QStringLiteral("stop"));
    media.play();
    form->MediaPlayer1->setAutoEnable(true);
    EXPECT_EQ(buttons(), "-S");
    // The end of playback, notified by the device, hands Play back.
    media.reachEnd();
    EXPECT_EQ(buttons(), "P-");
    play->setFocus();
    QTest::keyClick(play, Qt::Key_Left);
    EXPECT_TRUE(play->hasFocus());

    EXPECT_EQ(play->accessibleName(), QStringLiteral("再生"));
    EXPECT_EQ(stop->accessibleName(), QStringLiteral("停止"));
    EXPECT_FALSE(play->icon().isNull());
}

TEST_F(MediaView, TheFocusStaysInThePlayerWhenItsFocusedButtonGreys) {
    showForm();
    open("a.wav");
    QToolButton* play = form->MediaPlayer1->button(MediaButton::Play);
    QToolButton* stop = form->MediaPlayer1->button(MediaButton::Stop);
    auto key = [&](Qt::Key k) { return [this, k] { QTest::keyClick(form->windowHandle(), k); }; };
    struct Step {
        const char* what;
        std::function<void()> act;
        const char* buttons;
        QToolButton* focus;
    };
    const Step steps[] = {
        {"click Stop", [&] { QTest::mouseClick(stop, Qt::LeftButton); }, "P-", play},
        {"Left", key(Qt::Key_Left), "P-", play},
        {"Space", key(Qt::Key_Space), "-S", stop},
        {"Right", key(Qt::Key_Right), "-S", stop},
        {"Space", key(Qt::Key_Space), "P-", play},
        {"Right onto the greyed Stop", key(Qt::Key_Right), "P-", play},
        {"Space", key(Qt::Key_Space), "-S", stop},
        {"end of playback", [&] { media.reachEnd(); }, "P-", play},
        {"click Play", [&] { QTest::mouseClick(play, Qt::LeftButton); }, "-S", stop},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(buttons(), step.buttons) << step.what;
        EXPECT_EQ(QApplication::focusWidget(), step.focus)
            << step.what << ": focus on "
            << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString()
                                            : "none");
    }
    EXPECT_TRUE(reporter.messages.isEmpty()) << reporter.messages.join('\n').toStdString();
}

TEST_F(MediaView, RightClickOnTheVideoAreaTogglesTheBarAndThePointer) {
    showForm();
    open("a.avi");
    ASSERT_FALSE(form->CoolBar1->isVisible());
    struct Row {
        Qt::MouseButton button;
        bool barVisible;
    };
    const Row rows[] = {{Qt::RightButton, true}, {Qt::LeftButton, true}, {Qt::RightButton, false}};
    for (const Row& row : rows) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(100, 150),
                          form->DisplayPanel->mapToGlobal(QPointF(100, 150)), row.button, row.button,
                          Qt::NoModifier);
        QApplication::sendEvent(form->DisplayPanel, &press);
        EXPECT_EQ(form->CoolBar1->isVisible(), row.barVisible);
        EXPECT_EQ(applicationCursorHidden(), !row.barVisible);
    }
}

TEST_F(MediaView, SoundPlaysOnUnderAPictureUntilTheNextMediaFileOpens) {
    showForm();
    media.scriptedLength = 4000;
    open("a.wav");
    media.calls.clear();
    drop(writeJpeg(dir, "p.jpg", 40, 30));
    EXPECT_TRUE(form->BP1->isVisible());
    EXPECT_TRUE(form->Timer3.isActive());
    EXPECT_TRUE(media.calls.isEmpty());
    media.at = 3999;
    timer3Tick();
    EXPECT_EQ(media.calls, QStringList({"stop", "rewind"}));

    // A document's prelude puts the bar to 0, which moves a device standing further away.
    media.play();
    media.at = 2000;
    timer3Tick();
    media.calls.clear();
    drop(writeFile(dir, "n.ini", "x"));
    EXPECT_EQ(media.calls, QStringList({"seek 0"}));
    EXPECT_TRUE(media.opened);

    media.calls.clear();
    open("b.mp3");
    EXPECT_EQ(media.calls.first().left(5), QStringLiteral("open "));
}

TEST_F(MediaView, ClosingTheWindowClosesTheDevice) {
    showForm();
    open("a.wav");
    media.calls.clear();
    form.reset();
    EXPECT_EQ(media.calls, QStringList({"close"}));
    EXPECT_FALSE(media.opened);
}

TEST_F(MediaView, ADeviceThatOutlivesTheWindowNoLongerCallsIntoItsPlayer) {
    showForm();
    open("a.wav");
    ASSERT_TRUE(media.ended);
    form.reset();
    EXPECT_FALSE(media.ended);
    // Playback reaching its end after the window has gone, as an engine's timer could report it.
    media.reachEnd();
}
