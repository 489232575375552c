#include "mqtt/MqttLogFile.h"

#include "base/GbkText.h"

#include <ctime>
#include <filesystem>
#include <fstream>

namespace {
std::string LocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    return std::string(text, std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S ", &local));
}
} // namespace

TMqttLogFile::TMqttLogFile(std::string path, std::size_t capBytes)
    : FPath(std::move(path)), FCap(capBytes) {}

void TMqttLogFile::Add(const std::string& utf8Line) {
    const std::string line = LocalTime() + Utf8ToGbk(utf8Line) + "\n";
    const std::lock_guard lock(FLock);
    std::error_code error;
    const auto size = std::filesystem::file_size(FPath, error);
    if (!error && size + line.size() > FCap)
        std::filesystem::rename(FPath, FPath + ".1", error);
    std::ofstream(FPath, std::ios::binary | std::ios::app) << line;
}
