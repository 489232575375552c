#pragma once
// SIGTERM (systemd stop, kill) and SIGINT (Ctrl+C) become one Qt signal on
// the event loop's thread, so the agent ends through its clean exit: event
// 21 logged, the port closed, the logs whole.

#include <QObject>

class QSocketNotifier;

class TAgentSignals : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; at most one instance at a time.
    explicit TAgentSignals(QObject* parent = nullptr);
    ~TAgentSignals() override;

signals:
    void StopRequested(int signal);

private:
    QSocketNotifier* FNotifier = nullptr;
};
