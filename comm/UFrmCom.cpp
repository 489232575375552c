#include "comm/UFrmCom.h"

#include "base/LangText.h"
#include "comm/PortErrorText.h"
#include "comm/TraceView.h"
#include "config/UFrmSoftWarePara.h"
#include "config/UUserParaIni.h"
#include "ui/BeatTimer.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QMessageBox>
#include <QMetaObject>
#include <QTimer>

bool TFrmCom::TNoticePoster::Post(TCommNotice notice) {
    // Runs on a worker thread: only queue. A notice still queued when the
    // window is destroyed is dropped with it.
    TFrmCom* owner = &FOwner;
    return QMetaObject::invokeMethod(
        owner,
        [owner, notice = std::move(notice)]() mutable {
            owner->Comm1.DeliverNotice(std::move(notice));
        },
        Qt::QueuedConnection);
}

// The engine counts its waits in ticks: one tick a beat.
static_assert(EngineTimerInterval == TBeatTimer::BeatMs);

TFrmCom::TFrmCom(TEventLog& eventLog, TDataLog& dataLog, QWidget* parent,
                 const std::function<void()>& applyProtocolLayout)
    : QWidget(parent, Qt::Window), FEngine(Comm1, eventLog, dataLog) {
    setWindowTitle(QStringLiteral("Trace"));
    resize(880, 527);
    BuildTraceView();
    InstallProtocols();
    const bool opened = FEngine.Start();
    Timer1 = new TBeatTimer(this, EngineTimerInterval);
    Timer1->setObjectName("Timer1");
    connect(Timer1, &TBeatTimer::Timeout, this, &TFrmCom::Timer1Timer);
    Timer1->Start();
    // Fast poll asks for its next step at once or at a reply time-out; one
    // single-shot timer serves, each request replacing the one pending.
    FStepTimer = new QTimer(this);
    FStepTimer->setSingleShot(true);
    FStepTimer->setTimerType(Qt::PreciseTimer);
    connect(FStepTimer, &QTimer::timeout, this, [this] { FEngine.FastStep(); });
    FEngine.ScheduleStep = [this](int delayMs) { FStepTimer->start(delayMs); };
    if (!opened) {
        QMessageBox::warning(nullptr, QGuiApplication::applicationDisplayName(),
                             QString::fromStdString(StartPortErrorText(
                                 UserPara.PortInfo.ComName, FEngine.StartError(),
                                 FEngine.StartSystemError(), UserPara.Language)));
        TFrmSoftwarePara dialog({[this] { OpenComm(); }, applyProtocolLayout});
        dialog.exec();
    }
}

TFrmCom::~TFrmCom() {
    Timer1->Stop();
    FStepTimer->stop();
    FEngine.Finish();
    FEngine.Trace = nullptr;
}

void TFrmCom::BuildTraceView() {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    FTraceView = new TTraceView(FEngine, this);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FTraceView);
    FEngine.Trace = FTraceView;
}

void TFrmCom::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FTraceView->FormShow();
}

void TFrmCom::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Minimising hides the window spontaneously; only a real hide ends tracing.
    if (!event->spontaneous())
        FTraceView->FormClose();
}

void TFrmCom::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FTraceView->FormActivate();
}

// The protocol objects are created here, each entry of FEngine.Codecs
// calling into the object that serves that Protocol index.
void TFrmCom::InstallProtocols() {
    FEngine.Codecs[0] = MakeYdtV31Hooks(FYdtV31Protocol);
    FEngine.Codecs[1] = MakeNordelHooks(FNordelProtocol);
    FEngine.Codecs[2] = MakeModbusHooks(FModbus);
    FEngine.Codecs[3] = MakeModbusHooks(FModbus);
}

bool TFrmCom::IsCommOpen() const {
    return FEngine.IsCommOpen();
}

void TFrmCom::OpenComm() {
    FEngine.OpenComm();
}

void TFrmCom::CloseComm() {
    FEngine.CloseComm();
}

void TFrmCom::StopForExit() {
    Timer1->Stop();
    FStepTimer->stop();
    FEngine.StopForExit();
}

void TFrmCom::Timer1Timer() {
    FEngine.Timer1Timer();
}
