// The poll engine's window on the real event loop: its timer drives the
// engine, and bytes arriving on a pseudo-terminal reach the engine on the
// user-interface thread through the queued notices.

#include "comm/UFrmCom.h"
#include "config/UUserParaIni.h"
#include "logging/UDataLogClass.h"
#include "logging/uEventLogClass.h"
#include "record/EquipList.h"
#include "record/UpsRecordOps.h"
#include "tests/comm/PtyHarness.h"
#include "tests/support/EventLogFile.h"
#include "tests/support/TempFolder.h"

#include <QTest>
#include <QThread>
#include <QTimer>

#include <memory>
#include <vector>

namespace {

using namespace std::chrono_literals;

std::vector<int> EventCodes(const std::string& path) {
    std::vector<int> codes;
    for (const TEventRec& rec : ReadEventRecords(path))
        codes.push_back(rec.Code);
    return codes;
}

} // namespace

class TestFrmCom : public QObject {
    Q_OBJECT

    std::unique_ptr<TTempFolder> FTemp;
    std::unique_ptr<TPtyPair> FPty;
    std::unique_ptr<TEventLog> FEvents;
    std::unique_ptr<TDataLog> FData;

    std::string EventPath() const { return FEvents->FullPath(); }

private slots:
    void init() {
        FTemp = std::make_unique<TTempFolder>();
        FPty = std::make_unique<TPtyPair>();
        FEvents = std::make_unique<TEventLog>(FTemp->Path() + "Record/", EventLogFileName,
                                              FTemp->Path() + "Backup/");
        FData = std::make_unique<TDataLog>(FTemp->Path() + "Record/");
        InitTable();
        EquipList = {};
        QVERIFY(AppendEquip({0, 5, "UPS 5"}));
        UserPara = {};
        UserPara.PortInfo.ComName = FPty->SlavePath();
        UserPara.PortInfo.BaudRate = 9600;
        UserPara.PortInfo.ReadIntervalTimeout = 20;
        UserPara.PortInfo.MaxReSend = 2;
        CommDebug = {};
    }

    void repliesReachTheEngineOnTheUserInterfaceThread() {
        auto frm = std::make_unique<TFrmCom>(*FEvents, *FData);
        QVERIFY(frm->IsCommOpen());
        QCOMPARE(EventCodes(EventPath()), std::vector<int>{20});

        QThread* parsedOn = nullptr;
        TCodecHooks& codec = frm->Engine().Codecs[0];
        codec.BuildQuery = [] {
            NextPollDevice();
            TxBuffer[0] = 'Q';
            TxBuffer[1] = EquipList.PollAddress;
            return TBuiltQuery{2, EquipList.PollAddress};
        };
        codec.ParseReply = [&](const uint8_t* bytes, int length) {
            parsedOn = QThread::currentThread();
            return length == 2 && bytes[0] == 'R' && bytes[1] == 5 ? ReplyGood : Rejected();
        };

        QTRY_COMPARE(CommDebug.TxFrames, 1);
        QCOMPARE(FPty->Read(2, 5s), std::string("Q\x05"));
        FPty->Write("R\x05");
        QTRY_COMPARE(CommDebug.RxGood, 1);
        QCOMPARE(parsedOn, QThread::currentThread());
        QCOMPARE(UpsTable[5].CommState, uint8_t(0));

        frm.reset();
        QCOMPARE(EventCodes(EventPath()), (std::vector<int>{20, 23, 22, 21}));
    }

    // Fast poll without the 100 ms timer: the reply, then the time-out of a
    // silent unit, each bring the next request through the window's step.
    void fastPollStepsWithoutTheTick() {
        UserPara.PortInfo.FastPoll = true;
        auto frm = std::make_unique<TFrmCom>(*FEvents, *FData);
        for (QTimer* timer : frm->findChildren<QTimer*>())
            timer->stop();
        TCodecHooks& codec = frm->Engine().Codecs[0];
        codec.BuildQuery = [] {
            NextPollDevice();
            TxBuffer[0] = 'Q';
            TxBuffer[1] = EquipList.PollAddress;
            return TBuiltQuery{2, EquipList.PollAddress, 2};
        };
        codec.ParseReply = [](const uint8_t* bytes, int length) {
            return length == 2 && bytes[0] == 'R' && bytes[1] == 5 ? ReplyGood : Rejected();
        };
        frm->Timer1Timer(); // the first request
        QCOMPARE(CommDebug.TxFrames, 1);
        QCOMPARE(FPty->Read(2, 5s), std::string("Q\x05"));
        FPty->Write("R\x05");
        QTRY_COMPARE(CommDebug.TxFrames, 2);
        QCOMPARE(UpsTable[5].OkCount, 1);
        QCOMPARE(FPty->Read(2, 5s), std::string("Q\x05"));
        // No answer: the time-out (4 bytes at 9600 baud, 20 ms, the margin)
        // sends the next one.
        QTRY_COMPARE_WITH_TIMEOUT(CommDebug.TxFrames, 3, 10000);
    }

    void portControlOpensAndClosesThePort() {
        TFrmCom frm(*FEvents, *FData);
        TPortControl& port = frm;
        QTRY_COMPARE(EventCodes(EventPath()), (std::vector<int>{20, 23}));
        port.CloseComm();
        QVERIFY(!port.IsCommOpen());
        QTRY_COMPARE(EventCodes(EventPath()), (std::vector<int>{20, 23, 18}));
        port.OpenComm();
        QVERIFY(port.IsCommOpen());
        QTRY_COMPARE(EventCodes(EventPath()), (std::vector<int>{20, 23, 18, 23}));

        UserPara.PortInfo.ComName = FTemp->Path() + "no-such-port";
        try {
            port.OpenComm();
            QFAIL("no error raised");
        } catch (const std::exception& error) {
            QCOMPARE(std::string(error.what()), std::string(MsgOpenFailed));
        }
        QVERIFY(!port.IsCommOpen());
    }

    // The main window's exit stops the engine through the port control; a
    // tick that was already due must find nothing to log.
    void ticksAfterTheExitStopLogNoPortLoss() {
        auto frm = std::make_unique<TFrmCom>(*FEvents, *FData);
        QTRY_COMPARE(EventCodes(EventPath()), (std::vector<int>{20, 23}));
        static_cast<TPortControl&>(*frm).StopForExit();
        QVERIFY(!frm->IsCommOpen());
        frm->Timer1Timer();
        frm.reset();
        QCOMPARE(EventCodes(EventPath()), (std::vector<int>{20, 23, 21}));
    }
};

QTEST_MAIN(TestFrmCom)
#include "test_ufrmcom.moc"
