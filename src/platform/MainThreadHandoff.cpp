#include "platform/MainThreadHandoff.h"

#include "platform/Operation.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <atomic>
#include <linux/futex.h>
#include <memory>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform::detail {

namespace {

// A futex word rather than a condition variable, whose waiter takes the
// mutex again on waking and so makes one more system call per hand-off;
// and rather than std::atomic::wait, which yields the processor a few times
// before it sleeps: over thousands of hand-offs a spin by another name.
class Signal {
public:
    void set()
    {
        m_word.store(1, std::memory_order_release);
        syscall(SYS_futex, &m_word, FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
    }
    void wait()
    {
        // A wake-up without the word set (a signal, a spurious return) sleeps again.
        while (m_word.load(std::memory_order_acquire) == 0)
            syscall(SYS_futex, &m_word, FUTEX_WAIT_PRIVATE, 0, nullptr, nullptr, 0);
    }

private:
    static_assert(sizeof(std::atomic<int>) == sizeof(int));
    std::atomic<int> m_word{0};
};

} // namespace

void runOnMainThreadAndWait(void (*run)(void*), void* context)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || isMainThread()) {
        run(context);
        return;
    }
    // Shared, as the main thread still wakes the worker after the worker may have seen it set.
    const auto signal = std::make_shared<Signal>();
    // Queued on the application object like every main-queue operation, so
    // the two kinds keep their order. The main thread wakes once for the
    // event and the worker once for the signal; neither side spins, so
    // waiting costs no processor time.
    QMetaObject::invokeMethod(
        app,
        [run, context, signal] {
            run(context);
            signal->set();
        },
        Qt::QueuedConnection);
    signal->wait();
}

} // namespace platform::detail
