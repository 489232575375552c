// The line's state for the tray: the worst state over the units, the counts,
// and the sentence in both languages.

#include "notify/BusSummary.h"
#include "status/StatusCodes.h"

#include <gtest/gtest.h>

namespace {
TUnitSnapshot Unit(uint8_t comm, int32_t state, uint8_t alarms = 0) {
    TUnitSnapshot unit;
    unit.Record.CommState = comm;
    unit.Record.UpsState = state;
    unit.Record.AlarmCount = alarms;
    return unit;
}
} // namespace

TEST(BusSummary, TheWorstStateAndTheCountsInBothLanguages) {
    const TUnitSnapshot normal = Unit(CommCommunicating, StateOnline);
    const TUnitSnapshot slow = Unit(CommError, StateOnline); // still answering now and then
    const TUnitSnapshot alarm = Unit(CommCommunicating, StateOnline, 2);
    const TUnitSnapshot fault = Unit(CommCommunicating, StateFault);
    const TUnitSnapshot battery = Unit(CommCommunicating, StateBattery, 1);
    const TUnitSnapshot lost = Unit(CommLost, StateNone);
    const struct {
        std::vector<TUnitSnapshot> Units;
        bool PortOpen;
        TBusState Worst;
        std::string English;
        std::string Chinese;
    } cases[] = {
        {{normal, slow}, true, TBusState::Normal, "2 units: 2 normal", "2 台 UPS：2 台正常"},
        {{normal, alarm, fault},
         true,
         TBusState::Alarm,
         "3 units: 1 normal, 2 in alarm",
         "3 台 UPS：1 台正常，2 台告警"},
        {std::vector<TUnitSnapshot>(14, normal), true, TBusState::Normal, "14 units: 14 normal",
         "14 台 UPS：14 台正常"},
        {{normal, battery, lost, normal},
         true,
         TBusState::NotCommunicating,
         "4 units: 2 normal, 1 on battery, 1 not communicating",
         "4 台 UPS：2 台正常，1 台电池供电，1 台通讯中断"},
        {{normal, battery},
         false,
         TBusState::PortClosed,
         "Port closed: 2 units not polled",
         "串口已关闭：2 台 UPS 未轮询"},
        {{}, true, TBusState::Normal, "No units in the device list", "设备列表为空"},
    };
    for (const auto& c : cases) {
        TRecordSnapshot snapshot;
        snapshot.Units = c.Units;
        snapshot.PortOpen = c.PortOpen;
        const TBusSummary summary = SummarizeBus(snapshot);
        EXPECT_EQ(summary.Worst, c.Worst) << c.English;
        EXPECT_EQ(BusSummaryText(summary, 0), c.English);
        EXPECT_EQ(BusSummaryText(summary, 1), c.Chinese);
    }
}
