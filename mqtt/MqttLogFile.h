#pragma once
// The publisher's lines in a small text file for the user, so a broker that
// stays away can be read about after the fact and not only on a terminal:
// each line with its local time, GBK on disk like the program's other texts.
// When the file would pass `capBytes` it becomes "<name>.1" (the one before
// is replaced), so the two together never hold more than twice the cap.

#include <cstddef>
#include <mutex>
#include <string>

constexpr std::size_t MqttLogCapBytes = 64 * 1024;

class TMqttLogFile {
public:
    explicit TMqttLogFile(std::string path, std::size_t capBytes = MqttLogCapBytes);

    // Safe from any thread: an old publisher ending and the new one may
    // write at once. A file that cannot be written is left alone.
    void Add(const std::string& utf8Line);

private:
    const std::string FPath;
    const std::size_t FCap;
    std::mutex FLock;
};
