#pragma once
// One end-to-end run: pelmora-sim on a pseudo-terminal and a copy of
// pelmora-desk in a fresh program folder whose settings point at it. The
// test reads what the monitor writes (event log, data log) and what the
// simulator saw on the line, while both run and after the monitor has been
// stopped. Both processes are killed when the run is destroyed.

#include "config/IniFile.h"
#include "logging/UDataLogClass.h"
#include "logging/uEventLogClass.h"
#include "record/EquipList.h"
#include "tests/e2e/ChildProcess.h"
#include "tests/e2e/SimTraffic.h"
#include "tests/support/TempFolder.h"

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct TE2eConfig {
    int Protocol = 0;
    std::string Scenario;            // scenario file text
    std::vector<TEquipItem> Devices; // the device list, in poll order
    int32_t RecInterval = 50;        // data-log ticks
    bool FastPoll = false;           // a reply ends the wait
    // More settings: section, key, value.
    std::vector<std::array<std::string, 3>> Settings;
    // The session bus the monitor reaches; empty: none (a dead address, so
    // that no test ever shows anything on the desktop it runs on).
    std::string SessionBus;
};

class TE2eRun {
public:
    // Starts the simulator, waits for its port, then starts the monitor.
    // Throws std::runtime_error when either cannot be started.
    explicit TE2eRun(const TE2eConfig& config);

    [[nodiscard]] std::vector<TEventRec> Events() const;
    [[nodiscard]] std::vector<TDataRec> DataRecords() const;
    [[nodiscard]] std::vector<TSimFrame> SimFrames() const;
    // The traffic of the simulator now running (sim.log for the first).
    [[nodiscard]] std::string SimLog() const;
    [[nodiscard]] std::string MonitorLog() const;
    [[nodiscard]] std::string Folder() const { return FFolder.Path(); }

    // The line goes away as an unplugged adapter does: the simulator is
    // killed, and its pseudo-terminal with it. True when it ended.
    [[nodiscard]] bool KillSimulator();
    // A new simulator on a new pseudo-terminal behind the same link, logging
    // to sim-<run>.log (see SimLog). Throws like the constructor.
    void RestartSimulator(int protocol);

    // Ends the monitor as the desktop would (SIGTERM) and waits for it.
    [[nodiscard]] bool StopMonitor();
    [[nodiscard]] int MonitorExitStatus() const { return FMonitor->ExitStatus(); }

private:
    [[nodiscard]] std::string Path(const std::string& name) const { return FFolder.Path() + name; }
    void WriteProgramFolder(const TE2eConfig& config);
    void StartSimulator(int protocol);
    [[nodiscard]] std::string SimLogPath() const;
    void StartMonitor(const std::string& sessionBus);

    TTempFolder FFolder;
    int FSimRuns = 0;
    std::unique_ptr<TChildProcess> FSim;
    std::unique_ptr<TChildProcess> FMonitor;
};

// Polls every 100 ms until done() is true or the time is up; false on time-out.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
