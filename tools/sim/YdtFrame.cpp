#include "tools/sim/YdtFrame.h"

#include "base/funcUnit.h"

#include <bit>

namespace {

bool AllHex(std::string_view text) {
    for (char c : text) {
        if (HexDigitValue(c) > 15) {
            return false;
        }
    }
    return true;
}

uint8_t ByteAt(std::string_view frame, std::size_t pos) {
    return static_cast<uint8_t>(HexTextToInt(frame.substr(pos, 2), 2));
}

uint8_t FirstProblem(std::string_view frame, uint8_t gotVersion, uint8_t version) {
    const int last = static_cast<int>(frame.size()) - 6; // last position the checksum covers
    const std::size_t lenid = frame.size() - YdtMinFrame;
    if (gotVersion != version) {
        return RtnBadVersion;
    }
    if (!AllHex(frame.substr(1, frame.size() - 2)) ||
        frame.substr(frame.size() - 5, 4) != FrameChecksum(frame, last)) {
        return RtnBadChecksum;
    }
    if (frame.substr(9, 4) != LengthField(static_cast<int32_t>(lenid))) {
        return RtnBadLength;
    }
    return RtnOk;
}

} // namespace

std::optional<TYdtRequest> ReadYdtRequest(std::string_view frame, uint8_t version) {
    if (frame.size() < YdtMinFrame || frame.front() != '~' || frame.back() != '\r' ||
        !AllHex(frame.substr(1, 8))) {
        return std::nullopt;
    }
    TYdtRequest req;
    req.Version = ByteAt(frame, 1);
    req.Address = ByteAt(frame, 3);
    req.DeviceType = ByteAt(frame, 5);
    req.Command = ByteAt(frame, 7);
    req.Info = std::string(frame.substr(13, frame.size() - YdtMinFrame));
    req.Problem = FirstProblem(frame, req.Version, version);
    return req;
}

std::string BuildYdtReply(uint8_t version, uint8_t address, uint8_t rtn, std::string_view info) {
    std::string frame = "~" + ByteToHex2(version) + ByteToHex2(address) +
                        ByteToHex2(YdtUpsDeviceType) + ByteToHex2(rtn) +
                        LengthField(static_cast<int32_t>(info.size()));
    frame += info;
    frame += FrameChecksum(frame, static_cast<int>(frame.size()) - 1);
    frame += '\r';
    return frame;
}

std::string ByteToHex2(uint32_t value) {
    return WordToHex4(value & 0xFF).substr(2);
}

std::string SingleToHex8(float value) {
    const uint32_t bits = std::bit_cast<uint32_t>(value);
    std::string text;
    for (int i = 0; i < 4; ++i) {
        text += ByteToHex2(bits >> (8 * i));
    }
    return text;
}
