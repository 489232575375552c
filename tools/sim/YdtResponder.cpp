#include "tools/sim/YdtResponder.h"

#include "tools/sim/YdtFrame.h"

namespace {

const TYdtCommand* FindCommand(const TYdtProtocol& protocol, uint8_t command) {
    for (const TYdtCommand& row : protocol.Commands) {
        if (row.Command == command) {
            return &row;
        }
    }
    return nullptr;
}

TSimReply MakeReply(uint8_t address, const std::string& frame) {
    return TSimReply{address, std::vector<uint8_t>(frame.begin(), frame.end())};
}

} // namespace

TSimReply AnswerYdt(const TYdtProtocol& protocol, const TSimUnits& units, std::string_view frame) {
    const auto req = ReadYdtRequest(frame, protocol.Version);
    if (!req || req->DeviceType != YdtUpsDeviceType) {
        return {};
    }
    const auto it = units.find(req->Address);
    if (it == units.end() || it->second.Silent) {
        return {};
    }
    if (req->Problem != RtnOk) {
        return MakeReply(req->Address,
                         BuildYdtReply(protocol.Version, req->Address, req->Problem, ""));
    }
    const TYdtCommand* cmd = FindCommand(protocol, req->Command);
    if (cmd == nullptr) {
        return MakeReply(req->Address,
                         BuildYdtReply(protocol.Version, req->Address, RtnBadCommand, ""));
    }
    return MakeReply(req->Address,
                     BuildYdtReply(protocol.Version, req->Address, RtnOk, cmd->Info(it->second)));
}
