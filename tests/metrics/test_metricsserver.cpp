// The endpoint's HTTP side against good and bad clients on a real loopback
// socket: every request gets a clear answer or is dropped, and a scrape still
// works afterwards.

#include "metrics/MetricsServer.h"
#include "tests/metrics/MetricsFixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class MetricsServerTest : public ::testing::Test {
protected:
    TSnapshotHub Hub;
    TMetricsServer Server{TListenAddress{INADDR_LOOPBACK, 0}, Hub, "1.0", 1};

    void SetUp() override { Hub.Publish(TwoUnits()); }

    void ExpectScrapeWorks() {
        const std::string answer = Get(Server.Port(), "/metrics");
        EXPECT_EQ(answer.rfind("HTTP/1.1 200", 0), 0u) << answer.substr(0, 200);
        EXPECT_NE(answer.find("Content-Type: text/plain; version=0.0.4"), std::string::npos);
        EXPECT_NE(answer.find("\npelmora_up{address=\"3\""), std::string::npos);
    }
};

TEST_F(MetricsServerTest, AnswersEachRequestClearly) {
    ExpectScrapeWorks();
    const std::pair<std::string, const char*> cases[] = {
        {"GET / HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", "HTTP/1.1 404"},
        {"POST /metrics HTTP/1.1\r\nHost: x\r\nContent-Length: 3\r\nConnection: close\r\n\r\nabc",
         "HTTP/1.1 405"},
        {"DELETE /metrics HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", "HTTP/1.1 405"},
        {"GARBAGE\r\n\r\n", ""}, // no request line: dropped without a word
        {"GET\r\n\r\n", ""},
        {"GET /metrics HTTP/9.9\r\nHost: x\r\n\r\n", "HTTP/1.1 505"},
        {"HEAD /metrics HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", "HTTP/1.1 200"},
    };
    for (const auto& [request, status] : cases) {
        const std::string answer = Exchange(Server.Port(), request);
        if (*status)
            EXPECT_EQ(answer.rfind(status, 0), 0u) << request << "\n" << answer.substr(0, 120);
        else
            EXPECT_EQ(answer, "") << request;
    }
    ExpectScrapeWorks();
}

TEST_F(MetricsServerTest, OversizedRequestsAreTurnedAway) {
    const std::string longPath = "GET /metrics?" + std::string(64 * 1024, 'a') +
                                 " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
    const std::string longHeader =
        "GET /metrics HTTP/1.1\r\nHost: x\r\nX-Pad: " + std::string(64 * 1024, 'b') +
        "\r\nConnection: close\r\n\r\n";
    const std::string manyHeaders = [] {
        std::string r = "GET /metrics HTTP/1.1\r\nHost: x\r\n";
        for (int i = 0; i < 4000; ++i)
            r += "X-" + std::to_string(i) + ": y\r\n";
        return r + "\r\n";
    }();
    for (const std::string& request : {longPath, longHeader, manyHeaders}) {
        const std::string answer = Exchange(Server.Port(), request);
        // An answer, if any, is an error; the server may also just close.
        if (!answer.empty())
            EXPECT_EQ(answer.rfind("HTTP/1.1 4", 0), 0u) << answer.substr(0, 120);
    }
    ExpectScrapeWorks();
}

// A client that never finishes its request is dropped after the idle time
// (1 s here); meanwhile other clients are served.
TEST_F(MetricsServerTest, ASlowClientIsDroppedAndOthersAreServed) {
    const int slow = ConnectLocal(Server.Port());
    ASSERT_GE(slow, 0);
    ASSERT_TRUE(SendAll(slow, "GET /metr"));
    ExpectScrapeWorks();
    EXPECT_EQ(ReadUntilClosed(slow, 10000), "") << "dropped without an answer";
    pollfd p{slow, POLLIN, 0};
    EXPECT_EQ(::poll(&p, 1, 0), 1) << "the server closed the connection";
    ::close(slow);
}

// More connections than the limit: the extra ones are closed at once; when
// the flood ends, scrapes are served again.
TEST_F(MetricsServerTest, AFloodOfConnectionsIsBounded) {
    std::vector<int> flood;
    for (unsigned i = 0; i < MetricsConnectionLimit + 16; ++i)
        flood.push_back(ConnectLocal(Server.Port()));
    int closedAtOnce = 0;
    for (int fd : flood) {
        pollfd p{fd, POLLIN, 0};
        char byte;
        if (fd >= 0 && ::poll(&p, 1, 200) == 1 && ::recv(fd, &byte, 1, 0) <= 0)
            ++closedAtOnce;
    }
    EXPECT_GE(closedAtOnce, 16);
    for (int fd : flood)
        if (fd >= 0)
            ::close(fd);
    ExpectScrapeWorks();
}

TEST(MetricsServer, APortInUseGivesAClearError) {
    TSnapshotHub hub;
    TMetricsServer first{TListenAddress{INADDR_LOOPBACK, 0}, hub, "1.0"};
    try {
        TMetricsServer second{TListenAddress{INADDR_LOOPBACK, first.Port()}, hub, "1.0"};
        FAIL() << "two servers on one port";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Metrics endpoint: cannot listen on 127.0.0.1:" + std::to_string(first.Port()) +
                      ": Address already in use");
    }
}

TEST(MetricsListen, ParsesTheSetting) {
    struct TCase {
        const char* Value;
        bool Ok;
        uint32_t Ipv4;
        uint16_t Port;
        const char* Error;
    };
    const TCase cases[] = {
        {"127.0.0.1:9757", true, INADDR_LOOPBACK, 9757, ""},
        {" localhost:80 ", true, INADDR_LOOPBACK, 80, ""},
        {"0.0.0.0:9757", true, 0, 9757, ""},
        {"", false, 0, 0, ""},
        {"9757", false, 0, 0, "Metrics Listen \"9757\" is not host:port"},
        {"127.0.0.1:99999", false, 0, 0, "Metrics Listen \"127.0.0.1:99999\": bad port"},
        {"127.0.0.1:", false, 0, 0, "Metrics Listen \"127.0.0.1:\": bad port"},
        {"example.org:9757", false, 0, 0,
         "Metrics Listen \"example.org:9757\": the host must be an IPv4 address or localhost"},
    };
    for (const TCase& c : cases) {
        std::string error;
        const std::optional<TListenAddress> at = ParseListen(c.Value, error);
        EXPECT_EQ(at.has_value(), c.Ok) << c.Value;
        EXPECT_EQ(error, c.Error) << c.Value;
        if (at) {
            EXPECT_EQ(at->Ipv4, c.Ipv4) << c.Value;
            EXPECT_EQ(at->Port, c.Port) << c.Value;
        }
    }
}

} // namespace
