// The control windows against the real simulator over a pseudo-terminal: a
// parameter write (and one to the model that wants an unlock first), a
// battery test of a few seconds and its cancel, and a switch-off and on each
// change the simulated unit, and the monitor reads the change back through
// its own polling. The real poll engine window runs the line; the test drives
// its ticks and lets each transmission's answer arrive before the next tick,
// so a request cycle takes as long as the line needs, not 1.3 s.

#include "comm/UFrmCom.h"
#include "config/UUserParaIni.h"
#include "control/uFrmDataSet.h"
#include "control/uFrmTest.h"
#include "control/uFrmTurnOn.h"
#include "control/uPassWord.h"
#include "logging/UDataLogClass.h"
#include "logging/uEventLogClass.h"
#include "protocol/uKModbus.h"
#include "record/EquipList.h"
#include "record/UpsRecordOps.h"
#include "status/StatusCodes.h"
#include "tests/e2e/ChildProcess.h"
#include "tests/support/TempFolder.h"

#include <QComboBox>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <filesystem>
#include <functional>
#include <memory>

namespace {
constexpr uint8_t Vex = 1; // a "VEX610"
constexpr uint8_t Lnm = 2; // an "LNM7100": parameters only after the unlock
constexpr int TicksPerRequest = 13;
constexpr int AnswerTimeoutMs = 3000;
constexpr int BatteryTestSeconds = 3;
// A command goes out at the next request; the unit's holding registers are
// read again within two passes over both units (4 requests each). The
// limits leave room for replies lost to a busy machine.
constexpr int WriteReadBackRequests = 30;
} // namespace

class TestControlE2e : public QObject {
    Q_OBJECT

    std::unique_ptr<TTempFolder> FTemp;
    std::unique_ptr<TChildProcess> FSim;
    std::unique_ptr<TEventLog> FEvents;
    std::unique_ptr<TDataLog> FData;
    std::unique_ptr<TFrmCom> FFrmCom;
    uint8_t FSel = Vex;

    std::string Path(const std::string& name) const { return FTemp->Path() + name; }
    std::string SimLog() const { return ReadBytes(Path("sim.log")); }
    TControlContext Context() {
        return {[this] { return FSel; }, [this] { return FFrmCom->IsCommOpen(); }};
    }

    // One engine tick; a frame sent is answered before the next tick.
    void Tick() {
        const int32_t sent = CommDebug.TxFrames;
        const int32_t received = CommDebug.RxFrames;
        FFrmCom->Timer1Timer();
        if (CommDebug.TxFrames == sent)
            return;
        QDeadlineTimer deadline(AnswerTimeoutMs);
        while (CommDebug.RxFrames == received && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }

    // Ticks until done() holds; false when maxRequests request cycles passed.
    bool RunUntil(const std::function<bool()>& done, int maxRequests) {
        for (int tick = 0; tick < maxRequests * TicksPerRequest; ++tick) {
            if (done())
                return true;
            Tick();
        }
        return done();
    }

    void PassGate(const char* model) {
        TfrmPSW gate;
        gate.show();
        gate.findChild<QLineEdit*>("edtPSW")->setText(model);
        gate.findChild<QPushButton*>("btnOK")->click();
        QCOMPARE(gate.result(), int(QDialog::Accepted));
    }

    bool SimSaw(const std::string& frame) const {
        return SimLog().find(frame) != std::string::npos;
    }

private slots:
    void initTestCase() {
        FTemp = std::make_unique<TTempFolder>();
        WriteBytes(Path("scenario.txt"), "unit 1 model \"VEX610\" state online\n"
                                         "unit 2 model \"LNM7100\" state online\n");
        FSim = std::make_unique<TChildProcess>(TChildProcess::TOptions{
            .Program = PELMORA_SIM_PATH,
            .Args = {"--protocol", "2", "--scenario", Path("scenario.txt"), "--link",
                     Path("ttyUPS")},
            .StdoutPath = Path("sim.out"),
            .StderrPath = Path("sim.log"),
        });
        QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::is_symlink(Path("ttyUPS")), 10000);

        UserPara = {};
        UserPara.PortInfo.ComName = Path("ttyUPS");
        UserPara.PortInfo.BaudRate = 9600;
        UserPara.PortInfo.ReadIntervalTimeout = 30;
        UserPara.PortInfo.MaxReSend = 2;
        UserPara.PortInfo.Protocol = 2;
        InitTable();
        EquipList = {};
        QVERIFY(AppendEquip({0, Vex, "UPS 1"}));
        QVERIFY(AppendEquip({0, Lnm, "UPS 2"}));
        CommandQueue = {};
        ModelName.clear();
        FEvents = std::make_unique<TEventLog>(Path("Record/"), EventLogFileName, Path("Backup/"));
        FData = std::make_unique<TDataLog>(Path("Record/"));
        FFrmCom = std::make_unique<TFrmCom>(*FEvents, *FData);
        QVERIFY(FFrmCom->IsCommOpen());
        for (QTimer* timer : FFrmCom->findChildren<QTimer*>())
            timer->stop(); // the test drives the ticks

        // Both units answer and their parameters have been read.
        QVERIFY(RunUntil(
            [] {
                return UpsTable[Vex].CommState == CommCommunicating &&
                       UpsTable[Lnm].CommState == CommCommunicating &&
                       UpsTable[Vex].SysVoltLevel == 220 && UpsTable[Lnm].BoostTime == 30 &&
                       UpsTable[Vex].UpsState == StateOnline;
            },
            30));
    }

    void cleanupTestCase() {
        FFrmCom.reset();
        if (FSim)
            FSim->StopWith(SIGTERM, 5000);
    }

    void aParameterWriteChangesTheUnit() {
        PassGate("VEX610");
        FSel = Vex;
        QCOMPARE(UpsTable[Vex].BypassVoltUpper, uint8_t(15));
        TFrmDataSet dialog(Context());
        dialog.show();
        dialog.findChild<QListWidget*>("ListBox1")->setCurrentRow(4); // bypass upper limit
        auto* values = dialog.findChild<QComboBox*>("ComboBox1");
        QCOMPARE(values->currentText(), QString("15%"));
        values->setCurrentText("25%");
        dialog.findChild<QPushButton*>("btnSetTo")->click();
        QVERIFY(
            RunUntil([] { return UpsTable[Vex].BypassVoltUpper == 25; }, WriteReadBackRequests));
        // The unit took it: the write came back as its echo.
        QVERIFY(SimSaw("rx 01 06 9C 4B 00 19"));
        QVERIFY(SimSaw("tx 01 06 9C 4B 00 19"));
    }

    void theLockedModelIsUnlockedBeforeItsParameter() {
        PassGate("LNM7100");
        FSel = Lnm;
        TFrmDataSet dialog(Context());
        dialog.show();
        dialog.findChild<QListWidget*>("ListBox1")->setCurrentRow(14); // boost time
        auto* entry = dialog.findChild<QLineEdit*>("Edit1");
        QCOMPARE(entry->text(), QString("30"));
        entry->setText("45");
        dialog.findChild<QPushButton*>("btnSetTo")->click();
        QVERIFY(RunUntil([] { return UpsTable[Lnm].BoostTime == 45; }, WriteReadBackRequests));
        const std::string log = SimLog();
        const auto unlock = log.find("tx 02 06 C3 4F 00 47");
        const auto write = log.find("tx 02 06 9C 58 00 2D");
        QVERIFY(unlock != std::string::npos && write != std::string::npos);
        QVERIFY(unlock < write);
    }

    void aBatteryTestRunsItsTimeAndACancelEndsOne() {
        PassGate("VEX610");
        FSel = Vex;
        TFrmTest dialog(Context());
        dialog.Confirm = [](QWidget*, const QString&) { return true; };
        dialog.show();
        dialog.findChild<QLineEdit*>("Edit1")->setText(QString::number(BatteryTestSeconds));
        dialog.findChild<QPushButton*>("Button1")->click();
        QVERIFY(RunUntil([] { return UpsTable[Vex].UpsState == StateBattSelfTest; },
                         WriteReadBackRequests));
        QVERIFY(SimSaw("rx 01 06 4E 22 00 03"));
        // The unit ends the test by itself after its time and is back online.
        QVERIFY(RunUntil([] { return UpsTable[Vex].UpsState == StateOnline; }, 400));

        dialog.findChild<QLineEdit*>("Edit1")->setText("600");
        dialog.findChild<QPushButton*>("Button1")->click();
        QVERIFY(RunUntil([] { return UpsTable[Vex].UpsState == StateBattSelfTest; },
                         WriteReadBackRequests));
        dialog.findChild<QPushButton*>("Button2")->click();
        QVERIFY(
            RunUntil([] { return UpsTable[Vex].UpsState == StateOnline; }, WriteReadBackRequests));
        QVERIFY(SimSaw("rx 01 06 4E 22 00 00"));
    }

    void aSwitchOffAndOnChangeTheUnit() {
        PassGate("VEX610");
        FSel = Vex;
        TfrmTrunOn dialog(Context());
        dialog.Confirm = [](QWidget*, const QString&) { return true; };
        dialog.show();
        const auto choose = [&](const char* text) {
            for (auto* item : dialog.findChildren<QRadioButton*>()) {
                if (item->text() == text)
                    item->setChecked(true);
            }
            dialog.findChild<QPushButton*>("btnSure")->click();
        };
        choose("Off");
        QVERIFY(
            RunUntil([] { return UpsTable[Vex].UpsState == StateStandby; }, WriteReadBackRequests));
        QCOMPARE(UpsTable[Lnm].UpsState, StateOnline); // only the selected unit
        choose("On");
        QVERIFY(
            RunUntil([] { return UpsTable[Vex].UpsState == StateOnline; }, WriteReadBackRequests));
    }
};

QTEST_MAIN(TestControlE2e)
#include "test_control_e2e.moc"
