#include "platform/StopSignals.h"

#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdlib>

#ifndef _WIN32
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

volatile std::sig_atomic_t g_received = 0;
#ifndef _WIN32
int g_pipe[2] = {-1, -1};  // [0] read by the notifier, [1] written by the handler
#endif

extern "C" void onStopSignal(int signalNumber)
{
    if (g_received) {
        // The user insists: no more waiting for a clean stop.
        std::_Exit(128 + signalNumber);
    }
    g_received = 1;
#ifndef _WIN32
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
#else
    std::signal(signalNumber, onStopSignal);
#endif
}

}  // namespace

StopSignals::StopSignals(std::initializer_list<int> signalNumbers, QObject *parent) : QObject(parent)
{
    g_received = 0;
#ifndef _WIN32
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) == 0) {
        m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] {
            char bytes[16];
            while (::read(g_pipe[0], bytes, sizeof bytes) > 0) {
            }
            deliver();
        });
    }
    for (const int signalNumber : signalNumbers) {
        struct sigaction action = {};
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(signalNumber, &action, nullptr);
    }
#else
    for (const int signalNumber : signalNumbers)
        std::signal(signalNumber, onStopSignal);
    // No pipe to wake the event loop: the flag is looked at often instead.
    m_poll = new QTimer(this);
    connect(m_poll, &QTimer::timeout, this, [this] {
        if (g_received)
            deliver();
    });
    m_poll->start(50);
#endif
}

StopSignals::~StopSignals()
{
#ifndef _WIN32
    delete m_notifier;
    m_notifier = nullptr;
    // The handlers stay: a late signal still finds a pipe to write to (its
    // byte is simply never read) until the program ends.
#endif
}

bool StopSignals::received()
{
    return g_received != 0;
}

void StopSignals::deliver()
{
    if (m_delivered)
        return;
    m_delivered = true;
    emit stopRequested();
}
