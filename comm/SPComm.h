#pragma once
// The serial port component: one port run full duplex by a reader and a writer
// thread. The threads never touch program state: everything they learn is
// handed to a notification sink as a TCommNotice, and the user-interface
// thread passes each notice back to DeliverNotice, which raises the events.
// So the code that consumes received bytes never runs on a worker thread.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// Raised by OpenPort with one of the fixed messages below.
class ECommsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* MsgAlreadyOpened = "This serial port already opened";
inline constexpr const char* MsgOpenFailed = "Error opening serial port";
inline constexpr const char* MsgNotCommHandle = "File handle is not a comm handle ";
inline constexpr const char* MsgSetupBuffer = "Cannot setup comm buffer";
inline constexpr const char* MsgCreateEvent = "Unable to create event";
inline constexpr const char* MsgCreateReadThread = "Unable to create read thread";
inline constexpr const char* MsgCreateWriteThread = "Unable to create write thread";

enum class TDtrControl : uint8_t { DtrEnable, DtrDisable, DtrHandshake };
enum class TRtsControl : uint8_t { RtsEnable, RtsDisable, RtsHandshake, RtsTransmissionAvailable };
enum class TByteSize : uint8_t { _5, _6, _7, _8 };
enum class TParity : uint8_t { None, Odd, Even, Mark, Space };
enum class TStopBits : uint8_t { _1, _1_5, _2 };

// Line settings with the component's own defaults.
struct TCommLineSettings {
    uint32_t BaudRate = 9600;
    bool ParityCheck = false;
    bool Outx_CtsFlow = false;
    bool Outx_DsrFlow = false;
    TDtrControl DtrControl = TDtrControl::DtrEnable;
    bool DsrSensitivity = false;
    bool TxContinueOnXoff = true;
    bool Outx_XonXoffFlow = true;
    bool Inx_XonXoffFlow = true;
    bool ReplaceWhenParityError = false;
    bool IgnoreNullChar = false;
    TRtsControl RtsControl = TRtsControl::RtsEnable;
    uint16_t XonLimit = 500;
    uint16_t XoffLimit = 500;
    TByteSize ByteSize = TByteSize::_8;
    TParity Parity = TParity::None;
    TStopBits StopBits = TStopBits::_1;
    char XonChar = 17;  // DC1
    char XoffChar = 19; // DC3
    char ReplacedChar = 0;

    bool operator==(const TCommLineSettings&) const = default;
};

// Time-outs in milliseconds. A received chunk ends after ReadIntervalTimeout
// of silence (or when 2048 bytes have arrived).
struct TCommTimeouts {
    uint32_t ReadIntervalTimeout = 100;
    uint32_t ReadTotalTimeoutMultiplier = 0;
    uint32_t ReadTotalTimeoutConstant = 0;
    uint32_t WriteTotalTimeoutMultiplier = 0;
    uint32_t WriteTotalTimeoutConstant = 0;

    bool operator==(const TCommTimeouts&) const = default;
};

// Notice codes from the worker threads (1025 is also the write-request code).
inline constexpr uint32_t CommNoticeReceiveData = 1025;
inline constexpr uint32_t CommNoticeReceiveError = 1026;
inline constexpr uint32_t CommNoticeHangup = 1027;
inline constexpr uint32_t CommNoticeModemState = 1028;
inline constexpr uint32_t CommNoticeSendEmpty = 1029;

// Largest chunk one read hands over.
inline constexpr uint32_t CommReadBufferSize = 2048;

// Line-error flags carried by 1026 (the driver's error bits).
inline constexpr uint32_t CommErrRxOver = 0x0001;
inline constexpr uint32_t CommErrOverrun = 0x0002;
inline constexpr uint32_t CommErrParity = 0x0004;
inline constexpr uint32_t CommErrFrame = 0x0008;
inline constexpr uint32_t CommErrBreak = 0x0010;
// Modem event bits carried by 1028.
inline constexpr uint32_t CommModemCarrier = 8;
inline constexpr uint32_t CommModemRing = 4;

// One notice from a worker thread to the user-interface thread. The notice owns
// its block: for 1025, Block holds Value bytes followed by one 0 byte.
struct TCommNotice {
    uint32_t Kind = 0;  // CommNoticeReceiveData .. CommNoticeSendEmpty
    uint32_t Value = 0; // byte count (1025), error flags (1026), modem bits (1028)
    std::vector<uint8_t> Block;
};

// Where the worker threads hand their notices. Post is called on a worker
// thread; it must only queue the notice for the user-interface thread (never
// call back into TComm) and answer false when it could not queue it.
class TCommNotifySink {
public:
    virtual ~TCommNotifySink() = default;
    [[nodiscard]] virtual bool Post(TCommNotice notice) = 0;
};

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
};
