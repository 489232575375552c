#include "protocol/PollPosition.h"

#include "record/EquipList.h"

TPollPosition NextPollPosition(uint8_t step, uint8_t stepCount, uint16_t address) {
    if (step < stepCount)
        return {uint8_t(step + 1), address};
    NextPollDevice();
    return {1, EquipList.PollAddress};
}
