#pragma once
// The Prometheus endpoint: GET /metrics answered from the latest record
// snapshot on the HTTP library's own thread, so a scrape never waits on the
// bus and the engine never waits on a scrape. Slow and flooding clients are
// bounded: a limit on open connections, an idle time-out, and a memory limit
// per connection that turns away oversized requests.

#include "feed/SnapshotHub.h"
#include "metrics/MetricsListen.h"

#include <cstdint>
#include <string>

struct MHD_Daemon;

constexpr unsigned MetricsConnectionLimit = 32;
constexpr unsigned MetricsIdleTimeoutS = 5;
constexpr std::size_t MetricsRequestMemory = 16 * 1024; // headers of one request

class TMetricsServer {
public:
    // Starts listening. Throws std::runtime_error "Metrics endpoint: cannot
    // listen on <address>: <reason>" when the socket cannot be opened.
    // A client idle for `idleTimeoutS` seconds is dropped.
    TMetricsServer(const TListenAddress& at, const TSnapshotHub& hub, std::string version,
                   unsigned idleTimeoutS = MetricsIdleTimeoutS);
    ~TMetricsServer();
    TMetricsServer(const TMetricsServer&) = delete;
    TMetricsServer& operator=(const TMetricsServer&) = delete;

    // The port it listens on (the one chosen when asked for port 0).
    [[nodiscard]] uint16_t Port() const { return FPort; }

    const TSnapshotHub& Hub;
    const std::string Version;

private:
    MHD_Daemon* FDaemon = nullptr;
    uint16_t FPort = 0;
};

[[nodiscard]] std::string ListenText(const TListenAddress& at);
