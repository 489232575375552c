#pragma once
// The event command's own small text log, "EventCommand.log" beside the event
// log: one line per run (started, exit status, killed, could not start,
// dropped) with the first lines of its output. When it grows past its limit
// it is moved to "EventCommand.log.1" (the older copy goes), so it never
// fills the disk however often the command runs.

#include <cstddef>
#include <string>
#include <vector>

inline constexpr const char* CommandLogFileName = "EventCommand.log";
inline constexpr std::size_t CommandLogMaxBytes = 256 * 1024;

class TCommandLog {
public:
    explicit TCommandLog(std::string path, std::size_t maxBytes = CommandLogMaxBytes);

    // One entry: a line with the local time and `line`, then each of
    // `output` indented. A log that cannot be written loses the entry only.
    void Write(const std::string& line, const std::vector<std::string>& output = {});

    [[nodiscard]] const std::string& Path() const { return FPath; }

private:
    std::string FPath;
    std::size_t FMaxBytes;
};
