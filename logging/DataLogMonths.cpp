#include "logging/DataLogMonths.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

std::vector<std::string> ListDataLogMonths(const std::string& folder) {
    std::vector<std::string> items;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec))
            continue;
        const std::string name = it->path().filename().string();
        if (name.size() <= 4 || name.compare(name.size() - 4, 4, ".dat") != 0)
            continue;
        std::string item = name.substr(0, name.size() - 4);
        if (item.rfind("DataLog", 0) == 0)
            items.push_back(std::move(item));
    }
    std::sort(items.begin(), items.end());
    return items;
}

bool DeleteDataLogMonth(const std::string& folder, const std::string& item) {
    std::error_code ec;
    return fs::remove(folder + item + ".dat", ec);
}
