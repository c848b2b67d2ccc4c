#include "export/OperationQueueExtensions.h"
#include "platform/NotificationCenter.h"
#include "platform/Operation.h"
#include "platform/ProcessorSharing.h"
#include "platform/Progress.h"
#include "support/TestSupport.h"

#include <QThread>
#include <atomic>
#include <future>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace platform;

namespace {

struct RecordingOperation final : Operation {
    std::atomic<bool> ran{false};
    void main() override { ran = true; }
};

} // namespace

TEST(Operation, CompletionRunsAfterMainAndAlsoWhenCancelledBeforeStart)
{
    OperationQueue queue;
    auto normal = std::make_shared<RecordingOperation>();
    auto cancelled = std::make_shared<RecordingOperation>();
    std::atomic<bool> normalMainSeenByCompletion{false}, cancelledCompleted{false};
    normal->setCompletionBlock([&] { normalMainSeenByCompletion = normal->ran.load(); });
    cancelled->setCompletionBlock([&] { cancelledCompleted = true; });
    cancelled->cancel();
    queue.addOperation(normal);
    queue.addOperation(cancelled);
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_TRUE(normalMainSeenByCompletion && cancelledCompleted);
    EXPECT_FALSE(cancelled->ran);
    EXPECT_TRUE(cancelled->isFinished());
}

TEST(Operation, CancelAllReachesQueuedOperations)
{
    OperationQueue queue;
    std::atomic<bool> release{false};
    queue.addOperationWithBlock([&] {
        while (!release)
            QThread::usleep(100);
    });
    auto waiting = std::make_shared<RecordingOperation>();
    queue.addOperation(waiting);
    queue.cancelAllOperations();
    release = true;
    waiting->waitUntilFinished();
    EXPECT_TRUE(waiting->isCancelled() && !waiting->ran);

    // A block for the main queue, from the main thread, runs inline: otherwise
    // it would wait for itself for ever.
    bool ran = false;
    fw::addOperationWithBlockAndWaitUntilFinished(OperationQueue::mainQueue(), [&] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST(Progress, ReportsChangesOffTheMainThreadAndCountsFractions)
{
    std::atomic<int> violations{0};
    auto previous = Progress::setThreadViolationHandler([&](const char*) { ++violations; });
    Progress progress(-1);
    EXPECT_TRUE(progress.isIndeterminate());
    progress.setTotalUnitCount(4);
    progress.setCompletedUnitCount(1);
    EXPECT_EQ(std::pair(progress.isIndeterminate(), progress.fractionCompleted()), std::pair(false, 0.25));
    EXPECT_EQ(violations, 0);
    Progress empty(0);
    EXPECT_EQ(std::pair(empty.isIndeterminate(), empty.fractionCompleted()), std::pair(false, 0.0));

    std::thread other([&] { progress.setCompletedUnitCount(2); });
    other.join();
    EXPECT_EQ(violations, 1);
    Progress::setThreadViolationHandler(previous);
}

TEST(NotificationCenter, PostsFromManyThreadsWhileObserversComeAndGo)
{
    NotificationCenter center;
    std::atomic<int> delivered{0};
    center.addObserver("T", nullptr, [&](const Notification&) { delivered.fetch_add(1); });
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 500; ++i) {
                platform::ScopedObserver passing(center, "T", nullptr, [](const Notification&) {});
                center.post("T");
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(delivered.load(), 2000);
}

// Two exports at once share one processor; the main thread gets its own
// back when the last one is done, whichever ends first.
TEST(Operation, WorkersShareTheMainThreadsProcessorOnlyWhileTheyAsk)
{
    const auto mask = [](pid_t thread) {
        cpu_set_t set;
        sched_getaffinity(thread, sizeof set, &set);
        return set;
    };
    const cpu_set_t before = mask(0);
    cpu_set_t first, second, mainWithSecondOnly, after;
    std::promise<void> secondSharing, firstDone;
    std::thread([&] {
        std::thread other;
        {
            const ShareProcessorWithMainThread sharing;
            first = mask(0);
            other = std::thread([&] {
                const ShareProcessorWithMainThread alsoSharing;
                second = mask(0);
                secondSharing.set_value();
                firstDone.get_future().wait();
                mainWithSecondOnly = mask(getpid());
            });
            secondSharing.get_future().wait();
        }
        firstDone.set_value();
        other.join();
        after = mask(0);
    }).join();
    const cpu_set_t mainAfter = mask(getpid());
    EXPECT_EQ(CPU_COUNT(&first), 1);
    EXPECT_TRUE(CPU_EQUAL(&first, &second) && CPU_EQUAL(&first, &mainWithSecondOnly));
    EXPECT_TRUE(CPU_EQUAL(&after, &before) && CPU_EQUAL(&mainAfter, &before));
}
