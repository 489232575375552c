// pelmora-setup-demo: prepares a monitor folder for a run against pelmora-sim.
// Writes UserParaIni.ini (port, protocol) and Record/TreeNode.dat (the
// scenario's units) beside the monitor when they are missing; existing files
// are kept as they are. Prints the protocol the settings file selects, so
// that the caller starts the simulator speaking it.

#include "base/ProgramFolder.h"
#include "config/UUserParaIni.h"
#include "tools/setup-demo/DemoSetup.h"

#include <exception>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

const char* Usage = "usage: pelmora-setup-demo --folder DIR --port PATH --scenario FILE "
                    "[--protocol N]\n"
                    "Writes DIR/UserParaIni.ini and DIR/Record/TreeNode.dat when missing and\n"
                    "prints the protocol the settings select (0..3).\n";

std::map<std::string, std::string> ParseArgs(int argc, char** argv) {
    std::map<std::string, std::string> args{{"--protocol", "0"}};
    for (int i = 1; i < argc; i += 2) {
        const std::string name = argv[i];
        if (name != "--folder" && name != "--port" && name != "--scenario" && name != "--protocol")
            throw std::invalid_argument("unknown option " + name);
        if (i + 1 >= argc)
            throw std::invalid_argument(name + " needs a value");
        args[name] = argv[i + 1];
    }
    for (const char* required : {"--folder", "--port", "--scenario"}) {
        if (!args.contains(required))
            throw std::invalid_argument(std::string(required) + " is missing");
    }
    return args;
}

uint8_t ProtocolOf(const std::string& text) {
    if (text.size() != 1 || text[0] < '0' || text[0] > '3')
        throw std::invalid_argument("--protocol: expected 0, 1, 2 or 3, got '" + text + "'");
    return static_cast<uint8_t>(text[0] - '0');
}

void PrepareSettings(const std::string& port, uint8_t protocol) {
    if (WriteSettingsIfMissing({port, protocol, 0})) {
        std::cerr << "wrote " << UserParaPath() << " (port " << port << ", protocol "
                  << int(protocol) << ")\n";
        return;
    }
    LoadUserPara();
    std::cerr << "kept " << UserParaPath() << " (port " << UserPara.PortInfo.ComName
              << ", protocol " << int(UserPara.PortInfo.Protocol) << ")\n";
    if (UserPara.PortInfo.ComName != port)
        std::cerr << "note: the monitor will not talk to the simulator at " << port
                  << "; set ComName to it or remove the file\n";
}

void PrepareDeviceList(const std::string& scenarioPath) {
    if (WriteDeviceListIfMissing(ScenarioDevices(LoadScenario(scenarioPath))))
        std::cerr << "wrote " << TreeFilePath() << " (the units of " << scenarioPath << ")\n";
    else
        std::cerr << "kept " << TreeFilePath() << '\n';
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--help" || option == "-h") {
            std::cout << Usage;
            return 0;
        }
    }
    try {
        const auto args = ParseArgs(argc, argv);
        SetProgramFolder(args.at("--folder"));
        PrepareSettings(args.at("--port"), ProtocolOf(args.at("--protocol")));
        PrepareDeviceList(args.at("--scenario"));
        LoadUserPara();
        // A Protocol above 3 makes the monitor poll nothing; the simulator
        // then speaks the default.
        const uint8_t protocol = UserPara.PortInfo.Protocol;
        std::cout << int(protocol > 3 ? 0 : protocol) << '\n';
        return 0;
    } catch (const std::invalid_argument& e) {
        std::cerr << "pelmora-setup-demo: " << e.what() << '\n' << Usage;
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "pelmora-setup-demo: " << e.what() << '\n';
        return 1;
    }
}
