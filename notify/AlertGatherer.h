#pragma once
// Turns logged events into desktop notifications without storms. A mains
// failure reaches the units one by one as the poll cycle comes to each: the
// first event of a kind is shown at once; the same kind within the gather
// window replaces that notification with a summary naming the units, and the
// window starts again with each one, but never past a cap. A recovery
// replaces the notification that holds the unit. While muted nothing is
// shown. A pure state machine: the caller passes the time, so tests drive it.

#include "notify/AlertKinds.h"
#include "notify/AlertTexts.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

// One notification to show, or to replace when Key was shown before.
struct TDesktopNote {
    uint32_t Key = 0; // the gatherer's own number; the sender maps it to the service's id
    std::string Title;
    std::string Body;
    TSeverity Urgency = TSeverity::Info;
};

struct TGatherOptions {
    int64_t GatherMs = 3000;
    // No window, however it is restarted, lasts longer than this.
    int64_t CapMs = 60000;
    std::array<bool, AlertConditionCount> Shown{true, true, true, true, true, true, true};
    uint8_t Language = 0;
};

inline constexpr int64_t MuteMs = 60 * 60 * 1000;

class TAlertGatherer {
public:
    void Configure(const TGatherOptions& options) { FOptions = options; }

    // The notifications that this event shows or replaces, at `nowMs`.
    [[nodiscard]] std::vector<TDesktopNote> Take(const TEventRec& event, const TAlertUnit& unit,
                                                 int64_t nowMs);

    // Nothing is shown before `untilMs`; conditions are still followed.
    void MuteUntil(int64_t untilMs) { FMutedUntil = untilMs; }
    [[nodiscard]] bool Muted(int64_t nowMs) const { return nowMs < FMutedUntil; }
    [[nodiscard]] int64_t MutedUntil() const { return FMutedUntil; }

private:
    struct TGroup {
        uint32_t Key = 0;
        TAlertCondition Condition{};
        int64_t WindowStart = 0;
        int64_t WindowEnd = 0;
        std::vector<TAlertUnit> Active;
        std::vector<TAlertUnit> Recovered;
        std::string FirstText; // what the first unit reported
    };
    using TUnitCondition = std::pair<uint8_t, TAlertCondition>;

    void Raise(TAlertCondition condition, const TAlertUnit& unit, int32_t cause,
               const std::string& text, int64_t nowMs, std::vector<TDesktopNote>& out);
    void Recover(TAlertCondition condition, const TAlertUnit& unit, int32_t cause, int64_t nowMs,
                 std::vector<TDesktopNote>& out);
    [[nodiscard]] bool ShowsNow(TAlertCondition condition, int64_t nowMs) const;
    [[nodiscard]] TDesktopNote NoteOf(const TGroup& group) const;

    TGatherOptions FOptions;
    int64_t FMutedUntil = 0;
    uint32_t FNextKey = 0;
    std::vector<TGroup> FGroups; // groups with units still in their condition
    // Why each unit is in a condition: its state, or each alarm code.
    std::map<TUnitCondition, std::set<int32_t>> FCauses;
    // The condition of each unit's last logged state.
    std::array<std::optional<TAlertCondition>, 256> FStateCondition{};
};
