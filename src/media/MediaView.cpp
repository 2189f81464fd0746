// The media view's layout, the video area's size, and the media bar's pointer rule.
#include "app/ApplicationCursor.h"
#include "app/ExtensionTables.h"
#include "app/TzorvForm1.h"
#include "controls/ImageControl.h"
#include "controls/MediaPlayerStrip.h"
#include "controls/Panel.h"
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
        // Placed by the window's outer size, frame and caption bar included.
        const QSize outer = frameGeometry().size();
        Label3->adjustSize();
        Label4->adjustSize();
        Label3->move((outer.width() - Label3->width()) / 2 - 10,
                     (outer.height() - Label3->height()) / 2 + 30);
        Label4->move((outer.width() - Label4->width()) / 2, (outer.height() - Label4->height()) / 2 - 55);
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
