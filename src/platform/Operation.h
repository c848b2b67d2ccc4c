#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {

// True on the thread that runs the application's event loop.
bool isMainThread();

// A unit of work run once by a queue. Cancellation is cooperative: the
// queue still starts a cancelled operation, which then finishes at once
// without running main(), so its completion action always runs.
class Operation : public std::enable_shared_from_this<Operation> {
public:
    Operation() = default;
    virtual ~Operation() = default;
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;

    void cancel() { m_cancelled.store(true); }
    bool isCancelled() const { return m_cancelled.load(); }
    bool isExecuting() const;
    bool isFinished() const;

    // Runs after main() has returned (or instead of it when cancelled before
    // start), on the thread that ran the operation.
    void setCompletionBlock(std::function<void()> block);

    // Blocks until the operation has finished and its completion action ran.
    void waitUntilFinished();

    // Called by a queue: runs main() unless cancelled, then finishes.
    void start();

protected:
    virtual void main() = 0;

private:
    enum class State { Ready, Executing, Finished };

    std::atomic<bool> m_cancelled{false};
    mutable std::mutex m_mutex;
    std::condition_variable m_finishedCondition;
    State m_state = State::Ready;
    bool m_completed = false;
    std::function<void()> m_completionBlock;
};

class BlockOperation final : public Operation {
public:
    explicit BlockOperation(std::function<void()> block) : m_block(std::move(block)) {}
    static std::shared_ptr<BlockOperation> operationWithBlock(std::function<void()> block)
    {
        return std::make_shared<BlockOperation>(std::move(block));
    }

protected:
    void main() override
    {
        if (m_block)
            m_block();
    }

private:
    std::function<void()> m_block;
};

// A serial queue. mainQueue() runs its operations on the application's
// event loop; every other queue has a worker thread of its own.
class OperationQueue {
public:
    OperationQueue();
    ~OperationQueue();
    OperationQueue(const OperationQueue&) = delete;
    OperationQueue& operator=(const OperationQueue&) = delete;

    static OperationQueue* mainQueue();
    bool isMainQueue() const { return m_isMain; }

    void addOperation(std::shared_ptr<Operation> operation);
    void addOperationWithBlock(std::function<void()> block);
    void cancelAllOperations();
    void waitUntilAllOperationsAreFinished();

private:
    struct MainTag {};
    explicit OperationQueue(MainTag);

    // Kept apart from the queue so a worker that outlives it (a queue
    // destroyed from its own operation) still has valid state.
    struct Shared {
        std::mutex mutex;
        std::condition_variable condition;
        std::deque<std::shared_ptr<Operation>> pending;
        std::shared_ptr<Operation> running;
        bool stopping = false;
    };
    static void workerLoop(const std::shared_ptr<Shared>& shared);

    const bool m_isMain;
    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
    std::thread m_worker;
};

} // namespace platform
