#include "protocol/PollPosition.h"

#include "protocol/EngineState.h"
#include "record/EquipList.h"
#include "record/UpsInfoRec.h"

TPollPosition NextPollPosition(uint8_t step, uint8_t stepCount, uint16_t address) {
    if (step < stepCount)
        return {uint8_t(step + 1), address};
    NextPollDevice();
    return {1, EquipList.PollAddress};
}

TPollPosition TakePollStep(uint16_t address, uint8_t fullSteps) {
    const TUpsInfoRec* rec = RecordOf(address);
    PollStepCount = rec && rec->CommState != CommLost ? fullSteps : LostUnitSteps;
    const TPollPosition next = NextPollPosition(PollStep, PollStepCount, address);
    PollStep = next.Step;
    return next;
}
