#include "platform/NotificationCenter.h"

#include <atomic>

namespace platform {

NotificationCenter& NotificationCenter::defaultCenter()
{
    static NotificationCenter* center = new NotificationCenter; // outlives static destructors
    return *center;
}

NotificationCenter::ObserverToken NotificationCenter::addObserver(const QString& name, const void* object,
                                                                  Callback callback)
{
    std::lock_guard lock(m_mutex);
    const ObserverToken token = m_nextToken++;
    m_observers.push_back({token, name, object, std::move(callback), std::make_shared<std::atomic<bool>>(true)});
    return token;
}

void NotificationCenter::removeObserver(ObserverToken token)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_observers, [token](const Observer& observer) {
        if (observer.token != token)
            return false;
        observer.active->store(false);
        return true;
    });
}

void NotificationCenter::post(const QString& name, const void* object, const QVariantMap& userInfo)
{
    post(Notification{name, object, userInfo});
}

void NotificationCenter::post(const Notification& notification)
{
    // Callbacks run without the lock, so they may post or (un)register.
    std::vector<Observer> receivers;
    {
        std::lock_guard lock(m_mutex);
        for (const Observer& observer : m_observers) {
            if ((observer.name.isEmpty() || observer.name == notification.name)
                && (!observer.object || observer.object == notification.object))
                receivers.push_back(observer);
        }
    }
    for (const Observer& receiver : receivers) {
        if (receiver.active->load())
            receiver.callback(notification);
    }
}

} // namespace platform
