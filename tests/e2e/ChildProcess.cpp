#include "tests/e2e/ChildProcess.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

// The test's environment with the given variables added or replaced.
std::vector<std::string>
ChildEnvironment(const std::vector<std::pair<std::string, std::string>>& overrides) {
    std::vector<std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        bool replaced = false;
        for (const auto& item : overrides)
            replaced = replaced || item.first == name;
        if (!replaced)
            env.push_back(text);
    }
    for (const auto& [name, value] : overrides)
        env.push_back(name + "=" + value);
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Runs in the forked child: only async-signal-safe calls, everything else is
// prepared before the fork.
[[noreturn]] void ExecChild(const char* program, char* const* argv, char* const* envp,
                            const char* workDir, const char* out, const char* err) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    setpgid(0, 0);
    const int outFd = open(out, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int errFd = open(err, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (outFd < 0 || errFd < 0 || dup2(outFd, 1) < 0 || dup2(errFd, 2) < 0)
        _exit(126);
    if (*workDir != '\0' && chdir(workDir) != 0)
        _exit(126);
    execve(program, argv, envp);
    _exit(127);
}

} // namespace

TChildProcess::TChildProcess(const TOptions& options) {
    std::vector<std::string> argStrings{options.Program};
    argStrings.insert(argStrings.end(), options.Args.begin(), options.Args.end());
    std::vector<char*> argv = Pointers(argStrings);
    std::vector<std::string> envStrings = ChildEnvironment(options.Env);
    std::vector<char*> envp = Pointers(envStrings);

    FPid = fork();
    if (FPid < 0)
        throw std::runtime_error("fork failed");
    if (FPid == 0) {
        ExecChild(options.Program.c_str(), argv.data(), envp.data(), options.WorkDir.c_str(),
                  options.StdoutPath.c_str(), options.StderrPath.c_str());
    }
}

TChildProcess::~TChildProcess() {
    if (FPid > 0 && Running()) {
        kill(FPid, SIGKILL);
        Reap(true);
    }
}

bool TChildProcess::Reap(bool block) {
    int status = 0;
    const pid_t r = waitpid(FPid, &status, block ? 0 : WNOHANG);
    if (r != FPid)
        return false;
    FStatus = status;
    FPid = -1;
    return true;
}

bool TChildProcess::Running() {
    return FPid > 0 && !Reap(false);
}

bool TChildProcess::WaitSucceeded() {
    if (FPid > 0)
        (void)Reap(true);
    return FPid < 0 && WIFEXITED(FStatus) && WEXITSTATUS(FStatus) == 0;
}

bool TChildProcess::StopWith(int signal, int timeoutMs) {
    if (!Running())
        return true;
    kill(FPid, signal);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (Reap(false))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}
