#include "platform/Progress.h"

#include "platform/Operation.h"

#include <mutex>

namespace platform {

namespace {
std::mutex handlerMutex;
Progress::ThreadViolationHandler& violationHandler()
{
    static Progress::ThreadViolationHandler handler = [](const char* change) {
        qFatal("Progress changed off the main thread: %s", change);
    };
    return handler;
}
} // namespace

Progress::Progress(qint64 totalUnitCount, QObject* parent) : QObject(parent), m_total(totalUnitCount) {}

double Progress::fractionCompleted() const
{
    if (isIndeterminate() || m_total == 0)
        return 0.0;
    return double(m_completed) / double(m_total);
}

void Progress::setTotalUnitCount(qint64 total)
{
    checkThread("totalUnitCount");
    m_total = total;
    emit changed();
}

void Progress::setCompletedUnitCount(qint64 completed)
{
    checkThread("completedUnitCount");
    m_completed = completed;
    emit changed();
}

void Progress::setLocalizedDescription(const QString& description)
{
    checkThread("localizedDescription");
    m_description = description;
    emit changed();
}

void Progress::setLocalizedAdditionalDescription(const QString& description)
{
    checkThread("localizedAdditionalDescription");
    m_additionalDescription = description;
    emit changed();
}

Progress::ThreadViolationHandler Progress::setThreadViolationHandler(ThreadViolationHandler handler)
{
    std::lock_guard lock(handlerMutex);
    return std::exchange(violationHandler(), std::move(handler));
}

void Progress::checkThread(const char* change) const
{
    if (isMainThread())
        return;
    ThreadViolationHandler handler;
    {
        std::lock_guard lock(handlerMutex);
        handler = violationHandler();
    }
    if (handler)
        handler(change);
}

} // namespace platform
