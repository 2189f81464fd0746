// The media view's layout and start of playback, the video area's size, following and seeking the
// playback position, and the media bar's pointer rule.
#include "app/ApplicationCursor.h"
#include "app/ExtensionTables.h"
#include "app/TzorvForm1.h"
#include "controls/ImageControl.h"
#include "controls/Panel.h"
#include "media/MediaPlayer.h"
#include "media/PlaybackTracking.h"
#include "media/VideoSizing.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSlider>

namespace velmoa {

void TzorvForm1::ShowMedia(const std::string& upperExtension) {
    Panel2->show();
    if (isSoundExtension(upperExtension)) {
        Wide->hide();
        CoolBar1->show();
        TrackBar1->show();
        Image3->setGeometry(0, CoolBar1->height(), client->width(), client->height() - CoolBar1->height());
        Image3->setStretch(true);
        Image3->show();
        Label3->adjustSize();
        Label4->adjustSize();
        placeSoundLabels();
        Label3->show();
        Label4->show();
    } else {
        ActMovSExecute();
        if (Wide->isChecked()) {
            Wide->setChecked(false);
            ActMovSExecute();
        }
        Wide->show();
        DisplayPanel->show();
        TrackBar1->show();
    }
    ShowFileSize(FilePath);
    MediaPlayer1->show();
    MediaPlayer1->setAutoEnable(false);
    // The strip has exactly Play and Stop, and the device is chosen from the file.
    MediaPlayer1->FileName = FilePath;
    MediaPlayer1->Open();
    MediaPlayer1->setEnabledButtons({false, true});
    MediaPlayer1->Play();
    Timer3.start();
    TrackBar1->setMinimum(0);
    TrackBar1->setMaximum(MediaPlayer1->Length());
}

void TzorvForm1::placeSoundLabels() {
    // Placed by the window's outer size, frame and caption bar included.
    const QSize outer = frameGeometry().size();
    Label3->move((outer.width() - Label3->width()) / 2 - 10, (outer.height() - Label3->height()) / 2 + 30);
    Label4->move((outer.width() - Label4->width()) / 2, (outer.height() - Label4->height()) / 2 - 55);
    // A window just shown has no frame until the window manager has put one round it (a file on the
    // command line opens before that): the labels are placed once more when the frame is there.
    soundLabelsAwaitFrame_ = !FullScreenOn && outer == size();
}

void TzorvForm1::placeSoundLabelsOnceFramed() {
    if (soundLabelsAwaitFrame_ && frameGeometry().size() != size()) {
        placeSoundLabels();
    }
}

void TzorvForm1::ActMovSExecute() {
    const int screenWidth =
        QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->size().width() : 0;
    const VideoArea area =
        videoAreaFor(FullScreenOn, Wide->isChecked(), screenWidth, client->width(), client->height());
    MovieWidth = area.width;
    MovieHeight = area.height;
    DisplayPanel->resize(MovieWidth, MovieHeight);
    MovieTop = area.top;
    MovieLeft = area.left;
    DisplayPanel->move(MovieLeft, MovieTop);
    MediaPlayer1->setDisplayRect(QRect(0, 0, MovieWidth, MovieHeight));
}

void TzorvForm1::Timer3Timer() {
    // Once a later file failed to open there is no device to follow: the tick leaves everything alone.
    if (!MediaPlayer1->deviceOpen()) {
        return;
    }
    // A playlist's next entry has its own length: the bar spans the entry playing. The range
    // widens before the position is shown and narrows after it, so that the bar never clamps
    // the position (which would move the device).
    const std::int32_t length = MediaPlayer1->Length();
    if (length > TrackBar1->maximum()) {
        TrackBar1->setMaximum(length);
    }
    TrackBar1->setValue(MediaPlayer1->Position());
    if (length < TrackBar1->maximum()) {
        TrackBar1->setMaximum(length);
    }
    const TickSteps steps = tickSteps(TrackBar1->value(), TrackBar1->maximum());
    if (steps.autoEnable) {
        MediaPlayer1->setAutoEnable(true);
    }
    if (steps.stopAndRewind) {
        MediaPlayer1->Stop();
        MediaPlayer1->Rewind();
        MediaPlayer1->setAutoEnable(true);
    }
}

void TzorvForm1::TrackBar1Change() {
    if (barChangeSeeks(TrackBar1->value(), [this] { return MediaPlayer1->Position(); })) {
        MediaPlayer1->setPosition(TrackBar1->value());
    }
}

void TzorvForm1::MediaPlayer1Click() {
    MediaPlayer1->setAutoEnable(true);
}

void TzorvForm1::DisplayPanelMouseDown(Qt::MouseButton button) {
    BackPanelMouseDown(button);
}

void TzorvForm1::BackPanelMouseDown(Qt::MouseButton button) {
    // A right press shows or hides the media bar, and the pointer with it.
    if (button == Qt::RightButton) {
        CoolBar1->setVisible(CoolBar1->isHidden());
        UpdateCursorForMediaBar();
    }
}

void TzorvForm1::UpdateCursorForMediaBar() {
    setApplicationCursorHidden(CoolBar1->isHidden());
}

} // namespace velmoa
