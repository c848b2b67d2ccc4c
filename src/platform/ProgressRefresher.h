#pragma once

#include "platform/Progress.h"

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

namespace platform {

// Lets a view follow a Progress without redrawing on every change: a change
// only arms a timer, and `refresh` runs from the event loop once the timer
// fires, reading the progress's state as it is then. A task that changes its
// progress thousands of times a second thus costs the view at most one
// refresh per interval. Main thread only, like the progress itself.
class ProgressRefresher final : public QObject {
public:
    // About thirty refreshes a second at most.
    static constexpr std::chrono::milliseconds kInterval{33};

    ProgressRefresher(Progress* progress, std::function<void()> refresh, QObject* parent = nullptr,
                      std::chrono::milliseconds interval = kInterval);

    // Refreshes now when a change has not been shown yet: the last state
    // must be on screen before a view goes away or reports the end.
    void flush();
    bool isPending() const { return m_pending; }

private:
    void changed();
    void fire();

    std::function<void()> m_refresh;
    QTimer m_timer;
    bool m_pending = false;
};

} // namespace platform
