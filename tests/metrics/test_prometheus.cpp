// A real Prometheus server scrapes the endpoint; its HTTP API then gives back
// what the snapshot held.

#include "metrics/MetricsServer.h"
#include "tests/metrics/PrometheusServer.h"

#include <gtest/gtest.h>

namespace {

TEST(Prometheus, ScrapesTheUnitsReadings) {
    TSnapshotHub hub;
    hub.Publish(TwoUnits());
    TMetricsServer server{TListenAddress{INADDR_LOOPBACK, 0}, hub, "1.0"};
    TPrometheusServer prometheus(server.Port());

    const std::string volts = prometheus.QueryUntil(
        R"(pelmora_input_voltage_volts{address="3",phase="a"})", R"("229.5")");
    EXPECT_NE(volts.find(R"("229.5")"), std::string::npos) << volts << prometheus.Log();
    EXPECT_NE(volts.find(R"("name":"Rack \"A\" \\ 机房\nrow 2")"), std::string::npos) << volts;

    const std::string up = prometheus.Query("pelmora_up");
    EXPECT_NE(up.find(R"("address":"3")"), std::string::npos) << up;
    const std::string lost = prometheus.Query(R"(pelmora_up{address="9"})");
    EXPECT_NE(lost.find(R"("0"])"), std::string::npos) << lost;

    // The unit comes back: the next scrapes see it.
    TRecordSnapshot back = TwoUnits();
    back.Units[1].Record.CommState = CommCommunicating;
    hub.Publish(back);
    const std::string upAgain = prometheus.QueryUntil(R"(pelmora_up{address="9"})", R"("1"])");
    EXPECT_NE(upAgain.find(R"("1"])"), std::string::npos) << upAgain;
}

} // namespace
