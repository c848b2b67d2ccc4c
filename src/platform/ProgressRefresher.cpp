#include "platform/ProgressRefresher.h"

namespace platform {

ProgressRefresher::ProgressRefresher(Progress* progress, std::function<void()> refresh, QObject* parent,
                                     std::chrono::milliseconds interval)
    : QObject(parent), m_refresh(std::move(refresh))
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(interval);
    connect(&m_timer, &QTimer::timeout, this, &ProgressRefresher::fire);
    if (progress)
        connect(progress, &Progress::changed, this, &ProgressRefresher::changed);
}

void ProgressRefresher::changed()
{
    m_pending = true;
    if (!m_timer.isActive())
        m_timer.start();
}

void ProgressRefresher::fire()
{
    m_pending = false;
    if (m_refresh)
        m_refresh();
}

void ProgressRefresher::flush()
{
    if (!m_pending)
        return;
    m_timer.stop();
    fire();
}

} // namespace platform
