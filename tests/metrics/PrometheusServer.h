#pragma once
// A real Prometheus server (Debian's prometheus) for one test: a free
// loopback port, a temporary configuration that scrapes one target every
// second, a temporary storage folder; stopped when the object goes.

#include "tests/e2e/ChildProcess.h"
#include "tests/metrics/MetricsFixture.h"
#include "tests/support/TempFolder.h"

#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

// A port nobody listens on now: bound to port 0, read back, released.
inline uint16_t FreeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

class TPrometheusServer {
public:
    explicit TPrometheusServer(uint16_t targetPort) : FPort(FreeLoopbackPort()) {
        WriteBytes(FFolder.Path() + "prometheus.yml",
                   "global:\n  scrape_interval: 1s\n  scrape_timeout: 1s\n"
                   "scrape_configs:\n  - job_name: pelmora\n    static_configs:\n"
                   "      - targets: ['127.0.0.1:" +
                       std::to_string(targetPort) + "']\n");
        FProcess = std::make_unique<TChildProcess>(TChildProcess::TOptions{
            .Program = "/usr/bin/prometheus",
            .Args = {"--config.file=" + FFolder.Path() + "prometheus.yml",
                     "--storage.tsdb.path=" + FFolder.Path() + "data",
                     "--web.listen-address=127.0.0.1:" + std::to_string(FPort)},
            .WorkDir = FFolder.Path(),
            .Env = {{"TMPDIR", FFolder.Path()}},
            .StderrPath = FFolder.Path() + "prometheus.log"});
    }
    ~TPrometheusServer() { FProcess->StopWith(SIGTERM, 10000); }

    // The body of an instant query through the HTTP API.
    std::string Query(const std::string& promql) {
        std::string encoded;
        for (const unsigned char c : promql) {
            if (std::isalnum(c) || c == '_')
                encoded += char(c);
            else {
                char hex[4];
                std::snprintf(hex, sizeof hex, "%%%02X", c);
                encoded += hex;
            }
        }
        const std::string answer = Get(FPort, "/api/v1/query?query=" + encoded);
        const std::size_t body = answer.find("\r\n\r\n");
        return body == std::string::npos ? "" : answer.substr(body + 4);
    }

    // Asks again until the answer holds `expected` (the server needs a few
    // scrapes first) or `limit` has passed; the last answer.
    std::string QueryUntil(const std::string& promql, const std::string& expected,
                           std::chrono::seconds limit = std::chrono::seconds(30)) {
        const auto end = std::chrono::steady_clock::now() + limit;
        std::string answer;
        while (std::chrono::steady_clock::now() < end) {
            answer = Query(promql);
            if (answer.find(expected) != std::string::npos)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        return answer;
    }

    std::string Log() { return ReadBytes(FFolder.Path() + "prometheus.log"); }

private:
    TTempFolder FFolder;
    uint16_t FPort;
    std::unique_ptr<TChildProcess> FProcess;
};
