#include "app/Interrupts.h"

#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace app {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
int signalPipe[2] = {-1, -1};

void onSignal(int signal)
{
    const auto byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const auto ignored = write(signalPipe[1], &byte, 1);
    // The next one of the same kind acts at once.
    std::signal(signal, SIG_DFL);
}

} // namespace

Interrupts::Interrupts(std::function<void(int)> onInterrupt, QObject* parent)
    : QObject(parent), m_onInterrupt(std::move(onInterrupt))
{
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    QObject::connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        int signal = 0;
        while (read(signalPipe[0], &byte, 1) > 0)
            signal = byte;
        if (!signal || m_received)
            return;
        m_received = signal;
        if (m_onInterrupt)
            m_onInterrupt(signal);
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals)
        sigaction(signal, &action, nullptr);
}

Interrupts::~Interrupts()
{
    for (const int signal : kSignals)
        std::signal(signal, SIG_DFL);
    delete m_notifier;
    m_notifier = nullptr;
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

} // namespace app
