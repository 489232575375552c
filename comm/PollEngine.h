#pragma once
// The poll engine: drives the RS-485 line from a 100 ms tick. Each tick it
// notices the port opening or closing, runs the request state machine (ask
// the protocol chosen by the Protocol setting for the next request, transmit
// it MaxReSend - 1 times with 10 ticks of waiting after each transmission)
// and counts down to the next data-log round. Every received chunk goes to
// the same protocol's ParseReply and is attributed to PollAddress.
//
// With the FastPoll setting a request's wait ends as soon as a reply to it has
// been handed to the codec, or at a reply time-out worked out from the line
// speed, and the next request goes out at once: the engine asks its host for
// an immediate or a timed step (ScheduleStep, answered by FastStep). The 100 ms
// tick keeps everything else: the port cycle, the data log, the trace refresh.
//
// Free of any window system: the host calls Timer1Timer every 100 ms and
// delivers the port's notices on the user-interface thread, so tests drive it
// tick by tick and step by step with a clock of their own. Everything here
// runs on that one thread.

#include "comm/BusHealth.h"
#include "protocol/CodecHooks.h"
#include "protocol/EngineState.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class TComm;
class TEventLog;
class TDataLog;
struct TUpsInfoRec;

// EngineStep: the branch the last PollTick took.
enum : uint8_t {
    StepWaiting = 1,      // WaitTicks counting down
    StepWaitOver = 2,     // a transmission, or the request ended
    StepIdle = 3,         // no request; manual send mode builds none
    StepBuildPoll = 4,    // a poll request was asked for (stays 4 when none was built)
    StepBuilt = 5,        // request built, first transmission on the next tick
    StepBuildSearch = 11, // search: asked for the next address (stays 11 when none was built)
    StepSearchEnded = 12, // the search has just ended
};

constexpr int EngineTimerInterval = 100; // ms per tick
// After the adapter went away the port is tried again this often (3 s).
constexpr int32_t ReopenTicks = 30;
constexpr uint8_t TicksPerTransmission = 10;
constexpr uint8_t LedOnCount = 3;
// Fast poll: time a unit may take to start its answer, plus the scheduling of
// this program and of the port's threads.
constexpr int FastReplyMarginMs = 250;

// Fast poll: how long a transmission waits for its reply. The request and the
// longest reply on the line at `baud` (10 bits a character), the port's read
// interval time-out that ends the reply's chunk, and the margin.
[[nodiscard]] int FastReplyTimeoutMs(int32_t baud, int32_t requestBytes, int32_t replyBytes,
                                     int32_t readIntervalMs);
// Time the bytes take on the line at `baud`, 10 bits a character, rounded up.
[[nodiscard]] int64_t LineTimeMs(int32_t baud, int64_t bytes);

// What the trace window offers the engine. Echoes and the refresh are only
// asked for while TraceVisible is set; the countdown is shown on every tick.
class TTraceSink {
public:
    virtual ~TTraceSink() = default;
    virtual void EchoReceived(const uint8_t* bytes, int length) = 0;
    virtual void EchoSent(const uint8_t* bytes, int length) = 0;
    virtual void RefreshTrace() = 0;
    virtual void ShowRecCountdown(int32_t ticks) = 0;
};

class TPollEngine {
public:
    // Takes over comm's OnReceiveData. The three objects must outlive the engine.
    TPollEngine(TComm& comm, TEventLog& eventLog, TDataLog& dataLog);
    TPollEngine(const TPollEngine&) = delete;
    TPollEngine& operator=(const TPollEngine&) = delete;

    // Start-up: Auto send mode, no search, "Monitor software is open", the port
    // opened from the settings, all record counters reset. False when the port
    // could not be opened (StartError says why); the engine then runs with
    // the port closed.
    [[nodiscard]] bool Start();
    [[nodiscard]] const std::string& StartError() const { return FStartError; }
    // The system's error number behind StartError; 0 where there is none.
    [[nodiscard]] int StartSystemError() const { return FStartSystemError; }
    // Exit, first step: from now on a tick does nothing, then the port is
    // closed. A tick between the closing and Finish would otherwise take the
    // closing for a lost port and log it. Never throws.
    void StopForExit() noexcept;
    // Exit: "Monitor software is closed", then the port is closed. Stops the
    // ticks as StopForExit does. Only the first call logs. Never throws.
    void Finish() noexcept;

    // (Re)opens the port from the settings. Throws the port's ECommsError. A
    // ComName that names no device leaves the port closed without a message.
    // Ends the retrying after a lost adapter.
    void OpenComm();
    // The user closes the port: no retrying until it is opened again.
    void CloseComm();
    [[nodiscard]] bool IsCommOpen() const;
    // The serial port, for the trace window's diagnostic values.
    [[nodiscard]] const TComm& Port() const { return FComm; }

    // Sends through the port, lights the transmit lamp, echoes to the trace
    // window and counts the frame.
    void SendFrame(const uint8_t* bytes, uint16_t length);
    // The trace window's manual frame: copied into TxBuffer and sent once.
    // A frame longer than TxBuffer is refused (false, nothing sent).
    [[nodiscard]] bool SendManualFrame(const uint8_t* bytes, std::size_t length);

    // The 100 ms tick.
    void Timer1Timer();
    // The port's device went away (adapter unplugged, the other end closed):
    // the port is closed as if by the user, and then tried again every
    // ReopenTicks ticks without a message until it opens.
    void PortHungUp();
    // The request state machine; run by Timer1Timer while the port is open.
    void PollTick();
    // One received chunk, handled as one complete reply.
    void Comm1ReceiveData(const uint8_t* buffer, uint16_t length);
    // One data-log record for every listed device that is communicating.
    void WriteDataLog();

    // Fast poll: the host's single-shot step. Called with the delay (0 = at
    // once) after which the host calls FastStep; a new call replaces the one
    // pending. The 100 ms tick checks the same time-out, so a step that
    // never comes only delays the request to the next tick.
    void FastStep();

    TCodecTable Codecs;                            // filled by the host, indexed by Protocol
    TTraceSink* Trace = nullptr;                   // the trace window, when there is one
    std::function<void(int delayMs)> ScheduleStep; // set by the host for fast poll
    std::function<int64_t()> Clock = SteadyMs;     // milliseconds, for reply times
    // Called on the engine's thread after each reply has been handled and
    // after each request has ended, when the records may have changed; the
    // readers' feed takes its snapshot here. Must not wait on anything.
    std::function<void()> RecordsChanged;

    // Request state, read by the trace window's debug grid.
    uint8_t AwaitingReply = 0; // 0 / 255: a request is being transmitted or waited for
    uint8_t WaitTicks = 0;     // ticks left before the next transmission or the end
    uint8_t SendTries = 0;     // transmissions of the current request so far
    uint8_t SendLimit = 0;     // MaxReSend when the request was built
    int32_t TxLength = 0;      // length of the frame in TxBuffer; 0 = nothing built
    uint8_t EngineStep = 0;    // see the Step* codes

    bool TraceVisible = false;   // set while the trace window is shown
    bool PortWasOpen = false;    // the port was open at the previous tick
    int32_t RecCountdown = 0;    // ticks to the next data-log round; 0 = at the next tick
    int32_t ReopenCountdown = 0; // ticks to the next try of a lost port; 0 = not retrying
    bool FastRequest = false;    // the request in progress was built with FastPoll set
    int32_t ReplyTimeoutMs = 0;  // fast poll: the wait of each transmission of it

private:
    [[nodiscard]] const TCodecHooks* ActiveCodec() const;
    void NotePortChange(bool open);
    void LineClosed();
    void StartNextRequest();
    void BuildRequest();
    void NoteCycleStart(const TBuiltQuery& built, int pendingBefore);
    void TransmitOrEnd();
    void Transmit();
    [[nodiscard]] bool FastWaitOver() const;
    void FastTransmitOrEnd();
    void NoteReplyForWait(bool ok, bool fromOtherAddress);
    [[nodiscard]] int64_t FastHoldOffMs() const;
    void NoteHealth(bool ok, int letter);
    void CountDownDataLog();
    void CountDownReopen();
    void HandleGoodReply(TUpsInfoRec* rec);
    void NoteRecordsChanged();

    TComm& FComm;
    TEventLog& FEventLog;
    TDataLog& FDataLog;
    bool FStopped = false;   // the program is ending: ticks do nothing
    bool FFinished = false;  // the end is logged once, however often Finish runs
    std::string FStartError; // the port's message when Start could not open it
    int FStartSystemError = 0;

    // The reply to the transmission out, as far as fast poll cares.
    enum class TReplyIn : uint8_t { None, Good, Rejected };
    TReplyIn FReplyIn = TReplyIn::None;
    int64_t FSentAt = 0;   // the clock when the last byte of the transmission left
    int64_t FDeadline = 0; // fast poll: the wait of the transmission out ends here
    // Fast poll on a noisy line: no transmission before the line is free of
    // the last request and its longest reply, nor before the line has been
    // quiet for the read interval after a rejected chunk.
    int64_t FLineFreeAt = 0;
    int64_t FQuietAt = 0;
    int32_t FLongestReply = 0; // bytes, of the request in progress
};
