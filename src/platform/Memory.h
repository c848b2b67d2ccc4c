#pragma once

namespace platform {

// Lets every thread allocate from one heap. An export parses the library
// on the main thread and builds everything else on its worker; with a heap
// per thread the memory the parse gave back is never reused, and a large
// library's peak grows by half again.
void useOneHeapForAllThreads();

} // namespace platform
