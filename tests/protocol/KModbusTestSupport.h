#pragma once
// Shared by the Modbus / VEX codec tests: a clean program-wide state, reply
// frames as a device sends them, and bytes shown as hex in failure messages.

#include "record/EquipList.h"
#include "protocol/EngineState.h"
#include "record/UpsRecordOps.h"
#include "base/funcUnit.h"
#include "protocol/uKModbus.h"
#include "tests/support/CodecState.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

using TBytes = std::vector<uint8_t>;

// Everything the codec reads or writes outside itself, as at program start.
inline void ResetModbusState() {
    ResetCodecState();
    TxBuffer.fill(0);
    CommandValue = 0;
    ParamWrite = TParamWrite{};
    ModelName.clear();
}

// Puts the devices in the poll list in this order, each in the given CommState.
inline void SetDevices(std::initializer_list<uint8_t> addresses, uint8_t commState) {
    for (uint8_t a : addresses) {
        EquipList.Items[EquipList.Count].Address = a;
        ++EquipList.Count;
        UpsTable[a].CommState = commState;
    }
}

inline TBytes WithCrc(TBytes frame) {
    const uint16_t crc = Crc16(frame);
    frame.push_back(uint8_t(crc & 0xFF));
    frame.push_back(uint8_t(crc >> 8));
    return frame;
}

// A read reply: address, function, byte count, the registers high byte first, CRC.
inline TBytes ReadReply(uint8_t address, uint8_t func, const std::vector<uint16_t>& regs) {
    TBytes f{address, func, uint8_t(2 * regs.size())};
    for (uint16_t r : regs) {
        f.push_back(uint8_t(r >> 8));
        f.push_back(uint8_t(r & 0xFF));
    }
    return WithCrc(f);
}

inline TBytes Concat(TBytes a, const TBytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline std::string Hex(const TBytes& bytes) {
    return BytesToHexText(bytes, int(bytes.size()), " ");
}

// The frame the last BuildQuery left in TxBuffer.
inline TBytes BuiltFrame(const TMModbus& codec) {
    return TBytes(TxBuffer.begin(), TxBuffer.begin() + codec.FrameLen);
}
