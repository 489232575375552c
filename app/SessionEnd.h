#pragma once
// The ways a Linux desktop ends a program without asking it: SIGTERM (logout,
// shutdown, kill), SIGINT (Ctrl+C in a terminal) and the session manager's
// request to save before the session ends. Each of them becomes one
// EndRequested signal on the user-interface thread, so the program can save
// its settings and close the port as on a confirmed exit.

#include <QObject>

class QSessionManager;
class QSocketNotifier;

class TSessionEnd : public QObject {
    Q_OBJECT
public:
    // Installs the signal handlers; at most one instance at a time.
    explicit TSessionEnd(QObject* parent = nullptr);
    // Puts the default signal handlers back.
    ~TSessionEnd() override;

signals:
    void EndRequested();

private:
    void SignalArrived();

    QSocketNotifier* FNotifier = nullptr;
};
