#pragma once
// A session bus of the test's own: dbus-daemon on a socket in a temporary
// folder, and the tests' notification service on it, each stopped with the
// test. Nothing reaches the desktop's own bus.

#include "tests/e2e/ChildProcess.h"
#include "tests/support/TempFolder.h"

#include <chrono>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

class TSessionBus {
public:
    TSessionBus() {
        FDaemon = std::make_unique<TChildProcess>(TChildProcess::TOptions{
            "/usr/bin/dbus-daemon",
            {"--session", "--nofork", "--nopidfile", "--print-address",
             "--address=unix:path=" + Socket()},
            {},
            {},
            AddressPath(),
            FFolder.Path() + "dbus.err"});
        // The socket's file appears before the daemon listens on it; the
        // address is printed once it does.
        if (!WaitFor([&] { return ReadFile(AddressPath()).ends_with('\n'); }))
            throw std::runtime_error("dbus-daemon did not start");
    }

    [[nodiscard]] std::string Address() const { return "unix:path=" + Socket(); }
    [[nodiscard]] std::string Folder() const { return FFolder.Path(); }

    // Starts the recording service (failing every Notify when asked) and
    // waits until it owns its name.
    void StartRecorder(bool fail = false) {
        std::vector<std::string> args = {"--log", LogPath()};
        if (fail)
            args.push_back("--fail");
        FRecorder = std::make_unique<TChildProcess>(
            TChildProcess::TOptions{PELMORA_RECORDER_PATH,
                                    args,
                                    {},
                                    {{"DBUS_SESSION_BUS_ADDRESS", Address()}},
                                    "/dev/null",
                                    FFolder.Path() + "recorder.err"});
        if (!WaitFor([&] { return Lines().size() > 0; }))
            throw std::runtime_error("the notification recorder did not start");
    }

    // What the service received, after its "ready" line.
    [[nodiscard]] std::vector<std::string> Calls() const {
        std::vector<std::string> lines = Lines();
        if (!lines.empty())
            lines.erase(lines.begin());
        return lines;
    }

    template <class F>
    static bool WaitFor(F done, std::chrono::seconds limit = std::chrono::seconds(10)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

private:
    [[nodiscard]] std::string Socket() const { return FFolder.Path() + "bus"; }
    [[nodiscard]] std::string LogPath() const { return FFolder.Path() + "calls.txt"; }
    [[nodiscard]] std::string AddressPath() const { return FFolder.Path() + "address"; }
    [[nodiscard]] static std::string ReadFile(const std::string& path) {
        std::ifstream in(path);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    [[nodiscard]] std::vector<std::string> Lines() const {
        std::ifstream in(LogPath());
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    TTempFolder FFolder;
    std::unique_ptr<TChildProcess> FDaemon;
    std::unique_ptr<TChildProcess> FRecorder;
};
