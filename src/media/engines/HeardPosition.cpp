#include "media/engines/HeardPosition.h"

#include <algorithm>

namespace velmoa {

void HeardPosition::reset(double position, double now) {
    position_ = position;
    reportedAt_ = now;
}

void HeardPosition::report(double position, double now, double duration) {
    const bool atEnd = duration > 0 && position >= duration;
    if (atEnd && position > at(now) + kJumpTolerance) {
        return;
    }
    reset(position, now);
}

double HeardPosition::at(double now) const {
    return position_ + std::max(0.0, now - reportedAt_);
}

double HeardPosition::leftToHear(double now, double duration) const {
    return std::clamp(duration - at(now), 0.0, kMaxBuffered);
}

} // namespace velmoa
