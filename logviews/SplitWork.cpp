#include "logviews/SplitWork.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {
constexpr std::size_t MostRanges = 4;
}

std::size_t RangeCount(std::size_t count, std::size_t minimumRange) {
    const std::size_t cores =
        std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, MostRanges);
    return std::clamp<std::size_t>(count / std::max<std::size_t>(1, minimumRange), 1, cores);
}

bool SplitWork(
    std::size_t count, std::size_t ranges,
    const std::function<bool(std::size_t range, std::size_t first, std::size_t last)>& work) {
    ranges = std::max<std::size_t>(1, ranges);
    std::atomic<bool> allDone{true};
    std::mutex failureMutex;
    std::exception_ptr failure;
    auto run = [&](std::size_t range) {
        try {
            if (!work(range, count * range / ranges, count * (range + 1) / ranges))
                allDone = false;
        } catch (...) {
            std::lock_guard lock(failureMutex);
            failure = std::current_exception();
            allDone = false;
        }
    };
    std::vector<std::thread> helpers;
    helpers.reserve(ranges);
    std::size_t range = 1;
    try {
        for (; range < ranges; ++range)
            helpers.emplace_back(run, range);
    } catch (const std::system_error&) {
        // No thread to be had: the ranges left run here.
    }
    run(0);
    for (; range < ranges; ++range)
        run(range);
    for (std::thread& t : helpers)
        t.join();
    if (failure)
        std::rethrow_exception(failure);
    return allDone;
}
