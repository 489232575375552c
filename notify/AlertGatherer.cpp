#include "notify/AlertGatherer.h"

#include "logging/EventRowText.h"

#include <algorithm>

namespace {
// Causes other than alarm codes (which are 0 and up).
constexpr int32_t StateCause = -1;
constexpr int32_t CommCause = -2;

bool HasUnit(const std::vector<TAlertUnit>& units, uint8_t address) {
    return std::any_of(units.begin(), units.end(),
                       [&](const TAlertUnit& u) { return u.Address == address; });
}
} // namespace

std::vector<TDesktopNote> TAlertGatherer::Take(const TEventRec& event, const TAlertUnit& unit,
                                               int64_t nowMs) {
    std::vector<TDesktopNote> out;
    const TEventMeaning meaning = ReadEvent(event);
    const std::string text = EventRowText(event, FOptions.Language);
    if (event.Kind == EventKindState) {
        // A state event names only the new state: it ends whatever the last
        // one started.
        std::optional<TAlertCondition>& last = FStateCondition[event.Address];
        if (last != meaning.Condition) {
            if (last)
                Recover(*last, unit, StateCause, nowMs, out);
            if (meaning.Condition)
                Raise(*meaning.Condition, unit, StateCause, text, nowMs, out);
            last = meaning.Condition;
        }
        return out;
    }
    if (!meaning.Condition)
        return out;
    const int32_t cause = event.Kind == EventKindAlarm ? event.Code : CommCause;
    if (meaning.Recovery)
        Recover(*meaning.Condition, unit, cause, nowMs, out);
    else
        Raise(*meaning.Condition, unit, cause, text, nowMs, out);
    return out;
}

bool TAlertGatherer::ShowsNow(TAlertCondition condition, int64_t nowMs) const {
    return !Muted(nowMs) && FOptions.Shown[static_cast<std::size_t>(condition)];
}

void TAlertGatherer::Raise(TAlertCondition condition, const TAlertUnit& unit, int32_t cause,
                           const std::string& text, int64_t nowMs, std::vector<TDesktopNote>& out) {
    std::set<int32_t>& causes = FCauses[{unit.Address, condition}];
    const bool wasIn = !causes.empty();
    causes.insert(cause);
    if (wasIn || !ShowsNow(condition, nowMs))
        return;
    const auto open = std::find_if(FGroups.rbegin(), FGroups.rend(), [&](const TGroup& g) {
        return g.Condition == condition && nowMs < g.WindowEnd;
    });
    if (open != FGroups.rend()) {
        if (!HasUnit(open->Active, unit.Address))
            open->Active.push_back(unit);
        open->WindowEnd = std::min(nowMs + FOptions.GatherMs, open->WindowStart + FOptions.CapMs);
        out.push_back(NoteOf(*open));
        return;
    }
    TGroup group;
    group.Key = ++FNextKey;
    group.Condition = condition;
    group.WindowStart = nowMs;
    group.WindowEnd = nowMs + std::min(FOptions.GatherMs, FOptions.CapMs);
    group.Active.push_back(unit);
    group.FirstText = text;
    FGroups.push_back(std::move(group));
    out.push_back(NoteOf(FGroups.back()));
}

void TAlertGatherer::Recover(TAlertCondition condition, const TAlertUnit& unit, int32_t cause,
                             int64_t nowMs, std::vector<TDesktopNote>& out) {
    const auto found = FCauses.find({unit.Address, condition});
    if (found == FCauses.end() || found->second.erase(cause) == 0 || !found->second.empty())
        return;
    FCauses.erase(found);
    // The notification that holds the unit, if one was shown (not while muted).
    const auto group = std::find_if(FGroups.rbegin(), FGroups.rend(), [&](const TGroup& g) {
        return g.Condition == condition && HasUnit(g.Active, unit.Address);
    });
    if (group == FGroups.rend())
        return;
    std::erase_if(group->Active, [&](const TAlertUnit& u) { return u.Address == unit.Address; });
    group->Recovered.push_back(unit);
    if (!Muted(nowMs))
        out.push_back(NoteOf(*group));
    if (group->Active.empty())
        FGroups.erase(std::next(group).base());
}

TDesktopNote TAlertGatherer::NoteOf(const TGroup& group) const {
    const uint8_t lang = FOptions.Language;
    TDesktopNote note;
    note.Key = group.Key;
    if (group.Active.empty()) {
        note.Title = RecoveryTitle(group.Condition, lang);
        note.Body = group.Recovered.size() == 1
                        ? UnitLabel(group.Recovered.front(), lang)
                        : RecoverySummaryText(group.Condition, group.Recovered, lang);
        return note;
    }
    note.Urgency = ConditionSeverity(group.Condition);
    if (group.Active.size() == 1 && group.Recovered.empty()) {
        note.Title = ConditionTitle(group.Condition, lang);
        note.Body = UnitLabel(group.Active.front(), lang);
        if (!group.FirstText.empty())
            note.Body += (lang == 1 ? "：" : ": ") + group.FirstText;
        return note;
    }
    note.Title = CountTitle(group.Condition, group.Active.size(), lang);
    note.Body = SummaryText(group.Condition, group.Active, lang);
    return note;
}
