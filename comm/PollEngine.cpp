#include "comm/PollEngine.h"

#include "record/EquipList.h"
#include "base/SharedFlags.h"
#include "comm/PortName.h"
#include "comm/SearchHooks.h"
#include "comm/SPComm.h"
#include "config/UUserParaIni.h"
#include "logging/TimeStamp.h"
#include "logging/UDataLogClass.h"
#include "logging/uEventLogClass.h"
#include "record/UpsRecordOps.h"
#include "status/StatusChangeLog.h"

#include <algorithm>

namespace {

// Counters shown in the debug grid run for the life of the program; let them
// wrap instead of overflowing.
void Increment(int32_t& counter) {
    counter = static_cast<int32_t>(static_cast<uint32_t>(counter) + 1u);
}

// The port properties stored with the engine's form: 8 data bits, no parity,
// no flow control of any kind.
void ApplyStoredPortProperties(TComm& comm) {
    comm.SetOutx_XonXoffFlow(false);
    comm.SetInx_XonXoffFlow(false);
    comm.SetReadIntervalTimeout(300);
}

} // namespace

TPollEngine::TPollEngine(TComm& comm, TEventLog& eventLog, TDataLog& dataLog)
    : FComm(comm), FEventLog(eventLog), FDataLog(dataLog) {
    ApplyStoredPortProperties(FComm);
    FComm.OnReceiveData = [this](TComm*, const uint8_t* buffer, uint16_t length) {
        Comm1ReceiveData(buffer, length);
    };
    FComm.OnRequestHangup = [this](TComm*) { PortHungUp(); };
}

bool TPollEngine::Start() {
    ManualSendMode = 0;
    TraceVisible = false;
    SearchMode = 0;
    FEventLog.LogSystemEvent(SysEvtStarted);
    bool opened = true;
    try {
        OpenComm();
    } catch (const ECommsError&) {
        opened = false;
    }
    ResetAllRecords();
    return opened;
}

void TPollEngine::StopForExit() noexcept {
    FStopped = true;
    try {
        CloseComm();
    } catch (...) {
    }
}

void TPollEngine::Finish() noexcept {
    FStopped = true;
    try {
        FEventLog.LogSystemEvent(SysEvtClosed);
    } catch (...) {
    }
    try {
        CloseComm();
    } catch (...) {
    }
}

void TPollEngine::OpenComm() {
    ReopenCountdown = 0;
    if (FComm.IsOpen())
        FComm.ClosePort();
    TPortInfo& info = UserPara.PortInfo;
    FComm.SetCommName(info.ComName);
    FComm.SetBaudRate(static_cast<uint32_t>(info.BaudRate));
    FComm.SetReadIntervalTimeout(static_cast<uint32_t>(info.ReadIntervalTimeout));
    if (info.StopBits == 2) {
        FComm.SetStopBits(TStopBits::_2);
    } else {
        info.StopBits = 1;
        FComm.SetStopBits(TStopBits::_1);
    }
    // A name that maps to no device on this system is not an error: the port
    // simply stays closed.
    if (DevicePathForComName(info.ComName).empty())
        return;
    FComm.OpenPort();
}

void TPollEngine::CloseComm() {
    ReopenCountdown = 0;
    if (FComm.IsOpen())
        FComm.ClosePort();
}

bool TPollEngine::IsCommOpen() const {
    return FComm.IsOpen();
}

void TPollEngine::SendFrame(const uint8_t* bytes, uint16_t length) {
    // A refused block (port closed, nothing to send) still counts as a frame:
    // the counter says how often the engine asked to send.
    (void)FComm.SendData(bytes, length);
    TxLedCount = LedOnCount;
    if (TraceVisible && Trace)
        Trace->EchoSent(bytes, length);
    Increment(CommDebug.TxFrames);
}

bool TPollEngine::SendManualFrame(const uint8_t* bytes, std::size_t length) {
    if (length > TxBuffer.size())
        return false;
    std::copy_n(bytes, length, TxBuffer.begin());
    TxLength = static_cast<int32_t>(length);
    SendFrame(TxBuffer.data(), static_cast<uint16_t>(length));
    return true;
}

void TPollEngine::Timer1Timer() {
    if (FStopped)
        return;
    DbgVal[DbgEngineTimerInterval] = EngineTimerInterval;
    Increment(DbgVal[DbgEngineTicks]);
    CountDownReopen();
    const bool open = IsCommOpen();
    NotePortChange(open);
    if (open)
        PollTick();
    if (TraceVisible && Trace)
        Trace->RefreshTrace();
    CountDownDataLog();
    if (Trace)
        Trace->ShowRecCountdown(RecCountdown);
}

void TPollEngine::PortHungUp() {
    if (FStopped || !FComm.IsOpen())
        return;
    // Holding the vanished device would keep its name from a new adapter and
    // make the status bar say "Link" while nothing can be sent.
    FComm.ClosePort();
    ReopenCountdown = ReopenTicks;
}

// Tries the lost port again from the settings, quietly: the port error box is
// for the user's own opening.
void TPollEngine::CountDownReopen() {
    if (ReopenCountdown == 0 || --ReopenCountdown > 0)
        return;
    try {
        OpenComm();
    } catch (const ECommsError&) {
    }
    if (!IsCommOpen())
        ReopenCountdown = ReopenTicks;
}

void TPollEngine::NotePortChange(bool open) {
    if (open && !PortWasOpen) {
        PortWasOpen = true;
        FEventLog.LogSystemEvent(SysEvtPortRecovered);
    } else if (!open && PortWasOpen) {
        PortWasOpen = false;
        FEventLog.LogSystemEvent(SysEvtPortLost);
        ResetAllRecords();
    }
}

void TPollEngine::PollTick() {
    EngineStep = 0;
    if (AwaitingReply) {
        TransmitOrEnd();
        return;
    }
    EngineStep = StepIdle;
    SendTries = 0;
    WaitTicks = 0;
    TxLength = 0;
    if (ManualSendMode)
        return;
    if (SearchMode) {
        EngineStep = StepBuildSearch;
        // Without a search window to ask there is nothing to probe.
        if (SearchHooks.NextSearchAddress)
            SearchAddress = SearchHooks.NextSearchAddress();
        else
            SearchMode = 0;
        // Bus addresses run from 1 to 252: a probe never goes anywhere else.
        if (SearchAddress == 0 || SearchAddress > MaxEquipAddress)
            SearchMode = 0;
        if (!SearchMode) {
            EngineStep = StepSearchEnded;
            return;
        }
    } else {
        EngineStep = StepBuildPoll;
    }
    BuildRequest();
}

// A request is transmitted on the tick after it was built and again after
// each 10-tick wait, SendLimit - 1 times in all; a reply does not shorten it.
void TPollEngine::TransmitOrEnd() {
    if (WaitTicks > 0) {
        EngineStep = StepWaiting;
        --WaitTicks;
        return;
    }
    EngineStep = StepWaitOver;
    ++SendTries;
    if (SendTries < SendLimit) {
        SendFrame(TxBuffer.data(), static_cast<uint16_t>(TxLength));
        WaitTicks = TicksPerTransmission;
        if (TUpsInfoRec* rec = RecordOf(EquipList.PollAddress))
            RecordNoteRequest(*rec, FEventLog);
    } else {
        AwaitingReply = 0;
    }
}

void TPollEngine::BuildRequest() {
    const TCodecHooks* codec = ActiveCodec();
    if (!codec || !codec->BuildQuery)
        return;
    const TBuiltQuery built = codec->BuildQuery();
    TxLength = std::clamp<int32_t>(built.Length, 0, static_cast<int32_t>(TxBuffer.size()));
    EquipList.PollAddress = built.Address;
    if (TxLength > 0) {
        EngineStep = StepBuilt;
        AwaitingReply = 255;
        SendLimit = UserPara.PortInfo.MaxReSend;
    }
}

void TPollEngine::Comm1ReceiveData(const uint8_t* buffer, uint16_t length) {
    Increment(CommDebug.RxFrames);
    RxLedCount = LedOnCount;
    const int n = std::min<int>(length, static_cast<int>(RxBuffer.size()));
    std::copy_n(buffer, n, RxBuffer.begin());
    if (TraceVisible && Trace)
        Trace->EchoReceived(RxBuffer.data(), n);
    const TCodecHooks* codec = ActiveCodec();
    const bool ok = codec && codec->ParseReply && codec->ParseReply(RxBuffer.data(), n);
    TUpsInfoRec* rec = RecordOf(EquipList.PollAddress);
    if (ok)
        HandleGoodReply(rec);
    else
        Increment(DbgCnt[0]);
    if (rec)
        RecordNoteFrame(*rec);
}

void TPollEngine::HandleGoodReply(TUpsInfoRec* rec) {
    Increment(CommDebug.RxGood);
    if (rec) {
        RecordNoteGoodReply(*rec, FEventLog);
        LogStateChange(*rec, FEventLog);
        LogAlarmChanges(*rec, FEventLog);
    }
    if (SearchMode && SearchHooks.DeviceFound)
        SearchHooks.DeviceFound(EquipList.PollAddress);
}

const TCodecHooks* TPollEngine::ActiveCodec() const {
    return CodecFor(Codecs, UserPara.PortInfo.Protocol);
}

// A round on the first tick, then every RecInterval + 1 ticks; RecInterval 0
// switches the data log off. Runs whether the port is open or not.
void TPollEngine::CountDownDataLog() {
    if (RecCountdown > 0) {
        --RecCountdown;
        return;
    }
    if (UserPara.RecInterval > 0) {
        RecCountdown = UserPara.RecInterval;
        WriteDataLog();
    }
}

void TPollEngine::WriteDataLog() {
    for (int pos = 1; pos <= EquipList.Count; ++pos) {
        const uint8_t address = EquipList.At(pos).Address;
        const TUpsInfoRec* rec = RecordOf(address);
        if (rec && rec->CommState == 0)
            (void)FDataLog.Append(MakeDataRec(*rec, address, NowTimeStamp()));
    }
}
