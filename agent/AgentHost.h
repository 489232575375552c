#pragma once
// The agent's engine host, the windowless counterpart of the monitor's poll
// engine window: it owns the serial port, the protocols and the engine, runs
// the 100 ms tick and the fast-poll step on the event loop, hands the port's
// notices from its threads to that loop, and keeps the readers' feed, the
// metrics endpoint, the MQTT publisher and the event command.

#include "comm/PollEngine.h"
#include "comm/SPComm.h"
#include "feed/DeskFeed.h"
#include "metrics/MetricsServer.h"
#include "mqtt/MqttPublisher.h"
#include "notify/NotifyWorker.h"
#include "protocol/uKModbus.h"
#include "protocol/uNordelProtocol.h"
#include "protocol/uYDTV31.h"

#include <QObject>

#include <memory>
#include <optional>

class QTimer;

class TAgentHost : public QObject {
    Q_OBJECT
public:
    TAgentHost(TEventLog& eventLog, TDataLog& dataLog);
    // Ends as Stop does when Stop has not run.
    ~TAgentHost() override;

    // Logs the start (event 20) and opens the port. False when it cannot be
    // opened; StartError() then holds the port's message.
    [[nodiscard]] bool Start();
    [[nodiscard]] const std::string& StartError() const { return FEngine.StartError(); }
    // Serves /metrics at `at`; the port it listens on. Throws
    // std::runtime_error when it cannot listen.
    uint16_t ServeMetrics(const TListenAddress& at);
    // Publishes to the broker of `settings` (Host set) from now on; its
    // connection lines go to `log`, from the publisher's thread.
    void PublishMqtt(const TMqttSettings& settings, TMqttLog log);
    // Runs the event command of `settings` for every logged event (no
    // desktop here); its log goes beside the event log.
    void RunEventCommand(const TNotifySettings& settings);
    // The clean exit: ticks stopped, the end logged (event 21), the port closed.
    void Stop();

    [[nodiscard]] TPollEngine& Engine() { return FEngine; }
    [[nodiscard]] TDeskFeed& Feed() { return *FFeed; }

private:
    class TNoticePoster : public TCommNotifySink {
    public:
        explicit TNoticePoster(TAgentHost& owner) : FOwner(owner) {}
        [[nodiscard]] bool Post(TCommNotice notice) override;

    private:
        TAgentHost& FOwner;
    };

    TYdtV31Protocol FYdtV31Protocol{TxBuffer, RxBuffer};
    TNordelProtocol FNordelProtocol{TxBuffer, RxBuffer};
    TMModbus FModbus{TxBuffer};
    TNoticePoster FPoster{*this};
    TComm FComm{FPoster};
    TPollEngine FEngine;
    TEventLog& FEventLog;
    std::unique_ptr<TDeskFeed> FFeed;
    std::unique_ptr<TMetricsServer> FMetrics;
    std::unique_ptr<TMqttPublisher> FMqtt;
    std::unique_ptr<TNotifyWorker> FNotify;
    QTimer* FTick = nullptr;
    QTimer* FStepTimer = nullptr;
    bool FStarted = false;
};
