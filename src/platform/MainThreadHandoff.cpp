#include "platform/MainThreadHandoff.h"

#include "platform/Operation.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace platform::detail {

namespace {

// A condition variable rather than std::atomic::wait: the latter yields the
// processor a few times before it sleeps, which over thousands of hand-offs
// is a spin by another name.
struct Signal {
    std::mutex mutex;
    std::condition_variable condition;
    bool done = false;
};

} // namespace

void runOnMainThreadAndWait(void (*run)(void*), void* context)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || isMainThread()) {
        run(context);
        return;
    }
    // Shared, as the main thread still signals it after the worker may have seen it set.
    const auto signal = std::make_shared<Signal>();
    // Queued on the application object like every main-queue operation, so
    // the two kinds keep their order. The main thread wakes once for the
    // event and the worker once for the signal; neither side spins, so
    // waiting costs no processor time.
    QMetaObject::invokeMethod(
        app,
        [run, context, signal] {
            run(context);
            {
                std::lock_guard lock(signal->mutex);
                signal->done = true;
            }
            signal->condition.notify_one();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(signal->mutex);
    signal->condition.wait(lock, [&] { return signal->done; });
}

} // namespace platform::detail
