#pragma once
// Queuing a checked parameter: the value goes into ParamWrite, which holds the
// device's values as the dialog showed them, and a single-register write
// (function 6) into CommandQueue. An "LNM7100" unit takes a parameter only
// right after its unlock write, so for that model slot 0 carries the unlock
// and slot 1 the parameter; otherwise slot 0 carries the parameter. Whatever
// those slots held is overwritten. Only the Modbus and VEX protocols queue.

#include "record/UpsInfoRec.h"

#include <cstdint>
#include <string>

// shown: the device record as the dialog took it when the item was selected.
void QueueParamWrite(int32_t reg, uint16_t value, const TUpsInfoRec& shown, uint8_t slave,
                     uint8_t protocol, const std::string& model);
