#pragma once
// What a responder gives back for one request frame: the reply bytes and the
// unit that sends them. No bytes = nobody answers.

#include <cstdint>
#include <vector>

struct TSimReply {
    uint8_t Address = 0;
    std::vector<uint8_t> Bytes;
};
