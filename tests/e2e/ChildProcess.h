#pragma once
// A program started by a test: its own working folder, output to files, a few
// extra environment variables. The child dies with the test process, and the
// destructor kills it if the test has not stopped it, so nothing outlives a
// failed or aborted test.

#include <string>
#include <utility>
#include <vector>

class TChildProcess {
public:
    struct TOptions {
        std::string Program{};
        std::vector<std::string> Args{};
        std::string WorkDir{};                                  // empty: the test's
        std::vector<std::pair<std::string, std::string>> Env{}; // added or replaced
        std::string StdoutPath = "/dev/null";
        std::string StderrPath = "/dev/null";
    };

    // Throws std::runtime_error when the program cannot be started.
    explicit TChildProcess(const TOptions& options);
    ~TChildProcess();
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;

    [[nodiscard]] int Pid() const { return FPid; }
    [[nodiscard]] bool Running();

    // Sends the signal and waits up to timeoutMs for the end. True when the
    // child ended in time; ExitStatus() then holds its wait status.
    bool StopWith(int signal, int timeoutMs);
    [[nodiscard]] int ExitStatus() const { return FStatus; }
    // Waits for the child to end by itself; true when it exited with 0.
    bool WaitSucceeded();

private:
    bool Reap(bool block);

    int FPid = -1;
    int FStatus = -1;
};
