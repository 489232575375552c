// MQTT publishing with 252 listed units, against a real Mosquitto broker on
// a free loopback port: the time to make one unit's JSON state, and the CPU
// the publisher adds to a process fed snapshots at the rate of a fast-poll
// bus (one reply, and so one snapshot, every 65 ms), one unit's readings
// changing in each, measured beside the same feeding with publishing off.
//
//   build/default/bench/bench_mqtt [SECONDS]

#include "mqtt/MqttPublisher.h"
#include "mqtt/MqttUnitState.h"
#include "status/StatusCodes.h"
#include "tests/mqtt/MosquittoBroker.h"
#include "tests/support/ProcessCpu.h"

#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;

TRecordSnapshot Units() {
    TRecordSnapshot snapshot;
    for (int address = 1; address <= 252; ++address) {
        TUnitSnapshot unit;
        unit.Address = uint8_t(address);
        unit.Name = "UPS " + std::to_string(address) + " 机房";
        unit.Record.CommState = CommCommunicating;
        unit.Record.UpsState = StateOnline;
        unit.Record.InputVoltA = unit.Record.InputVoltB = unit.Record.InputVoltC = 229.7;
        unit.Record.OutputVoltA = unit.Record.OutputVoltB = unit.Record.OutputVoltC = 220.1;
        unit.Record.OutputFreq = 50;
        unit.Record.BattCapacity = 100;
        snapshot.Units.push_back(unit);
    }
    return snapshot;
}

// Feeds snapshots for `seconds` at the bus's pace; the CPU the process used.
double Feed(TSnapshotHub& hub, int seconds) {
    TRecordSnapshot snapshot = Units();
    const double cpu = ProcessCpuSeconds();
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    for (std::size_t reply = 0; Clock::now() < end; ++reply) {
        TUnitSnapshot& unit = snapshot.Units[reply % snapshot.Units.size()];
        unit.Record.InputVoltA = 225 + double(reply % 90) / 10;
        hub.Publish(snapshot);
        std::this_thread::sleep_for(std::chrono::milliseconds(65));
    }
    return ProcessCpuSeconds() - cpu;
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    const TRecordSnapshot snapshot = Units();
    constexpr int Rounds = 200;
    std::size_t bytes = 0;
    const auto start = Clock::now();
    for (int round = 0; round < Rounds; ++round)
        for (const TUnitSnapshot& unit : snapshot.Units)
            bytes += UnitStateJson(unit, "Modbus UPS").size();
    const double perUnitUs =
        std::chrono::duration<double, std::micro>(Clock::now() - start).count() /
        (Rounds * double(snapshot.Units.size()));
    std::printf("JSON state of one unit: %.2f us, %zu bytes\n", perUnitUs,
                bytes / (Rounds * snapshot.Units.size()));

    TMosquittoBroker broker;
    TSnapshotHub hub;
    TEventStream events;
    const double off = Feed(hub, seconds);
    double on = 0;
    {
        TMqttSettings settings;
        settings.Host = "127.0.0.1";
        settings.Port = broker.Port();
        settings.TopicPrefix = "bench";
        TMqttPublisher publisher(settings, "Modbus UPS", hub, events,
                                 [](const std::string& line) { std::puts(line.c_str()); });
        on = Feed(hub, seconds);
    }
    std::printf("CPU over %d s, %% of one core: publishing off %.3f, on %.3f, added %.3f\n",
                seconds, off * 100 / seconds, on * 100 / seconds, (on - off) * 100 / seconds);
}
