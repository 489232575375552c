#include "agent/AgentOptions.h"

std::optional<TAgentOptions> ParseAgentOptions(const std::vector<std::string>& args,
                                               std::string& error) {
    TAgentOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.Help = true;
        } else if (arg == "--folder" && i + 1 < args.size() && !args[i + 1].empty()) {
            options.Folder = args[++i];
        } else if (arg.rfind("--folder=", 0) == 0 && arg.size() > 9) {
            options.Folder = arg.substr(9);
        } else {
            error = arg == "--folder" ? "--folder needs a folder" : "unknown option " + arg;
            return std::nullopt;
        }
    }
    if (!options.Folder.empty() && options.Folder.back() != '/')
        options.Folder += '/';
    return options;
}
