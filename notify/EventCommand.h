#pragma once
// Runs the user's event command, as other UPS monitors run a notify command:
// the program itself with no arguments and no shell, the event in environment
// variables only, so no text of an event can ever become a command. A few
// runs at a time, the rest waiting in a bounded queue (a run that finds it
// full is dropped and logged); a run past its time limit is killed with
// everything it started. Exit status and the first lines of output go to the
// command log. Nothing here waits: Poll, called often with the time, reaps,
// reads, kills and starts.

#include "notify/CommandLog.h"

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

struct TCommandRun {
    std::vector<std::string> Environment; // "NAME=value", added to the program's own
    std::string Label;                    // names the run in the log
};

struct TCommandOptions {
    std::string Program; // empty: no command
    int64_t TimeLimitMs = 60000;
    std::size_t MaxRunning = 3;
    std::size_t MaxQueued = 256;
};

// Lines of a run's output kept for the log, and their length.
inline constexpr std::size_t CommandOutputLines = 5;
inline constexpr std::size_t CommandOutputLineLength = 200;

class TEventCommand {
public:
    explicit TEventCommand(TCommandLog& log) : FLog(log) {}
    // Kills whatever still runs.
    ~TEventCommand();
    TEventCommand(const TEventCommand&) = delete;
    TEventCommand& operator=(const TEventCommand&) = delete;

    void Configure(const TCommandOptions& options) { FOptions = options; }
    // Starts the run when a place is free, else queues it; without a program
    // it does nothing.
    void Enqueue(TCommandRun run, int64_t nowMs);
    void Poll(int64_t nowMs);
    // The program ends: the runs still going are killed and the waiting ones
    // let go, each said in the log.
    void EndAll();

    [[nodiscard]] std::size_t Running() const { return FRunning.size(); }
    [[nodiscard]] std::size_t Queued() const { return FQueue.size(); }
    [[nodiscard]] uint64_t Dropped() const { return FDropped; }
    // Why the last finished run failed (could not start, exit status, killed,
    // dropped); empty when it succeeded or none ran.
    [[nodiscard]] const std::string& LastFailure() const { return FLastFailure; }

private:
    struct TRunning {
        pid_t Pid = -1;
        int Output = -1; // read end of the output pipe, non-blocking
        int64_t StartedMs = 0;
        std::string Label;
        std::string Pending; // a line not yet ended
        std::vector<std::string> Lines;
    };

    void Start(TCommandRun run, int64_t nowMs);
    static void ReadOutput(TRunning& run);
    void Finish(TRunning& run, const std::string& how, bool failed);
    void StartQueued(int64_t nowMs);

    TCommandLog& FLog;
    TCommandOptions FOptions;
    std::vector<TRunning> FRunning;
    std::deque<TCommandRun> FQueue;
    uint64_t FDropped = 0;
    std::string FLastFailure;
};

// This program's environment without any "PELMORA_" variable, so that a run
// sees only the event's own.
[[nodiscard]] std::vector<std::string> ParentEnvironment();
