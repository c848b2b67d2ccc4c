#include "platform/ProcessorSharing.h"

#include "platform/Operation.h"

#include <QCoreApplication>
#include <mutex>
#include <unistd.h>

namespace platform {

namespace {

struct MainThreadPin {
    std::mutex mutex;
    int sharers = 0;
    cpu_set_t processor{}; // the one processor while shared
    cpu_set_t before{};    // the main thread's own set, given back at the end
};

MainThreadPin& mainThreadPin()
{
    static MainThreadPin pin;
    return pin;
}

// Our programs make the application object on the process's first thread,
// whose id is the process id; asking the main thread itself would be a trip
// that could wait on a main thread waiting for us.
pid_t mainThreadID()
{
    return getpid();
}

} // namespace

ShareProcessorWithMainThread::ShareProcessorWithMainThread()
{
    if (!QCoreApplication::instance() || isMainThread())
        return;
    MainThreadPin& pin = mainThreadPin();
    std::lock_guard lock(pin.mutex);
    if (pin.sharers == 0) {
        const int processor = sched_getcpu();
        if (processor < 0 || processor >= CPU_SETSIZE)
            return;
        CPU_ZERO(&pin.processor);
        CPU_SET(processor, &pin.processor);
        if (sched_getaffinity(mainThreadID(), sizeof pin.before, &pin.before) != 0
            || sched_setaffinity(mainThreadID(), sizeof pin.processor, &pin.processor) != 0)
            return;
    }
    if (sched_getaffinity(0, sizeof m_ownMask, &m_ownMask) != 0
        || sched_setaffinity(0, sizeof pin.processor, &pin.processor) != 0) {
        if (pin.sharers == 0)
            sched_setaffinity(mainThreadID(), sizeof pin.before, &pin.before);
        return;
    }
    ++pin.sharers;
    m_sharing = true;
}

ShareProcessorWithMainThread::~ShareProcessorWithMainThread()
{
    if (!m_sharing)
        return;
    MainThreadPin& pin = mainThreadPin();
    std::lock_guard lock(pin.mutex);
    sched_setaffinity(0, sizeof m_ownMask, &m_ownMask);
    if (--pin.sharers == 0)
        sched_setaffinity(mainThreadID(), sizeof pin.before, &pin.before);
}

} // namespace platform
