#include "platform/ProcessMemory.h"

#include <malloc.h>

namespace velmoa {

void returnLargeBlocksWhenFreed() {
    // Setting the threshold at all turns its raising off.
    // NOLINTNEXTLINE(concurrency-mt-unsafe): called first in main, before any thread
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
}

} // namespace velmoa
