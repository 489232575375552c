#include "comm/BusHealthText.h"

std::string SecondsFigure(int64_t ms) {
    const int64_t tenths = (std::max<int64_t>(ms, 0) + 50) / 100;
    return std::to_string(tenths / 10) + '.' + std::to_string(tenths % 10) + " s";
}

std::string MillisecondsText(int64_t ms, uint8_t language) {
    return ms < 0 ? PickText(HealthNoneText, language) : std::to_string(ms) + " ms";
}

std::string RejectsText(const TUnitHealth& unit, uint8_t language) {
    std::string text = std::to_string(unit.RejectCount());
    std::string detail;
    for (std::size_t i = 0; i < unit.Rejects.size(); ++i) {
        if (unit.Rejects[i] == 0)
            continue;
        if (!detail.empty())
            detail += ", ";
        detail += i == std::size_t(RejectOther) ? std::string(PickText(HealthOtherText, language))
                                                : std::string(1, char('A' + i));
        detail += ' ' + std::to_string(unit.Rejects[i]);
    }
    return detail.empty() ? text : text + " (" + detail + ')';
}

std::string SinceGoodText(const TUnitHealth& unit, int64_t now, uint8_t language) {
    return unit.LastGoodAt < 0 ? PickText(HealthNoneText, language)
                               : SecondsFigure(now - unit.LastGoodAt);
}

std::string UnitHealthText(const TUnitHealth& unit, int64_t now, uint8_t language) {
    std::string text;
    text += PickText(HealthRequestsText, language) + (' ' + std::to_string(unit.Requests)) + ", " +
            PickText(HealthGoodText, language) + ' ' + std::to_string(unit.GoodReplies) + '\n';
    text += PickText(HealthRejectsText, language) + (' ' + RejectsText(unit, language)) + '\n';
    text += PickText(HealthReplyTimeText, language) +
            (' ' + MillisecondsText(unit.LastReplyMs, language)) + ", " +
            PickText(HealthMeanText, language) + ' ' +
            MillisecondsText(unit.MeanReplyMs(), language) + '\n';
    text += PickText(HealthSinceGoodText, language) + (' ' + SinceGoodText(unit, now, language));
    return text;
}

std::string BusCycleStatus(const TBusHealth& health, uint8_t language) {
    if (health.LastCycleMs < 0)
        return {};
    return PickText(BusCycleText, language) + (' ' + SecondsFigure(health.LastCycleMs));
}
