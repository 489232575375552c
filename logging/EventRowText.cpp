#include "logging/EventRowText.h"

#include "status/StatusTexts.h"

const TTextPair RecoverFromText = {"恢复于: ", "Recover from: "};

std::string EventRowText(const TEventRec& rec, uint8_t language) {
    switch (rec.Kind) {
    case EventKindProgram:
        return EventText(rec.Code, language);
    case EventKindState:
        return StateText(rec.Code, language);
    case EventKindAlarm: {
        std::string text = AlarmText(rec.Code, language);
        if (rec.AlarmFlag == 1 || text.empty())
            return text;
        return PickText(RecoverFromText, language) + text;
    }
    default:
        return {};
    }
}
