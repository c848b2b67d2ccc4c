#pragma once

#include <QThreadPool>
#include <future>
#include <memory>
#include <type_traits>

namespace platform {

// Runs jobs one at a time, in the order given, on a thread of its own, so
// that work with no side effects can go ahead of the thread handing it
// over. Waits for what it was given when it goes. Its thread starts with
// the queue and stays, so it may run on any processor its maker may, even
// when the thread handing it work is later kept to one.
class SerialQueue {
public:
    SerialQueue()
    {
        m_pool.setMaxThreadCount(1);
        m_pool.setExpiryTimeout(-1);
        m_pool.start([] {});
    }
    ~SerialQueue() { m_pool.waitForDone(); }
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    template <typename Job>
    std::future<std::invoke_result_t<Job>> async(Job job)
    {
        auto task = std::make_shared<std::packaged_task<std::invoke_result_t<Job>()>>(std::move(job));
        auto result = task->get_future();
        m_pool.start([task] { (*task)(); });
        return result;
    }

private:
    QThreadPool m_pool;
};

} // namespace platform
