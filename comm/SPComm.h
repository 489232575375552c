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
    // it at once; CommName takes effect at the next OpenPort. The other line
    // settings keep the defaults of TCommLineSettings and TCommTimeouts.
    const std::string& CommName() const { return FCommName; }
    void SetCommName(const std::string& value) { FCommName = value; }

    uint32_t BaudRate() const { return FLine.BaudRate; }
    void SetBaudRate(uint32_t v) { SetLine(&TCommLineSettings::BaudRate, v); }
    bool Outx_XonXoffFlow() const { return FLine.Outx_XonXoffFlow; }
    void SetOutx_XonXoffFlow(bool v) { SetLine(&TCommLineSettings::Outx_XonXoffFlow, v); }
    bool Inx_XonXoffFlow() const { return FLine.Inx_XonXoffFlow; }
    void SetInx_XonXoffFlow(bool v) { SetLine(&TCommLineSettings::Inx_XonXoffFlow, v); }
    void SetIgnoreNullChar(bool v) { SetLine(&TCommLineSettings::IgnoreNullChar, v); }
    TStopBits StopBits() const { return FLine.StopBits; }
    void SetStopBits(TStopBits v) { SetLine(&TCommLineSettings::StopBits, v); }

    uint32_t ReadIntervalTimeout() const { return FTimeouts.ReadIntervalTimeout; }
    void SetReadIntervalTimeout(uint32_t v) { SetTimeout(&TCommTimeouts::ReadIntervalTimeout, v); }

    // What a frame under way still needs (see TFrameRest); the reader sleeps
    // while it arrives. With handOverWhole a whole frame ends its chunk at
    // once; otherwise chunks end with the read interval only. Empty: the
    // reader knows nothing of frames. Takes effect at the next opening.
    void SetFrameRest(TFrameRest frameRest, bool handOverWhole) {
        FFrameRest = std::move(frameRest);
        FHandOverWholeFrames = handOverWhole;
    }

    // Events, raised by DeliverNotice on the user-interface thread only.
    TReceiveDataEvent OnReceiveData;
    TReceiveErrorEvent OnReceiveError;
    TModemStateChangeEvent OnModemStateChange;
    TNotifyEvent OnRequestHangup;
    // Looked at when the port opens: the writer announces an empty send
    // queue only when there was a handler then.
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
    TFrameRest FFrameRest;
    bool FHandOverWholeFrames = false;
};
