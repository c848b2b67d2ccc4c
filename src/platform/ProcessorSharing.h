#pragma once

#include <sched.h>

namespace platform {

// While it lives, the calling thread and the main thread run on one
// processor. For a worker that hands work to the main thread and waits for
// it thousands of times: waking a thread that sleeps on another processor
// costs tens of microseconds (on a virtual machine an interrupt between
// processors and an exit to the host each time), while a thread woken on
// the waker's own processor runs as soon as the waker sleeps. Threads
// started meanwhile by either thread inherit the restriction, so threads
// meant to run beside the worker are started before. Several workers at
// once share the main thread's processor; the main thread gets its own
// processors back when the last one is done. Without a main thread to
// share with, or when the system refuses, it changes nothing.
class ShareProcessorWithMainThread {
public:
    ShareProcessorWithMainThread();
    ~ShareProcessorWithMainThread();
    ShareProcessorWithMainThread(const ShareProcessorWithMainThread&) = delete;
    ShareProcessorWithMainThread& operator=(const ShareProcessorWithMainThread&) = delete;

private:
    cpu_set_t m_ownMask{};
    bool m_sharing = false;
};

} // namespace platform
