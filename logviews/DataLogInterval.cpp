#include "logviews/DataLogInterval.h"

#include <algorithm>
#include <charconv>

TIntervalSetting IntervalFromRecInterval(int32_t recInterval) {
    if (recInterval == 0)
        return {false, OffIntervalSeconds};
    return {true, std::clamp(recInterval / 10, MinIntervalSeconds, MaxIntervalSeconds)};
}

int32_t RecIntervalFrom(const TIntervalSetting& setting) {
    return setting.Enabled ? setting.Seconds * 10 : 0;
}

int IntervalFromText(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    long long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (end != text.data() + text.size() || text.empty())
        return MinIntervalSeconds;
    if (ec == std::errc::result_out_of_range)
        return text.front() == '-' ? MinIntervalSeconds : MaxIntervalSeconds;
    return int(std::clamp<long long>(value, MinIntervalSeconds, MaxIntervalSeconds));
}
