#pragma once

class QWidget;

namespace velmoa {

// What the desktop does for full screen. On Linux the window manager keeps panels below a
// full-screen window, so the task bar needs no hiding of ours; other desktops can add it here.
class Desktop {
  public:
    virtual ~Desktop() = default;
    virtual void hideTaskBar() = 0;
    virtual void showTaskBar() = 0;
    // Full-screen state on (covers the screen and the panels) or back to a normal window.
    virtual void setFullScreen(QWidget* window, bool on) = 0;
};

class WindowManagerDesktop : public Desktop {
  public:
    void hideTaskBar() override {}
    void showTaskBar() override {}
    void setFullScreen(QWidget* window, bool on) override;
};

} // namespace velmoa
