#pragma once

#include <cstdint>
#include <string>

namespace velmoa {

// Window captions; every blank counts.
inline const std::string kIdleCaption = " Velmoa       ";
inline const std::string kManualCaption = " Velmoa        manu       ";
inline const std::string kSlideshowCaption = " Velmoa        auto        ";

// Position (index + 1), a slash and the list size, without blanks: "3/12".
std::string counterText(std::int32_t currentIndex, int listCount);

} // namespace velmoa
