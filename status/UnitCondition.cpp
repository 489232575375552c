#include "status/UnitCondition.h"

#include "status/StatusCodes.h"

TUnitCondition UnitConditionOf(const TUpsInfoRec& rec) {
    if (rec.CommState == CommLost)
        return TUnitCondition::NotCommunicating;
    switch (rec.UpsState) {
    case StateFault:
    case StateEpo:
        return TUnitCondition::Fault;
    case StateBattery:
        return TUnitCondition::OnBattery;
    case StateBypass:
    case StateMaintBypass:
        return TUnitCondition::Bypass;
    default:
        return rec.AlarmCount > 0 ? TUnitCondition::Alarm : TUnitCondition::Normal;
    }
}

TTextPair UnitConditionText(TUnitCondition condition) {
    switch (condition) {
    case TUnitCondition::Normal:
        return {"正常", "Normal"};
    case TUnitCondition::Alarm:
        return {"告警", "Alarm"};
    case TUnitCondition::Bypass:
        return {"旁路", "Bypass"};
    case TUnitCondition::OnBattery:
        return {"电池供电", "On battery"};
    case TUnitCondition::NotCommunicating:
        return {"通讯中断", "Not communicating"};
    case TUnitCondition::Fault:
        return {"故障", "Fault"};
    }
    return {"", ""};
}
