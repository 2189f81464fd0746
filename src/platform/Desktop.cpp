#include "platform/Desktop.h"

#include <QWidget>

namespace velmoa {

void WindowManagerDesktop::setFullScreen(QWidget* window, bool on) {
    if (on) {
        window->setWindowState((window->windowState() & ~Qt::WindowMaximized) | Qt::WindowFullScreen);
    } else {
        window->setWindowState(window->windowState() & ~(Qt::WindowFullScreen | Qt::WindowMaximized));
    }
}

} // namespace velmoa
