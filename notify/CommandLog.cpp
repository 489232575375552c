#include "notify/CommandLog.h"

#include "logging/TimeStamp.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

TCommandLog::TCommandLog(std::string path, std::size_t maxBytes)
    : FPath(std::move(path)), FMaxBytes(maxBytes) {}

void TCommandLog::Write(const std::string& line, const std::vector<std::string>& output) {
    std::string entry = FormatTimeStamp(NowTimeStamp()) + " " + line + "\n";
    for (const std::string& out : output)
        entry += "    | " + out + "\n";
    std::error_code error;
    const auto size = std::filesystem::file_size(FPath, error);
    if (!error && size + entry.size() > FMaxBytes)
        std::filesystem::rename(FPath, FPath + ".1", error);
    std::ofstream file(FPath, std::ios::app | std::ios::binary);
    file << entry;
}
