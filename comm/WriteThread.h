#pragma once
// The writer: takes write requests from its own queue and writes them in the
// order posted; tells the sink when the queue has run empty. A request that
// finds the writer idle goes out from the caller's thread as far as the
// driver takes it without waiting (when nobody listens for the empty queue);
// the writer is woken only for the rest.

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
    // Under FQueueLock: the bytes written.
    [[nodiscard]] size_t WriteWhileIdle(const uint8_t* data, size_t length);
    [[nodiscard]] std::optional<std::vector<uint8_t>> TakeRequest();
    [[nodiscard]] bool WaitForRequest();
    [[nodiscard]] bool WriteBlock(const std::vector<uint8_t>& block);
    [[nodiscard]] bool WaitWritable();
    void Finish();

    std::mutex FQueueLock;
    std::deque<std::vector<uint8_t>> FQueue;
    bool FEnded = false;
    bool FWriting = false; // the writer holds a request taken from the queue
    bool FHangup = false; // the line failed: 1027 when the thread ends
    int FWakeSignal = -1;
    std::shared_ptr<std::atomic<bool>> FSendQueueEmpty;
    const bool FNotifyWhenEmpty;
};
