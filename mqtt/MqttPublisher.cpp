#include "mqtt/MqttPublisher.h"

#include "mqtt/MqttBackoff.h"
#include "mqtt/MqttClient.h"
#include "mqtt/MqttDiscovery.h"
#include "mqtt/MqttEvent.h"
#include "mqtt/MqttUnitState.h"

#include <mosquitto.h>

#include <array>
#include <set>

namespace {

using TClock = std::chrono::steady_clock;

constexpr int KeepAliveS = 30;
// How long a turn waits on the socket, and how often at most the units are
// compared with what was sent: a fast-poll bus makes a snapshot every reply,
// and looking at all 252 units each time would cost more than sending.
constexpr int LoopWaitMs = 250;
constexpr auto ScanPeriod = std::chrono::milliseconds(250);
// Retained topics of units no longer listed arrive right after subscribing;
// the subscription ends after this so the publisher does not read its own.
constexpr auto CleanupWindow = std::chrono::seconds(3);
constexpr auto OfflineFlushLimit = std::chrono::seconds(1);

// What was last sent for one unit.
struct TSentUnit {
    bool Listed = false; // in the device list as last seen
    std::string Name;
    TUnitStateView View;
    bool StateSent = false;
    bool Available = false;
    bool AvailabilitySent = false;
    bool Discovered = false;
};

// "1 event", "2 events": counts in the user's log read as sentences.
std::string Counted(std::size_t count, const std::string& noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

} // namespace

class TMqttPublisher::TSession {
public:
    TSession(TMqttSettings settings, std::string model, const TSnapshotHub& snapshots,
             TEventStream& events, TMqttLog log, std::atomic<bool>& connected)
        : FSettings(std::move(settings)), FModel(std::move(model)),
          FTopics(EffectiveTopicPrefix(FSettings)), FSnapshots(snapshots),
          FEvents(FSettings.Enabled() ? events.Subscribe(MqttEventCapacity) : nullptr),
          FLog(std::move(log)), FConnected(connected) {
        if (!FSettings.Enabled())
            return;
        std::string error;
        // A wildcard in the prefix would make every topic one that cannot
        // be published to.
        if (FTopics.Prefix().find_first_of("+#") != std::string::npos) {
            Say("the topic prefix \"" + FTopics.Prefix() +
                "\" must not hold + or #; not publishing");
            return;
        }
        FClient.reset(MakeMqttClient(FSettings, this, error));
        if (!FClient) {
            Say(error + "; not publishing");
            return;
        }
        mosquitto_connect_callback_set(FClient.get(), [](mosquitto*, void* self, int rc) {
            static_cast<TSession*>(self)->OnConnect(rc);
        });
        mosquitto_publish_callback_set(FClient.get(), [](mosquitto*, void* self, int mid) {
            static_cast<TSession*>(self)->FUnacked.erase(mid);
        });
        mosquitto_message_callback_set(
            FClient.get(), [](mosquitto*, void* self, const mosquitto_message* message) {
                static_cast<TSession*>(self)->OnRetained(message);
            });
    }

    uint64_t Dropped() const { return FEvents ? FEvents->Dropped() : 0; }
    bool Enabled() const { return FSettings.Enabled(); }

    // One turn of the publisher's thread: connect when due, move the
    // socket, publish what changed.
    void Turn() {
        if (!FClient) {
            std::this_thread::sleep_for(std::chrono::milliseconds(LoopWaitMs));
            return;
        }
        const auto now = TClock::now();
        if (!FSocketUp && now >= FNextAttempt)
            Attempt(now);
        if (!FSocketUp) {
            std::this_thread::sleep_for(std::chrono::milliseconds(LoopWaitMs));
            return;
        }
        const int rc = mosquitto_loop(FClient.get(), LoopWaitMs, 1);
        if (rc != MOSQ_ERR_SUCCESS) {
            const bool wasConnected = FConnected.exchange(false);
            if (!FAttemptFailed)
                Problem((wasConnected ? "lost the connection to " : "cannot connect to ") +
                        MqttServerText(FSettings) + ": " + MqttErrorText(rc, FSettings));
            Retry(now);
            return;
        }
        if (FConnected)
            Publish(now);
    }

    // A clean end: the last events (the program's end among them) and
    // "offline" sent and flushed, then a proper disconnect, so the broker
    // does not publish the will as well.
    void Close() {
        if (!FClient)
            return;
        if (!FConnected) {
            // Nothing can be sent now; the user learns how much was lost.
            const std::size_t unsent = FEvents->Take().size();
            Say("stopped, not connected to " + MqttServerText(FSettings) +
                (unsent ? "; " + Counted(unsent, "event") + " not sent" : ""));
            return;
        }
        PublishEvents(*FSnapshots.Current());
        Send(FTopics.Status(), "offline", 1, true);
        const auto end = TClock::now() + OfflineFlushLimit;
        while (!FUnacked.empty() && TClock::now() < end &&
               mosquitto_loop(FClient.get(), LoopWaitMs, 1) == MOSQ_ERR_SUCCESS) {
        }
        mosquitto_disconnect(FClient.get());
        FConnected = false;
        Say("stopped; said offline to " + MqttServerText(FSettings) +
            (FUnacked.empty()
                 ? ""
                 : ", " + Counted(FUnacked.size(), "message") + " not acknowledged in time"));
    }

private:
    void Say(const std::string& line) {
        if (FLog)
            FLog("MQTT: " + line);
    }
    // A connection problem, logged when it differs from the last one, so a
    // broker that stays away does not fill the log.
    void Problem(const std::string& text) {
        if (text != FLastProblem)
            Say(text + "; trying again, at most every " + std::to_string(MqttLongestRetry.count()) +
                " s");
        FLastProblem = text;
    }

    void Attempt(TClock::time_point now) {
        FAttemptFailed = false;
        const int rc = FEverTried ? mosquitto_reconnect_async(FClient.get())
                                  : mosquitto_connect_async(FClient.get(), FSettings.Host.c_str(),
                                                            FSettings.Port, KeepAliveS);
        FEverTried = true;
        if (rc != MOSQ_ERR_SUCCESS) {
            Problem("cannot connect to " + MqttServerText(FSettings) + ": " +
                    MqttErrorText(rc, FSettings));
            Retry(now);
            return;
        }
        FSocketUp = true;
    }

    void Retry(TClock::time_point now) {
        FSocketUp = false;
        FRetry = NextMqttRetry(FRetry);
        FNextAttempt = now + FRetry;
    }

    void OnConnect(int rc) {
        if (rc != 0) {
            FAttemptFailed = true;
            Problem(MqttServerText(FSettings) +
                    " refused the connection: " + MqttRefusalText(rc, FSettings));
            mosquitto_disconnect(FClient.get());
            return;
        }
        FRetry = {};
        Say((FLastProblem.empty() ? "connected to " : "connected again to ") +
            MqttServerText(FSettings) + ", publishing under " + FTopics.Prefix());
        FLastProblem.clear();
        FConnected = true;
        // What the library still holds from the last connection it sends
        // again by itself; the count starts afresh so a message the broker
        // never acknowledged cannot hold the events back for good.
        FUnacked.clear();
        Send(FTopics.Status(), "online", 1, true);
        // Everything again: the broker may have lost what it retained.
        FSent = {};
        FLastSequence = 0;
        const std::string filters[] = {FTopics.DiscoveryFilter(), FTopics.UnitFilter()};
        for (const std::string& filter : filters)
            mosquitto_subscribe(FClient.get(), nullptr, filter.c_str(), 0);
        FCleanupEnds = TClock::now() + CleanupWindow;
        FCleaning = true;
    }

    // A retained topic of this publisher: cleared when its unit is no longer
    // listed (removed while the publisher was not running).
    void OnRetained(const mosquitto_message* message) {
        if (!FCleaning || message->payloadlen == 0 || !message->retain)
            return;
        const std::shared_ptr<const TRecordSnapshot> snapshot = FSnapshots.Current();
        if (snapshot->Sequence == 0)
            return; // the list is not known yet
        const std::optional<uint8_t> address = FTopics.AddressOf(message->topic);
        if (!address)
            return;
        for (const TUnitSnapshot& unit : snapshot->Units)
            if (unit.Address == *address)
                return;
        Send(message->topic, "", 0, true);
    }

    void Send(const std::string& topic, const std::string& payload, int qos, bool retain) {
        int mid = 0;
        const int rc = mosquitto_publish(FClient.get(), &mid, topic.c_str(), int(payload.size()),
                                         payload.data(), qos, retain);
        if (rc == MOSQ_ERR_SUCCESS && qos > 0)
            FUnacked.insert(mid);
    }

    void Publish(TClock::time_point now) {
        if (FCleaning && now >= FCleanupEnds) {
            mosquitto_unsubscribe(FClient.get(), nullptr, FTopics.DiscoveryFilter().c_str());
            mosquitto_unsubscribe(FClient.get(), nullptr, FTopics.UnitFilter().c_str());
            FCleaning = false;
        }
        const std::shared_ptr<const TRecordSnapshot> snapshot = FSnapshots.Current();
        const bool full = now >= FNextFull;
        const bool changed = snapshot->Sequence != FLastSequence && now >= FNextScan;
        if (snapshot->Sequence != 0 && (changed || full)) {
            PublishUnits(*snapshot, full);
            FLastSequence = snapshot->Sequence;
            FNextScan = now + ScanPeriod;
            if (full)
                FNextFull = now + std::chrono::seconds(FSettings.IntervalS);
        }
        // Events wait in their bounded queue while the broker has not yet
        // acknowledged a queue's worth.
        if (FUnacked.size() < MqttEventCapacity)
            PublishEvents(*snapshot);
    }

    void PublishUnits(const TRecordSnapshot& snapshot, bool full) {
        std::array<bool, UpsTableSize> listed{};
        for (const TUnitSnapshot& unit : snapshot.Units) {
            listed[unit.Address] = true;
            TSentUnit& sent = FSent[unit.Address];
            sent.Listed = true;
            const bool renamed = sent.Name != unit.Name;
            if (!sent.Discovered || renamed) {
                for (const TMqttMessage& config : DiscoveryConfigs(unit, FTopics, FModel))
                    Send(config.Topic, config.Payload, 0, true);
                sent.Discovered = true;
                sent.Name = unit.Name;
            }
            const TUnitStateView view = UnitStateViewOf(unit.Record);
            if (full || renamed || !sent.StateSent || view != sent.View) {
                Send(FTopics.State(unit.Address), UnitStateJson(unit, FModel), 0, true);
                sent.View = view;
                sent.StateSent = true;
            }
            const bool available = MqttUnitAvailable(unit.Record);
            if (full || !sent.AvailabilitySent || available != sent.Available) {
                Send(FTopics.Availability(unit.Address), available ? "online" : "offline", 0, true);
                sent.Available = available;
                sent.AvailabilitySent = true;
            }
        }
        // Units taken off the device list leave Home Assistant.
        for (std::size_t at = 0; at < FSent.size(); ++at) {
            if (!FSent[at].Listed || listed[at])
                continue;
            const auto address = uint8_t(at);
            for (const std::string& topic : DiscoveryTopics(address, FTopics))
                Send(topic, "", 0, true);
            Send(FTopics.State(address), "", 0, true);
            Send(FTopics.Availability(address), "", 0, true);
            FSent[at] = {};
        }
    }

    void PublishEvents(const TRecordSnapshot& snapshot) {
        for (const TStreamedEvent& event : FEvents->Take()) {
            std::string name;
            for (const TUnitSnapshot& unit : snapshot.Units)
                if (unit.Address == event.Event.Address)
                    name = unit.Name;
            Send(FTopics.Events(), EventJson(event, name), 1, false);
        }
        if (const uint64_t dropped = FEvents->Dropped(); dropped != FReportedDropped) {
            Say(Counted(dropped - FReportedDropped, "event") +
                " dropped while the broker could not take them (queue of " +
                std::to_string(MqttEventCapacity) + ")");
            FReportedDropped = dropped;
        }
    }

    const TMqttSettings FSettings;
    const std::string FModel;
    const TMqttTopics FTopics;
    const TSnapshotHub& FSnapshots;
    const std::shared_ptr<TEventSubscription> FEvents;
    const TMqttLog FLog;
    std::atomic<bool>& FConnected;
    std::unique_ptr<mosquitto, TMqttClientDeleter> FClient;

    bool FSocketUp = false;
    bool FEverTried = false;
    bool FAttemptFailed = false;
    std::chrono::seconds FRetry{};
    TClock::time_point FNextAttempt{};
    std::string FLastProblem;

    std::set<int> FUnacked; // message ids of events the broker has not acknowledged
    std::array<TSentUnit, UpsTableSize> FSent; // by address
    uint64_t FLastSequence = 0;
    TClock::time_point FNextFull{};
    TClock::time_point FNextScan{};
    bool FCleaning = false;
    TClock::time_point FCleanupEnds{};
    uint64_t FReportedDropped = 0;
};

TMqttPublisher::TMqttPublisher(TMqttSettings settings, std::string model,
                               const TSnapshotHub& snapshots, TEventStream& events, TMqttLog log,
                               std::unique_ptr<TMqttPublisher> previous)
    : FSession(std::make_unique<TSession>(std::move(settings), std::move(model), snapshots, events,
                                          std::move(log), FConnected)) {
    FThread = std::thread([this, previous = std::move(previous)]() mutable {
        previous.reset();
        if (!FSession->Enabled())
            return;
        while (!FStop)
            FSession->Turn();
        FSession->Close();
    });
}

TMqttPublisher::~TMqttPublisher() {
    FStop = true;
    FThread.join();
}

uint64_t TMqttPublisher::EventsDropped() const {
    return FSession->Dropped();
}

TMqttTestAnswer TestMqttConnection(const TMqttSettings& settings, int timeoutMs) {
    using TKind = TMqttTestAnswer::TKind;
    struct TAnswer {
        int Connack = -1;
    } answer;
    std::string error;
    const std::unique_ptr<mosquitto, TMqttClientDeleter> client(
        MakeMqttClient(settings, &answer, error));
    const std::string server = MqttServerText(settings);
    if (!client)
        return {TKind::Unusable, server, error};
    mosquitto_connect_callback_set(
        client.get(), [](mosquitto*, void* a, int rc) { static_cast<TAnswer*>(a)->Connack = rc; });
    int rc =
        mosquitto_connect_async(client.get(), settings.Host.c_str(), settings.Port, KeepAliveS);
    const auto end = TClock::now() + std::chrono::milliseconds(timeoutMs);
    while (rc == MOSQ_ERR_SUCCESS && answer.Connack < 0 && TClock::now() < end)
        rc = mosquitto_loop(client.get(), LoopWaitMs, 1);
    // A refusal closes the connection too: the broker's answer says more.
    if (answer.Connack > 0)
        return {TKind::Refused, server, MqttRefusalText(answer.Connack, settings)};
    if (rc != MOSQ_ERR_SUCCESS)
        return {TKind::CannotConnect, server, MqttErrorText(rc, settings)};
    if (answer.Connack < 0)
        return {TKind::NoAnswer, server, {}, timeoutMs / 1000};
    mosquitto_disconnect(client.get());
    return {TKind::Connected, server, {}};
}
