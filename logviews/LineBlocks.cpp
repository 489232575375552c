#include "logviews/LineBlocks.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace {
constexpr unsigned MostMakers = 4;

// Blocks being made or waiting to be taken; a maker may run this many blocks
// ahead of the one the caller takes, which bounds the memory at
// SlotsPerMaker * makers blocks.
constexpr int64_t SlotsPerMaker = 2;

class TBlockShop {
public:
    TBlockShop(int64_t lines, int64_t blockLines, unsigned makers, const TLineFormat& format)
        : FLines(lines), FBlockLines(blockLines), FBlocks((lines + blockLines - 1) / blockLines),
          FSlots(std::size_t(SlotsPerMaker * makers)), FFormat(format) {}

    // Blocks ready, in order, to `take`; false when it stopped.
    bool Deliver(const TBlockTake& take) {
        for (int64_t block = 0; block < FBlocks; ++block) {
            TSlot& slot = FSlots[std::size_t(block % int64_t(FSlots.size()))];
            {
                std::unique_lock lock(FMutex);
                FChanged.wait(lock, [&] { return slot.Ready || FFailure; });
                if (FFailure)
                    return false;
            }
            const int64_t done = std::min(FLines, (block + 1) * FBlockLines);
            if (!take(slot.Text, done))
                return false;
            std::lock_guard lock(FMutex);
            slot.Ready = false;
            FTaken = block + 1;
            FChanged.notify_all();
        }
        return true;
    }

    void Make() {
        for (;;) {
            int64_t block = 0;
            {
                std::unique_lock lock(FMutex);
                FChanged.wait(lock, [&] {
                    return FStop || FNext >= FBlocks ||
                           FNext < FTaken + int64_t(FSlots.size());
                });
                if (FStop || FNext >= FBlocks)
                    return;
                block = FNext++;
            }
            TSlot& slot = FSlots[std::size_t(block % int64_t(FSlots.size()))];
            try {
                slot.Text.clear();
                const int64_t last = std::min(FLines, (block + 1) * FBlockLines);
                for (int64_t line = block * FBlockLines; line < last; ++line)
                    FFormat(line, slot.Text);
            } catch (...) {
                std::lock_guard lock(FMutex);
                if (!FFailure)
                    FFailure = std::current_exception();
                FStop = true;
                FChanged.notify_all();
                return;
            }
            std::lock_guard lock(FMutex);
            slot.Ready = true;
            FChanged.notify_all();
        }
    }

    void Stop() {
        std::lock_guard lock(FMutex);
        FStop = true;
        FChanged.notify_all();
    }

    std::exception_ptr Failure() const { return FFailure; }

private:
    struct TSlot {
        std::string Text;
        bool Ready = false;
    };

    const int64_t FLines, FBlockLines, FBlocks;
    std::vector<TSlot> FSlots;
    const TLineFormat& FFormat;
    std::mutex FMutex;
    std::condition_variable FChanged;
    int64_t FNext = 0;  // the next block to make
    int64_t FTaken = 0; // blocks the caller has taken
    bool FStop = false;
    std::exception_ptr FFailure;
};

// Stops the makers and waits for them, however the caller leaves.
class TMakers {
public:
    explicit TMakers(TBlockShop& shop) : FShop(shop) {}
    ~TMakers() {
        FShop.Stop();
        for (std::thread& t : FThreads)
            t.join();
    }
    void Start(unsigned count) {
        for (unsigned i = 0; i < count; ++i)
            FThreads.emplace_back([this] { FShop.Make(); });
    }

private:
    TBlockShop& FShop;
    std::vector<std::thread> FThreads;
};
} // namespace

bool MakeLineBlocks(int64_t lines, int64_t blockLines, const TLineFormat& format,
                    const TBlockTake& take) {
    if (lines <= 0)
        return true;
    blockLines = std::max<int64_t>(1, blockLines);
    const int64_t blocks = (lines + blockLines - 1) / blockLines;
    const unsigned makers =
        unsigned(std::min<int64_t>(blocks, std::clamp(std::thread::hardware_concurrency(), 1u,
                                                      MostMakers)));
    TBlockShop shop(lines, blockLines, makers, format);
    bool taken = false;
    {
        TMakers threads(shop);
        threads.Start(makers);
        taken = shop.Deliver(take);
    }
    if (shop.Failure())
        std::rethrow_exception(shop.Failure());
    return taken;
}
