#include "picture/DecodeAheadPolicy.h"

#include <algorithm>

namespace velmoa {
namespace {
// As a step brings its index into the list: past the end to the first, below 0 to the last.
int wrapped(int index, int count) {
    if (index >= count) {
        index = 0;
    }
    if (index < 0) {
        index = count - 1;
    }
    return index;
}
} // namespace

std::vector<int> DecodeAheadPolicy::neighbours(int count, int current, int direction) {
    std::vector<int> wanted;
    if (count <= 1 || current < 0 || current >= count) {
        return wanted;
    }
    const int step = direction < 0 ? -1 : 1;
    for (const int index : {wrapped(current + step, count), wrapped(current - step, count)}) {
        if (index != current && std::find(wanted.begin(), wanted.end(), index) == wanted.end() &&
            static_cast<int>(wanted.size()) < kMaxPrepared) {
            wanted.push_back(index);
        }
    }
    return wanted;
}

} // namespace velmoa
