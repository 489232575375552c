// The Prometheus endpoint with 252 listed units: the time of a whole scrape
// over loopback HTTP (median, 99th percentile, worst), the CPU time a scrape
// costs, and the work the endpoint adds to the engine's thread, a snapshot
// of the records after each reply, beside the time between replies.
//
//   build/default/bench/bench_metrics [SCRAPES]

#include "comm/PollEngine.h"
#include "comm/SPComm.h"
#include "feed/DeskFeed.h"
#include "logging/UDataLogClass.h"
#include "logging/uEventLogClass.h"
#include "metrics/MetricsServer.h"
#include "metrics/MetricsText.h"
#include "record/EquipList.h"
#include "record/UpsRecordOps.h"
#include "tests/comm/PtyHarness.h"
#include "tests/metrics/MetricsFixture.h"
#include "tests/support/TempFolder.h"
#include "tests/support/ProcessCpu.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

} // namespace

int main(int argc, char** argv) {
    const int scrapes = argc > 1 ? std::atoi(argv[1]) : 2000;
    InitTable();
    for (int address = 1; address <= MaxEquipCount; ++address) {
        (void)AppendEquip({0, uint8_t(address), "UPS " + std::to_string(address) + " 机房"});
        TUpsInfoRec& rec = UpsTable[address];
        rec.CommState = CommCommunicating;
        rec.UpsState = 4;
        rec.InputVoltA = rec.InputVoltB = rec.InputVoltC = 229.7;
        rec.OutputVoltA = rec.OutputVoltB = rec.OutputVoltC = 220.1;
        BusHealth.Units[address].Requests = 123456;
        BusHealth.Units[address].GoodReplies = 123400;
        BusHealth.Units[address].LastReplyMs = 87;
    }
    TTempFolder folder;
    TQueueSink sink;
    TComm comm(sink);
    TEventLog events(folder.Path() + "Record/", EventLogFileName, folder.Path() + "Backup/");
    TDataLog dataLog(folder.Path() + "Record/");
    TPollEngine engine(comm, events, dataLog);
    TDeskFeed feed(engine, events);

    // The engine's side: one snapshot per reply.
    const int snapshots = 5000;
    const auto snapStart = Clock::now();
    for (int i = 0; i < snapshots; ++i)
        engine.RecordsChanged();
    const double perSnapshotMs = Ms(Clock::now() - snapStart) / snapshots;

    // The scrape, text alone and over HTTP.
    const auto textStart = Clock::now();
    std::size_t bytes = 0;
    for (int i = 0; i < 200; ++i)
        bytes = MetricsText(*feed.Snapshots.Current(), "1.0").size();
    const double textMs = Ms(Clock::now() - textStart) / 200;

    TMetricsServer server{TListenAddress{INADDR_LOOPBACK, 0}, feed.Snapshots, "1.0"};
    std::vector<double> times;
    times.reserve(std::size_t(scrapes));
    const double cpuBefore = ProcessCpuSeconds();
    for (int i = 0; i < scrapes; ++i) {
        const auto start = Clock::now();
        const std::string answer = Get(server.Port(), "/metrics");
        times.push_back(Ms(Clock::now() - start));
        if (answer.size() < bytes) {
            std::fprintf(stderr, "short answer\n");
            return 1;
        }
    }
    const double cpuPerScrapeMs = (ProcessCpuSeconds() - cpuBefore) * 1000 / scrapes;
    std::sort(times.begin(), times.end());
    const auto at = [&](double q) { return times[std::size_t(q * double(times.size() - 1))]; };

    std::printf("units                         %d\n", MaxEquipCount);
    std::printf("body                          %zu bytes\n", bytes);
    std::printf("text alone                    %.3f ms\n", textMs);
    std::printf("scrape over HTTP  median      %.3f ms\n", at(0.5));
    std::printf("                  99th pct    %.3f ms\n", at(0.99));
    std::printf("                  worst       %.3f ms\n", times.back());
    std::printf("CPU per scrape (both ends)    %.3f ms = %.3f %% of a core at 1 scrape/s\n",
                cpuPerScrapeMs, cpuPerScrapeMs / 10);
    std::printf("snapshot per reply            %.3f ms\n", perSnapshotMs);
    return 0;
}
