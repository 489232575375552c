#include "comm/PollEngine.h"

#include "base/SharedFlags.h"
#include "comm/PortName.h"
#include "comm/SPComm.h"
#include "comm/SearchHooks.h"
#include "config/UUserParaIni.h"
#include "logging/TimeStamp.h"
#include "logging/UDataLogClass.h"
#include "logging/uEventLogClass.h"
#include "record/EquipList.h"
#include "record/UpsRecordOps.h"
#include "status/StatusChangeLog.h"

#include <algorithm>
#include <utility>

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

// Commands waiting in the queue; a build that takes one is no poll step.
int PendingCommands() {
    int pending = 0;
    for (const TCommandSlot& slot : CommandQueue)
        pending += slot.Pending ? 1 : 0;
    return pending;
}

} // namespace

int64_t LineTimeMs(int32_t baud, int64_t bytes) {
    constexpr int64_t BitsPerChar = 10;
    const int64_t rate = std::max<int32_t>(baud, 1);
    return (bytes * BitsPerChar * 1000 + rate - 1) / rate;
}

int FastReplyTimeoutMs(int32_t baud, int32_t requestBytes, int32_t replyBytes,
                       int32_t readIntervalMs) {
    const int64_t ms = LineTimeMs(baud, int64_t{requestBytes} + replyBytes) +
                       std::max<int32_t>(readIntervalMs, 0) + FastReplyMarginMs;
    return int(std::min<int64_t>(ms, 600000));
}

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
    FStartError.clear();
    FStartSystemError = 0;
    try {
        OpenComm();
    } catch (const ECommsError& error) {
        opened = false;
        FStartError = error.what();
        FStartSystemError = error.SystemError();
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
        // The program's end is logged once, whoever ends the engine first.
        if (!std::exchange(FFinished, true))
            FEventLog.LogSystemEvent(SysEvtClosed);
    } catch (...) {
    }
    try {
        CloseComm();
    } catch (...) {
    }
}

void TPollEngine::OpenComm() {
    CloseComm();
    TPortInfo& info = UserPara.PortInfo;
    FComm.SetCommName(info.ComName);
    FComm.SetBaudRate(static_cast<uint32_t>(info.BaudRate));
    FComm.SetReadIntervalTimeout(static_cast<uint32_t>(info.ReadIntervalTimeout));
    // Fast poll takes a whole reply frame as soon as it is in.
    const TCodecHooks* codec = ActiveCodec();
    FComm.SetFrameRest(codec ? codec->FrameRest : TFrameRest{}, info.FastPoll);
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

// Closing or opening the line ends what was seen on it, even when the port is
// opened again before the next tick could notice it was closed.
void TPollEngine::CloseComm() {
    ReopenCountdown = 0;
    if (FComm.IsOpen())
        FComm.ClosePort();
    LineClosed();
}

// The records' readings and the bus cycle belong to the line that closed.
void TPollEngine::LineClosed() {
    ResetAllRecords();
    BusHealth.EndCycles();
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
        LineClosed();
    }
}

void TPollEngine::PollTick() {
    EngineStep = 0;
    if (AwaitingReply) {
        if (!FastRequest) {
            TransmitOrEnd();
            return;
        }
        if (!FastWaitOver()) {
            EngineStep = StepWaiting;
            return;
        }
        FastTransmitOrEnd();
        // A fast request that ended lets the next one go out in this step.
        if (AwaitingReply)
            return;
    }
    StartNextRequest();
    if (AwaitingReply && FastRequest)
        FastTransmitOrEnd();
}

// Only a fast request in progress has a step to take; anything else waits
// for the tick, so a step left over from before never disturbs fixed timing.
void TPollEngine::FastStep() {
    if (FStopped || !IsCommOpen() || !AwaitingReply || !FastRequest)
        return;
    PollTick();
}

void TPollEngine::StartNextRequest() {
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
        Transmit();
        WaitTicks = TicksPerTransmission;
    } else {
        AwaitingReply = 0;
        NoteRecordsChanged();
    }
}

void TPollEngine::Transmit() {
    SendFrame(TxBuffer.data(), static_cast<uint16_t>(TxLength));
    FReplyIn = TReplyIn::None;
    const int64_t now = Clock();
    FSentAt = now + LineTimeMs(UserPara.PortInfo.BaudRate, TxLength);
    FDeadline = now + ReplyTimeoutMs;
    FLineFreeAt = now + LineTimeMs(UserPara.PortInfo.BaudRate, TxLength + FLongestReply);
    BusHealth.NoteRequest(EquipList.PollAddress);
    if (TUpsInfoRec* rec = RecordOf(EquipList.PollAddress))
        RecordNoteRequest(*rec, FEventLog);
}

// Fast poll: a transmission's wait is over with a reply handed to the codec
// or at its time-out.
bool TPollEngine::FastWaitOver() const {
    return SendTries == 0 || FReplyIn != TReplyIn::None || Clock() >= FDeadline;
}

// Fast poll: a good reply ends the request; a rejected one or none at all
// leads to the next transmission while SendLimit allows, as with fixed waits.
void TPollEngine::FastTransmitOrEnd() {
    EngineStep = StepWaitOver;
    const bool answered = FReplyIn == TReplyIn::Good;
    if (!answered && SendTries + 1 < SendLimit) {
        // Sending into noise or into a reply still on the line only queues
        // requests at the units: their replies would then all come mid-frame.
        if (const int64_t wait = FastHoldOffMs(); wait > 0) {
            EngineStep = StepWaiting;
            if (ScheduleStep)
                ScheduleStep(int(wait));
            return;
        }
        FReplyIn = TReplyIn::None;
        ++SendTries;
        Transmit();
        if (ScheduleStep)
            ScheduleStep(ReplyTimeoutMs);
        return;
    }
    FReplyIn = TReplyIn::None;
    AwaitingReply = 0;
    NoteRecordsChanged();
}

// How long the next fast transmission must wait. A line that never falls
// quiet holds a request back at most for one reply time-out after the last
// transmission: requests then go out at the time-out's pace and a unit that
// cannot be heard turns to error and lost as on a silent line.
int64_t TPollEngine::FastHoldOffMs() const {
    const int64_t quietAt = std::min(FQuietAt, FSentAt + ReplyTimeoutMs);
    return std::max(FLineFreeAt, quietAt) - Clock();
}

void TPollEngine::BuildRequest() {
    const TCodecHooks* codec = ActiveCodec();
    if (!codec || !codec->BuildQuery)
        return;
    const int pendingBefore = PendingCommands();
    const TBuiltQuery built = codec->BuildQuery();
    TxLength = std::clamp<int32_t>(built.Length, 0, static_cast<int32_t>(TxBuffer.size()));
    EquipList.PollAddress = built.Address;
    if (TxLength > 0) {
        EngineStep = StepBuilt;
        AwaitingReply = 255;
        SendLimit = UserPara.PortInfo.MaxReSend;
        FastRequest = UserPara.PortInfo.FastPoll;
        const int32_t reply = built.ReplyLength > 0 ? built.ReplyLength : int32_t(RxBuffer.size());
        ReplyTimeoutMs = FastReplyTimeoutMs(UserPara.PortInfo.BaudRate, TxLength, reply,
                                            UserPara.PortInfo.ReadIntervalTimeout);
        FLongestReply = reply;
        NoteCycleStart(built, pendingBefore);
    }
}

// A cycle over the device list begins with the first poll step of its first
// device; queued commands and search probes are no part of it.
void TPollEngine::NoteCycleStart(const TBuiltQuery& built, int pendingBefore) {
    if (SearchMode || EquipList.Count == 0 || PendingCommands() != pendingBefore)
        return;
    if (EquipList.PollPos == 1 && PollStep <= 1 && built.Address == EquipList.At(1).Address)
        BusHealth.NoteCycleStart(Clock());
}

void TPollEngine::Comm1ReceiveData(const uint8_t* buffer, uint16_t length) {
    Increment(CommDebug.RxFrames);
    RxLedCount = LedOnCount;
    const int n = std::min<int>(length, static_cast<int>(RxBuffer.size()));
    std::copy_n(buffer, n, RxBuffer.begin());
    if (TraceVisible && Trace)
        Trace->EchoReceived(RxBuffer.data(), n);
    const TCodecHooks* codec = ActiveCodec();
    const TReplyVerdict verdict =
        codec && codec->ParseReply ? codec->ParseReply(RxBuffer.data(), n) : Rejected();
    const bool ok = verdict.Good;
    const int letter = ok ? TReplyVerdict::NoLetter : verdict.Letter;
    if (letter >= 0 && std::size_t(letter) < CommDebug.ErrCnt.size())
        Increment(CommDebug.ErrCnt[std::size_t(letter)]);
    const bool otherAddress =
        !ok && (letter == ErrAddress ||
                (codec && codec->FromOtherAddress && codec->FromOtherAddress(RxBuffer.data(), n)));
    NoteHealth(ok, letter);
    if (!ok) {
        // Noise: the line must stay quiet for the read interval (at least two
        // characters' time) before the next fast transmission.
        const int32_t interval = UserPara.PortInfo.ReadIntervalTimeout;
        FQuietAt = Clock() + std::max<int64_t>(interval, LineTimeMs(UserPara.PortInfo.BaudRate, 2));
    }
    TUpsInfoRec* rec = RecordOf(EquipList.PollAddress);
    if (ok)
        HandleGoodReply(rec);
    else
        Increment(DbgCnt[0]);
    if (rec)
        RecordNoteFrame(*rec);
    NoteReplyForWait(ok, otherAddress);
    NoteRecordsChanged();
}

void TPollEngine::NoteRecordsChanged() {
    if (RecordsChanged)
        RecordsChanged();
}

void TPollEngine::NoteHealth(bool ok, int letter) {
    const uint8_t address = EquipList.PollAddress;
    if (!ok) {
        BusHealth.NoteReject(address, letter);
        return;
    }
    const int64_t now = Clock();
    BusHealth.NoteGoodReply(address, std::max<int64_t>(now - FSentAt, 0), now);
}

// Fast poll: the chunk ends the wait of the transmission out, unless it came
// from another address: a late reply to the request before must not cut
// short the wait for the reply on its way.
void TPollEngine::NoteReplyForWait(bool ok, bool fromOtherAddress) {
    if (!AwaitingReply || !FastRequest || SendTries == 0 || fromOtherAddress)
        return;
    if (FReplyIn != TReplyIn::Good)
        FReplyIn = ok ? TReplyIn::Good : TReplyIn::Rejected;
    if (ok)
        FLineFreeAt = Clock(); // the reply is in: the line is free
    if (ScheduleStep)
        ScheduleStep(0);
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
// switches the data log off. The countdown runs whether the port is open or
// not; the round itself logs nothing while it is closed.
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

// Only readings taken on this opening of the line are logged: a closed port,
// or a unit that has not answered since the records were reset, leaves a gap
// in the month file rather than a row of stale or zeroed values.
void TPollEngine::WriteDataLog() {
    if (!IsCommOpen())
        return;
    for (int pos = 1; pos <= EquipList.Count; ++pos) {
        const uint8_t address = EquipList.At(pos).Address;
        const TUpsInfoRec* rec = RecordOf(address);
        if (rec && rec->CommState == CommCommunicating && rec->DataValid == 1)
            (void)FDataLog.Append(MakeDataRec(*rec, address, NowTimeStamp()));
    }
}
