#pragma once
// The agent's command line and exit codes.

#include <optional>
#include <string>
#include <vector>

// What each exit says failed; systemd and scripts read them.
enum TAgentExit : int {
    AgentExitOk = 0,
    AgentExitUsage = 1,       // unknown option, missing value
    AgentExitSettings = 2,    // no settings file, folder unusable, bad [Metrics] Listen
    AgentExitPortBusy = 3,    // another monitor or agent holds the port
    AgentExitPortFailed = 4,  // the port cannot be opened (no such device, no access)
    AgentExitMetricsPort = 5, // the metrics endpoint cannot listen
};

struct TAgentOptions {
    std::string Folder; // with a trailing '/'; empty = the program folder rule
    bool Help = false;
};

inline constexpr const char* AgentUsage =
    "Usage: pelmora-agent [--folder DIR]\n"
    "Polls the UPS units of one RS-485 line without windows, as the monitor does:\n"
    "reads DIR/UserParaIni.ini and DIR/Record/TreeNode.dat, writes the event and\n"
    "data logs into DIR/Record/. [Metrics] Listen=127.0.0.1:9757 in the settings\n"
    "serves /metrics for Prometheus. Ends cleanly on SIGTERM or SIGINT.\n";

// nullopt with `error` set when the arguments make no sense.
[[nodiscard]] std::optional<TAgentOptions> ParseAgentOptions(const std::vector<std::string>& args,
                                                             std::string& error);
