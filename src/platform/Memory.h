#pragma once

namespace platform {

// Lets all threads share two heaps. With a heap per thread, the memory the
// main thread's parse of a library gives back is never reused by the
// export, and a large library's peak grows by half again; with one heap,
// the export thread and the rich-text conversion beside it wait on each
// other's every allocation, which made an export with many rich-text notes
// take half as long again.
void useFewHeaps();

} // namespace platform
