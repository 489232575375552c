#pragma once
// The poll engine over a real pseudo-terminal with a protocol of the test's
// own, shared by the engine's tests: the slave side is the serial port, the
// master side plays the bus. Received chunks are either written to the master
// (and delivered as the reader thread's notices) or delivered by hand as
// notices built here.

#include "base/SharedFlags.h"
#include "comm/PollEngine.h"
#include "comm/SPComm.h"
#include "comm/SearchHooks.h"
#include "config/UUserParaIni.h"
#include "logging/UDataLogClass.h"
#include "logging/uEventLogClass.h"
#include "record/EquipList.h"
#include "record/UpsRecordOps.h"
#include "status/StatusTexts.h"
#include "tests/comm/EngineRig.h"
#include "tests/support/EventLogFile.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include <filesystem>
#include <memory>
#include <vector>

using namespace std::chrono_literals;

// A protocol of our own: two-byte frames, the kind letter then the address.
// Polls are 'Q', search probes 'P', queued commands 'W'; a good reply is 'R'
// followed by the address of the request last built, and marks its record
// as holding a reading. An 'R' reply from another address is counted as the
// ASCII codecs count it, under "C".
struct TTestCodec {
    uint8_t Current = 0;
    bool CountsLetters = true;
    std::vector<int> ParsedLengths;

    TBuiltQuery BuildQuery() {
        for (TCommandSlot& slot : CommandQueue) {
            if (slot.Pending) {
                slot.Pending = 0;
                return Frame('W', slot.Slave);
            }
        }
        if (SearchMode)
            return Frame('P', SearchAddress);
        NextPollDevice();
        if (EquipList.PollAddress == 0)
            return {};
        return Frame('Q', EquipList.PollAddress);
    }
    TReplyVerdict ParseReply(const uint8_t* bytes, int length) {
        ParsedLengths.push_back(length);
        if (CountsLetters && length == 2 && bytes[0] == 'R' && bytes[1] != Current)
            return Rejected(ErrAddress);
        // A good reply is a reading, as the real codecs mark it.
        if (length != 2 || bytes[0] != 'R' || bytes[1] != Current)
            return Rejected();
        UpsTable[Current].DataValid = 1;
        return ReplyGood;
    }
    TBuiltQuery Frame(char kind, uint8_t address) {
        TxBuffer[0] = static_cast<uint8_t>(kind);
        TxBuffer[1] = address;
        Current = address;
        return {2, address};
    }
};

inline std::string Frame(char kind, uint8_t address) {
    return {kind, static_cast<char>(address)};
}

inline void ResetProcessState() {
    InitTable();
    EquipList = {};
    SearchMode = SearchAddress = ManualSendMode = PollStep = PollStepCount = 0;
    TxBuffer = {};
    RxBuffer = {};
    CommandQueue = {};
    CommDebug = {};
    DbgCnt = {};
    DbgVal = {};
    SearchHooks = {};
    TxLedCount = RxLedCount = 0;
    BusHealth.Reset();
}

class PollEngineTest : public ::testing::Test, protected TEngineRig {
protected:
    TTestCodec Codec;

    void SetUp() override {
        ResetProcessState();
        UserPara = {};
        TPortInfo& port = UserPara.PortInfo;
        port.ComName = Pty.SlavePath();
        port.BaudRate = 9600;
        port.StopBits = 1;
        port.Protocol = 0;
        port.ReadIntervalTimeout = 20;
        port.MaxReSend = 2;
        UserPara.RecInterval = 0;
        Engine.Codecs[0].BuildQuery = [this] { return Codec.BuildQuery(); };
        Engine.Codecs[0].ParseReply = [this](const uint8_t* bytes, int length) {
            return Codec.ParseReply(bytes, length);
        };
    }

    void AddDevice(uint8_t address) {
        ASSERT_TRUE(AppendEquip({0, address, "UPS " + std::to_string(address)}));
    }

    std::vector<uint8_t> Ticks(int count) {
        std::vector<uint8_t> steps;
        for (int i = 0; i < count; ++i) {
            Engine.Timer1Timer();
            steps.push_back(Engine.EngineStep);
        }
        return steps;
    }

    // Ticks until the engine has sent `frames` frames in all.
    void TickUntilSent(int frames) {
        for (int guard = 0; CommDebug.TxFrames < frames; ++guard) {
            ASSERT_LT(guard, 10000) << "no transmission";
            Engine.Timer1Timer();
        }
    }

    // A chunk as the reader thread hands it over: the bytes and a 0 behind.
    void Deliver(const std::string& bytes) {
        TCommNotice notice{CommNoticeReceiveData, static_cast<uint32_t>(bytes.size()), {}};
        notice.Block.assign(bytes.begin(), bytes.end());
        notice.Block.push_back(0);
        Comm.DeliverNotice(std::move(notice));
    }

    std::vector<TEventRec> LoggedEvents() { return ReadEventRecords(Events.FullPath()); }

    // (address, code) of the kind-0 events, in order.
    std::vector<std::pair<int, int>> CommEvents() {
        std::vector<std::pair<int, int>> out;
        for (const TEventRec& rec : LoggedEvents())
            if (rec.Kind == EventKindProgram)
                out.emplace_back(rec.Address, rec.Code);
        return out;
    }

    std::vector<TDataRec> DataRecords() {
        std::vector<TDataRec> records;
        const std::string folder = Folder.Path() + "Record/";
        if (!std::filesystem::exists(folder))
            return records;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (entry.path().filename().string().rfind("DataLog", 0) != 0)
                continue;
            const std::string bytes = ReadBytes(entry.path().string());
            for (std::size_t at = 0; at + DataRecSize <= bytes.size(); at += DataRecSize) {
                TDataRecBytes rec;
                std::copy_n(bytes.begin() + std::ptrdiff_t(at), DataRecSize, rec.begin());
                records.push_back(DecodeDataRec(rec));
            }
        }
        return records;
    }
};
