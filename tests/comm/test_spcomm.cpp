// The serial port over a real pseudo-terminal pair: the slave is the port,
// the test plays the device on the master.

#include "PtyHarness.h"
#include "comm/PortBaud.h"
#include "comm/SPComm.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

// Generous limit for "returns promptly": far above what closing takes, well
// inside the ten seconds the component allows per thread.
constexpr auto PromptClose = 3s;

std::string Pattern(size_t length) {
    std::string bytes(length, '\0');
    for (size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<char>('A' + i % 23);
    return bytes;
}

class CommTest : public ::testing::Test {
protected:
    void SetUp() override {
        Comm.SetCommName(Pty.SlavePath());
        Comm.OnReceiveData = [this](TComm*, const uint8_t* buffer, uint16_t length) {
            Chunks.emplace_back(reinterpret_cast<const char*>(buffer), length);
        };
        Comm.OnRequestHangup = [this](TComm*) { ++Hangups; };
        Comm.OnSendDataEmpty = [this](TComm*) { ++SendEmpties; };
    }

    bool Deliver(auto done) { return DeliverUntil(Comm, Sink, done); }
    bool DeliverChunks(size_t count) {
        return Deliver([&] { return Chunks.size() >= count; });
    }
    std::string Received() const {
        std::string all;
        for (const auto& chunk : Chunks)
            all += chunk;
        return all;
    }
    bool Send(const std::string& bytes) {
        return Comm.SendData(reinterpret_cast<const uint8_t*>(bytes.data()),
                             static_cast<uint16_t>(bytes.size()));
    }
    // A frame each way on the open port.
    void ExpectRoundTrip(TPtyPair& pty) {
        const size_t before = Chunks.size();
        pty.Write("ping");
        ASSERT_TRUE(DeliverChunks(before + 1));
        EXPECT_EQ(Chunks.back(), "ping");
        ASSERT_TRUE(Send("pong"));
        EXPECT_EQ(pty.Read(4, 5s), "pong");
    }
    static std::chrono::milliseconds TimeToClose(TComm& comm) {
        const auto start = std::chrono::steady_clock::now();
        comm.ClosePort();
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
    }

    TPtyPair Pty;
    TQueueSink Sink;
    TComm Comm{Sink};
    std::vector<std::string> Chunks;
    int Hangups = 0;
    int SendEmpties = 0;
};

TEST_F(CommTest, ChunkEndsAfterReadIntervalOfSilence) {
    Comm.SetReadIntervalTimeout(200);
    Comm.OpenPort();

    Pty.Write(Pattern(30));
    ASSERT_TRUE(DeliverChunks(1));
    EXPECT_EQ(Chunks[0], Pattern(30));

    // A pause longer than the time-out (the first half is delivered before the
    // second is written) splits the bytes in two chunks.
    Pty.Write(Pattern(15));
    ASSERT_TRUE(DeliverChunks(2));
    Pty.Write(Pattern(15));
    ASSERT_TRUE(DeliverChunks(3));
    EXPECT_EQ(Chunks[1].size(), 15u);
    EXPECT_EQ(Chunks[2].size(), 15u);
}

TEST_F(CommTest, SilenceTimerRestartsWithEveryByte) {
    // Eight pieces 100 ms apart span 700 ms, longer than the 500 ms time-out,
    // yet no gap reaches it: one chunk.
    Comm.SetReadIntervalTimeout(500);
    Comm.OpenPort();
    for (int piece = 0; piece < 8; ++piece) {
        if (piece > 0)
            std::this_thread::sleep_for(100ms);
        Pty.Write("abcd");
    }
    ASSERT_TRUE(DeliverChunks(1));
    EXPECT_EQ(Chunks[0].size(), 32u);
}

TEST_F(CommTest, LongBurstArrivesInChunksOfAtMost2048InOrder) {
    Comm.SetReadIntervalTimeout(200);
    Comm.OpenPort();
    const std::string burst = Pattern(5000);
    Pty.Write(burst);
    ASSERT_TRUE(Deliver([&] { return Received().size() >= burst.size(); }));
    EXPECT_EQ(Received(), burst);
    EXPECT_GE(Chunks.size(), 3u);
    for (const auto& chunk : Chunks)
        EXPECT_LE(chunk.size(), CommReadBufferSize);
}

TEST_F(CommTest, ReceivedBlockEndsWithZeroByte) {
    Comm.OpenPort();
    Pty.Write("xyz");
    std::optional<TCommNotice> notice = Sink.Next(10s);
    while (notice && notice->Kind != CommNoticeReceiveData)
        notice = Sink.Next(10s);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->Value, 3u);
    EXPECT_EQ(notice->Block, (std::vector<uint8_t>{'x', 'y', 'z', 0}));
}

TEST_F(CommTest, IgnoreNullCharDropsNulBytes) {
    Comm.SetIgnoreNullChar(true);
    Comm.OpenPort();
    Pty.Write(std::string("a\0b\0\0c", 6));
    ASSERT_TRUE(DeliverChunks(1));
    EXPECT_EQ(Chunks[0], "abc");
}

TEST_F(CommTest, SendsGoOutInCallOrder) {
    Comm.OpenPort();
    EXPECT_TRUE(Send("first"));
    EXPECT_TRUE(Send("second"));
    EXPECT_EQ(Pty.Read(11, 5s), "firstsecond");
}

// A block larger than the driver takes at once goes out partly at the call
// and partly from the writer; what is sent next must not overtake its rest.
TEST_F(CommTest, ASendAfterABlockTooBigForTheDriverWaitsItsTurn) {
    Comm.OnSendDataEmpty = nullptr; // the engine's case: sends may go out at once
    Comm.OpenPort();
    const std::string block = Pattern(60000);
    ASSERT_TRUE(Send("head"));
    ASSERT_TRUE(Send(block));
    ASSERT_TRUE(Send("tail"));
    EXPECT_EQ(Pty.Read(block.size() + 8, 10s), "head" + block + "tail");
}

TEST_F(CommTest, SendRefusedWhenEmptyOrClosed) {
    EXPECT_FALSE(Send("closed"));
    Comm.OpenPort();
    EXPECT_FALSE(Comm.SendData(reinterpret_cast<const uint8_t*>("x"), 0));
    Comm.ClosePort();
    EXPECT_FALSE(Send("closed again"));
}

TEST_F(CommTest, SendDataEmptyAfterOpenAndAfterDrain) {
    Comm.OpenPort();
    ASSERT_TRUE(Deliver([&] { return SendEmpties == 1; }));
    EXPECT_TRUE(Comm.SendQueueEmpty());
    ASSERT_TRUE(Send("payload"));
    EXPECT_EQ(Pty.Read(7, 5s), "payload");
    ASSERT_TRUE(Deliver([&] { return SendEmpties == 2; }));
}

// Without a handler when the port opens, a send wakes nobody once it is out:
// the only notice that arrives is the reply.
TEST_F(CommTest, NoSendDataEmptyNoticeWithoutAHandler) {
    Comm.OnSendDataEmpty = nullptr;
    Comm.OpenPort();
    ASSERT_TRUE(Send("payload"));
    EXPECT_EQ(Pty.Read(7, 5s), "payload");
    Pty.Write("reply");
    const auto notice = Sink.Next(5s);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->Kind, CommNoticeReceiveData);
}

TEST_F(CommTest, LineSettingsReachTheDevice) {
    Comm.SetBaudRate(19200);
    Comm.OpenPort();
    EXPECT_EQ(PortBaudRate(Pty.Master()), 19200u);

    // Changes on an open port apply at once, rates without a B-constant too.
    Comm.SetBaudRate(14400);
    EXPECT_EQ(PortBaudRate(Pty.Master()), 14400u);
    termios t{};
    ASSERT_EQ(tcgetattr(Pty.Master(), &t), 0);
    EXPECT_TRUE(t.c_iflag & IXON);
    Comm.SetOutx_XonXoffFlow(false);
    ASSERT_EQ(tcgetattr(Pty.Master(), &t), 0);
    EXPECT_FALSE(t.c_iflag & IXON);
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO));
}

struct TOpenError {
    const char* Case;
    std::string Name;
    std::string Message;
};

TEST_F(CommTest, OpenErrorsLeaveThePortClosedAndReusable) {
    char folder[] = "/tmp/commtestXXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string plainFile = std::string(folder) + "/not-a-port";
    ASSERT_EQ(system(("touch " + plainFile).c_str()), 0);

    const TOpenError errors[] = {
        {"missing device", "/dev/pelmora-no-such-tty", MsgOpenFailed},
        {"plain file", plainFile, MsgNotCommHandle},
        {"character device but no terminal", "/dev/null", MsgNotCommHandle},
        {"COM number out of range", "COM0", MsgOpenFailed},
        {"relative name", "ttyS0", MsgOpenFailed},
    };
    for (const auto& error : errors) {
        SCOPED_TRACE(error.Case);
        Comm.SetCommName(error.Name);
        try {
            Comm.OpenPort();
            ADD_FAILURE() << "opened";
        } catch (const ECommsError& e) {
            EXPECT_EQ(std::string(e.what()), error.Message);
        }
        EXPECT_FALSE(Comm.IsOpen());
    }
    unlink(plainFile.c_str());
    rmdir(folder);

    Comm.SetCommName(Pty.SlavePath());
    Comm.OpenPort();
    ExpectRoundTrip(Pty);
}

TEST_F(CommTest, OpenOnOpenPortRaisesAndKeepsIt) {
    Comm.OpenPort();
    try {
        Comm.OpenPort();
        ADD_FAILURE() << "opened twice";
    } catch (const ECommsError& e) {
        EXPECT_STREQ(e.what(), MsgAlreadyOpened);
    }
    EXPECT_TRUE(Comm.IsOpen());
    ExpectRoundTrip(Pty);
}

TEST_F(CommTest, SecondOpenerInThisProcessIsRefused) {
    Comm.OpenPort();
    TQueueSink otherSink;
    TComm other(otherSink);
    other.SetCommName(Pty.SlavePath());
    try {
        other.OpenPort();
        ADD_FAILURE() << "second opener got the port";
    } catch (const ECommsError& e) {
        EXPECT_STREQ(e.what(), MsgPortBusy);
    }
    ExpectRoundTrip(Pty);

    Comm.ClosePort();
    other.OpenPort();
    EXPECT_TRUE(other.IsOpen());
}

TEST_F(CommTest, SecondOpenerInAnotherProcessIsRefused) {
    Comm.OpenPort();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TQueueSink childSink;
        TComm childComm(childSink);
        childComm.SetCommName(Pty.SlavePath());
        try {
            childComm.OpenPort();
        } catch (const ECommsError& e) {
            _exit(std::string(e.what()) == MsgPortBusy ? 0 : 2);
        }
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the child opened the port, 2: wrong message";
}

TEST_F(CommTest, CloseReturnsPromptlyWhileAWriteIsBlocked) {
    Comm.OpenPort();
    // Far more than a pseudo-terminal buffers; the master never reads, so the
    // writer ends up waiting for room.
    const std::string block = Pattern(60000);
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(Send(block));
    EXPECT_FALSE(Comm.SendQueueEmpty());

    EXPECT_LT(TimeToClose(Comm), PromptClose);
    EXPECT_FALSE(Comm.IsOpen());
    EXPECT_TRUE(Comm.SendQueueEmpty());

    Comm.OpenPort();
    EXPECT_TRUE(Comm.IsOpen());
}

TEST_F(CommTest, VanishedDeviceEndsReaderWithHangupAndPortReopens) {
    Comm.OpenPort();
    Pty.CloseMaster();
    ASSERT_TRUE(Deliver([&] { return Hangups >= 1; }));

    // A send to the vanished device ends the writer too; later sends are refused.
    ASSERT_TRUE(Send("lost"));
    ASSERT_TRUE(Deliver([&] { return Hangups >= 2; }));
    EXPECT_FALSE(Send("lost again"));

    // The port stays open until its owner closes it.
    EXPECT_TRUE(Comm.IsOpen());
    EXPECT_LT(TimeToClose(Comm), PromptClose);

    TPtyPair replacement;
    Comm.SetCommName(replacement.SlavePath());
    Comm.OpenPort();
    ExpectRoundTrip(replacement);
}

TEST_F(CommTest, DestroyingAnOpenComponentClosesIt) {
    auto comm = std::make_unique<TComm>(Sink);
    comm->SetCommName(Pty.SlavePath());
    comm->OpenPort();
    comm.reset();
    // The device is free again.
    Comm.OpenPort();
    EXPECT_TRUE(Comm.IsOpen());
}

} // namespace
