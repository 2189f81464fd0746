#pragma once

#include <vector>

namespace velmoa {

// Which pictures to prepare while one is shown, and when a preparation has gone stale.
class DecodeAheadPolicy {
  public:
    // At most this many pictures are prepared besides the one shown.
    static constexpr int kMaxPrepared = 2;

    // The list positions to prepare, in order: the next one in the direction of travel (+1 or -1),
    // then the one on the other side, each wrapped the way a step wraps its index. Never the shown
    // one, never twice.
    static std::vector<int> neighbours(int count, int current, int direction);
};

} // namespace velmoa
