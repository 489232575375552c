#pragma once
// A real Mosquitto broker (Debian's mosquitto) for one test: a free loopback
// port, a configuration file of its own (nothing retained on disk), stopped
// and started again on the same port when a test asks, killed at the end.
// Also a subscriber on its own libmosquitto client that keeps every message.

#include "tests/e2e/ChildProcess.h"
#include "tests/metrics/MetricsFixture.h"
#include "tests/metrics/PrometheusServer.h"
#include "tests/support/TempFolder.h"

#include <mosquitto.h>
#include <pwd.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class TMosquittoBroker {
public:
    // `extra` is added to the listener's configuration (password file, TLS).
    explicit TMosquittoBroker(std::string extra = "allow_anonymous true\n")
        : FPort(FreeLoopbackPort()), FExtra(std::move(extra)) {
        Start();
    }
    ~TMosquittoBroker() { Stop(); }

    [[nodiscard]] uint16_t Port() const { return FPort; }
    [[nodiscard]] std::string Folder() const { return FFolder.Path(); }

    void Start() {
        WriteBytes(FFolder.Path() + "mosquitto.conf",
                   "persistence false\nlog_dest stderr\nuser " + UserName() + "\nlistener " +
                       std::to_string(FPort) + " 127.0.0.1\n" + FExtra);
        FProcess = std::make_unique<TChildProcess>(
            TChildProcess::TOptions{.Program = "/usr/sbin/mosquitto",
                                    .Args = {"-c", FFolder.Path() + "mosquitto.conf"},
                                    .WorkDir = FFolder.Path(),
                                    .Env = {{"TMPDIR", FFolder.Path()}},
                                    .StderrPath = FFolder.Path() + "mosquitto.log"});
        // Up once it accepts a connection.
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        for (int fd = -1; fd < 0 && std::chrono::steady_clock::now() < end;) {
            fd = ConnectLocal(FPort);
            if (fd >= 0)
                ::close(fd);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    void Stop() {
        if (FProcess)
            FProcess->StopWith(SIGTERM, 5000);
        FProcess.reset();
    }
    std::string Log() const { return ReadBytes(FFolder.Path() + "mosquitto.log"); }

private:
    // Started as root the broker would become user "mosquitto" and lose
    // access to the test's own files; as another user this changes nothing.
    static std::string UserName() {
        const passwd* user = ::getpwuid(::getuid());
        return user ? user->pw_name : "root";
    }

    TTempFolder FFolder;
    uint16_t FPort;
    std::string FExtra;
    std::unique_ptr<TChildProcess> FProcess;
};

struct TReceived {
    std::string Topic;
    std::string Payload;
    bool Retained = false;
};

// Subscribes to everything on the broker and keeps what arrives, retained
// messages first. Waits are bounded by a deadline and woken by arrivals.
class TMqttSubscriber {
public:
    explicit TMqttSubscriber(uint16_t port, const std::string& filter = "#") {
        mosquitto_lib_init();
        FClient = mosquitto_new(nullptr, true, this);
        mosquitto_message_callback_set(
            FClient, [](mosquitto*, void* self, const mosquitto_message* m) {
                auto* me = static_cast<TMqttSubscriber*>(self);
                const std::lock_guard lock(me->FLock);
                me->FMessages.push_back(
                    {m->topic,
                     std::string(static_cast<const char*>(m->payload), std::size_t(m->payloadlen)),
                     m->retain});
                me->FArrived.notify_all();
            });
        mosquitto_connect(FClient, "127.0.0.1", port, 30);
        mosquitto_subscribe(FClient, nullptr, filter.c_str(), 1);
        mosquitto_loop_start(FClient);
    }
    ~TMqttSubscriber() {
        mosquitto_disconnect(FClient);
        mosquitto_loop_stop(FClient, false);
        mosquitto_destroy(FClient);
    }

    // Publishes as another client would (test set-up).
    void Put(const std::string& topic, const std::string& payload, bool retain) {
        mosquitto_publish(FClient, nullptr, topic.c_str(), int(payload.size()), payload.data(), 1,
                          retain);
    }

    // The first message (from `from` on) matching `match`, waiting up to
    // `limit`; nullopt when none came.
    std::optional<TReceived> WaitFor(const std::function<bool(const TReceived&)>& match,
                                     std::chrono::seconds limit = std::chrono::seconds(10),
                                     std::size_t from = 0) {
        std::unique_lock lock(FLock);
        std::optional<TReceived> found;
        FArrived.wait_for(lock, limit, [&] {
            for (std::size_t i = from; i < FMessages.size(); ++i)
                if (match(FMessages[i])) {
                    found = FMessages[i];
                    return true;
                }
            return false;
        });
        return found;
    }
    std::optional<TReceived> WaitFor(const std::string& topic, const std::string& contains,
                                     std::chrono::seconds limit = std::chrono::seconds(10),
                                     std::size_t from = 0) {
        return WaitFor(
            [&](const TReceived& m) {
                return m.Topic == topic &&
                       (contains.empty() ? m.Payload.empty()
                                         : m.Payload.find(contains) != std::string::npos);
            },
            limit, from);
    }
    std::vector<TReceived> Messages() {
        const std::lock_guard lock(FLock);
        return FMessages;
    }
    std::size_t Count() {
        const std::lock_guard lock(FLock);
        return FMessages.size();
    }

private:
    mosquitto* FClient = nullptr;
    std::mutex FLock;
    std::condition_variable FArrived;
    std::vector<TReceived> FMessages;
};

// The publisher's log lines, kept for a test to wait on.
class TLogLines {
public:
    void Add(const std::string& line) {
        const std::lock_guard lock(FLock);
        FLines.push_back(line);
        FAdded.notify_all();
    }
    // The first line holding `text`, waiting up to `limit`; "" when none.
    std::string WaitFor(const std::string& text,
                        std::chrono::seconds limit = std::chrono::seconds(10)) {
        std::unique_lock lock(FLock);
        std::string found;
        FAdded.wait_for(lock, limit, [&] {
            for (const std::string& line : FLines)
                if (line.find(text) != std::string::npos) {
                    found = line;
                    return true;
                }
            return false;
        });
        return found;
    }
    std::string All() {
        const std::lock_guard lock(FLock);
        std::string all;
        for (const std::string& line : FLines)
            all += line + "\n";
        return all;
    }

private:
    std::mutex FLock;
    std::condition_variable FAdded;
    std::vector<std::string> FLines;
};
