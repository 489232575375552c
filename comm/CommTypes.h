#pragma once
// The serial port's vocabulary, shared by the component and its worker
// threads: the fixed open errors, the line settings and time-outs, and the
// notices the threads hand to the user-interface thread.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

// Raised by OpenPort with one of the fixed messages below and, where the
// system refused, its error number (0 where there is none).
class ECommsError : public std::runtime_error {
public:
    explicit ECommsError(const char* message, int systemError = 0)
        : std::runtime_error(message), FSystemError(systemError) {}
    [[nodiscard]] int SystemError() const { return FSystemError; }

private:
    int FSystemError;
};

inline constexpr const char* MsgAlreadyOpened = "This serial port already opened";
inline constexpr const char* MsgOpenFailed = "Error opening serial port";
// Another program (a monitor or an agent on the same line) holds the port.
inline constexpr const char* MsgPortBusy = "Serial port is in use by another program";
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

// How many more bytes the frame a chunk has begun needs to be whole: 0 when
// it is whole, nullopt when the bytes gathered so far do not tell (noise, a
// function of unknown length). Never more than the frame can still need, so a
// reader may sleep through their arrival.
using TFrameRest =
    std::function<std::optional<std::size_t>(const uint8_t* bytes, std::size_t count)>;
