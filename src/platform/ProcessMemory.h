#pragma once

namespace velmoa {

// Has every block of 256 KB or more (decoded and resampled pictures) mapped on its own and given
// back to the system when freed. glibc otherwise raises that threshold to the largest block freed,
// after which pictures come from the heaps of the threads that made them and stay resident there
// once freed: a decode made ahead on the worker would then keep its full-size buffer.
// Call first thing in main(), before any thread starts.
void returnLargeBlocksWhenFreed();

} // namespace velmoa
