#include "config/SerialPortList.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// Names ending in a number sort by that number (ttyUSB2 before ttyUSB10).
bool NaturalLess(const std::string& a, const std::string& b) {
    auto split = [](const std::string& s) {
        std::size_t digits = s.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(s[digits - 1])))
            --digits;
        const std::string number = s.substr(digits);
        return std::pair{s.substr(0, digits),
                         number.empty() ? -1L : std::stol(number.substr(0, 9))};
    };
    return split(a) < split(b);
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end(), NaturalLess);
    return names;
}

// Entries of a folder whose names start with prefix, as full paths, in order.
std::vector<std::string> EntriesOf(const std::string& folder, const std::string& prefix) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.starts_with(prefix))
            names.push_back(name);
    }
    std::vector<std::string> paths;
    for (const std::string& name : Sorted(std::move(names)))
        paths.push_back(folder + name);
    return paths;
}

// Every ttyS node exists whether a UART is fitted or not; the kernel reports
// type 0 for a port without hardware behind it.
bool IsFittedUart(const TSerialRoots& roots, const std::string& name) {
    std::ifstream in(roots.SysTty + name + "/type");
    int type = 0;
    return in >> type && type != 0;
}

std::vector<std::string> PresentDevices(const TSerialRoots& roots) {
    std::vector<std::string> out = EntriesOf(roots.Dev + "serial/by-id/", "");
    for (const char* prefix : {"ttyUSB", "ttyACM"}) {
        const auto found = EntriesOf(roots.Dev, prefix);
        out.insert(out.end(), found.begin(), found.end());
    }
    for (const std::string& path : EntriesOf(roots.Dev, "ttyS")) {
        if (IsFittedUart(roots, fs::path(path).filename().string()))
            out.push_back(path);
    }
    return out;
}

} // namespace

std::vector<std::string> SerialPortList(const std::string& comName, const TSerialRoots& roots) {
    std::vector<std::string> list = PresentDevices(roots);
    if (comName.starts_with('/') && std::find(list.begin(), list.end(), comName) == list.end())
        list.push_back(comName);
    list.reserve(list.size() + ComPortCount);
    for (int n = 1; n <= ComPortCount; ++n)
        list.push_back("COM" + std::to_string(n));
    return list;
}
