#include "platform/MainThreadHandoff.h"

#include "platform/Operation.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

namespace platform::detail {

namespace {

using Clock = std::chrono::steady_clock;

// Waking a thread that sleeps costs tens of microseconds on a virtual
// machine, and every hand-off would wake both threads: the main thread out
// of its poll and the worker out of its wait. While hand-offs keep coming,
// each side first spins for a short while, so one that follows soon finds
// the other awake. Nothing spins on a single processor, where the spinning
// thread would only keep the other from running.
constexpr auto kMainThreadSpin = std::chrono::microseconds(200);
constexpr auto kWorkerSpin = std::chrono::microseconds(100);
// Hand-offs closer together than this count as a stream worth spinning for.
constexpr auto kStreamGap = std::chrono::milliseconds(2);

const bool kSpinning = std::thread::hardware_concurrency() > 1;

// Hand-offs queued and hand-offs run: the main thread has one waiting for
// it whenever the two differ.
std::atomic<quint64> postedCount{0};
std::atomic<quint64> ranCount{0};
std::atomic<Clock::rep> lastPosted{0};

// Spins until `ready` answers true or `budget` has passed; true when ready.
// It yields rather than pausing: on a virtual machine a pause loop may hand
// the processor to the hypervisor for far longer than the wait.
template <class Ready>
bool spinUntil(const Ready& ready, Clock::duration budget)
{
    const auto deadline = Clock::now() + budget;
    for (unsigned i = 1; !ready(); ++i) {
        std::this_thread::yield();
        if (i % 8 == 0 && Clock::now() > deadline)
            return false;
    }
    return true;
}

// Called before the main thread's event loop blocks: while hand-offs
// stream, wait a moment for the next one instead of sleeping. Once one is
// counted, its event is queued or about to be, and the loop finds it at
// once or after a short wait.
void spinBeforeBlocking()
{
    const auto lastPostedAt = Clock::time_point(Clock::duration(lastPosted.load(std::memory_order_relaxed)));
    if (Clock::now() - lastPostedAt > kStreamGap)
        return;
    spinUntil(
        [] { return postedCount.load(std::memory_order_acquire) != ranCount.load(std::memory_order_acquire); },
        kMainThreadSpin);
}

void installSpinOnce(QCoreApplication* app)
{
    static std::once_flag once;
    std::call_once(once, [app] {
        if (!kSpinning)
            return;
        // Connected from the worker; the dispatcher belongs to the main
        // thread, which runs the slot directly as its loop is about to block.
        QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(app->thread());
        if (dispatcher)
            QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, dispatcher, &spinBeforeBlocking,
                             Qt::DirectConnection);
    });
}

void waitFor(const std::atomic<bool>& done)
{
    const auto isDone = [&done] { return done.load(std::memory_order_acquire); };
    if (kSpinning && spinUntil(isDone, kWorkerSpin))
        return;
    while (!isDone())
        done.wait(false, std::memory_order_acquire);
}

} // namespace

void runOnMainThreadAndWait(void (*run)(void*), void* context)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || isMainThread()) {
        run(context);
        return;
    }
    installSpinOnce(app);
    // Shared, as the main thread still signals it after the worker may have seen it set.
    const auto done = std::make_shared<std::atomic<bool>>(false);
    lastPosted.store(Clock::now().time_since_epoch().count(), std::memory_order_relaxed);
    postedCount.fetch_add(1, std::memory_order_release);
    // Queued on the application object like every main-queue operation, so
    // the two kinds keep their order.
    QMetaObject::invokeMethod(
        app,
        [run, context, done] {
            ranCount.fetch_add(1, std::memory_order_release);
            run(context);
            done->store(true, std::memory_order_release);
            done->notify_one();
        },
        Qt::QueuedConnection);
    waitFor(*done);
}

} // namespace platform::detail
