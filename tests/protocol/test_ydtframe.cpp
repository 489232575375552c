// The frame envelope shared by the two ASCII codecs: the request for a
// version, address and command, and the reason a reply is refused, in the
// order the checks are made, for both versions.

#include "protocol/YdtFrame.h"

#include "base/funcUnit.h"
#include "protocol/EngineState.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

TEST(YdtFrame, RequestForVersionAddressAndCommand) {
    struct Row {
        std::string_view version;
        uint16_t address;
        std::string_view cid2;
        std::string_view frame; // checksums worked out by hand
    };
    const Row rows[] = {
        {"31", 1, "42", "~31012A420000FDA2\r"}, // analog values of device 1
        {"31", 0xAB, "82", "~31AB2A820000FD7C\r"},
        {"11", 1, "41", "~11012A410000FDA5\r"},
        {"11", 252, "E3", "~11FC2AE30000FD6A\r"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.frame);
        const std::string request = YdtRequest(row.version, row.address, row.cid2);
        EXPECT_EQ(request, row.frame);
        EXPECT_EQ(int(request.size()), YdtRequestLength);
    }
}

std::string Hex2(int value) {
    return WordToHex4(uint32_t(value)).substr(2);
}

struct TReply {
    std::string_view Ver;
    int Address = 1;
    std::string_view Cid1 = "2A";
    std::string_view Rtn = "00";
    std::string Info = "0123";
};

// Header, LENGTH of the INFO, INFO, CHKSUM over all of it, CR.
std::string Frame(const TReply& r) {
    const std::string head = "~" + std::string(r.Ver) + Hex2(r.Address) + std::string(r.Cid1) +
                             std::string(r.Rtn) + LengthField(int32_t(r.Info.size())) + r.Info;
    return head + FrameChecksum(head, int(head.size()) - 1) + "\r";
}

std::string Replaced(std::string text, std::size_t pos, std::string_view with) {
    return text.replace(pos, with.size(), with);
}

TEST(YdtFrame, ReplyIsRefusedForTheFirstCheckItFails) {
    struct Row {
        const char* name;
        std::string chunk;
        uint16_t asked;  // the address the request went to
        int minInfo;     // INFO characters the command reads
        int reason;
    };
    for (const std::string_view version : {"11", "31"}) {
        const std::string_view other = version == "11" ? "31" : "11";
        const std::string good = Frame({.Ver = version});
        const std::size_t chk = good.size() - 5;
        const Row rows[] = {
            {"good", good, 1, 4, YdtReplyGood},
            {"good without INFO", Frame({.Ver = version, .Info = ""}), 1, 0, YdtReplyGood},
            {"good from the highest address", Frame({.Ver = version, .Address = 252}), 252, 4,
             YdtReplyGood},
            {"A: start character", Replaced(good, 0, "!"), 1, 4, ErrStartByte},
            {"A: empty chunk", "", 1, 4, ErrStartByte},
            {"B: the other version", Frame({.Ver = other}), 1, 4, ErrVersion},
            {"C: another address", Frame({.Ver = version, .Address = 2}), 1, 4, ErrAddress},
            {"C: address without a record", Frame({.Ver = version, .Address = 253}), 253, 4,
             ErrAddress},
            {"C: address 255", Frame({.Ver = version, .Address = 255}), 255, 4, ErrAddress},
            {"C: address 0", Frame({.Ver = version, .Address = 0}), 0, 4, ErrAddress},
            {"D: device type", Frame({.Ver = version, .Cid1 = "2B"}), 1, 4, ErrDevType},
            {"D: return code", Frame({.Ver = version, .Rtn = "01"}), 1, 4, ErrDevType},
            {"E: LCHKSUM digit", Replaced(good, 9, "1"), 1, 4, ErrLength},
            {"E: INFO shorter than the command reads", good, 1, 5, ErrLength},
            {"E: cut before CR", good.substr(0, good.size() - 1), 1, 4, ErrLength},
            {"E: header only", good.substr(0, 9), 1, 0, ErrLength},
            {"F: checksum", Replaced(good, chk, "0000"), 1, 4, ErrChecksum},
            {"F: damaged INFO", Replaced(good, 14, "9"), 1, 4, ErrChecksum},
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(version) + " " + row.name);
            // A buffer of exactly the chunk's size: a read past it is caught
            // by the address sanitizer.
            const std::vector<uint8_t> bytes(row.chunk.begin(), row.chunk.end());
            EXPECT_EQ(YdtRejectReason(bytes, version, row.asked, row.minInfo), row.reason);
        }
    }
}

} // namespace
