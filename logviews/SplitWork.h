#pragma once
// Loops over many records split into contiguous ranges run side by side, one
// a core: reading the sort keys of a large month is arithmetic on records that
// lie one after another, and a radix pass counts and places each range apart.

#include <cstddef>
#include <functional>

// How many ranges count items are split into: one a core (at most four), none
// smaller than minimumRange, at least one.
[[nodiscard]] std::size_t RangeCount(std::size_t count, std::size_t minimumRange);

// Calls work(range, first, last) for range 0..ranges-1, the ranges covering
// 0..count-1 in order, each on its own thread (the caller runs the first).
// True when every call returned true; an exception of a call is thrown again
// once all have ended. work must only read what the calls share, and write
// to its own range.
bool SplitWork(
    std::size_t count, std::size_t ranges,
    const std::function<bool(std::size_t range, std::size_t first, std::size_t last)>& work);
