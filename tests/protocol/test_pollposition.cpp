// The walk through the poll sequences that all three codecs share: the next
// step at the same device, or step 1 of the next device in the list.

#include "protocol/PollPosition.h"

#include "record/EquipList.h"
#include "tests/support/CodecState.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(PollPosition, NextStepOrNextDevice) {
    struct Row {
        const char* name;
        std::vector<uint8_t> list; // device addresses in list order
        uint8_t pollPos;           // list position polled last
        uint8_t step, stepCount;
        uint16_t address;
        TPollPosition next;
        uint8_t pollPosAfter;
    };
    const Row rows[] = {
        {"start: step 1 at the current address", {5, 7}, 0, 0, 5, 1, {1, 1}, 0},
        {"next step", {5, 7}, 1, 1, 5, 5, {2, 5}, 1},
        {"last but one step", {5, 7}, 1, 4, 5, 5, {5, 5}, 1},
        {"last step: next device", {5, 7}, 1, 5, 5, 5, {1, 7}, 2},
        {"last device: back to the first", {5, 7}, 2, 5, 5, 7, {1, 5}, 1},
        {"four-step sequence ends at 4", {5, 7}, 1, 4, 4, 5, {1, 7}, 2},
        {"lost device: one step", {5, 7}, 1, 1, 1, 5, {1, 7}, 2},
        {"stray step above the count", {5, 7}, 1, 3, 1, 5, {1, 7}, 2},
        {"stray step 255", {5, 7}, 1, 255, 5, 5, {1, 7}, 2},
        {"stray step 6 of 5", {5, 7}, 2, 6, 5, 7, {1, 5}, 1},
        {"empty list: address 0", {}, 0, 1, 1, 1, {1, 0}, 0},
        {"single device: itself again", {9}, 1, 5, 5, 9, {1, 9}, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ResetCodecState();
        for (uint8_t address : row.list)
            ASSERT_TRUE(AppendEquip({0, address, "ups"}));
        const auto addressAt = [&row](uint8_t pos) { return pos ? row.list[pos - 1u] : 0; };
        EquipList.PollPos = row.pollPos;
        EquipList.PollAddress = addressAt(row.pollPos);
        const TPollPosition next = NextPollPosition(row.step, row.stepCount, row.address);
        EXPECT_EQ(next.Step, row.next.Step);
        EXPECT_EQ(next.Address, row.next.Address);
        EXPECT_EQ(EquipList.PollPos, row.pollPosAfter);
        EXPECT_EQ(EquipList.PollAddress, addressAt(row.pollPosAfter));
    }
}

// The lost-unit rule, the same for every codec: a unit that is lost, or an
// address without a record, gets one step per visit; any other state gets
// the codec's whole sequence.
TEST(PollPosition, LostUnitsGetOneStepPerVisit) {
    struct Row {
        const char* name;
        uint16_t address;
        uint8_t commState;
        uint8_t step;
        uint8_t stepCountAfter;
        TPollPosition next;
    };
    const Row rows[] = {
        {"communicating: next step", 5, CommCommunicating, 1, 4, {2, 5}},
        {"error state: still the whole sequence", 5, CommError, 3, 4, {4, 5}},
        {"lost at step 1: next device", 5, CommLost, 1, LostUnitSteps, {1, 7}},
        {"lost from the start: step 1 here", 5, CommLost, 0, LostUnitSteps, {1, 5}},
        {"lost mid-sequence: next device", 5, CommLost, 3, LostUnitSteps, {1, 7}},
        {"no record: next device", 255, CommCommunicating, 1, LostUnitSteps, {1, 5}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ResetCodecState();
        for (uint8_t address : {5, 7})
            ASSERT_TRUE(AppendEquip({0, address, "ups"}));
        EquipList.PollPos = row.address == 5 ? 1 : 2;
        if (TUpsInfoRec* rec = RecordOf(row.address))
            rec->CommState = row.commState;
        PollStep = row.step;
        const TPollPosition next = TakePollStep(row.address, 4);
        EXPECT_EQ(PollStepCount, row.stepCountAfter);
        EXPECT_EQ(PollStep, next.Step);
        EXPECT_EQ(next.Step, row.next.Step);
        EXPECT_EQ(next.Address, row.next.Address);
    }
}

} // namespace
