#pragma once

namespace velmoa {

// The video area's size and its top-left corner in the client area (negative when it is larger
// than the area and cut on both sides).
struct VideoArea {
    int left, top, width, height;
};

// Full screen: the screen's width; windowed and wide: the client width; windowed and normal: 353.
// The height is 44 % (wide) or 68 % of the width, truncated. Centred in the client area.
VideoArea videoAreaFor(bool fullScreen, bool wide, int screenWidth, int clientWidth, int clientHeight);

} // namespace velmoa
