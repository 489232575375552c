#include "app/SessionEnd.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
// How often start-up looks for a box to close once the end was requested.
constexpr int ModalCloseIntervalMs = 50;

// Self-pipe: a signal handler may only write a byte; the notifier turns that
// byte into an ordinary event of the user-interface thread.
int SignalPipe[2] = {-1, -1};
constexpr int EndSignals[] = {SIGTERM, SIGINT};

extern "C" void OnEndSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] ssize_t n = write(SignalPipe[1], &byte, 1);
    errno = savedErrno;
}

void SetHandler(void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : EndSignals)
        sigaction(sig, &action, nullptr);
}
} // namespace

TSessionEnd::TSessionEnd(QObject* parent) : QObject(parent) {
    Q_ASSERT(SignalPipe[0] < 0);
    if (pipe2(SignalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        FNotifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, this);
        connect(FNotifier, &QSocketNotifier::activated, this, &TSessionEnd::SignalArrived);
        SetHandler(OnEndSignal);
    } else {
        qWarning("Pelmora Desk: no pipe for the end signals; they end the program unsaved");
    }
#ifndef QT_NO_SESSIONMANAGER
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager&) { Request(); });
#endif
    FModalCloser = new QTimer(this);
    FModalCloser->setInterval(ModalCloseIntervalMs);
    connect(FModalCloser, &QTimer::timeout, this, &TSessionEnd::CloseActiveModal);
}

TSessionEnd::~TSessionEnd() {
    if (FNotifier == nullptr)
        return;
    SetHandler(SIG_DFL);
    delete FNotifier;
    close(SignalPipe[0]);
    close(SignalPipe[1]);
    SignalPipe[0] = SignalPipe[1] = -1;
}

void TSessionEnd::SignalArrived() {
    char bytes[16];
    while (read(SignalPipe[0], bytes, sizeof bytes) > 0) {
    }
    Request();
}

void TSessionEnd::Request() {
    FEndRequested = true;
    if (FStarting) {
        CloseActiveModal();
        FModalCloser->start();
    }
    emit EndRequested();
}

void TSessionEnd::SetStarting(bool starting) {
    FStarting = starting;
    if (!starting)
        FModalCloser->stop();
}

void TSessionEnd::CloseActiveModal() {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
    else if (modal != nullptr)
        modal->close();
}
