#include "platform/ProcessorSharing.h"

#include "platform/Operation.h"

#include <QCoreApplication>
#include <unistd.h>

namespace platform {

ShareProcessorWithMainThread::ShareProcessorWithMainThread()
{
    if (!QCoreApplication::instance() || isMainThread())
        return;
    const int processor = sched_getcpu();
    if (processor < 0 || processor >= CPU_SETSIZE)
        return;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(processor, &one);
    if (sched_getaffinity(0, sizeof m_ownMask, &m_ownMask) != 0)
        return;
    m_ownPinned = sched_setaffinity(0, sizeof one, &one) == 0;
    // Our programs make the application object on the process's first
    // thread, whose id is the process id; asking the main thread itself
    // would be a trip that could wait on a main thread waiting for us.
    m_mainThread = getpid();
    m_mainPinned = sched_getaffinity(m_mainThread, sizeof m_mainMask, &m_mainMask) == 0
        && sched_setaffinity(m_mainThread, sizeof one, &one) == 0;
}

ShareProcessorWithMainThread::~ShareProcessorWithMainThread()
{
    if (m_mainPinned)
        sched_setaffinity(m_mainThread, sizeof m_mainMask, &m_mainMask);
    if (m_ownPinned)
        sched_setaffinity(0, sizeof m_ownMask, &m_ownMask);
}

} // namespace platform
