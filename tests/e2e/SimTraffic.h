#pragma once
// The frames pelmora-sim logged on stderr, one line each:
//   [    5.203] rx ~31012A430000FDA1<CR>        a request it received (ASCII)
//   [    5.260] tx 01 04 1C 08 98 ...           a reply it sent (Modbus RTU)
// The time is scenario seconds since the simulator started.

#include <optional>
#include <string_view>
#include <vector>

struct TSimFrame {
    double Time = 0;
    bool Reply = false; // tx: the simulator answered
    int Address = -1;   // bus address the frame names
};

[[nodiscard]] std::vector<TSimFrame> ParseSimTraffic(std::string_view log);

// The first reply the simulator sent for this address.
[[nodiscard]] std::optional<TSimFrame> FirstReply(const std::vector<TSimFrame>& frames,
                                                  int address);

// The requests to this address after the last reply to it, in order.
[[nodiscard]] std::vector<TSimFrame> UnansweredRequests(const std::vector<TSimFrame>& frames,
                                                        int address);
