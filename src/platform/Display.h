#pragma once

#include <memory>
#include <string>

class QApplication;

namespace velmoa {

// What the environment says about the displays the window could go to.
struct DisplayEnvironment {
    std::string qpaPlatform;       // QT_QPA_PLATFORM
    std::string display;           // DISPLAY (X11, or XWayland on a Wayland desktop)
    std::string waylandDisplay;    // WAYLAND_DISPLAY
};

struct DisplayChoice {
    std::string platform; // the Qt platform list to ask for; empty leaves the choice as it stands
    std::string problem;  // one line for standard error when there is no display at all
};

// X11 comes first where there is one, XWayland included: the video engine embeds a native X11
// window, which a Wayland window cannot hold. Native Wayland is used where X11 is missing or
// cannot be reached. A platform the user chose stays.
DisplayChoice chooseDisplay(const DisplayEnvironment& environment);

// The one line shown instead of the toolkit's trace when no chosen display could be opened.
std::string unreachableDisplayText(const DisplayEnvironment& environment);

DisplayEnvironment currentDisplayEnvironment();

// Opens the display and makes the application object; on failure prints one line to standard
// error and returns nothing.
std::unique_ptr<QApplication> startApplication(int& argc, char** argv);

} // namespace velmoa
