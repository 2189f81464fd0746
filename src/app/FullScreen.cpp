// Full-screen mode, refitting on resize, and the desktop restore at the end.
#include "app/TzorvForm1.h"
#include "app/WindowPlacement.h"
#include "controls/ToolBar.h"
#include "controls/ToolImages.h"
#include "media/MediaPlayer.h"
#include "platform/Desktop.h"

#include <QScreen>

namespace velmoa {

void TzorvForm1::FullScreenButtonClick() {
    if (Windowed) {
        FullScreenOn = true;
        clientBeforeFullScreen_ = geometry();
        frameBeforeFullScreen_ = frameGeometry();
        if (services_.desktop) {
            services_.desktop->showTaskBar();
            services_.desktop->hideTaskBar();
            // Full-screen state: no caption bar, maximised, the client as large as the screen.
            services_.desktop->setFullScreen(this, true);
        }
        FullScreenButton->setImageIndex(ImageReduce);
        FSBT->setImageIndex(ImageReduce);
        Windowed = false;
    } else {
        FullScreenOn = false;
        if (services_.desktop) {
            services_.desktop->showTaskBar();
            services_.desktop->setFullScreen(this, false);
        }
        // The size before full screen is not remembered, its place is.
        setClientSize(640, 480);
        // Placed by its client area: the frame's size is not known again until the window
        // manager has put the caption bar back.
        const QRect area = screen() ? screen()->availableGeometry() : frameBeforeFullScreen_;
        setGeometry(clientRectAfterFullScreen(clientBeforeFullScreen_, frameBeforeFullScreen_, size(), area));
        FullScreenButton->setImageIndex(ImageEnlarge);
        FSBT->setImageIndex(ImageEnlarge);
        Windowed = true;
    }
}

void TzorvForm1::FormResize() {
    if (PictureMode) {
        FitPicture();
        // A larger area needs its neighbours prepared at the larger size.
        prepareNeighbours();
    } else {
        ActMovSExecute();
    }
}

void TzorvForm1::FormDestroy() {
    // The device goes with the window: no engine may draw into it or play on once it is gone.
    Timer3.stop();
    MediaPlayer1->Close();
    if (services_.desktop) {
        services_.desktop->showTaskBar();
    }
}

} // namespace velmoa
