#pragma once
// How each unit on the line answers, kept while the program runs: requests,
// good replies, rejected chunks by the codec's letter, reply times and the
// time of the last good reply; and for the bus the time of the last full
// cycle over the device list. The poll engine writes it; the device tree, the
// status bar and the trace window read it.
//
// Times are milliseconds of a steady clock (SteadyMs, or a test's own clock
// given to the engine); the readers pass the same clock's "now".

#include <array>
#include <cstdint>

// Rejects by the ASCII codecs' letters "A" to "F"; the last slot holds
// chunks rejected without a letter (Modbus, noise the codec does not name).
constexpr int RejectLetterCount = 6;
constexpr int RejectOther = RejectLetterCount;

struct TUnitHealth {
    uint32_t Requests = 0; // transmissions to the unit
    uint32_t GoodReplies = 0;
    std::array<uint32_t, RejectLetterCount + 1> Rejects{};
    int64_t LastReplyMs = -1; // last reply time, -1 = none yet
    int64_t ReplyMsSum = 0;   // over the good replies, for the mean
    int64_t LastGoodAt = -1;  // clock time of the last good reply, -1 = none

    [[nodiscard]] uint32_t RejectCount() const;
    [[nodiscard]] int64_t MeanReplyMs() const; // -1 = no good reply yet
};

class TBusHealth {
public:
    std::array<TUnitHealth, 256> Units{};
    int64_t LastCycleMs = -1; // length of the last full cycle, -1 = none completed
    uint32_t CycleCount = 0;  // full cycles completed

    void NoteRequest(uint8_t address);
    void NoteGoodReply(uint8_t address, int64_t replyMs, int64_t now);
    // letter: 0 to 5 for "A" to "F", anything else counts as RejectOther.
    void NoteReject(uint8_t address, int letter);
    // A poll request for the first step of the first listed unit: a new
    // cycle over the device list begins.
    void NoteCycleStart(int64_t now);
    // The line closed: no cycle runs, so none is shown, and one under way
    // when it closed is not a cycle.
    void EndCycles();
    void Reset();

private:
    int64_t FCycleStartedAt = -1;
};

extern TBusHealth BusHealth;

// Milliseconds of the monotonic clock, the default clock of the engine.
[[nodiscard]] int64_t SteadyMs();
