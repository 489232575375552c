#pragma once
// What the reader and the writer have in common: a thread that runs one body,
// posts notices to the sink, and can be waited for with a time limit.

#include "comm/CommPort.h"
#include "comm/CommTypes.h"

#include <chrono>
#include <future>
#include <memory>
#include <thread>
#include <vector>

class TCommThread : public std::enable_shared_from_this<TCommThread> {
public:
    virtual ~TCommThread();
    TCommThread(const TCommThread&) = delete;
    TCommThread& operator=(const TCommThread&) = delete;

    // Runs Execute on a new thread; throws std::system_error when it cannot.
    void Start();
    // True, with the thread joined, once it has ended within limit.
    [[nodiscard]] bool WaitFor(std::chrono::milliseconds limit);
    // Lets go of a thread that did not end in time. The running body keeps
    // its object, and through it the port, alive until it ends, so no other
    // file can turn up under the descriptor it still uses.
    void Abandon();

protected:
    TCommThread(std::shared_ptr<TCommPort> port, TCommNotifySink& sink);
    virtual void Execute() = 0;
    [[nodiscard]] bool Notify(uint32_t kind, uint32_t value = 0, std::vector<uint8_t> block = {});
    // Tells the owner the line is unusable (1027); a refused notice is dropped.
    void NotifyHangup();

    const std::shared_ptr<TCommPort> FPort;

private:
    TCommNotifySink& FSink;
    std::thread FThread;
    std::future<void> FEnded;
};
