#pragma once
// How long the publisher waits before the next connection attempt: 1 s
// after the first failure, doubling up to a minute, so a broker that is down
// for an hour costs a few dozen attempts, and one that returns is reached
// again within a minute.

#include <algorithm>
#include <chrono>

constexpr std::chrono::seconds MqttFirstRetry{1};
constexpr std::chrono::seconds MqttLongestRetry{60};

[[nodiscard]] constexpr std::chrono::seconds NextMqttRetry(std::chrono::seconds last) {
    return last < MqttFirstRetry ? MqttFirstRetry : std::min(last * 2, MqttLongestRetry);
}
