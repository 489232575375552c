#include "agent/AgentHost.h"

#include "base/VersionInfo.h"
#include "config/ProtocolModel.h"
#include "config/UUserParaIni.h"
#include "notify/CommandLog.h"

#include <QMetaObject>
#include <QTimer>

bool TAgentHost::TNoticePoster::Post(TCommNotice notice) {
    // Runs on a port thread: only queue for the event loop.
    TAgentHost* owner = &FOwner;
    return QMetaObject::invokeMethod(
        owner,
        [owner, notice = std::move(notice)]() mutable {
            owner->FComm.DeliverNotice(std::move(notice));
        },
        Qt::QueuedConnection);
}

TAgentHost::TAgentHost(TEventLog& eventLog, TDataLog& dataLog)
    : FEngine(FComm, eventLog, dataLog), FEventLog(eventLog) {
    FEngine.Codecs[0] = MakeYdtV31Hooks(FYdtV31Protocol);
    FEngine.Codecs[1] = MakeNordelHooks(FNordelProtocol);
    FEngine.Codecs[2] = MakeModbusHooks(FModbus);
    FEngine.Codecs[3] = MakeModbusHooks(FModbus);
    FFeed = std::make_unique<TDeskFeed>(FEngine, eventLog);
    FTick = new QTimer(this);
    FTick->setInterval(EngineTimerInterval);
    connect(FTick, &QTimer::timeout, this, [this] { FEngine.Timer1Timer(); });
    FStepTimer = new QTimer(this);
    FStepTimer->setSingleShot(true);
    FStepTimer->setTimerType(Qt::PreciseTimer);
    connect(FStepTimer, &QTimer::timeout, this, [this] { FEngine.FastStep(); });
    FEngine.ScheduleStep = [this](int delayMs) { FStepTimer->start(delayMs); };
}

TAgentHost::~TAgentHost() {
    Stop();
}

bool TAgentHost::Start() {
    FStarted = true;
    const bool opened = FEngine.Start();
    FTick->start();
    return opened;
}

uint16_t TAgentHost::ServeMetrics(const TListenAddress& at) {
    FMetrics =
        std::make_unique<TMetricsServer>(at, FFeed->Snapshots, GetVersionString("FileVersion"));
    return FMetrics->Port();
}

void TAgentHost::PublishMqtt(const TMqttSettings& settings, TMqttLog log) {
    FMqtt = std::make_unique<TMqttPublisher>(settings, ProtocolModelName(UserPara.PortInfo.Protocol),
                                             FFeed->Snapshots, FFeed->Events, std::move(log));
}

void TAgentHost::RunEventCommand(const TNotifySettings& settings) {
    FNotify = std::make_unique<TNotifyWorker>(*FFeed, ProtocolModelName(UserPara.PortInfo.Protocol),
                                              FEventLog.FolderPath() + CommandLogFileName);
    TNotifySettings commandOnly = settings;
    commandOnly.Desktop = false;
    FNotify->Apply(commandOnly, UserPara.Language);
    FNotify->Start();
}

void TAgentHost::Stop() {
    // The endpoint goes first: no scrape runs while the engine winds down.
    FMetrics.reset();
    FTick->stop();
    FStepTimer->stop();
    if (FStarted)
        FEngine.Finish();
    FStarted = false;
    // After the engine, so the end of the program (event 21) reaches the
    // broker and the event command too; the command last, as it may take a
    // short grace.
    FMqtt.reset();
    if (FNotify)
        FNotify->Finish();
    FNotify.reset();
}
