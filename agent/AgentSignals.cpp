#include "agent/AgentSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int SignalPipe[2] = {-1, -1};

// Only async-signal-safe work here: the signal number goes into the pipe.
void OnSignal(int signal) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    (void)!::write(SignalPipe[1], &byte, 1);
    errno = saved;
}

} // namespace

TAgentSignals::TAgentSignals(QObject* parent) : QObject(parent) {
    if (::pipe2(SignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // no clean exit on a signal; the default action still ends the agent
    FNotifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        while (::read(SignalPipe[0], &byte, 1) == 1)
            emit StopRequested(byte);
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

TAgentSignals::~TAgentSignals() {
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
    if (SignalPipe[0] >= 0) {
        ::close(SignalPipe[0]);
        ::close(SignalPipe[1]);
        SignalPipe[0] = SignalPipe[1] = -1;
    }
}
