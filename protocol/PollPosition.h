#pragma once
// The walk every codec takes through its poll sequences: the steps 1..count
// of one device, then step 1 of the next device in the device list. A unit
// that has stopped answering gets a single step per visit, so a dead unit
// costs one request per pass instead of a whole sequence of time-outs.

#include <cstdint>

// Where the next poll request goes: the step of the sequence and the device.
struct TPollPosition {
    uint8_t Step;
    uint16_t Address;
};

// Steps a lost unit (or an address without a record) gets per visit.
constexpr uint8_t LostUnitSteps = 1;

// The position after `step` of a sequence of stepCount steps at `address`:
// step + 1 at the same address while step is below stepCount (0, the start
// value, gives step 1 at `address`); otherwise step 1 of the next device of
// the list (NextPollDevice, EquipList.PollAddress; address 0 for an empty
// list). The step counter is shared by all codecs and left alone by
// searches, so any value at or above stepCount (the last step, one left over
// from a longer sequence, 255) starts the next device rather than building a
// step the sequence does not have.
[[nodiscard]] TPollPosition NextPollPosition(uint8_t step, uint8_t stepCount, uint16_t address);

// The poll step every codec takes next after its request to `address`, for a
// sequence of fullSteps steps: PollStepCount becomes fullSteps, or
// LostUnitSteps while the unit at `address` is lost; PollStep and the
// returned position are the next ones (NextPollPosition).
[[nodiscard]] TPollPosition TakePollStep(uint16_t address, uint8_t fullSteps);
