#pragma once

#include "app/MessageBoxReporter.h"
#include "app/TAboutBox.h"
#include "app/TzorvForm1.h"
#include "platform/Desktop.h"
#include "platform/FileChooser.h"
#include "print/ModulePrinting.h"

namespace velmoa {

class DecodeAhead;
class MediaDevice;

// The viewer's window with the services every start gives it, made as the program makes it: the
// program's main() shows one, and the start-up benchmark measures the same. While it lives,
// failures are shown in message boxes.
class ViewerWindow {
  public:
    // The application-wide settings the window relies on (name, font substitutes); call once the
    // application object exists.
    static void prepareApplication();

    // media and decodeAhead may be null (no media device; pictures decoded in the paint).
    ViewerWindow(MediaDevice* media, DecodeAhead* decodeAhead);
    ~ViewerWindow();
    ViewerWindow(const ViewerWindow&) = delete;
    ViewerWindow& operator=(const ViewerWindow&) = delete;

    TzorvForm1& form() { return form_; }

  private:
    // Installed first and taken away first: nothing made here reports to a box that is gone.
    struct InstalledReporter {
        MessageBoxReporter reporter;
        InstalledReporter();
    } reporter_;
    QtFileChooser openDialog_;
    WindowManagerDesktop desktop_;
    ModulePrinting printing_;
    TzorvForm1 form_;
    TAboutBox aboutBox_;
};

} // namespace velmoa
