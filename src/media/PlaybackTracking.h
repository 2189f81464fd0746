#pragma once

#include <cstdint>
#include <functional>

namespace velmoa {

// What one tick of the position timer does once the bar stands at barPosition (already clamped).
struct TickSteps {
    // Very short media: a position just past the start hands the buttons to the player.
    bool autoEnable;
    // The bar stands at its end (Max or Max - 1): stop, rewind, hand the buttons to the player.
    bool stopAndRewind;
};
TickSteps tickSteps(std::int32_t barPosition, std::int32_t barMax);

// Whether a change of the bar moves the device: only when they differ by more than 5 units, so the
// timer's own bar updates never seek. The device position is read once, and a second time only
// when the first reading does not already decide.
bool barChangeSeeks(std::int32_t barPosition, const std::function<std::int32_t()>& devicePosition);

} // namespace velmoa
