#pragma once
// A loop over many records split into contiguous ranges run side by side, one
// a core: reading the sort keys of a large month is pure arithmetic on
// records that lie one after another.

#include <cstddef>
#include <functional>

// Calls work(first, last) for ranges covering 0..count-1, at most one range
// a core and none smaller than minimumRange, each on its own thread (the
// caller runs the first). True when every call returned true. work must only
// read what the calls share, and write to its own range.
bool SplitWork(std::size_t count, std::size_t minimumRange,
               const std::function<bool(std::size_t first, std::size_t last)>& work);
