#include "tests/e2e/SimTraffic.h"

#include <charconv>
#include <string>

namespace {

int HexByte(std::string_view text) {
    int value = -1;
    if (text.size() >= 2)
        std::from_chars(text.data(), text.data() + 2, value, 16);
    return value;
}

// ASCII frames carry the address as hex digits 3-4 ("~31012A..."), RTU frames
// as their first byte ("01 04 ...").
int AddressOf(std::string_view frame) {
    return frame.starts_with('~') ? HexByte(frame.substr(3)) : HexByte(frame);
}

std::optional<TSimFrame> ParseLine(std::string_view line) {
    const std::size_t close = line.find("] ");
    if (!line.starts_with('[') || close == std::string_view::npos)
        return std::nullopt;
    const std::string_view rest = line.substr(close + 2);
    const bool rx = rest.starts_with("rx ");
    if (!rx && !rest.starts_with("tx "))
        return std::nullopt;
    TSimFrame frame;
    frame.Time = std::stod(std::string(line.substr(1, close - 1)));
    frame.Reply = !rx;
    frame.Address = AddressOf(rest.substr(3));
    return frame;
}

} // namespace

std::vector<TSimFrame> ParseSimTraffic(std::string_view log) {
    std::vector<TSimFrame> frames;
    while (!log.empty()) {
        const std::size_t end = log.find('\n');
        if (end == std::string_view::npos)
            break; // a line still being written
        if (auto frame = ParseLine(log.substr(0, end)))
            frames.push_back(*frame);
        log.remove_prefix(end + 1);
    }
    return frames;
}

std::optional<TSimFrame> FirstReply(const std::vector<TSimFrame>& frames, int address) {
    for (const TSimFrame& f : frames) {
        if (f.Reply && f.Address == address)
            return f;
    }
    return std::nullopt;
}

std::vector<TSimFrame> UnansweredRequests(const std::vector<TSimFrame>& frames, int address) {
    std::vector<TSimFrame> requests;
    for (const TSimFrame& f : frames) {
        if (f.Address != address)
            continue;
        if (f.Reply)
            requests.clear();
        else
            requests.push_back(f);
    }
    return requests;
}
