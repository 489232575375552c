#include "tools/sim/SimOptions.h"

#include <charconv>
#include <functional>
#include <string_view>

namespace {

[[noreturn]] void Bad(const std::string& option, const std::string& why) {
    throw std::invalid_argument(option + ": " + why);
}

long IntegerOf(const std::string& option, std::string_view text, long lo, long hi) {
    long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < lo ||
        value > hi) {
        Bad(option, "expected a whole number from " + std::to_string(lo) + " to " +
                        std::to_string(hi) + ", got '" + std::string(text) + "'");
    }
    return value;
}

std::vector<int> AddressList(const std::string& option, std::string_view text) {
    std::vector<int> units;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        units.push_back(
            static_cast<int>(IntegerOf(option, text.substr(start, comma - start), 1, 252)));
        start = comma + 1;
    }
    return units;
}

double ScaleOf(const std::string& option, const std::string& text) {
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !(value > 0)) {
        Bad(option, "expected a positive number, got '" + text + "'");
    }
    return value;
}

// Options that take a value, one row each.
struct TValueOption {
    const char* Name;
    std::function<void(TSimOptions&, const std::string&)> Set;
};

const TValueOption ValueOptions[] = {
    {"--protocol",
     [](TSimOptions& o, const std::string& v) {
         o.Protocol = static_cast<int>(IntegerOf("--protocol", v, 0, 3));
     }},
    {"--units", [](TSimOptions& o, const std::string& v) { o.Units = AddressList("--units", v); }},
    {"--scenario", [](TSimOptions& o, const std::string& v) { o.ScenarioPath = v; }},
    {"--baud",
     [](TSimOptions& o, const std::string& v) {
         o.Baud = static_cast<int>(IntegerOf("--baud", v, 300, 115200));
     }},
    {"--link", [](TSimOptions& o, const std::string& v) { o.LinkPath = v; }},
    {"--device", [](TSimOptions& o, const std::string& v) { o.DevicePath = v; }},
    {"--time-scale",
     [](TSimOptions& o, const std::string& v) { o.TimeScale = ScaleOf("--time-scale", v); }},
    {"--unlock",
     [](TSimOptions& o, const std::string& v) {
         o.UnlockValue = static_cast<uint16_t>(IntegerOf("--unlock", v, 1, 65535));
     }},
};

const TValueOption* FindValueOption(std::string_view name) {
    for (const auto& row : ValueOptions) {
        if (name == row.Name) {
            return &row;
        }
    }
    return nullptr;
}

} // namespace

TSimOptions ParseSimOptions(const std::vector<std::string>& args) {
    TSimOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const std::size_t eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        if (arg == "--quiet") {
            o.Quiet = true;
        } else if (arg == "--help" || arg == "-h") {
            o.Help = true;
        } else if (const TValueOption* opt = FindValueOption(name)) {
            if (eq == std::string::npos && i + 1 >= args.size()) {
                Bad(name, "needs a value");
            }
            opt->Set(o, eq != std::string::npos ? arg.substr(eq + 1) : args[++i]);
        } else {
            Bad(arg, "unknown option (see --help)");
        }
    }
    if (!o.LinkPath.empty() && !o.DevicePath.empty()) {
        Bad("--link", "a link is made only for a pseudo-terminal, not with --device");
    }
    return o;
}

const char* SimUsage() {
    return "usage: pelmora-sim [options]\n"
           "Answers as UPS units on a pseudo-terminal (its slave path is the first line\n"
           "on stdout) or on a serial device.\n"
           "  --protocol N      0 modular ASCII (default), 1 three-phase ASCII, 2 Modbus, 3 VEX\n"
           "  --units A,B,...   units at these addresses (1-252), added to the scenario's\n"
           "  --scenario FILE   units and timed events (see tools/sim/scenarios/default.txt)\n"
           "  --baud N          line speed for the reply timing (default 9600)\n"
           "  --link PATH       keep a symlink to the pty slave at PATH\n"
           "  --device PATH     serve a serial device instead of a pty\n"
           "  --time-scale X    scenario seconds per real second (default 1)\n"
           "  --unlock N        value an \"LNM7100\" unit wants in register 50000 (default 71)\n"
           "  --quiet           no traffic or event lines on stderr\n"
           "With neither --units nor --scenario, one unit answers at address 1.\n";
}
