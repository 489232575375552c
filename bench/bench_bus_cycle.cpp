// Bus cycle time, fixed and fast poll, against pelmora-sim at 9600 baud with
// its own reply timing: the real poll engine, the real codecs and the real
// serial port over a pseudo-terminal, hosted by a small loop on this thread
// that plays the window's 100 ms timer and its single-shot step.
//
//   bench_bus_cycle SIM_PATH [--units N] [--protocol P] [--fast 0|1]
//                   [--cycles C] [--requests R] [--read-interval MS] [--metrics 0|1]
//
// Fast poll: measures C full cycles over the device list (after the first)
// and prints the mean cycle time beside the wire time of the same cycles
// (every byte of every request and reply at 10 bits a character). Fixed
// waits: every request takes the same 13 ticks answered or not, so the
// program measures R requests and computes the cycle from the requests of
// one cycle (units x steps); --cycles then measures whole cycles instead.
// Also prints the CPU this process used (engine, port threads, codecs) in
// percent of one core. --metrics 1 measures the cost of the Prometheus
// endpoint in the same run: the measured cycles take turns with the endpoint
// off and on (the readers' feed, the HTTP server and a client scraping it
// every second), and the mean cycle of each is printed.

#include "comm/BusHealth.h"
#include "comm/PollEngine.h"
#include "comm/SPComm.h"
#include "config/UUserParaIni.h"
#include "feed/DeskFeed.h"
#include "logging/UDataLogClass.h"
#include "logging/uEventLogClass.h"
#include "metrics/MetricsServer.h"
#include "protocol/uKModbus.h"
#include "protocol/uYDTV31.h"
#include "record/EquipList.h"
#include "record/UpsRecordOps.h"
#include "tests/comm/PtyHarness.h"
#include "tests/e2e/ChildProcess.h"
#include "tests/metrics/MetricsFixture.h"
#include "tests/support/TempFolder.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <thread>

namespace {

struct TOptions {
    std::string Sim;
    int Units = 16;
    int Protocol = 0;
    bool Fast = true;
    int Cycles = 0;    // 0: fast 2, fixed none (computed from requests); -1 = none
    int Requests = 20; // fixed waits: requests measured
    int ReadInterval = 200;
    bool Metrics = false; // cycles alternate with the endpoint off and on
};

TOptions Parse(int argc, char** argv) {
    TOptions o;
    o.Sim = argc > 1 ? argv[1] : "";
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const int value = std::stoi(argv[i + 1]);
        if (key == "--units")
            o.Units = value;
        else if (key == "--protocol")
            o.Protocol = value;
        else if (key == "--fast")
            o.Fast = value != 0;
        else if (key == "--cycles")
            o.Cycles = value;
        else if (key == "--requests")
            o.Requests = value;
        else if (key == "--read-interval")
            o.ReadInterval = value;
        else if (key == "--metrics")
            o.Metrics = value != 0;
    }
    if (!o.Fast && o.Cycles == 0)
        o.Cycles = -1;
    else if (o.Cycles == 0)
        o.Cycles = 2;
    return o;
}

// Counts the bytes on the line and the requests, as the trace window sees them.
struct TByteCounter : TTraceSink {
    int64_t Bytes = 0;
    int64_t Requests = 0;
    void EchoReceived(const uint8_t*, int length) override { Bytes += length; }
    void EchoSent(const uint8_t*, int length) override {
        Bytes += length;
        ++Requests;
    }
    void RefreshTrace() override {}
    void ShowRecCountdown(int32_t) override {}
};

double CpuMs() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return (use.ru_utime.tv_sec + use.ru_stime.tv_sec) * 1e3 +
           (use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e3;
}

// The endpoint with a client scraping it every second, for as long as it lives.
struct TScrapedEndpoint {
    TDeskFeed Feed;
    TMetricsServer Server;
    std::atomic<bool> Done{false};
    std::atomic<int> Scrapes{0};
    std::thread Client;

    TScrapedEndpoint(TPollEngine& engine, TEventLog& events)
        : Feed(engine, events), Server(TListenAddress{INADDR_LOOPBACK, 0}, Feed.Snapshots, "1.0"),
          Client([this] {
              while (!Done) {
                  if (Get(Server.Port(), "/metrics").find("pelmora_up") != std::string::npos)
                      ++Scrapes;
                  for (int i = 0; i < 10 && !Done; ++i)
                      std::this_thread::sleep_for(std::chrono::milliseconds(100));
              }
          }) {}
    ~TScrapedEndpoint() {
        Done = true;
        Client.join();
    }
};

std::string UnitList(int units) {
    std::string list;
    for (int unit = 1; unit <= units; ++unit)
        list += (unit > 1 ? "," : "") + std::to_string(unit);
    return list;
}

} // namespace

int main(int argc, char** argv) {
    const TOptions o = Parse(argc, argv);
    if (o.Sim.empty() || o.Units < 1 || o.Units > 252) {
        std::fprintf(stderr, "usage: bench_bus_cycle SIM_PATH [--units N] [--protocol 0|2] "
                             "[--fast 0|1] [--cycles C] [--requests R] [--read-interval MS]\n");
        return 2;
    }
    TTempFolder folder;
    const std::string link = folder.Path() + "ttyUPS";
    TChildProcess sim({.Program = o.Sim,
                       .Args = {"--protocol", std::to_string(o.Protocol), "--units",
                                UnitList(o.Units), "--link", link, "--quiet"},
                       .StderrPath = folder.Path() + "sim.log"});
    for (int i = 0; i < 100 && !std::filesystem::is_symlink(link); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));

    InitTable();
    EquipList = {};
    for (int unit = 1; unit <= o.Units; ++unit)
        (void)AppendEquip({0, uint8_t(unit), "UPS " + std::to_string(unit)});
    UserPara = {};
    TPortInfo& port = UserPara.PortInfo;
    port.ComName = link;
    port.BaudRate = 9600;
    port.StopBits = 1;
    port.Protocol = uint8_t(o.Protocol);
    port.ReadIntervalTimeout = o.ReadInterval;
    port.MaxReSend = 2;
    port.FastPoll = o.Fast;
    UserPara.RecInterval = 0;
    ModelName = "VEX610";

    TQueueSink sink;
    TComm comm(sink);
    TEventLog events(folder.Path() + "Record/", EventLogFileName, folder.Path() + "Backup/");
    TDataLog dataLog(folder.Path() + "Record/");
    TPollEngine engine(comm, events, dataLog);
    TYdtV31Protocol ydt(TxBuffer, RxBuffer);
    TMModbus modbus(TxBuffer);
    engine.Codecs[0] = MakeYdtV31Hooks(ydt);
    engine.Codecs[2] = MakeModbusHooks(modbus);
    TByteCounter counter;
    engine.Trace = &counter;

    using TClock = std::chrono::steady_clock;
    TClock::time_point stepAt = TClock::time_point::max();
    engine.ScheduleStep = [&](int delayMs) {
        stepAt = TClock::now() + std::chrono::milliseconds(delayMs);
    };
    if (!engine.Start()) {
        std::fprintf(stderr, "the simulator's port did not open\n");
        return 1;
    }
    engine.TraceVisible = true;

    // The host loop: notices as they come, the tick every 100 ms, the step when due.
    TClock::time_point nextTick = TClock::now();
    int cyclesSeen = 0;
    uint32_t cyclesDone = 0;
    int64_t bytesAtStart = 0, requestsAtStart = 0;
    double cpuAtStart = 0;
    TClock::time_point measureStart{};
    std::unique_ptr<TScrapedEndpoint> endpoint;
    TClock::time_point cycleStart{};
    double cycleSum[2] = {0, 0}; // endpoint off, on
    int cycleCount[2] = {0, 0};
    int scrapes = 0;
    const auto cycleStarted = [&] {
        if (BusHealth.CycleCount == cyclesDone)
            return false;
        cyclesDone = BusHealth.CycleCount;
        return true;
    };
    for (;;) {
        const auto now = TClock::now();
        const auto until = std::min(nextTick, stepAt);
        if (until > now) {
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(until - now);
            if (auto notice = sink.Next(wait))
                comm.DeliverNotice(std::move(*notice));
        }
        if (TClock::now() >= stepAt) {
            stepAt = TClock::time_point::max();
            engine.FastStep();
        }
        if (TClock::now() >= nextTick) {
            nextTick += std::chrono::milliseconds(EngineTimerInterval);
            engine.Timer1Timer();
        }
        if (o.Cycles < 0) {
            // Fixed waits: R requests after the first few.
            if (counter.Requests == 3 && measureStart == TClock::time_point{}) {
                measureStart = TClock::now();
                cpuAtStart = CpuMs();
            }
            if (counter.Requests == 3 + o.Requests)
                break;
            continue;
        }
        if (!cycleStarted())
            continue;
        if (o.Metrics) {
            // Each measured cycle is booked to the state the endpoint was in.
            const bool wasOn = endpoint != nullptr;
            if (cyclesSeen >= 1) {
                cycleSum[wasOn] +=
                    std::chrono::duration<double>(TClock::now() - cycleStart).count();
                ++cycleCount[wasOn];
            }
            if (endpoint)
                scrapes += endpoint->Scrapes;
            endpoint.reset();
            if (cyclesSeen % 2 == 1)
                endpoint = std::make_unique<TScrapedEndpoint>(engine, events);
            cycleStart = TClock::now();
        }
        // The first full cycle ends here; measure from now on.
        if (++cyclesSeen == 1) {
            measureStart = TClock::now();
            bytesAtStart = counter.Bytes;
            requestsAtStart = counter.Requests;
            cpuAtStart = CpuMs();
        } else if (cyclesSeen > o.Cycles) {
            break;
        }
    }
    const double wallMs =
        std::chrono::duration<double, std::milli>(TClock::now() - measureStart).count();
    const double cpuPct = (CpuMs() - cpuAtStart) * 100 / wallMs;
    const char* mode = o.Fast ? "fast" : "fixed";
    if (o.Cycles < 0) {
        const double perRequest = wallMs / o.Requests;
        const int steps = o.Protocol == 0 ? 5 : 4;
        std::printf("protocol %d, %d units, %s: %.1f ms per request over %d requests; "
                    "cycle (%d requests) computed %.1f s; CPU %.2f %% of one core\n",
                    o.Protocol, o.Units, mode, perRequest, o.Requests, o.Units * steps,
                    perRequest * o.Units * steps / 1000, cpuPct);
    } else {
        const int measured = o.Cycles;
        const double cycleS = wallMs / measured / 1000;
        const double wireS =
            double(LineTimeMs(9600, counter.Bytes - bytesAtStart)) / measured / 1000;
        std::printf("protocol %d, %d units, %s: cycle %.2f s measured over %d cycle(s) "
                    "(%lld requests each), wire time %.2f s, ratio %.2f; last cycle %.2f s; "
                    "CPU %.2f %% of one core\n",
                    o.Protocol, o.Units, mode, cycleS, measured,
                    (long long)((counter.Requests - requestsAtStart) / measured), wireS,
                    cycleS / wireS, BusHealth.LastCycleMs / 1000.0, cpuPct);
    }
    if (o.Metrics && cycleCount[0] > 0 && cycleCount[1] > 0) {
        const double off = cycleSum[0] / cycleCount[0], on = cycleSum[1] / cycleCount[1];
        std::printf("endpoint off: %.3f s over %d cycles; on, scraped every second: %.3f s over "
                    "%d cycles (%d scrapes); difference %+.2f %%\n",
                    off, cycleCount[0], on, cycleCount[1], scrapes, (on - off) * 100 / off);
    }
    endpoint.reset();
    engine.Finish();
    sim.StopWith(SIGTERM, 5000);
    return 0;
}
