#pragma once
// The serial port component: one port run full duplex by a reader and a writer
// thread. The threads never touch program state: everything they learn is
// handed to a notification sink as a TCommNotice, and the user-interface
// thread passes each notice back to DeliverNotice, which raises the events.
// So the code that consumes received bytes never runs on a worker thread.

#include "comm/CommTypes.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TComm;
class TReadThread;
class TWriteThread;
class TCommPort;

using TReceiveDataEvent =
    std::function<void(TComm* Sender, const uint8_t* Buffer, uint16_t BufferLength)>;
using TReceiveErrorEvent = std::function<void(TComm* Sender, uint32_t EventMask)>;
using TModemStateChangeEvent = std::function<void(TComm* Sender, uint32_t ModemEvent)>;
using TNotifyEvent = std::function<void(TComm* Sender)>;
using TSendDataEmptyEvent = std::function<void(TComm* Sender)>;

// Everything but the worker threads runs on the user-interface thread: the
// properties, OpenPort, ClosePort, SendData, DeliverNotice and the events.
class TComm {
public:
    explicit TComm(TCommNotifySink& sink);
    ~TComm(); // closes the port if it is still open
    TComm(const TComm&) = delete;
    TComm& operator=(const TComm&) = delete;

    // Opens the device named by CommName ("COMn" or an absolute device path,
    // see DevicePathForComName) and starts both threads. Throws ECommsError.
    void OpenPort();
    // Stops the reader and the writer and closes the device; returns promptly
    // also while a write is blocked or the device is gone. No-op when closed.
    void ClosePort();
    [[nodiscard]] bool IsOpen() const { return FPort != nullptr; }
    // Queues a copy of the bytes for the writer; false when closed, when
    // length is 0, or when the block could not be queued.
    [[nodiscard]] bool SendData(const uint8_t* buffer, uint16_t length);
    // Called on the user-interface thread with a notice the sink queued:
    // raises the matching event (if assigned) and releases the block.
    void DeliverNotice(TCommNotice notice);
    [[nodiscard]] bool SendQueueEmpty() const { return FSendQueueEmpty->load(); }

    // Properties. Setting a line or time-out property on an open port applies
    // it at once; CommName and Parity take effect at the next OpenPort.
    const std::string& CommName() const { return FCommName; }
    void SetCommName(const std::string& value) { FCommName = value; }
    const TCommLineSettings& LineSettings() const { return FLine; }
    const TCommTimeouts& Timeouts() const { return FTimeouts; }

    uint32_t BaudRate() const { return FLine.BaudRate; }
    void SetBaudRate(uint32_t v) { SetLine(&TCommLineSettings::BaudRate, v); }
    bool ParityCheck() const { return FLine.ParityCheck; }
    void SetParityCheck(bool v) { SetLine(&TCommLineSettings::ParityCheck, v); }
    bool Outx_CtsFlow() const { return FLine.Outx_CtsFlow; }
    void SetOutx_CtsFlow(bool v) { SetLine(&TCommLineSettings::Outx_CtsFlow, v); }
    bool Outx_DsrFlow() const { return FLine.Outx_DsrFlow; }
    void SetOutx_DsrFlow(bool v) { SetLine(&TCommLineSettings::Outx_DsrFlow, v); }
    TDtrControl DtrControl() const { return FLine.DtrControl; }
    void SetDtrControl(TDtrControl v) { SetLine(&TCommLineSettings::DtrControl, v); }
    bool DsrSensitivity() const { return FLine.DsrSensitivity; }
    void SetDsrSensitivity(bool v) { SetLine(&TCommLineSettings::DsrSensitivity, v); }
    bool TxContinueOnXoff() const { return FLine.TxContinueOnXoff; }
    void SetTxContinueOnXoff(bool v) { SetLine(&TCommLineSettings::TxContinueOnXoff, v); }
    bool Outx_XonXoffFlow() const { return FLine.Outx_XonXoffFlow; }
    void SetOutx_XonXoffFlow(bool v) { SetLine(&TCommLineSettings::Outx_XonXoffFlow, v); }
    bool Inx_XonXoffFlow() const { return FLine.Inx_XonXoffFlow; }
    void SetInx_XonXoffFlow(bool v) { SetLine(&TCommLineSettings::Inx_XonXoffFlow, v); }
    bool ReplaceWhenParityError() const { return FLine.ReplaceWhenParityError; }
    void SetReplaceWhenParityError(bool v) {
        SetLine(&TCommLineSettings::ReplaceWhenParityError, v);
    }
    bool IgnoreNullChar() const { return FLine.IgnoreNullChar; }
    void SetIgnoreNullChar(bool v) { SetLine(&TCommLineSettings::IgnoreNullChar, v); }
    TRtsControl RtsControl() const { return FLine.RtsControl; }
    void SetRtsControl(TRtsControl v) { SetLine(&TCommLineSettings::RtsControl, v); }
    uint16_t XonLimit() const { return FLine.XonLimit; }
    void SetXonLimit(uint16_t v) { SetLine(&TCommLineSettings::XonLimit, v); }
    uint16_t XoffLimit() const { return FLine.XoffLimit; }
    void SetXoffLimit(uint16_t v) { SetLine(&TCommLineSettings::XoffLimit, v); }
    TByteSize ByteSize() const { return FLine.ByteSize; }
    void SetByteSize(TByteSize v) { SetLine(&TCommLineSettings::ByteSize, v); }
    TParity Parity() const { return FLine.Parity; }
    void SetParity(TParity v) { FLine.Parity = v; }
    TStopBits StopBits() const { return FLine.StopBits; }
    void SetStopBits(TStopBits v) { SetLine(&TCommLineSettings::StopBits, v); }
    char XonChar() const { return FLine.XonChar; }
    void SetXonChar(char v) { SetLine(&TCommLineSettings::XonChar, v); }
    char XoffChar() const { return FLine.XoffChar; }
    void SetXoffChar(char v) { SetLine(&TCommLineSettings::XoffChar, v); }
    char ReplacedChar() const { return FLine.ReplacedChar; }
    void SetReplacedChar(char v) { SetLine(&TCommLineSettings::ReplacedChar, v); }

    uint32_t ReadIntervalTimeout() const { return FTimeouts.ReadIntervalTimeout; }
    void SetReadIntervalTimeout(uint32_t v) { SetTimeout(&TCommTimeouts::ReadIntervalTimeout, v); }
    uint32_t ReadTotalTimeoutMultiplier() const { return FTimeouts.ReadTotalTimeoutMultiplier; }
    void SetReadTotalTimeoutMultiplier(uint32_t v) {
        SetTimeout(&TCommTimeouts::ReadTotalTimeoutMultiplier, v);
    }
    uint32_t ReadTotalTimeoutConstant() const { return FTimeouts.ReadTotalTimeoutConstant; }
    void SetReadTotalTimeoutConstant(uint32_t v) {
        SetTimeout(&TCommTimeouts::ReadTotalTimeoutConstant, v);
    }
    uint32_t WriteTotalTimeoutMultiplier() const { return FTimeouts.WriteTotalTimeoutMultiplier; }
    void SetWriteTotalTimeoutMultiplier(uint32_t v) {
        SetTimeout(&TCommTimeouts::WriteTotalTimeoutMultiplier, v);
    }
    uint32_t WriteTotalTimeoutConstant() const { return FTimeouts.WriteTotalTimeoutConstant; }
    void SetWriteTotalTimeoutConstant(uint32_t v) {
        SetTimeout(&TCommTimeouts::WriteTotalTimeoutConstant, v);
    }

    // A whole frame ends its chunk at once (see TCommPort::FrameEnd); empty =
    // chunks end with the read interval only. Takes effect at the next opening.
    void SetFrameEnd(TFrameEnd frameEnd) { FFrameEnd = std::move(frameEnd); }

    // Events, raised by DeliverNotice on the user-interface thread only.
    TReceiveDataEvent OnReceiveData;
    TReceiveErrorEvent OnReceiveError;
    TModemStateChangeEvent OnModemStateChange;
    TNotifyEvent OnRequestHangup;
    TSendDataEmptyEvent OnSendDataEmpty;

private:
    template <typename T> void SetLine(T TCommLineSettings::*field, T value) {
        if (FLine.*field == value)
            return;
        FLine.*field = value;
        ApplyLineSettings();
    }
    template <typename T> void SetTimeout(T TCommTimeouts::*field, T value) {
        if (FTimeouts.*field == value)
            return;
        FTimeouts.*field = value;
        ApplyTimeouts();
    }
    void ApplyLineSettings();
    void ApplyTimeouts();
    void StartThreads();
    void StopReader();
    void StopWriter();

    std::shared_ptr<TReadThread> FReadThread;
    std::shared_ptr<TWriteThread> FWriteThread;
    std::shared_ptr<TCommPort> FPort; // the open device with its CloseSignal
    TCommNotifySink& FSink;
    std::shared_ptr<std::atomic<bool>> FSendQueueEmpty;
    std::string FCommName = "COM2";
    TCommLineSettings FLine;
    TCommTimeouts FTimeouts;
    TFrameEnd FFrameEnd;
};
