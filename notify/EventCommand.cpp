#include "notify/EventCommand.h"

#include "config/NotifySettings.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

extern char** environ;

namespace {
std::string ExitText(int status) {
    if (WIFEXITED(status))
        return "exit status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return "ended by signal " + std::to_string(WTERMSIG(status));
    return "ended";
}

std::string LimitText(int64_t ms) {
    return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

bool Succeeded(int status) {
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Spawn attributes: a process group of its own (so a time limit kills what
// the command started too), default signal handling and no blocked signals,
// whatever this program set for itself.
struct TSpawnAttr {
    posix_spawnattr_t Attr;
    TSpawnAttr() {
        posix_spawnattr_init(&Attr);
        sigset_t none, all;
        sigemptyset(&none);
        sigfillset(&all);
        posix_spawnattr_setsigmask(&Attr, &none);
        posix_spawnattr_setsigdefault(&Attr, &all);
        posix_spawnattr_setpgroup(&Attr, 0);
        posix_spawnattr_setflags(&Attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                            POSIX_SPAWN_SETSIGDEF);
    }
    ~TSpawnAttr() { posix_spawnattr_destroy(&Attr); }
};

// Standard input from /dev/null, output and errors into the pipe.
struct TSpawnFiles {
    posix_spawn_file_actions_t Actions;
    explicit TSpawnFiles(int writeEnd) {
        posix_spawn_file_actions_init(&Actions);
        posix_spawn_file_actions_addopen(&Actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&Actions, writeEnd, 1);
        posix_spawn_file_actions_adddup2(&Actions, writeEnd, 2);
    }
    ~TSpawnFiles() { posix_spawn_file_actions_destroy(&Actions); }
};
} // namespace

std::vector<std::string> ParentEnvironment() {
    std::vector<std::string> vars;
    for (char** p = environ; p && *p; ++p)
        if (std::strncmp(*p, "PELMORA_", 8) != 0)
            vars.emplace_back(*p);
    return vars;
}

TEventCommand::~TEventCommand() {
    for (TRunning& run : FRunning) {
        ::kill(-run.Pid, SIGKILL);
        ::waitpid(run.Pid, nullptr, 0);
        ::close(run.Output);
    }
}

void TEventCommand::Enqueue(TCommandRun run, int64_t nowMs) {
    if (FOptions.Program.empty())
        return;
    if (FRunning.size() < FOptions.MaxRunning && FQueue.empty()) {
        Start(std::move(run), nowMs);
        return;
    }
    if (FQueue.size() >= FOptions.MaxQueued) {
        ++FDropped;
        FLastFailure = "dropped: " + std::to_string(FQueue.size()) + " runs already waiting";
        FLog.Write(run.Label + ": " + FLastFailure);
        return;
    }
    FQueue.push_back(std::move(run));
}

void TEventCommand::Start(TCommandRun run, int64_t nowMs) {
    const std::string& program = FOptions.Program;
    std::string problem = CommandProblem(program);
    int pipeEnds[2] = {-1, -1};
    if (problem.empty() && ::pipe2(pipeEnds, O_CLOEXEC) != 0)
        problem = std::strerror(errno);
    pid_t pid = -1;
    if (problem.empty()) {
        std::vector<char*> env;
        for (std::string& var : run.Environment)
            env.push_back(var.data());
        env.push_back(nullptr);
        std::string path = program;
        char* argv[] = {path.data(), nullptr};
        const TSpawnAttr attr;
        const TSpawnFiles files(pipeEnds[1]);
        const int error =
            ::posix_spawn(&pid, program.c_str(), &files.Actions, &attr.Attr, argv, env.data());
        ::close(pipeEnds[1]);
        if (error != 0) {
            ::close(pipeEnds[0]);
            problem = std::strerror(error);
        }
    }
    if (!problem.empty()) {
        FLastFailure = "cannot start " + program + ": " + problem;
        FLog.Write(run.Label + ": " + FLastFailure);
        return;
    }
    ::fcntl(pipeEnds[0], F_SETFL, ::fcntl(pipeEnds[0], F_GETFL) | O_NONBLOCK);
    TRunning running;
    running.Pid = pid;
    running.Output = pipeEnds[0];
    running.StartedMs = nowMs;
    running.Label = std::move(run.Label);
    FRunning.push_back(std::move(running));
}

void TEventCommand::ReadOutput(TRunning& run) {
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(run.Output, buffer, sizeof buffer);
        if (got <= 0)
            return;
        for (ssize_t i = 0; i < got; ++i) {
            if (run.Lines.size() >= CommandOutputLines)
                break; // the rest is read and let go, so the command never blocks on it
            if (buffer[i] == '\n') {
                run.Lines.push_back(std::move(run.Pending));
                run.Pending.clear();
            } else if (run.Pending.size() < CommandOutputLineLength) {
                run.Pending += buffer[i];
            }
        }
    }
}

void TEventCommand::Finish(TRunning& run, const std::string& how, bool failed) {
    ReadOutput(run);
    ::close(run.Output);
    if (!run.Pending.empty() && run.Lines.size() < CommandOutputLines)
        run.Lines.push_back(run.Pending);
    FLastFailure = failed ? how : std::string();
    FLog.Write(run.Label + ": " + how, run.Lines);
}

void TEventCommand::EndAll() {
    for (TRunning& run : FRunning) {
        ::kill(-run.Pid, SIGKILL);
        ::waitpid(run.Pid, nullptr, 0);
        Finish(run, "killed at the program's end", true);
    }
    FRunning.clear();
    if (!FQueue.empty())
        FLog.Write(std::to_string(FQueue.size()) +
                   " runs waiting at the program's end were not started");
    FQueue.clear();
}

void TEventCommand::Poll(int64_t nowMs) {
    std::erase_if(FRunning, [&](TRunning& run) {
        ReadOutput(run);
        int status = 0;
        const pid_t done = ::waitpid(run.Pid, &status, WNOHANG);
        if (done == run.Pid) {
            Finish(run, ExitText(status), !Succeeded(status));
            return true;
        }
        if (nowMs - run.StartedMs >= FOptions.TimeLimitMs) {
            ::kill(-run.Pid, SIGKILL);
            ::waitpid(run.Pid, nullptr, 0);
            Finish(run, "killed after " + LimitText(FOptions.TimeLimitMs), true);
            return true;
        }
        return false;
    });
    StartQueued(nowMs);
}

void TEventCommand::StartQueued(int64_t nowMs) {
    while (!FQueue.empty() && FRunning.size() < FOptions.MaxRunning) {
        TCommandRun run = std::move(FQueue.front());
        FQueue.pop_front();
        Start(std::move(run), nowMs);
    }
}
