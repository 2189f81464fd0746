#include "media/PlaybackTracking.h"

namespace velmoa {

// Sums in 64 bits: positions near the 32-bit limits must not wrap.
TickSteps tickSteps(std::int32_t barPosition, std::int32_t barMax) {
    const std::int64_t p = barPosition;
    const std::int64_t max = barMax;
    return {p > 0 && p < 5 && p > max - 10, p > max - 2};
}

bool barChangeSeeks(std::int32_t barPosition, const std::function<std::int32_t()>& devicePosition) {
    if (std::int64_t{devicePosition()} + 5 < barPosition) {
        return true;
    }
    return std::int64_t{devicePosition()} - 5 > barPosition;
}

} // namespace velmoa
