#pragma once

#include <memory>
#include <optional>
#include <string>

class QApplication;

namespace velmoa {

// What the environment says about the displays the window could go to.
struct DisplayEnvironment {
    std::string qpaPlatform;    // QT_QPA_PLATFORM
    std::string display;        // DISPLAY (X11, or XWayland on a Wayland desktop)
    std::string waylandDisplay; // WAYLAND_DISPLAY
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

// The steps below change process-wide state that other threads may be reading (the environment,
// the C library's locale): main() takes them before any thread of its own starts.

// Chooses the display (QT_QPA_PLATFORM) and returns the environment as it was before; with no
// display at all, prints one line to standard error and returns nothing.
std::optional<DisplayEnvironment> chooseDisplayPlatform();

// Opens the chosen display and makes the application object; on failure prints one line to
// standard error (naming what environment offered) and returns nothing. The application object
// sets the user's locale: the numbers are then set back to C's (useCNumericLocale).
std::unique_ptr<QApplication> startApplication(int& argc, char** argv, const DisplayEnvironment& environment);

// libmpv reads numbers with the C library and refuses to start under a locale with decimal commas.
void useCNumericLocale();

} // namespace velmoa
