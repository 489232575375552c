#pragma once
// How the poll engine reaches code it does not own. The three protocol
// objects share no base class, so the engine's host fills one entry per
// protocol index (0 modular, 1 three-phase, 2 Modbus, 3 VEX) with calls into
// the object that serves it; the engine picks the entry by the Protocol
// setting at each use. An empty entry, or a Protocol above 3, serves none:
// nothing is built and every chunk is rejected.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

// What a BuildQuery left behind: the frame length in TxBuffer (0 = nothing to
// send), the bus address the request goes to, and the longest reply it can
// bring (0 = not known; the engine then assumes the longest chunk it takes).
struct TBuiltQuery {
    int32_t Length = 0;
    uint8_t Address = 0;
    int32_t ReplyLength = 0;
};

// A codec's verdict on one received chunk: good, or rejected. The ASCII
// codecs name the first check a rejected chunk failed by its letter, "A" to
// "F" (ErrStartByte .. ErrChecksum of EngineState.h); Modbus names none.
struct TReplyVerdict {
    static constexpr int NoLetter = -1;
    bool Good = false;
    int Letter = NoLetter; // of a rejected chunk; NoLetter for a good one
    explicit operator bool() const { return Good; }
    friend bool operator==(const TReplyVerdict&, const TReplyVerdict&) = default;
};
inline constexpr TReplyVerdict ReplyGood{true};
[[nodiscard]] constexpr TReplyVerdict Rejected(int letter = TReplyVerdict::NoLetter) {
    return {false, letter};
}

struct TCodecHooks {
    // Builds the next request into TxBuffer.
    std::function<TBuiltQuery()> BuildQuery;
    // Checks one received chunk of `length` bytes (never reading past it) and,
    // when it is a valid answer outside a search, decodes it into the record
    // of the address served. Returns its verdict; the engine counts the
    // rejects by letter.
    std::function<TReplyVerdict(const uint8_t* bytes, int length)> ParseReply;
    // Optional: true when a rejected chunk came from another address than the
    // one asked. Fast polling does not let such a chunk (a late reply of the
    // previous request) end the wait for the reply it is waiting for. The
    // ASCII codecs tell the same through their verdict's letter "C" instead.
    std::function<bool(const uint8_t* bytes, int length)> FromOtherAddress;
    // Optional, pure: how many more bytes the reply frame gathered so far
    // needs to be whole (0: whole; nullopt: the bytes do not tell). The port's
    // reader sleeps while they arrive, and with fast poll hands a whole frame
    // over at once instead of waiting out its read interval. It is called on
    // the port's reader thread, so it may look at nothing but the bytes.
    std::function<std::optional<std::size_t>(const uint8_t* bytes, std::size_t count)> FrameRest;
};

constexpr std::size_t ProtocolCount = 4;
using TCodecTable = std::array<TCodecHooks, ProtocolCount>;

// The entry for a Protocol setting, or nullptr when none serves it.
[[nodiscard]] inline const TCodecHooks* CodecFor(const TCodecTable& table, uint8_t protocol) {
    return protocol < table.size() ? &table[protocol] : nullptr;
}
