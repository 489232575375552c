#include "control/ParamQueue.h"

#include "protocol/EngineState.h"
#include "protocol/ModelUnlock.h"
#include "protocol/uKModbus.h"

namespace {
void QueueWrite(std::size_t slot, uint8_t slave, int32_t reg) {
    CommandQueue[slot] = {255, slave, 6, reg, 1};
}

// The value into the ParamWrite field of reg, with the widths the codec
// reads the register with: the codec stores it into a copy of the record and
// the parameter block is taken from there.
void StoreParam(int32_t reg, uint16_t value, const TUpsInfoRec& shown) {
    TUpsInfoRec changed = shown;
    TTxBuffer unused{};
    TMModbus codec(unused);
    codec.Rec = &changed;
    codec.StoreRegister(reg, value);
    ParamWrite = ParamsOfRecord(changed);
}
} // namespace

void QueueParamWrite(int32_t reg, uint16_t value, const TUpsInfoRec& shown, uint8_t slave,
                     uint8_t protocol, const std::string& model) {
    StoreParam(reg, value, shown);
    if (protocol != 2 && protocol != 3)
        return;
    if (model == UnlockModel) {
        QueueWrite(0, slave, UnlockRegister);
        QueueWrite(1, slave, reg);
    } else {
        QueueWrite(0, slave, reg);
    }
}
