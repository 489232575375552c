// How long a reply takes from its last byte on the line to the thread that
// delivers it (expected: the read interval time-out plus a few ms), and what
// an idle open port costs in CPU (expected: nothing, the workers block).
// Runs over a pseudo-terminal pair; prints the figures.

#include "comm/SPComm.h"
#include "tests/comm/PtyHarness.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <sys/resource.h>
#include <thread>
#include <vector>

using namespace std::chrono;
using namespace std::chrono_literals;

namespace {

constexpr int Rounds = 10;

double Ms(steady_clock::duration d) {
    return duration<double, std::milli>(d).count();
}

// Waits for the next received chunk and delivers it; its arrival time, or
// nothing when none comes.
std::optional<steady_clock::time_point> NextChunkArrival(TComm& comm, TQueueSink& sink) {
    while (auto notice = sink.Next(5s)) {
        const auto arrived = steady_clock::now();
        const bool isChunk = notice->Kind == CommNoticeReceiveData;
        comm.DeliverNotice(std::move(*notice));
        if (isChunk)
            return arrived;
    }
    return std::nullopt;
}

void MeasureLatency(uint32_t readInterval) {
    TPtyPair pty;
    TQueueSink sink;
    TComm comm(sink);
    comm.SetCommName(pty.SlavePath());
    comm.SetReadIntervalTimeout(readInterval);
    comm.OpenPort();

    const std::string reply(30, 'R');
    std::vector<double> latencies;
    for (int round = 0; round < Rounds; ++round) {
        pty.Write(reply);
        const auto lastByte = steady_clock::now();
        const auto arrived = NextChunkArrival(comm, sink);
        if (!arrived) {
            std::printf("ReadIntervalTimeout %4u ms: no chunk arrived\n", readInterval);
            return;
        }
        latencies.push_back(Ms(*arrived - lastByte));
    }
    const auto [low, high] = std::minmax_element(latencies.begin(), latencies.end());
    double sum = 0;
    for (double l : latencies)
        sum += l;
    const double mean = sum / latencies.size();
    std::printf("ReadIntervalTimeout %4u ms: last byte to delivery min %7.2f  mean %7.2f  max "
                "%7.2f ms  (mean - time-out %+.2f ms)\n",
                readInterval, *low, mean, *high, mean - readInterval);
}

double CpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

void MeasureIdleCpu() {
    TPtyPair pty;
    TQueueSink sink;
    TComm comm(sink);
    comm.SetCommName(pty.SlavePath());
    comm.SetReadIntervalTimeout(200);
    comm.OpenPort();
    std::this_thread::sleep_for(100ms); // let the writer post its first idle notice

    const double before = CpuMs();
    const auto start = steady_clock::now();
    std::this_thread::sleep_for(2s);
    const double after = CpuMs();
    std::printf("Idle open port: %.3f ms CPU (user + system, whole process) over %.0f ms\n",
                after - before, Ms(steady_clock::now() - start));
}

} // namespace

int main() {
    for (const uint32_t readInterval : {20u, 50u, 100u, 200u, 300u})
        MeasureLatency(readInterval);
    MeasureIdleCpu();
    return 0;
}
