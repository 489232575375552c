// pelmora-agent: one RS-485 line polled without windows. Log lines go to
// standard error (journald keeps them under systemd); the exit code says
// what failed (see AgentOptions.h).

#include "agent/AgentHost.h"
#include "agent/AgentOptions.h"
#include "agent/AgentSignals.h"
#include "base/ProgramFolder.h"
#include "config/MqttSettings.h"
#include "config/NotifySettings.h"
#include "config/UUserParaIni.h"
#include "logging/UDataLogClass.h"
#include "logging/uEventLogClass.h"
#include "metrics/MetricsListen.h"
#include "record/EquipList.h"
#include "record/UpsRecordOps.h"

#include <QCoreApplication>

#include <csignal>
#include <filesystem>
#include <iostream>

namespace {

void Say(const std::string& line) {
    std::cerr << "pelmora-agent: " << line << std::endl;
}

// The folder must hold the settings: an agent never polls a line it was not
// set up for. Record/ and Backup/ are made when missing.
bool PrepareFolder() {
    std::error_code error;
    if (!std::filesystem::is_regular_file(UserParaPath(), error)) {
        Say("no settings file " + UserParaPath() +
            " (write it with the monitor or pelmora-setup-demo)");
        return false;
    }
    for (const std::string& folder : {RecordPath(), BackupPath()}) {
        std::filesystem::create_directories(folder, error);
        if (error) {
            Say("cannot make " + folder + ": " + error.message());
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::string error;
    const std::optional<TAgentOptions> options =
        ParseAgentOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        Say(error);
        std::cerr << AgentUsage;
        return AgentExitUsage;
    }
    if (options->Help) {
        std::cout << AgentUsage;
        return AgentExitOk;
    }
    if (!options->Folder.empty())
        SetProgramFolder(options->Folder);
    if (!PrepareFolder())
        return AgentExitSettings;
    LoadUserPara();
    const std::optional<TListenAddress> listen =
        ParseListen(ReadMetricsListen(UserParaPath()), error);
    if (!listen && !error.empty()) {
        Say(error);
        return AgentExitSettings;
    }
    InitTable();
    if (!LoadTreeFile())
        Say("cannot read " + TreeFilePath() + "; polling no units");
    Say("folder " + ProgramFolder() + ", port " + UserPara.PortInfo.ComName + ", protocol " +
        std::to_string(UserPara.PortInfo.Protocol) + ", " + std::to_string(EquipList.Count) +
        " units");

    TEventLog eventLog(RecordPath(), EventLogFileName, BackupPath());
    TDataLog dataLog(RecordPath());
    TAgentHost host(eventLog, dataLog);
    TAgentSignals stopSignals;
    if (!host.Start()) {
        const bool busy = host.StartError() == MsgPortBusy;
        Say("cannot open " + UserPara.PortInfo.ComName + ": " + host.StartError() +
            (busy ? " (is a monitor or another agent polling this line?)" : ""));
        host.Stop();
        return busy ? AgentExitPortBusy : AgentExitPortFailed;
    }
    if (listen) {
        TListenAddress serving = *listen;
        try {
            serving.Port = host.ServeMetrics(*listen);
        } catch (const std::exception& e) {
            Say(e.what());
            host.Stop();
            return AgentExitMetricsPort;
        }
        Say("metrics on http://" + ListenText(serving) + "/metrics");
    }
    if (const TMqttSettings mqtt = ReadMqttSettings(UserParaPath()); mqtt.Enabled()) {
        Say("MQTT to " + mqtt.Host + ":" + std::to_string(mqtt.Port) + " under " +
            EffectiveTopicPrefix(mqtt));
        // From the publisher's thread: one write per line, never mixed.
        host.PublishMqtt(mqtt, [](const std::string& line) {
            std::cerr << ("pelmora-agent: " + line + "\n") << std::flush;
        });
    }
    const TNotifySettings notify = ReadNotifySettings(UserParaPath());
    if (!notify.Command.empty()) {
        // Said, not fatal: the line is polled and logged all the same.
        if (const std::string problem = CommandProblem(notify.Command); !problem.empty())
            Say("event command " + notify.Command + " " + problem);
        host.RunEventCommand(notify);
    }
    QObject::connect(&stopSignals, &TAgentSignals::StopRequested, &app, [&](int signal) {
        Say(std::string("stopping on ") + (signal == SIGINT ? "SIGINT" : "SIGTERM"));
        host.Stop();
        app.quit();
    });
    Say("polling");
    const int result = QCoreApplication::exec();
    host.Stop();
    Say("stopped");
    return result;
}
