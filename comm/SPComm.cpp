#include "comm/SPComm.h"

#include "comm/CommPort.h"
#include "comm/LineSettings.h"
#include "comm/PortName.h"
#include "comm/ReadThread.h"
#include "comm/WriteThread.h"

#include <chrono>
#include <termios.h>

namespace {

// How long ClosePort waits for each worker. The workers block only in poll()
// on the CloseSignal, so in practice they end within microseconds.
constexpr std::chrono::milliseconds ThreadStopWait{10000};

template <typename TThread> void StopThread(std::shared_ptr<TThread>& thread) {
    if (!thread->WaitFor(ThreadStopWait))
        thread->Abandon();
    thread.reset();
}

} // namespace

TComm::TComm(TCommNotifySink& sink)
    : FSink(sink), FSendQueueEmpty(std::make_shared<std::atomic<bool>>(true)) {}

// Closing here rather than leaving it to the owner: running threads must not
// outlive the sink and the port they were given.
TComm::~TComm() {
    ClosePort();
}

void TComm::OpenPort() {
    if (IsOpen())
        throw ECommsError(MsgAlreadyOpened);
    FPort = OpenCommDevice(DevicePathForComName(FCommName));
    // The driver queues of this system are fixed; there is nothing to size.
    FPort->Purge(TCIOFLUSH);
    FSendQueueEmpty->store(true);
    ApplyTimeouts();
    ApplyLineSettings();
    FPort->FrameRest = FFrameRest;
    FPort->HandOverWholeFrames = FHandOverWholeFrames && FFrameRest;
    if (!FPort->CreateCloseSignal()) {
        FPort.reset();
        throw ECommsError(MsgCreateEvent);
    }
    StartThreads();
}

void TComm::StartThreads() {
    try {
        FReadThread = std::make_shared<TReadThread>(FPort, FSink);
        FReadThread->Start();
    } catch (const std::exception&) {
        FReadThread.reset();
        FPort.reset();
        throw ECommsError(MsgCreateReadThread);
    }
    try {
        FWriteThread = std::make_shared<TWriteThread>(FPort, FSink, FSendQueueEmpty,
                                                      bool(OnSendDataEmpty));
        FWriteThread->Start();
    } catch (const std::exception&) {
        StopReader();
        FWriteThread.reset();
        FPort.reset();
        throw ECommsError(MsgCreateWriteThread);
    }
}

void TComm::ClosePort() {
    if (!IsOpen())
        return;
    StopReader();
    StopWriter();
    FPort.reset();
}

void TComm::StopReader() {
    if (!FReadThread)
        return;
    FPort->SetCloseSignal();
    FPort->Purge(TCIFLUSH);
    StopThread(FReadThread);
}

void TComm::StopWriter() {
    if (!FWriteThread)
        return;
    FPort->SetCloseSignal();
    FPort->Purge(TCOFLUSH);
    FSendQueueEmpty->store(true);
    StopThread(FWriteThread);
}

bool TComm::SendData(const uint8_t* buffer, uint16_t length) {
    if (!FWriteThread || length == 0)
        return false;
    return FWriteThread->PostWrite(buffer, length);
}

void TComm::DeliverNotice(TCommNotice notice) {
    switch (notice.Kind) {
    case CommNoticeReceiveData:
        if (OnReceiveData && notice.Value < notice.Block.size())
            OnReceiveData(this, notice.Block.data(), static_cast<uint16_t>(notice.Value));
        break;
    case CommNoticeReceiveError:
        if (OnReceiveError)
            OnReceiveError(this, notice.Value);
        break;
    case CommNoticeHangup:
        if (OnRequestHangup)
            OnRequestHangup(this);
        break;
    case CommNoticeModemState:
        if (OnModemStateChange)
            OnModemStateChange(this, notice.Value);
        break;
    case CommNoticeSendEmpty:
        if (OnSendDataEmpty)
            OnSendDataEmpty(this);
        break;
    default:
        break;
    }
}

// Failures are ignored: the settings stay as the driver accepted them.
void TComm::ApplyLineSettings() {
    if (!IsOpen())
        return;
    (void)ApplyLineSettingsToPort(FPort->Fd(), FLine);
    FPort->DiscardNul.store(FLine.IgnoreNullChar);
    FPort->CharMicros.store(CharacterMicros(FLine));
}

void TComm::ApplyTimeouts() {
    if (IsOpen())
        FPort->SetTimeouts(FTimeouts);
}
