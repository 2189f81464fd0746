#include "app/Captions.h"

namespace velmoa {

std::string counterText(std::int32_t currentIndex, int listCount) {
    // Widened so that the largest index does not overflow when one is added.
    return std::to_string(static_cast<std::int64_t>(currentIndex) + 1) + "/" + std::to_string(listCount);
}

} // namespace velmoa
