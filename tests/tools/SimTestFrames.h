#pragma once
// Frames as the monitor builds and checks them, for the simulator's tests.

#include "base/funcUnit.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// An ASCII request without INFO: ~ VER ADR 2A CID2 0000 CHKSUM CR.
inline std::string YdtRequest(uint8_t version, uint8_t address, uint8_t command,
                              std::string_view length = "0000", uint8_t deviceType = 0x2A) {
    std::string f = "~" + WordToHex4(version).substr(2) + WordToHex4(address).substr(2) +
                    WordToHex4(deviceType).substr(2) + WordToHex4(command).substr(2) +
                    std::string(length);
    return f + FrameChecksum(f, static_cast<int>(f.size()) - 1) + "\r";
}

// Empty when the reply passes every check the monitor makes (start, version,
// address, device type, return code, length field, checksum, end), else what
// failed.
inline std::string YdtReplyProblem(std::string_view f, uint8_t version, uint8_t address,
                                   uint8_t rtn = 0) {
    if (f.size() < 18 || f.front() != '~' || f.back() != '\r') {
        return "frame shape";
    }
    if (HexTextToInt(f.substr(1, 2), 2) != version) {
        return "version";
    }
    if (HexTextToInt(f.substr(3, 2), 2) != address) {
        return "address";
    }
    if (HexTextToInt(f.substr(5, 2), 2) != 0x2A || HexTextToInt(f.substr(7, 2), 2) != rtn) {
        return "device type or return code";
    }
    if (f.substr(9, 4) != LengthField(static_cast<int32_t>(f.size() - 18))) {
        return "length field";
    }
    if (f.substr(f.size() - 5, 4) != FrameChecksum(f, static_cast<int>(f.size()) - 6)) {
        return "checksum";
    }
    return "";
}

// A Modbus frame with its CRC appended, low byte first.
inline std::vector<uint8_t> WithCrc(std::vector<uint8_t> f) {
    const uint16_t crc = Crc16(f);
    f.push_back(static_cast<uint8_t>(crc & 0xFF));
    f.push_back(static_cast<uint8_t>(crc >> 8));
    return f;
}

// A request of function 3 or 4 (count registers) or 6 (count = value), with
// the register number as the monitor numbers it (30001, 40001, 20001...).
inline std::vector<uint8_t> ModbusRequest(uint8_t address, uint8_t func, int reg, int count) {
    const int pdu = reg - 1;
    return WithCrc({address, func, static_cast<uint8_t>(pdu >> 8), static_cast<uint8_t>(pdu),
                    static_cast<uint8_t>(count >> 8), static_cast<uint8_t>(count)});
}

inline std::string AsText(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}
