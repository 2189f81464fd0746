#include "app/WindowPlacement.h"

#include <QMargins>

namespace velmoa {

QRect clientRectAfterFullScreen(const QRect& clientBefore, const QRect& frameBefore, QSize clientSize,
                                const QRect& screenArea) {
    const QMargins frame(clientBefore.left() - frameBefore.left(), clientBefore.top() - frameBefore.top(),
                         frameBefore.right() - clientBefore.right(),
                         frameBefore.bottom() - clientBefore.bottom());
    QRect outer = QRect(clientBefore.topLeft(), clientSize).marginsAdded(frame);
    if (!screenArea.contains(outer)) {
        outer.moveCenter(screenArea.center());
    }
    return outer.marginsRemoved(frame);
}

} // namespace velmoa
