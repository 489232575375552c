#include "app/AppIcon.h"
#include "app/DeskAlerts.h"
#include "app/DeviceCommands.h"
#include "app/FolderChoice.h"
#include "app/SessionEnd.h"
#include "app/SingleInstance.h"
#include "app/UFrmMain.h"
#include "app/UFrmMainText.h"
#include "base/ProgramFolder.h"
#include "base/VersionInfo.h"
#include "comm/UFrmCom.h"
#include "config/NotifySettings.h"
#include "config/ProtocolModel.h"
#include "config/UUserParaIni.h"
#include "feed/DeskFeed.h"
#include "metrics/MetricsServer.h"
#include "mqtt/MqttLogFile.h"
#include "mqtt/MqttPublisher.h"
#include "notify/CommandLog.h"

#include <QApplication>
#include <QMessageBox>

#include <iostream>
#include <memory>

namespace {
// The poll engine window comes second: at its creation it logs the program
// start into the event log the main window has made, and it may show the
// port error in the language the main window has applied. It is destroyed
// before the main window, so the event log outlives it.
std::unique_ptr<TFrmCom> CreatePollEngine(TFrmMain& frmMain) {
    auto frmCom = std::make_unique<TFrmCom>(frmMain.EventLog(), frmMain.DataLog(), nullptr,
                                            [&frmMain] { frmMain.ApplyProtocolLayout(); });
    frmMain.SetPortControl(frmCom.get());
    // The About box shows and hides the poll engine window as the trace window.
    TFrmCom* trace = frmCom.get();
    frmMain.DeviceCommands().SetTraceDoor({[trace] {
                                               trace->showNormal();
                                               trace->raise();
                                               trace->activateWindow();
                                           },
                                           [trace] { trace->hide(); }});
    frmMain.RestartDataLogRound = [trace] { trace->Engine().RecCountdown = 0; };
    QObject::connect(frmCom.get(), &QObject::destroyed, &frmMain, [&frmMain] {
        frmMain.SetPortControl(nullptr);
        frmMain.DeviceCommands().SetTraceDoor({});
        frmMain.RestartDataLogRound = nullptr;
    });
    return frmCom;
}
// The Prometheus endpoint when [Metrics] Listen is set. A setting that
// cannot be served is said once; the monitor runs on without the endpoint.
std::unique_ptr<TMetricsServer> ServeMetrics(const TDeskFeed& feed) {
    std::string error;
    const std::optional<TListenAddress> at = ParseListen(ReadMetricsListen(UserParaPath()), error);
    try {
        if (at)
            return std::make_unique<TMetricsServer>(*at, feed.Snapshots,
                                                    GetVersionString("FileVersion"));
    } catch (const std::exception& e) {
        error = e.what();
    }
    if (!error.empty())
        QMessageBox::warning(nullptr, QGuiApplication::applicationDisplayName(),
                             QString::fromStdString(error));
    return nullptr;
}

// Publishing to the broker of [Mqtt] when its Host is set. Its connection
// lines go to standard error and to "mqtt.log" beside the event log, where
// the user can read about a broker that stays away; the dialog's "Test
// connection" tells the same reasons. A `previous` publisher ends on the new
// one's thread: the window does not wait on a broker when settings change.
std::unique_ptr<TMqttPublisher> PublishMqtt(TDeskFeed& feed,
                                            std::unique_ptr<TMqttPublisher> previous = nullptr) {
    const TMqttSettings settings = ReadMqttSettings(UserParaPath());
    if (!settings.Enabled() && !previous)
        return nullptr;
    return std::make_unique<TMqttPublisher>(
        settings, ProtocolModelName(UserPara.PortInfo.Protocol), feed.Snapshots, feed.Events,
        [](const std::string& line) {
            std::cerr << ("pelmora-desk: " + line + "\n") << std::flush;
            // Outlives every publisher, including one still ending at exit.
            static TMqttLogFile file(RecordPath() + "mqtt.log");
            if (!ReadOnlyRun())
                file.Add(line);
        },
        std::move(previous));
}

// The monitor repaints small parts of its window ten times a second (the
// state picture's moving marks). Over X shared memory each such repaint waits
// for the X server to answer before the next one may draw, a round trip that
// cost a third of the monitor's idle CPU; sent over the socket, small parts
// need none. A user's own choice of the setting is kept.
void PreferSocketRepaints() {
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
}

} // namespace

int main(int argc, char** argv) {
    PreferSocketRepaints();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(ApplicationTitle));
    SetDesktopIdentity();

    TSingleInstance instance(TSingleInstance::NameFor(QString::fromUtf8(ApplicationTitle),
                                                      TSingleInstance::CurrentDisplay()));
    if (!instance.Claim())
        return 0;
    if (!SettleProgramFolder(AskFolderInBox))
        return 0;

    // Before any window: a signal while start-up shows the port error must
    // still save the settings and log the end.
    TSessionEnd sessionEnd;
    sessionEnd.SetStarting(true);
    TFrmMain frmMain;
    const std::unique_ptr<TFrmCom> pollEngine = CreatePollEngine(frmMain);
    // Gone before the engine: the endpoint first, then the feed's hooks.
    TDeskFeed feed(pollEngine->Engine(), frmMain.EventLog());
    const std::unique_ptr<TMetricsServer> metrics = ServeMetrics(feed);
    std::unique_ptr<TMqttPublisher> mqtt = PublishMqtt(feed);
    frmMain.TestMqtt = [](const TMqttSettings& settings) { return TestMqttConnection(settings); };
    frmMain.MqttChanged = [&] { mqtt = PublishMqtt(feed, std::move(mqtt)); };
    // Alarms to the tray, the desktop and the event command; gone before the feed.
    NotifyPara = ReadNotifySettings(UserParaPath());
    TDeskAlerts alerts(feed, frmMain, frmMain.EventLog().FolderPath() + CommandLogFileName);
    // The window may hide in the tray: dialogs closing while it is hidden must
    // not end the program; it ends with the main window (below).
    QApplication::setQuitOnLastWindowClosed(false);
    sessionEnd.SetStarting(false);

    QObject::connect(&instance, &TSingleInstance::RaiseRequested, &frmMain,
                     &TFrmMain::BringToFront);
    // First let the close through the tray, then end.
    QObject::connect(&sessionEnd, &TSessionEnd::EndRequested, &alerts, &TDeskAlerts::AllowClose);
    QObject::connect(&sessionEnd, &TSessionEnd::EndRequested, &frmMain, &TFrmMain::EndSession);
    // The program ends with the main window, whatever other windows are open.
    QObject::connect(&frmMain, &TFrmMain::Closed, &app, &QApplication::quit, Qt::QueuedConnection);
    if (sessionEnd.EndWasRequested()) {
        alerts.AllowClose();
        frmMain.EndSession();
    } else
        frmMain.show();
    const int status = QApplication::exec();
    // The end of the program (event 21) is logged while the feed still
    // streams it: the publisher sends it before it says "offline", and the
    // event command hears of it; the window is gone, so the alerts' grace
    // freezes nothing.
    pollEngine->Engine().Finish();
    mqtt.reset();
    alerts.Finish();
    return status;
}
