#include "comm/CommThread.h"

TCommThread::TCommThread(std::shared_ptr<TCommPort> port, TCommNotifySink& sink)
    : FPort(std::move(port)), FSink(sink) {}

TCommThread::~TCommThread() {
    // Only reached with a joinable thread when the body itself held the last
    // reference; it cannot join itself.
    if (FThread.joinable())
        FThread.detach();
}

void TCommThread::Start() {
    std::promise<void> ended;
    FEnded = ended.get_future();
    FThread = std::thread([self = shared_from_this(), ended = std::move(ended)]() mutable {
        try {
            self->Execute();
        } catch (...) {
            // Out of memory or a failing sink: the thread ends as after any
            // other failure.
            self->NotifyHangup();
        }
        ended.set_value();
    });
}

bool TCommThread::WaitFor(std::chrono::milliseconds limit) {
    if (FEnded.wait_for(limit) != std::future_status::ready)
        return false;
    FThread.join();
    return true;
}

void TCommThread::Abandon() {
    FThread.detach();
}

bool TCommThread::Notify(uint32_t kind, uint32_t value, std::vector<uint8_t> block) {
    return FSink.Post(TCommNotice{kind, value, std::move(block)});
}

void TCommThread::NotifyHangup() {
    (void)Notify(CommNoticeHangup);
}
