#pragma once
// The writer: takes write requests from its own queue and writes them in the
// order posted; tells the sink when the queue has run empty.

#include "comm/CommThread.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <optional>

class TWriteThread final : public TCommThread {
public:
    // Throws std::system_error when the queue's wake-up signal cannot be made.
    // notifyWhenEmpty: post CommNoticeSendEmpty after the start and after
    // each drained queue; without a listener each notice would only wake the
    // user-interface thread once per request for nothing.
    TWriteThread(std::shared_ptr<TCommPort> port, TCommNotifySink& sink,
                 std::shared_ptr<std::atomic<bool>> sendQueueEmpty, bool notifyWhenEmpty);
    ~TWriteThread() override;

    // Queues a copy of the bytes; false once the writer has ended.
    [[nodiscard]] bool PostWrite(const uint8_t* data, uint16_t length);

protected:
    void Execute() override;

private:
    [[nodiscard]] std::optional<std::vector<uint8_t>> TakeRequest();
    [[nodiscard]] bool WaitForRequest();
    [[nodiscard]] bool WriteBlock(const std::vector<uint8_t>& block);
    [[nodiscard]] bool WaitWritable();
    void Finish();

    std::mutex FQueueLock;
    std::deque<std::vector<uint8_t>> FQueue;
    bool FEnded = false;
    bool FHangup = false; // the line failed: 1027 when the thread ends
    int FWakeSignal = -1;
    std::shared_ptr<std::atomic<bool>> FSendQueueEmpty;
    const bool FNotifyWhenEmpty;
};
