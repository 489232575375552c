#include "protocol/YdtFrame.h"

#include "base/funcUnit.h"
#include "protocol/EngineState.h"
#include "record/EquipList.h"

namespace {

constexpr char Soi = '~';
constexpr char Eoi = '\r';
constexpr uint16_t UpsDeviceType = 0x2A; // CID1

int32_t HexByteAt(std::span<const uint8_t> frame, std::size_t pos) {
    return HexTextToInt(FrameText(frame, pos, 2), 2);
}

} // namespace

std::string YdtRequest(std::string_view version, uint16_t address, std::string_view cid2) {
    std::string frame(1, Soi);
    frame += version.substr(0, 2);
    frame += WordToHex4(address).substr(2);
    frame += WordToHex4(UpsDeviceType).substr(2);
    frame += cid2.substr(0, 2);
    frame += LengthField(0);
    frame += FrameChecksum(frame, int(frame.size()) - 1);
    frame += Eoi;
    return frame;
}

int YdtRejectReason(std::span<const uint8_t> reply, std::string_view version, uint16_t address,
                    int minInfo) {
    if (FrameText(reply, 0, 1) != std::string_view(&Soi, 1))
        return ErrStartByte;
    if (HexByteAt(reply, 1) != HexTextToInt(version, 2))
        return ErrVersion;
    // An address without a device record is never asked on purpose (a
    // search range typed up to 255, say); its reply is refused before
    // anything would be decoded into a record that does not exist.
    if (HexByteAt(reply, 3) != address || address < 1 || address > MaxEquipAddress)
        return ErrAddress;
    if (HexByteAt(reply, 5) != UpsDeviceType || HexByteAt(reply, 7) != 0)
        return ErrDevType;
    const int length = int(reply.size());
    const int lenid = length - YdtFrameOverhead;
    if (lenid < 0 || lenid < minInfo || FrameText(reply, 9, 4) != LengthField(lenid))
        return ErrLength;
    if (FrameText(reply, std::size_t(length - 5), 4) != FrameChecksum(reply, length - 6))
        return ErrChecksum;
    return YdtReplyGood;
}

std::optional<std::size_t> YdtFrameRest(const uint8_t* bytes, std::size_t count) {
    if (count == 0 || bytes[0] != uint8_t(Soi))
        return std::nullopt;
    if (count >= 2 && bytes[count - 1] == uint8_t(Eoi))
        return 0;
    constexpr std::size_t LengthEnd = YdtInfoStart;
    if (count < LengthEnd)
        return LengthEnd - count;
    const std::string_view field = FrameText(std::span(bytes, count), 9, 4);
    const int32_t lenid = HexTextToInt(field.substr(1), 3);
    if (field != LengthField(lenid))
        return std::nullopt;
    const std::size_t whole = std::size_t(YdtFrameOverhead + lenid);
    return count < whole ? std::optional(whole - count) : std::nullopt;
}
