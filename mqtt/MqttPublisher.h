#pragma once
// Publishes the feed to an MQTT broker on a thread of its own: the retained
// JSON state of every listed unit when it changes and at the interval, each
// logged event once, Home Assistant discovery, and the availability of the
// publisher (its last will) and of each unit. The engine never waits on it:
// it reads the latest snapshot, so unsent states are coalesced per unit, and
// its event queue holds up to a cap, counting what it drops. A broker that
// is away is tried again with a growing pause (MqttBackoff.h).

#include "config/MqttSettings.h"
#include "feed/EventStream.h"
#include "feed/SnapshotHub.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

constexpr std::size_t MqttEventCapacity = 1000;

using TMqttLog = std::function<void(const std::string& line)>;

class TMqttPublisher {
public:
    // Starts the thread, which connects in the background. `model` is shown
    // as every unit's model; `log` receives one line per change of the
    // connection (called on the publisher's thread). A `previous` publisher
    // (settings changed) is ended on the new thread before it connects, so
    // the caller never waits on a broker and the old "offline" cannot land
    // after the new "online"; events from now on queue for the new one.
    // Settings without a host publish nothing: they only end `previous`.
    TMqttPublisher(TMqttSettings settings, std::string model, const TSnapshotHub& snapshots,
                   TEventStream& events, TMqttLog log,
                   std::unique_ptr<TMqttPublisher> previous = nullptr);
    // Sends the queued events and says "offline" when connected, or logs how
    // many events were not sent, and ends the thread; waits for a previous
    // publisher still ending. Each ending waits on the broker about a second.
    ~TMqttPublisher();
    TMqttPublisher(const TMqttPublisher&) = delete;
    TMqttPublisher& operator=(const TMqttPublisher&) = delete;

    // Events dropped because the broker could not take them in time.
    [[nodiscard]] uint64_t EventsDropped() const;
    [[nodiscard]] bool Connected() const { return FConnected.load(); }

private:
    class TSession;
    std::atomic<bool> FConnected{false};
    std::atomic<bool> FStop{false};
    std::unique_ptr<TSession> FSession;
    std::thread FThread;
};

// Connects once with these settings and says how it went: connected, or
// what went wrong. Waits at most `timeoutMs`. For the settings dialog's
// "Test connection", which words the answer.
[[nodiscard]] TMqttTestAnswer TestMqttConnection(const TMqttSettings& settings,
                                                 int timeoutMs = 5000);
