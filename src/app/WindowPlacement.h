#pragma once

#include <QRect>
#include <QSize>

namespace velmoa {

// Where the client area goes when the window leaves full screen: where it was before, at the new
// size, unless its frame (caption bar included) would then not lie wholly in the screen's area;
// then centred there. clientBefore and frameBefore are the window's client and frame rectangles
// before full screen.
QRect clientRectAfterFullScreen(const QRect& clientBefore, const QRect& frameBefore, QSize clientSize,
                                const QRect& screenArea);

} // namespace velmoa
