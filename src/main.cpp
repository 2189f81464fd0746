#include "app/ExtensionTables.h"
#include "app/ViewerWindow.h"
#include "formats/image/ColourConversion.h"
#include "media/engines/FluidSynthEngine.h"
#include "media/engines/MediaDeviceSelector.h"
#include "media/engines/MpvEngine.h"
#include "picture/DecodeAhead.h"
#include "platform/Display.h"
#include "platform/DisplayColourProfile.h"
#include "platform/ProcessMemory.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QScreen>
#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace velmoa;

int main(int argc, char** argv) {
    returnLargeBlocksWhenFreed();
    // Every argument names a file: the toolkit is shown none of them, or it would take out those
    // that look like its own options (-reverse, -style, ...). Its options still come from the
    // environment (QT_QPA_PLATFORM, QT_STYLE_OVERRIDE, ...).
    std::vector<std::string> files(argv + std::min(argc, 1), argv + argc);
    // The display's choice (an environment variable) and the application object with its locale
    // come before any thread of ours: setenv and setlocale must not race a thread that reads them.
    const std::optional<DisplayEnvironment> display = chooseDisplayPlatform();
    if (!display) {
        return 1;
    }
    int toolkitArgc = std::min(argc, 1);
    const std::unique_ptr<QApplication> app = startApplication(toolkitArgc, argv, *display);
    if (!app) {
        return 1;
    }
    // Pictures with colour profiles of their own are shown in the display's colours.
    ColourConversion::setDisplayProfile(displayColourProfile());
    // The last file named is the one left on screen: when it is a picture, its decode runs on a
    // worker while the window is built, at the size the new window's picture area will need.
    DecodeAhead decodeAhead;
    if (!files.empty()) {
        decodeAhead.prepareOpening(files.back(), {TzorvForm1::kInitialClientSize});
    }
    MpvEngine player;
    FluidSynthEngine synthesizer;
    MediaDeviceSelector media(player, synthesizer);
    // A media file among them is made ready on a thread of its own while the window is built: its
    // engine's library (some two hundred libraries with it) loads, and a file for the general
    // player is opened into it paused, so that its step only starts it.
    const auto firstMedia = std::find_if(files.begin(), files.end(), [](const std::string& file) {
        return viewKindFor(file) == ViewKind::Media;
    });
    std::jthread engineLibrary;
    if (firstMedia != files.end()) {
        // A thread started while another loads libraries waits for that load (the C library
        // guards both with one lock). The screen-reader bridge starts its D-Bus thread with the
        // first widget text: that happens now, before the engine's libraries load.
        QAccessible::isActive();
        if (MediaDeviceSelector::playsOnSynthesizer(*firstMedia)) {
            engineLibrary =
                std::jthread([path = *firstMedia] { MediaDeviceSelector::loadEngineLibraryFor(path); });
        } else {
            player.prepareOpening(*firstMedia);
        }
    }
    ViewerWindow::prepareApplication();

    ViewerWindow window(&media, &decodeAhead);
    TzorvForm1& zorvForm1 = window.form();
    zorvForm1.setCommandLineFiles(std::move(files));

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        zorvForm1.move(area.center() - QPoint(zorvForm1.width() / 2, zorvForm1.height() / 2));
    }
    zorvForm1.show();
    return QApplication::exec();
}
