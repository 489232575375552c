#pragma once
// The poll engine's window. It exists from start-up to exit, shown or not: it
// owns the serial port Comm1 and the timer Timer1 (the program's 100 ms beat), hands the port's
// notices from the worker threads to the user-interface thread, and runs the
// poll engine there. The main window reaches the port through TPortControl.
// Shown (from the About box) it is the trace window of TTraceView.

#include "comm/PortControl.h"
#include "comm/PollEngine.h"
#include "comm/SPComm.h"
#include "protocol/uKModbus.h"
#include "protocol/uNordelProtocol.h"
#include "protocol/uYDTV31.h"

#include <QWidget>

#include <functional>

class QTimer;
class TBeatTimer;
class TTraceView;
class TEventLog;
class TDataLog;

class TFrmCom : public QWidget, public TPortControl {
    Q_OBJECT
public:
    // Logs the program start, starts Timer1 and opens the port; when the port
    // cannot be opened the port error is shown, then the software parameter
    // dialog, so that the user can mend the port (applyProtocolLayout adapts
    // the main window to a protocol chosen there); the monitor runs on with
    // the port closed if it still cannot be opened. Both logs must outlive
    // the window.
    TFrmCom(TEventLog& eventLog, TDataLog& dataLog, QWidget* parent = nullptr,
            const std::function<void()>& applyProtocolLayout = {});
    // Logs the program end and closes the port.
    ~TFrmCom() override;

    [[nodiscard]] bool IsCommOpen() const override;
    void OpenComm() override;
    void CloseComm() override;
    void StopForExit() override;

    [[nodiscard]] TPollEngine& Engine() { return FEngine; }
    [[nodiscard]] TTraceView& TraceView() { return *FTraceView; }

public slots:
    void Timer1Timer();

protected:
    // Showing, hiding (not minimising) and activating the trace window.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Queues each notice of the port's threads for the user-interface thread.
    class TNoticePoster : public TCommNotifySink {
    public:
        explicit TNoticePoster(TFrmCom& owner) : FOwner(owner) {}
        [[nodiscard]] bool Post(TCommNotice notice) override;

    private:
        TFrmCom& FOwner;
    };

    void InstallProtocols();
    void BuildTraceView();

    // The protocol objects outlive the engine that calls them.
    TYdtV31Protocol FYdtV31Protocol{TxBuffer, RxBuffer};
    TNordelProtocol FNordelProtocol{TxBuffer, RxBuffer};
    TMModbus FModbus{TxBuffer}; // serves Modbus and VEX alike

    TNoticePoster FPoster{*this};
    TComm Comm1{FPoster};
    TPollEngine FEngine;
    TBeatTimer* Timer1 = nullptr;
    QTimer* FStepTimer = nullptr; // fast poll: the engine's next step
    TTraceView* FTraceView = nullptr;
};
