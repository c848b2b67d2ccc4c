#include "platform/MainThreadHandoff.h"

#include "platform/Operation.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <semaphore>

namespace platform::detail {

void runOnMainThreadAndWait(void (*run)(void*), void* context)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || isMainThread()) {
        run(context);
        return;
    }
    std::binary_semaphore done{0};
    // Queued on the application object like every main-queue operation, so
    // the two kinds keep their order.
    QMetaObject::invokeMethod(
        app,
        [run, context, &done] {
            run(context);
            done.release();
        },
        Qt::QueuedConnection);
    done.acquire();
}

} // namespace platform::detail
