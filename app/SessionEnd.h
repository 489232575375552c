#pragma once
// The ways a Linux desktop ends a program without asking it: SIGTERM (logout,
// shutdown, kill), SIGINT (Ctrl+C in a terminal) and the session manager's
// request to save before the session ends. Each of them becomes one
// EndRequested signal on the user-interface thread, so the program can save
// its settings and close the port as on a confirmed exit.

#include <QObject>

class QSessionManager;
class QSocketNotifier;
class QTimer;

class TSessionEnd : public QObject {
    Q_OBJECT
public:
    // Installs the signal handlers; at most one instance at a time.
    explicit TSessionEnd(QObject* parent = nullptr);
    // Puts the default signal handlers back.
    ~TSessionEnd() override;

    // While the windows are being created, start-up may show a message box
    // or a dialog in a nested event loop (the port error). An end request in
    // that time closes each such box as it comes up, so that start-up can
    // finish and the exit sequence run; EndWasRequested then says so.
    void SetStarting(bool starting);
    [[nodiscard]] bool EndWasRequested() const { return FEndRequested; }

signals:
    void EndRequested();

private:
    void SignalArrived();
    void Request();
    static void CloseActiveModal();

    QSocketNotifier* FNotifier = nullptr;
    QTimer* FModalCloser = nullptr;
    bool FStarting = false;
    bool FEndRequested = false;
};
