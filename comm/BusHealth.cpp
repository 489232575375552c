#include "comm/BusHealth.h"

#include <chrono>
#include <numeric>

TBusHealth BusHealth;

uint32_t TUnitHealth::RejectCount() const {
    return std::accumulate(Rejects.begin(), Rejects.end(), uint32_t{0});
}

int64_t TUnitHealth::MeanReplyMs() const {
    return GoodReplies > 0 ? ReplyMsSum / GoodReplies : -1;
}

void TBusHealth::NoteRequest(uint8_t address) {
    ++Units[address].Requests;
}

void TBusHealth::NoteGoodReply(uint8_t address, int64_t replyMs, int64_t now) {
    TUnitHealth& unit = Units[address];
    ++unit.GoodReplies;
    unit.LastReplyMs = replyMs;
    unit.ReplyMsSum += replyMs;
    unit.LastGoodAt = now;
}

void TBusHealth::NoteReject(uint8_t address, int letter) {
    const bool named = letter >= 0 && letter < RejectLetterCount;
    ++Units[address].Rejects[std::size_t(named ? letter : RejectOther)];
}

void TBusHealth::NoteCycleStart(int64_t now) {
    if (FCycleStartedAt >= 0) {
        LastCycleMs = now - FCycleStartedAt;
        ++CycleCount;
    }
    FCycleStartedAt = now;
}

void TBusHealth::EndCycles() {
    LastCycleMs = -1;
    FCycleStartedAt = -1;
}

void TBusHealth::Reset() {
    *this = TBusHealth{};
}

int64_t SteadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
