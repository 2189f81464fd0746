#include "media/VideoSizing.h"

namespace velmoa {

VideoArea videoAreaFor(bool fullScreen, bool wide, int screenWidth, int clientWidth, int clientHeight) {
    VideoArea area{};
    area.width = fullScreen ? screenWidth : wide ? clientWidth : 353;
    // Multiply first: 640 * 44 / 100 is 281, not 282.
    area.height = area.width * (wide ? 44 : 68) / 100;
    // Truncation toward zero leaves an odd pixel of margin or of cut on the right and bottom.
    area.top = (clientHeight - area.height) / 2;
    area.left = (clientWidth - area.width) / 2;
    return area;
}

} // namespace velmoa
