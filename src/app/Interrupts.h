#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace app {

// Ctrl-C, SIGTERM and SIGHUP all ask the running export to stop, so that
// it ends the same way each time: summary printed, staging folder removed.
// The first signal calls `onInterrupt` on the main thread; a second one of
// the same kind ends the program at once. One instance at a time.
class Interrupts : public QObject {
public:
    explicit Interrupts(std::function<void(int signal)> onInterrupt, QObject* parent = nullptr);
    ~Interrupts() override;

    // The signal that asked for the stop, or 0.
    int received() const { return m_received; }

private:
    std::function<void(int)> m_onInterrupt;
    QSocketNotifier* m_notifier = nullptr;
    int m_received = 0;
};

} // namespace app
