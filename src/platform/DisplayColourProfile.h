#pragma once

#include <string>

namespace velmoa {

// The ICC profile of the display as the desktop publishes it for programs to convert their
// colours to: the X11 root window's _ICC_PROFILE. Empty where none is published, or the window is
// not on X11 (the colours are then taken for sRGB's).
std::string displayColourProfile();

} // namespace velmoa
