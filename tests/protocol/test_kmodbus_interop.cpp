// The Modbus / VEX codec against an independent Modbus RTU slave: libmodbus
// serving a register map on the slave side of a pseudo-terminal, while the
// test plays the poll engine on the master side (write the built request,
// read the answer until the line goes quiet, hand the chunk to ParseReply).

#include "tests/protocol/KModbusTestSupport.h"

#include "status/StatusCodes.h"

#include <gtest/gtest.h>
#include <modbus.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

constexpr int SlaveId = 1;

// A libmodbus RTU slave on the slave side of a fresh pty pair. Registers are
// addressed as on the wire: input register 30001 is index 30000.
class TLibmodbusSlave {
public:
    TLibmodbusSlave() {
        FMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (FMaster < 0 || grantpt(FMaster) != 0 || unlockpt(FMaster) != 0)
            throw std::runtime_error("no pseudo-terminal");
        FCtx = modbus_new_rtu(ptsname(FMaster), 9600, 'N', 8, 1);
        Map = modbus_mapping_new(0, 0, 0x10000, 0x10000);
        if (!FCtx || !Map || modbus_set_slave(FCtx, SlaveId) != 0 || modbus_connect(FCtx) != 0)
            throw std::runtime_error("libmodbus slave not ready");
        // Wake up regularly so that the serving thread can be stopped.
        modbus_set_indication_timeout(FCtx, 0, 50000);
    }
    ~TLibmodbusSlave() {
        Stop();
        modbus_close(FCtx);
        modbus_free(FCtx);
        modbus_mapping_free(Map);
        close(FMaster);
    }

    void Start() {
        FServer = std::thread([this] {
            uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
            while (!FStop) {
                const int rc = modbus_receive(FCtx, query);
                if (rc > 0)
                    modbus_reply(FCtx, query, rc, Map);
            }
        });
    }
    // After this the test may read the map the slave wrote into.
    void Stop() {
        FStop = true;
        if (FServer.joinable())
            FServer.join();
    }

    void Send(const TBytes& frame) const {
        ASSERT_EQ(write(FMaster, frame.data(), frame.size()), ssize_t(frame.size()));
    }
    // One chunk as the serial port delivers it: everything until the line
    // has been quiet for 50 ms; empty when nothing came within `first`.
    TBytes ReadChunk(std::chrono::milliseconds first = 2000ms) const {
        TBytes got;
        auto wait = first;
        for (;;) {
            pollfd fd{FMaster, POLLIN, 0};
            if (poll(&fd, 1, int(wait.count())) <= 0)
                return got;
            uint8_t buf[512];
            const ssize_t n = read(FMaster, buf, sizeof buf);
            if (n <= 0)
                return got;
            got.insert(got.end(), buf, buf + n);
            wait = 50ms;
        }
    }

    modbus_mapping_t* Map = nullptr;

private:
    int FMaster = -1;
    modbus_t* FCtx = nullptr;
    std::thread FServer;
    std::atomic<bool> FStop{false};
};

class KModbusInterop : public testing::Test {
protected:
    void SetUp() override {
        ResetModbusState();
        SetDevices({SlaveId}, 0);
        ModelName = FiveStepModel;
        uint16_t* in = Slave.Map->tab_input_registers;
        const uint16_t measures[] = {2305, 2311, 2298}; // 30001..30003
        std::copy(std::begin(measures), std::end(measures), in + 30000);
        const uint16_t outputs[] = {2200, 2201, 2199, 499}; // 30011..30014
        std::copy(std::begin(outputs), std::end(outputs), in + 30010);
        const uint16_t battery[] = {41, 42,   43,   0,  0,  0, 0, 0,  0,
                                    0,  2702, 2698, 15, 16, 0, 0, 88, 45}; // 30021..30038
        std::copy(std::begin(battery), std::end(battery), in + 30020);
        const uint16_t status[] = {4, 0xCC00, 0, 0x4700, 0,     // 30081..30085
                                   0, 0x4000, 0, 0x8000, 0, 0}; // 30086..30091
        std::copy(std::begin(status), std::end(status), in + 30080);
        uint16_t* hold = Slave.Map->tab_registers;
        hold[40001] = 4;      // 40002 parallel ID
        hold[40003] = 1;      // 40004 work mode ECO
        hold[40004] = 230;    // 40005
        hold[40012] = 0xFFE2; // 40013: -30 %
        hold[40020] = 100;    // 40021
        hold[40026] = 0x1000; // 40027 buzzer disabled
        hold[40028] = 2;      // 40029 operation mode
        Slave.Start();
    }

    // One request cycle: build, send, and parse what came back.
    bool Exchange() {
        Codec.BuildQuery();
        Slave.Send(BuiltFrame(Codec));
        const TBytes reply = Slave.ReadChunk();
        return Codec.ParseReply(reply.data(), int(reply.size())).Good;
    }

    TLibmodbusSlave Slave;
    TMModbus Codec{TxBuffer};
};

TEST_F(KModbusInterop, PollSequenceDecodesTheSlavesRegisters) {
    // The first request goes to address 0, a broadcast that no slave answers.
    Codec.BuildQuery();
    Slave.Send(BuiltFrame(Codec));
    EXPECT_TRUE(Slave.ReadChunk(300ms).empty());

    for (int step = 1; step <= 5; ++step) {
        EXPECT_TRUE(Exchange()) << "step " << step;
        EXPECT_EQ(PollStep, step);
    }
    const TUpsInfoRec& r = UpsTable[SlaveId];
    EXPECT_DOUBLE_EQ(r.InputVoltA, 230.5);
    EXPECT_DOUBLE_EQ(r.InputVoltB, 231.1);
    EXPECT_DOUBLE_EQ(r.InputVoltC, 229.8);
    EXPECT_DOUBLE_EQ(r.OutputVoltC, 219.9);
    EXPECT_DOUBLE_EQ(r.OutputFreq, 49.9);
    EXPECT_DOUBLE_EQ(r.LoadPctB, 42);
    EXPECT_DOUBLE_EQ(r.DcInputVolt, 270.2 + 269.8);
    EXPECT_DOUBLE_EQ(r.ChargeCur, 1.5 + 1.6);
    EXPECT_EQ(r.BattCapacity, 88);
    EXPECT_EQ(r.BattSupportTime, 45);
    EXPECT_EQ(r.DevState, 4);
    EXPECT_EQ(r.StatusWord[4], 0x4700);
    EXPECT_EQ(r.StatusWord[3], 0x4000);
    EXPECT_EQ(r.UpsState, StateOnline);
    EXPECT_EQ(r.AlarmCount, 2); // 17 and 48
    EXPECT_EQ(r.ParallelId, 4);
    EXPECT_EQ(r.WorkMode, 1);
    EXPECT_EQ(r.SysVoltLevel, 230);
    EXPECT_EQ(r.BypassVoltLower, -30);
    EXPECT_EQ(r.BattCapacityAh, 100);
    EXPECT_EQ(r.StatusControl, 0x1000);
    EXPECT_EQ(r.OperationMode, 2);
}

TEST_F(KModbusInterop, QueuedWritesLandInTheSlaveAndExceptionsAreRefused) {
    Codec.BuildQuery(); // the start-up request to address 0, which nobody answers
    ParamWrite.BypassVoltLower = -20;
    CommandValue = 1;
    CommandQueue[0] = {255, SlaveId, 6, 40013, 1};
    CommandQueue[1] = {255, SlaveId, 6, 20001, 1};
    // 126 registers is more than one read may ask for: the slave answers
    // with exception 3 (illegal data value).
    CommandQueue[2] = {255, SlaveId, 4, 30001, 126};
    EXPECT_TRUE(Exchange());
    EXPECT_TRUE(Exchange());
    EXPECT_FALSE(Exchange());

    // Polling resumes at step 2, now at the commands' address; step 4 reads
    // the written parameter back.
    for (int step = 2; step <= 4; ++step)
        EXPECT_TRUE(Exchange()) << "step " << step;
    EXPECT_EQ(PollStep, 4);
    EXPECT_EQ(UpsTable[SlaveId].BypassVoltLower, -20);

    Slave.Stop();
    EXPECT_EQ(Slave.Map->tab_registers[40012], 0xFFEC);
    EXPECT_EQ(Slave.Map->tab_registers[20000], 1);
}

} // namespace
