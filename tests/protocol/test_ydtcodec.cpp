// What both YD/T variants do alike, run over each of them: the requests they
// build step by step, the walk through the device list, search probes and
// manual sending, the hooks, and every reason a chunk is rejected for. The
// decoders that differ are tested in test_ydtv31.cpp and test_nordel.cpp.

#include "base/funcUnit.h"
#include "protocol/EngineState.h"
#include "protocol/uNordelProtocol.h"
#include "protocol/uYDTV31.h"
#include "record/EquipList.h"
#include "record/UpsRecordOps.h"
#include "tests/support/CodecState.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace {

struct TRequestRow {
    uint16_t Addr;
    uint8_t Cmd;
    std::string_view Frame;
};

// What a test needs to know of a variant, written out rather than taken from
// the codec's own tables.
struct TVariantCase {
    const char* Name;
    uint8_t Protocol; // 0 modular, 1 three-phase
    int Version;      // VER as a number
    int OtherVersion; // the other variant's VER
    std::array<std::string_view, 5> Cid2;
    std::array<int, 5> MinInfo; // INFO characters each command's reply must hold
    // Where the step 1 reply carries output voltage A, and 220 V as sent there.
    int OutputVoltPos;
    std::string_view OutputVolt220;
    std::vector<TRequestRow> Requests;
};

const TVariantCase Variants[] = {
    {"ModularV31",
     0,
     0x31,
     0x11,
     {"42", "43", "44", "80", "82"},
     {46, 22, 38, 146, 30},
     27,
     "55F0",
     {{1, 1, "~31012A420000FDA2\r"},
      {1, 2, "~31012A430000FDA1\r"},
      {0x1F, 3, "~311F2A440000FD8A\r"},
      {252, 4, "~31FC2A800000FD78\r"},
      {10, 5, "~310A2A820000FD8E\r"},
      {0, 1, "~31002A420000FDA3\r"}}},
    {"ThreePhase",
     1,
     0x11,
     0x31,
     {"41", "43", "44", "E2", "E3"},
     {90, 24, 130, 124, 108},
     39,
     "00005C43",
     {{1, 1, "~11012A410000FDA5\r"},
      {1, 2, "~11012A430000FDA3\r"},
      {1, 3, "~11012A440000FDA2\r"},
      {1, 4, "~11012AE20000FD93\r"},
      {1, 5, "~11012AE30000FD92\r"},
      {0x1F, 3, "~111F2A440000FD8C\r"},
      {0xAB, 2, "~11AB2A430000FD81\r"},
      {252, 5, "~11FC2AE30000FD6A\r"},
      {0, 1, "~11002A410000FDA6\r"}}},
};

void PrintTo(const TVariantCase& variant, std::ostream* os) {
    *os << variant.Name;
}

std::string Hex2(int value) {
    return WordToHex4(uint32_t(value)).substr(2);
}

// INFO of n characters, `fill` everywhere but at the given frame positions.
std::string Info(int n, const std::vector<std::pair<int, std::string_view>>& fields = {},
                 char fill = '0') {
    std::string info(std::size_t(n), fill);
    for (const auto& [pos, text] : fields)
        info.replace(std::size_t(pos - YdtInfoStart), text.size(), text);
    return info;
}

// The CHKSUM of everything before its place, then CR.
std::string Closed(const std::string& head) {
    return head + FrameChecksum(head, int(head.size()) - 1) + "\r";
}

struct THeader {
    int Address = 1;
    int Version = -1; // the variant's own
    int DeviceType = 0x2A;
    int Rtn = 0;
};

std::string WithChar(std::string frame, std::size_t pos, char c) {
    frame[pos] = c;
    return frame;
}

std::string Replace(std::string frame, std::size_t pos, std::string_view text) {
    return frame.replace(pos, text.size(), text);
}

class YdtCodec : public ::testing::TestWithParam<TVariantCase> {
protected:
    void SetUp() override {
        ResetCodecState();
        TxBuffer.fill(0xEE);
        RxBuffer.fill(0);
        codec = GetParam().Protocol == 0 ? static_cast<TYdtCodec*>(&modular) : &threePhase;
    }

    // A reply frame as a device sends it.
    std::string Reply(const std::string& info, const THeader& h = {}) const {
        const int version = h.Version < 0 ? GetParam().Version : h.Version;
        return Closed("~" + Hex2(version) + Hex2(h.Address) + Hex2(h.DeviceType) + Hex2(h.Rtn) +
                      LengthField(int32_t(info.size())) + info);
    }

    int MinInfo(uint8_t cmd) const { return GetParam().MinInfo[cmd - 1u]; }

    // A step 1 reply that gives output voltage A 220 V.
    std::string AnalogReply() const {
        const TVariantCase& v = GetParam();
        return Reply(Info(MinInfo(1), {{v.OutputVoltPos, v.OutputVolt220}}));
    }

    // As if BuildQuery had just sent command `cmd` to `address`.
    void Asked(uint16_t address, uint8_t cmd) {
        codec->Addr = address;
        codec->Cmd = cmd;
    }

    // The chunk in a block of exactly its size, so that reading past it is
    // caught by the address sanitizer.
    TReplyVerdict Parse(std::string_view chunk) {
        const std::vector<uint8_t> bytes(chunk.begin(), chunk.end());
        return codec->ParseReply(bytes.data(), int(bytes.size()));
    }

    // The chunk the way the poll engine hands it over: cut to 400 bytes in
    // RxBuffer, whose remaining bytes still hold whatever came before.
    TReplyVerdict ParseViaRxBuffer(std::string_view chunk) {
        const std::size_t n = std::min(chunk.size(), RxBuffer.size());
        std::copy_n(chunk.begin(), n, RxBuffer.begin());
        return codec->ParseReply(RxBuffer.data(), int(n));
    }

    std::string Sent() const { return {TxBuffer.begin(), TxBuffer.begin() + codec->FrameLen}; }

    void SetList(std::initializer_list<uint8_t> addresses) {
        for (uint8_t a : addresses)
            ASSERT_TRUE(AppendEquip(TEquipItem{0, a, "UPS"}));
    }

    // (Addr, Cmd, PollStepCount) of n consecutive BuildQuery calls, each
    // checked against the request it left in TxBuffer.
    using TSteps = std::vector<std::tuple<int, int, int>>;
    TSteps RunQueries(int n) {
        TSteps steps;
        for (int i = 0; i < n; ++i) {
            SCOPED_TRACE(i);
            EXPECT_TRUE(codec->BuildQuery());
            EXPECT_EQ(codec->Cmd, PollStep);
            const std::string sent = Sent();
            EXPECT_EQ(sent.substr(1, 2), Hex2(GetParam().Version));
            EXPECT_EQ(sent.substr(3, 2), Hex2(codec->Addr));
            EXPECT_TRUE(codec->Cmd >= 1 && codec->Cmd <= 5);
            if (codec->Cmd >= 1 && codec->Cmd <= 5) {
                EXPECT_EQ(sent.substr(7, 2), GetParam().Cid2[codec->Cmd - 1u]);
            }
            steps.emplace_back(codec->Addr, codec->Cmd, PollStepCount);
        }
        return steps;
    }

    TYdtV31Protocol modular{TxBuffer, RxBuffer};
    TNordelProtocol threePhase{TxBuffer, RxBuffer};
    TYdtCodec* codec = nullptr;
    TUpsInfoRec& rec = UpsTable[1];
};

INSTANTIATE_TEST_SUITE_P(Variants, YdtCodec, ::testing::ValuesIn(Variants),
                         [](const auto& info) { return std::string(info.param.Name); });

// ---- Requests --------------------------------------------------------------

TEST_P(YdtCodec, StartsAddressedToDeviceOneWithNothingOutstanding) {
    EXPECT_EQ(codec->VerText, Hex2(GetParam().Version));
    EXPECT_EQ(codec->Cmd, 0);
    EXPECT_EQ(codec->Addr, 1);
}

TEST_P(YdtCodec, BuildsTheRequestOfEachStepAndAddress) {
    for (const TRequestRow& row : GetParam().Requests) {
        SCOPED_TRACE(row.Frame);
        Asked(row.Addr, row.Cmd);
        codec->BuildFrame();
        EXPECT_EQ(codec->FrameLen, YdtRequestLength);
        EXPECT_EQ(Sent(), row.Frame);
        EXPECT_EQ(TxBuffer[18], 0); // terminator after the frame
    }
    for (uint8_t cmd : {0, 6, 255}) {
        Asked(1, cmd);
        codec->BuildFrame();
        EXPECT_EQ(codec->FrameLen, 0) << int(cmd);
    }
}

// ---- The walk through the list ----------------------------------------------

// Address 1 first, whether listed or not, as a lost device (one step); then
// the list from its start: five steps for a communicating device or one in
// error, one for a lost one.
TEST_P(YdtCodec, FirstRequestGoesToAddressOneThenTheListFromItsStart) {
    SetList({5, 7});
    UpsTable[5].CommState = CommCommunicating;
    UpsTable[7].CommState = CommError; // an error state still gets the whole sequence
    EXPECT_EQ(RunQueries(13), (TSteps{{1, 1, 1},
                                      {5, 1, 1},
                                      {5, 2, 5},
                                      {5, 3, 5},
                                      {5, 4, 5},
                                      {5, 5, 5},
                                      {7, 1, 5},
                                      {7, 2, 5},
                                      {7, 3, 5},
                                      {7, 4, 5},
                                      {7, 5, 5},
                                      {5, 1, 5},
                                      {5, 2, 5}}));
    UpsTable[7].CommState = CommLost;
    EXPECT_EQ(RunQueries(5), (TSteps{{5, 3, 5}, {5, 4, 5}, {5, 5, 5}, {7, 1, 5}, {5, 1, 1}}));
}

TEST_P(YdtCodec, LostDevicesGetOneRequestEachUntilTheyAnswer) {
    SetList({5, 7, 9});
    EXPECT_EQ(RunQueries(5), (TSteps{{1, 1, 1}, {5, 1, 1}, {7, 1, 1}, {9, 1, 1}, {5, 1, 1}}));
    TNoEvents events;
    RecordNoteGoodReply(UpsTable[5], events); // it answered the last request
    EXPECT_EQ(RunQueries(2), (TSteps{{5, 2, 5}, {5, 3, 5}}));
}

TEST_P(YdtCodec, EmptyListPollsAddressZero) {
    EXPECT_EQ(RunQueries(3), (TSteps{{1, 1, 1}, {0, 1, 1}, {0, 1, 1}}));
}

TEST_P(YdtCodec, SearchProbesWithAStatusRequestAndLeavesTheStepAlone) {
    SetList({5});
    PollStep = 3;
    PollStepCount = 5;
    SearchMode = 255;
    SearchAddress = 0x10;
    ManualSendMode = 255; // the search still probes
    ASSERT_TRUE(codec->BuildQuery());
    EXPECT_EQ(Sent(), Closed("~" + Hex2(GetParam().Version) + "102A430000"));
    EXPECT_EQ(codec->Addr, 0x10);
    EXPECT_EQ(codec->Cmd, 2);
    EXPECT_EQ(PollStep, 3);
    EXPECT_EQ(PollStepCount, 5);
    EXPECT_EQ(EquipList.PollPos, 0);

    // Only the probed unit's answer is good.
    EXPECT_EQ(Parse(Reply(Info(MinInfo(2)), {.Address = 0x11})), Rejected(ErrAddress));
    EXPECT_EQ(Parse(Reply(Info(MinInfo(2)), {.Address = 0x10})), ReplyGood);
}

// A search range typed up to 255 probes addresses that have no record. The
// probe goes out, the answer is refused before anything is decoded, and the
// poll carries on from the probed address to the list without touching a
// record that does not exist (the address sanitizer run catches that).
TEST_P(YdtCodec, AddressesWithoutARecordAreProbedButNeverDecoded) {
    SetList({5});
    const std::string status = Info(MinInfo(2));
    for (const uint8_t address : {253, 254, 255, 0}) {
        SCOPED_TRACE(int(address));
        PollStep = 0;
        UpsTable[252].OkCount = 4;
        const TMeasureBlock lastRecord = EncodeMeasureBlock(UpsTable[252]);
        SearchMode = 255;
        SearchAddress = address;
        ASSERT_TRUE(codec->BuildQuery());
        EXPECT_EQ(Sent().substr(3, 2), Hex2(address));
        EXPECT_EQ(Parse(Reply(status, {.Address = address})), Rejected(ErrAddress));

        SearchMode = 0;
        ASSERT_TRUE(codec->BuildQuery()); // the step left by the search, at the probed address
        EXPECT_EQ(codec->Addr, address);
        EXPECT_EQ(codec->FrameLen, 18);
        EXPECT_EQ(Parse(Reply(status, {.Address = address})), Rejected(ErrAddress));
        ASSERT_TRUE(codec->BuildQuery());
        EXPECT_EQ(codec->Addr, 5);
        EXPECT_EQ(EncodeMeasureBlock(UpsTable[252]), lastRecord);
    }
}

TEST_P(YdtCodec, ManualSendModeBuildsNothing) {
    ManualSendMode = 255;
    PollStep = 2;
    const TTxBuffer before = TxBuffer;
    EXPECT_FALSE(codec->BuildQuery());
    EXPECT_EQ(TxBuffer, before);
    EXPECT_EQ(PollStep, 2);
    EXPECT_EQ(MakeYdtHooks(*codec).BuildQuery().Length, 0);
}

TEST_P(YdtCodec, HooksBuildAndParseThroughTheCodec) {
    const TCodecHooks hooks = MakeYdtHooks(*codec);
    const TBuiltQuery built = hooks.BuildQuery();
    EXPECT_EQ(built.Length, 18);
    EXPECT_EQ(built.Address, 1);
    EXPECT_EQ(Sent(), GetParam().Requests[0].Frame);

    const std::string reply = AnalogReply();
    const std::vector<uint8_t> bytes(reply.begin(), reply.end());
    EXPECT_EQ(hooks.ParseReply(bytes.data(), int(bytes.size())), ReplyGood);
    EXPECT_DOUBLE_EQ(rec.OutputVoltA, 220);
    EXPECT_EQ(hooks.ParseReply(bytes.data(), 0), Rejected(ErrStartByte));
    EXPECT_EQ(hooks.FrameRest(bytes.data(), bytes.size()), 0u);
    EXPECT_EQ(hooks.FrameRest(bytes.data(), bytes.size() - 1), 1u);
}

// ---- Replies ---------------------------------------------------------------

// The record fields any decoder writes, for "nothing changed".
auto Footprint(const TUpsInfoRec& r) {
    return std::make_tuple(EncodeMeasureBlock(r), EncodeStatusBlock(r), r.UpsState,
                           std::vector<int32_t>(r.AlarmCodes.begin(), r.AlarmCodes.end()),
                           r.AlarmCount, r.InputSwitch, r.UpsSupply, r.ChargeCur1);
}

TEST_P(YdtCodec, RepeatedRepliesAreGoodButDecodeNothing) {
    rec.OkCount = 4; // the three-phase status decoder would run
    Asked(1, 1);
    ASSERT_EQ(Parse(AnalogReply()), ReplyGood);
    EXPECT_EQ(codec->Cmd, 0);
    rec.OutputVoltA = -1;
    rec.UpsState = 99;
    const auto before = Footprint(rec);
    EXPECT_EQ(Parse(AnalogReply()), ReplyGood);
    EXPECT_EQ(Parse(Reply(Info(MinInfo(2), {}, '1'))), ReplyGood);
    EXPECT_EQ(Footprint(rec), before);
    EXPECT_EQ(codec->Cmd, 0);
}

// Each rejected chunk names exactly one reason and leaves the record and the
// outstanding command alone.
TEST_P(YdtCodec, RejectsEveryBadChunkWithOneReasonAndChangesNothing) {
    const TVariantCase& v = GetParam();
    const std::string good = AnalogReply();
    const std::string info = Info(MinInfo(1), {{v.OutputVoltPos, v.OutputVolt220}});
    const std::size_t chk = good.size() - 5;
    // The same LENID with another LCHKSUM digit, closed with a right CHKSUM.
    const std::string badLchk = Closed(WithChar(good, 9, '8').substr(0, chk));
    const std::string longLoad = Reply(Info(402));
    struct Row {
        const char* name;
        uint8_t cmd;
        std::string chunk;
        int reason;
    };
    const Row rows[] = {
        {"start byte", 1, WithChar(good, 0, '!'), ErrStartByte},
        {"empty chunk", 1, "", ErrStartByte},
        {"garbage before the frame", 1, std::string("\xFF\x00", 2) + good, ErrStartByte},
        {"second half of a split frame", 1, good.substr(20), ErrStartByte},
        {"the other variant's version", 1, Reply(info, {.Version = v.OtherVersion}), ErrVersion},
        {"garbage in VER", 1, WithChar(good, 2, 'x'), ErrVersion},
        {"another address", 1, Reply(info, {.Address = 2}), ErrAddress},
        {"another device type", 1, Reply(info, {.DeviceType = 0x2B}), ErrDevType},
        {"return code 01", 1, Reply(info, {.Rtn = 0x01}), ErrDevType},
        {"checksum error return code", 2, Reply("", {.Rtn = 0x02}), ErrDevType},
        {"unknown command return code", 2, Reply("", {.Rtn = 0x04}), ErrDevType},
        {"header only", 1, good.substr(0, 13), ErrLength},
        {"header up to RTN", 1, good.substr(0, 9), ErrLength},
        {"first half of a split frame", 1, good.substr(0, 20), ErrLength},
        {"truncated before CR", 1, good.substr(0, good.size() - 1), ErrLength},
        {"truncated frame", 1, good.substr(0, good.size() - 3), ErrLength},
        {"extra byte after the CR", 1, good + "\r", ErrLength},
        {"two frames in one chunk", 1, good + good, ErrLength},
        {"wrong LCHKSUM digit", 1, badLchk, ErrLength},
        {"no INFO", 1, Reply(""), ErrLength},
        {"chunk of 450 bytes", 1, good + std::string(450 - good.size(), 'A'), ErrLength},
        {"chunk cut at 400 bytes", 4, longLoad.substr(0, RxBufferSize), ErrLength},
        {"wrong checksum", 1, Replace(good, chk, "0000"), ErrChecksum},
        {"one wrong checksum digit", 1, WithChar(good, chk + 3, good[chk + 3] == '5' ? '6' : '5'),
         ErrChecksum},
        {"damaged INFO", 1, WithChar(good, 20, 'D'), ErrChecksum},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        UpsTable[1].OkCount = 4; // the three-phase status and alarm decoders would run
        Asked(1, row.cmd);
        const auto before = Footprint(rec);
        EXPECT_EQ(Parse(row.chunk), Rejected(row.reason));
        EXPECT_EQ(Footprint(rec), before);
        EXPECT_EQ(codec->Cmd, row.cmd);
    }
}

// A reply must hold every position its command reads; exactly enough is good,
// and one character less is no answer to the command: nothing of it is
// decoded, though every character it holds would change the record.
TEST_P(YdtCodec, ReplyLengthMustCoverWhatItsCommandReads) {
    UpsTable[1].OkCount = 4;
    for (uint8_t cmd = 1; cmd <= 5; ++cmd) {
        SCOPED_TRACE(int(cmd));
        Asked(1, cmd);
        const auto before = Footprint(rec);
        EXPECT_EQ(Parse(Reply(Info(MinInfo(cmd) - 1, {}, '1'))), Rejected(ErrLength));
        EXPECT_EQ(Footprint(rec), before);
        for (int extra : {0, 40}) {
            Asked(1, cmd);
            EXPECT_EQ(Parse(Reply(Info(MinInfo(cmd) + extra))), ReplyGood);
        }
    }
    // Nothing outstanding: any length is good and decodes nothing.
    for (int length : {0, 40}) {
        Asked(1, 0);
        EXPECT_EQ(Parse(Reply(Info(length))), ReplyGood);
    }
}

TEST_P(YdtCodec, ARejectedChunkLeavesTheRequestOpenForItsReply) {
    const std::string good = AnalogReply();
    Asked(1, 1);
    EXPECT_EQ(ParseViaRxBuffer(good.substr(0, 20)), Rejected(ErrLength));
    EXPECT_EQ(ParseViaRxBuffer(good.substr(20)), Rejected(ErrStartByte));
    EXPECT_EQ(ParseViaRxBuffer(good), ReplyGood);
    EXPECT_DOUBLE_EQ(rec.OutputVoltA, 220);
}

// A short chunk with a right length field and checksum over an earlier,
// longer one in RxBuffer must not pick up the earlier chunk's values.
TEST_P(YdtCodec, NeverDecodesWhatAnEarlierChunkLeftInTheBuffer) {
    Asked(1, 1);
    ASSERT_EQ(ParseViaRxBuffer(AnalogReply()), ReplyGood);
    rec.OutputVoltA = -1;
    Asked(1, 1);
    EXPECT_EQ(ParseViaRxBuffer(Reply("")), Rejected(ErrLength));
    EXPECT_EQ(ParseViaRxBuffer(Reply(Info(10))), Rejected(ErrLength));
    EXPECT_EQ(ParseViaRxBuffer(Reply(Info(40))), Rejected(ErrLength));
    EXPECT_DOUBLE_EQ(rec.OutputVoltA, -1);
}

TEST_P(YdtCodec, ChunkCutTo400BytesIsRejected) {
    Asked(1, 1);
    EXPECT_EQ(ParseViaRxBuffer(AnalogReply() + std::string(400, '0')), Rejected(ErrLength));
}

TEST_P(YdtCodec, ReplyOfTheLongestChunkIsGood) {
    // 400 bytes is as much as one chunk holds; LENID 382.
    const std::string reply = Reply(Info(382));
    ASSERT_EQ(reply.size(), RxBufferSize);
    Asked(1, 4);
    EXPECT_EQ(ParseViaRxBuffer(reply), ReplyGood);
}

} // namespace
