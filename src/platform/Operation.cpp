#include "platform/Operation.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace platform {

bool isMainThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

bool Operation::isExecuting() const
{
    std::lock_guard lock(m_mutex);
    return m_state == State::Executing;
}

bool Operation::isFinished() const
{
    std::lock_guard lock(m_mutex);
    return m_state == State::Finished;
}

void Operation::setCompletionBlock(std::function<void()> block)
{
    std::lock_guard lock(m_mutex);
    m_completionBlock = std::move(block);
}

void Operation::start()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_state != State::Ready)
            return;
        m_state = State::Executing;
    }
    if (!isCancelled())
        main();

    std::function<void()> completion;
    {
        std::lock_guard lock(m_mutex);
        m_state = State::Finished;
        // The block usually captures the operation; dropping it here breaks that cycle.
        completion = std::move(m_completionBlock);
        m_completionBlock = nullptr;
    }
    if (completion)
        completion();
    {
        std::lock_guard lock(m_mutex);
        m_completed = true;
    }
    m_finishedCondition.notify_all();
}

void Operation::waitUntilFinished()
{
    std::unique_lock lock(m_mutex);
    m_finishedCondition.wait(lock, [this] { return m_completed; });
}

OperationQueue::OperationQueue() : m_isMain(false)
{
    m_worker = std::thread([shared = m_shared] { workerLoop(shared); });
}

OperationQueue::OperationQueue(MainTag) : m_isMain(true) {}

OperationQueue::~OperationQueue()
{
    if (m_isMain)
        return;
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->stopping = true;
    }
    m_shared->condition.notify_all();
    // Operations already added still run to the end before the worker stops.
    if (m_worker.get_id() == std::this_thread::get_id())
        m_worker.detach();
    else if (m_worker.joinable())
        m_worker.join();
}

OperationQueue* OperationQueue::mainQueue()
{
    static OperationQueue queue{MainTag{}};
    return &queue;
}

void OperationQueue::addOperation(std::shared_ptr<Operation> operation)
{
    if (!operation)
        return;
    if (m_isMain) {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app) {
            // No event loop will ever run it; running it now keeps a waiting caller from hanging.
            operation->start();
            return;
        }
        QMetaObject::invokeMethod(app, [operation] { operation->start(); }, Qt::QueuedConnection);
        return;
    }
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->pending.push_back(std::move(operation));
    }
    m_shared->condition.notify_all();
}

void OperationQueue::addOperationWithBlock(std::function<void()> block)
{
    addOperation(BlockOperation::operationWithBlock(std::move(block)));
}

void OperationQueue::cancelAllOperations()
{
    if (m_isMain)
        return; // main-queue blocks are short and are not cancelled
    std::lock_guard lock(m_shared->mutex);
    for (auto& operation : m_shared->pending)
        operation->cancel();
    if (m_shared->running)
        m_shared->running->cancel();
}

void OperationQueue::waitUntilAllOperationsAreFinished()
{
    if (m_isMain)
        return;
    std::unique_lock lock(m_shared->mutex);
    m_shared->condition.wait(lock, [&] { return m_shared->pending.empty() && !m_shared->running; });
}

void OperationQueue::workerLoop(const std::shared_ptr<Shared>& shared)
{
    for (;;) {
        std::shared_ptr<Operation> operation;
        {
            std::unique_lock lock(shared->mutex);
            shared->condition.wait(lock, [&] { return shared->stopping || !shared->pending.empty(); });
            if (shared->pending.empty())
                return; // stopping, with nothing left to run
            operation = shared->pending.front();
            shared->pending.pop_front();
            shared->running = operation;
        }
        operation->start();
        {
            std::lock_guard lock(shared->mutex);
            shared->running.reset();
        }
        shared->condition.notify_all();
    }
}

} // namespace platform
