// The search driven through the real poll engine and the real protocol
// objects, tick by tick over a pseudo-terminal: every protocol probes each
// address of the range once, in ascending order, and nothing outside it.

#include "comm/SearchHooks.h"
#include "base/SharedFlags.h"
#include "config/UUserParaIni.h"
#include "devices/EquipSearch.h"
#include "protocol/uKModbus.h"
#include "protocol/uNordelProtocol.h"
#include "protocol/uYDTV31.h"
#include "record/UpsRecordOps.h"
#include "tests/comm/EngineRig.h"
#include "tests/support/CodecState.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records the frames the engine sends, as the trace window would see them.
struct TSentFrames : TTraceSink {
    std::vector<std::vector<uint8_t>> Frames;
    void EchoReceived(const uint8_t*, int) override {}
    void EchoSent(const uint8_t* bytes, int length) override {
        Frames.emplace_back(bytes, bytes + length);
    }
    void RefreshTrace() override {}
    void ShowRecCountdown(int32_t) override {}
};

// The bus address a request names: hex digits 3-4 of an ASCII frame
// ("~21012A..."), the first byte of an RTU frame.
int AddressOf(const std::vector<uint8_t>& frame) {
    if (!frame.empty() && frame[0] == '~' && frame.size() >= 5)
        return std::stoi(std::string(frame.begin() + 3, frame.begin() + 5), nullptr, 16);
    return frame.empty() ? -1 : frame[0];
}

struct TProbeRow {
    uint8_t Protocol;
    const char* Name;
};

class SearchProbes : public ::testing::TestWithParam<TProbeRow>, protected TEngineRig {
protected:
    TYdtV31Protocol Modular{TxBuffer, RxBuffer};
    TNordelProtocol ThreePhase{TxBuffer, RxBuffer};
    TMModbus Modbus{TxBuffer};
    TSentFrames Sent;
    TEquipSearch Search;

    void SetUp() override {
        ResetCodecState();
        DbgCnt = {};
        UserPara = {};
        TPortInfo& port = UserPara.PortInfo;
        port.ComName = Pty.SlavePath();
        port.BaudRate = 9600;
        port.StopBits = 1;
        port.Protocol = GetParam().Protocol;
        port.ReadIntervalTimeout = 20;
        port.MaxReSend = 2;
        Engine.Codecs = {MakeYdtV31Hooks(Modular), MakeNordelHooks(ThreePhase),
                         MakeModbusHooks(Modbus), MakeModbusHooks(Modbus)};
        Engine.Trace = &Sent;
        Engine.TraceVisible = true;
        SearchHooks = {[this] { return Search.NextSearchAddress(); },
                       [this](uint8_t address) { Search.DeviceFound(address); }};
    }
    void TearDown() override {
        SearchHooks = {};
        SearchMode = 0;
    }
};

TEST_P(SearchProbes, OneProbePerAddressInTheRange) {
    // A listed device is not polled during the search.
    ASSERT_TRUE(AppendEquip({0, 40, "UPS 40"}));
    ASSERT_TRUE(Engine.Start());
    Engine.TraceVisible = true;
    Search.From = 1;
    Search.To = 16;
    Search.Toggle();
    int ticks = 0;
    while (Search.Searching() && ticks < 1000) {
        Engine.Timer1Timer();
        ++ticks;
    }
    ASSERT_FALSE(Search.Searching());
    EXPECT_TRUE(Search.Completed());
    // 13 ticks per address with MaxReSend 2, then the tick that ends it.
    EXPECT_EQ(ticks, 16 * 13 + 1);
    EXPECT_EQ(Engine.EngineStep, StepSearchEnded);

    std::vector<int> probed;
    for (const auto& frame : Sent.Frames)
        probed.push_back(AddressOf(frame));
    std::vector<int> expected;
    for (int a = 1; a <= 16; ++a)
        expected.push_back(a);
    EXPECT_EQ(probed, expected) << GetParam().Name;

    // Afterwards polling of the list resumes: the listed device is asked
    // within one poll sequence (a codec may first finish the sequence it
    // had begun, there is no more than that).
    for (int i = 0; i < 6 * 13; ++i)
        Engine.Timer1Timer();
    bool polled = false;
    for (std::size_t i = 16; i < Sent.Frames.size(); ++i)
        polled = polled || AddressOf(Sent.Frames[i]) == 40;
    EXPECT_TRUE(polled) << GetParam().Name;
}

INSTANTIATE_TEST_SUITE_P(Protocols, SearchProbes,
                         ::testing::Values(TProbeRow{0, "Modular"}, TProbeRow{1, "ThreePhase"},
                                           TProbeRow{2, "Modbus"}, TProbeRow{3, "Vex"}),
                         [](const auto& info) { return std::string(info.param.Name); });

// The engine asks for no probe outside 1..252, even when the search window
// hands it one.
TEST(SearchProbeGuard, AnAddressOutsideTheBusEndsTheSearch) {
    TEngineRig rig;
    TPollEngine& engine = rig.Engine;
    ResetCodecState();
    UserPara = {};
    UserPara.PortInfo.ComName = rig.Pty.SlavePath();
    UserPara.PortInfo.BaudRate = 9600;
    UserPara.PortInfo.MaxReSend = 2;
    int built = 0;
    engine.Codecs[0].BuildQuery = [&] {
        ++built;
        TxBuffer[0] = SearchAddress;
        return TBuiltQuery{1, SearchAddress};
    };
    ASSERT_TRUE(engine.Start());
    for (uint8_t bad : {uint8_t(0), uint8_t(253), uint8_t(255)}) {
        SearchHooks = {[bad] { return bad; }, nullptr};
        SearchMode = 255;
        engine.Timer1Timer();
        EXPECT_EQ(SearchMode, 0) << int(bad);
        EXPECT_EQ(engine.EngineStep, StepSearchEnded) << int(bad);
    }
    EXPECT_EQ(built, 0);
    SearchHooks = {};
}

} // namespace
