#include "app/ApplicationCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace velmoa {

void setApplicationCursorHidden(bool hidden) {
    // One override at most, so that clearing it always gives the normal pointer back.
    while (QGuiApplication::overrideCursor()) {
        QGuiApplication::restoreOverrideCursor();
    }
    if (hidden) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
    }
}

bool applicationCursorHidden() {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor && cursor->shape() == Qt::BlankCursor;
}

} // namespace velmoa
