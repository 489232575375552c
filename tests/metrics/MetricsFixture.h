#pragma once
// Snapshots of a few units as a scrape sees them, and a plain HTTP client on
// a socket of its own, for the endpoint's tests.

#include "feed/SnapshotHub.h"
#include "status/StatusCodes.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

// Unit 3 on battery with a name the format must escape, unit 9 lost.
inline TRecordSnapshot TwoUnits() {
    TRecordSnapshot snapshot;
    TUnitSnapshot live;
    live.Address = 3;
    live.Name = "Rack \"A\" \\ 机房\nrow 2";
    live.Record.CommState = CommCommunicating;
    live.Record.InputVoltA = 229.5;
    live.Record.OutputFreq = 50;
    live.Record.BattCapacity = 87;
    live.Record.BattSupportTime = 12;
    live.Record.UpsState = StateBattery;
    live.Health.Requests = 10;
    live.Health.GoodReplies = 9;
    live.Health.Rejects[2] = 1;
    live.Health.LastReplyMs = 85;
    TUnitSnapshot lost;
    lost.Address = 9;
    lost.Name = std::string("bad \xFF byte");
    lost.Record.CommState = CommLost;
    lost.Record.InputVoltA = 231;
    snapshot.Units = {live, lost};
    snapshot.LastCycleMs = 7900;
    snapshot.CycleCount = 4;
    snapshot.PortOpen = true;
    return snapshot;
}

// A connected socket to 127.0.0.1:port; -1 when it cannot connect.
inline int ConnectLocal(uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

inline bool SendAll(int fd, const std::string& bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        const ssize_t n = ::send(fd, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        at += std::size_t(n);
    }
    return true;
}

// Everything the server sends until it closes, or what came within
// `waitMs` when it keeps the connection open.
inline std::string ReadUntilClosed(int fd, int waitMs) {
    std::string out;
    char buffer[65536];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, waitMs) <= 0)
            return out;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return out;
        out.append(buffer, std::size_t(n));
    }
}

// One request on a fresh connection; the whole answer.
inline std::string Exchange(uint16_t port, const std::string& request, int waitMs = 5000) {
    const int fd = ConnectLocal(port);
    if (fd < 0)
        return "";
    std::string answer = SendAll(fd, request) ? ReadUntilClosed(fd, waitMs) : "";
    ::close(fd);
    return answer;
}

inline std::string Get(uint16_t port, const std::string& path) {
    return Exchange(port, "GET " + path + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
}
