#pragma once

#include <QString>
#include <QVariantMap>
#include <cstdint>
#include <functional>
#include <memory>
#include <atomic>
#include <mutex>
#include <vector>

namespace platform {

struct Notification {
    QString name;
    const void* object = nullptr; // the sender, compared by identity; may be null
    QVariantMap userInfo;
};

// Named notifications delivered synchronously, on the posting thread, to
// every observer registered for that name (or for every name) and for that
// sender (or for any). Thread-safe: observers may be added and removed from
// any thread, also from inside a callback.
class NotificationCenter {
public:
    using Callback = std::function<void(const Notification&)>;
    using ObserverToken = std::uint64_t;

    NotificationCenter() = default;
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    static NotificationCenter& defaultCenter();

    // An empty name hears every notification; a null object hears every sender.
    ObserverToken addObserver(const QString& name, const void* object, Callback callback);
    // Once this returns, the callback is not started again (one already
    // running on another thread may still finish).
    void removeObserver(ObserverToken token);

    void post(const QString& name, const void* object = nullptr, const QVariantMap& userInfo = {});
    void post(const Notification& notification);

private:
    struct Observer {
        ObserverToken token;
        QString name;
        const void* object;
        Callback callback;
        std::shared_ptr<std::atomic<bool>> active;
    };

    std::mutex m_mutex;
    std::vector<Observer> m_observers;
    ObserverToken m_nextToken = 1;
};

// Removes its observer when it goes out of scope.
class ScopedObserver {
public:
    ScopedObserver(NotificationCenter& center, const QString& name, const void* object,
                   NotificationCenter::Callback callback)
        : m_center(center), m_token(center.addObserver(name, object, std::move(callback))) {}
    ~ScopedObserver() { m_center.removeObserver(m_token); }
    ScopedObserver(const ScopedObserver&) = delete;
    ScopedObserver& operator=(const ScopedObserver&) = delete;

private:
    NotificationCenter& m_center;
    NotificationCenter::ObserverToken m_token;
};

} // namespace platform
