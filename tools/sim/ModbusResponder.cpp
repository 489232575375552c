#include "tools/sim/ModbusResponder.h"

#include "base/funcUnit.h"
#include "tools/sim/ModbusRegisters.h"

#include <vector>

namespace {

using TBytes = std::vector<uint8_t>;

constexpr std::size_t ShortFrame = 8; // functions 3, 4 and 6
constexpr std::size_t MinFrame = 4;   // address, function, CRC

int Word(std::span<const uint8_t> f, std::size_t pos) {
    return (f[pos] << 8) | f[pos + 1];
}

// The five-digit register number of the PDU address at pos.
int RegisterAt(std::span<const uint8_t> f, std::size_t pos) {
    return Word(f, pos) + 1;
}

void PutWord(TBytes& out, int value) {
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
    out.push_back(static_cast<uint8_t>(value & 0xFF));
}

TBytes WithCrc(TBytes frame) {
    const uint16_t crc = Crc16(frame);
    frame.push_back(static_cast<uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<uint8_t>(crc >> 8));
    return frame;
}

TBytes Exception(uint8_t address, uint8_t func, uint8_t code) {
    return WithCrc({address, static_cast<uint8_t>(func | 0x80), code});
}

TBytes ReadRegisters(const TSimUnit& unit, std::span<const uint8_t> f) {
    const uint8_t func = f[1];
    const int count = f.size() == ShortFrame ? Word(f, 4) : 0;
    if (count < 1 || count > MaxReadCount) {
        return Exception(unit.Address, func, ExIllegalValue);
    }
    TBytes out{unit.Address, func, static_cast<uint8_t>(2 * count)};
    const int first = RegisterAt(f, 2);
    for (int reg = first; reg < first + count; ++reg) {
        const auto value = ReadRegister(unit, func, reg);
        if (!value) {
            return Exception(unit.Address, func, ExIllegalAddress);
        }
        PutWord(out, *value);
    }
    return WithCrc(std::move(out));
}

uint8_t WriteOne(TSimUnit& unit, std::span<const uint8_t> f, uint16_t unlockValue) {
    if (f.size() != ShortFrame) {
        return ExIllegalValue;
    }
    return WriteRegister(unit, RegisterAt(f, 2), static_cast<uint16_t>(Word(f, 4)), unlockValue);
}

uint8_t WriteMany(TSimUnit& unit, std::span<const uint8_t> f, uint16_t unlockValue) {
    if (f.size() < ShortFrame + 1) {
        return ExIllegalValue;
    }
    const int first = RegisterAt(f, 2);
    const int count = Word(f, 4);
    if (count < 1 || count > MaxWriteCount || f[6] != 2 * count ||
        f.size() != ShortFrame + 1 + f[6]) {
        return ExIllegalValue;
    }
    for (int i = 0; i < count; ++i) {
        if (!IsWritableRegister(first + i)) {
            return ExIllegalAddress;
        }
    }
    for (int i = 0; i < count; ++i) {
        const auto value = static_cast<uint16_t>(Word(f, 7 + 2 * static_cast<std::size_t>(i)));
        if (const uint8_t ex = WriteRegister(unit, first + i, value, unlockValue)) {
            return ex;
        }
    }
    return ExNone;
}

// The exception code of a write, or ExNone; functions other than 6 and 16
// are not writes.
uint8_t Write(TSimUnit& unit, std::span<const uint8_t> f, uint16_t unlockValue) {
    return f[1] == 6 ? WriteOne(unit, f, unlockValue) : WriteMany(unit, f, unlockValue);
}

bool IsWrite(uint8_t func) {
    return func == 6 || func == 16;
}

TBytes WriteReply(const TSimUnit& unit, std::span<const uint8_t> f, uint8_t ex) {
    if (ex != ExNone) {
        return Exception(unit.Address, f[1], ex);
    }
    // Function 6 echoes the request; 16 answers with the first register and count.
    return WithCrc(TBytes(f.begin(), f.begin() + 6));
}

void Broadcast(TSimUnits& units, std::span<const uint8_t> f, uint16_t unlockValue) {
    for (auto& [address, unit] : units) {
        if (!unit.Silent) {
            (void)Write(unit, f, unlockValue);
        }
    }
}

} // namespace

TSimReply AnswerModbus(TSimUnits& units, std::span<const uint8_t> frame, uint16_t unlockValue) {
    if (frame.size() < MinFrame || Crc16(frame) != 0) {
        return {};
    }
    const uint8_t address = frame[0];
    const uint8_t func = frame[1];
    if (address == 0) {
        if (IsWrite(func)) {
            Broadcast(units, frame, unlockValue);
        }
        return {};
    }
    const auto it = units.find(address);
    if (it == units.end() || it->second.Silent) {
        return {};
    }
    TSimUnit& unit = it->second;
    if (func == 3 || func == 4) {
        return {address, ReadRegisters(unit, frame)};
    }
    if (IsWrite(func)) {
        return {address, WriteReply(unit, frame, Write(unit, frame, unlockValue))};
    }
    return {address, Exception(address, func, ExIllegalFunction)};
}
