#include "platform/ProcessMemory.h"

#include <malloc.h>

namespace velmoa {

void returnLargeBlocksWhenFreed() {
    // Setting the threshold at all turns its raising off.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
}

} // namespace velmoa
