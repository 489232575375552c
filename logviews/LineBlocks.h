#pragma once
// Numbered lines of text made in blocks on every core and handed over in
// order. A CSV export of a large month spends most of its time formatting
// cells and waiting for records spread over the file; several threads do
// that side by side while the caller writes the blocks already made.

#include <cstdint>
#include <functional>
#include <string>

// Appends line `line` (0-based) to `out`. Called from several threads at once,
// each with its own `out`: it must only read what it shares.
using TLineFormat = std::function<void(int64_t line, std::string& out)>;
// Takes the next block in order: its text and the number of lines made so far,
// this block's included. False stops the work: no further block is taken.
using TBlockTake = std::function<bool(const std::string& block, int64_t linesDone)>;

// Makes lines 0..lines-1 in blocks of blockLines and gives each block to
// `take` on the calling thread, in order. Returns true when every block was
// taken, false when `take` stopped. An exception thrown by `format` stops the
// work and is thrown again here once every thread has ended.
bool MakeLineBlocks(int64_t lines, int64_t blockLines, const TLineFormat& format,
                    const TBlockTake& take);
