// The trace window on the offscreen platform, over a real pseudo-terminal:
// what it echoes and how, its counters and debug grid, the clear actions,
// Auto and Manual mode and a hand-typed frame going out on the line. The
// window's own timer is stopped; the test drives the ticks.

#include "base/SharedFlags.h"
#include "comm/BusHealth.h"
#include "comm/TraceView.h"
#include "comm/UFrmCom.h"
#include "config/UUserParaIni.h"
#include "logging/UDataLogClass.h"
#include "logging/uEventLogClass.h"
#include "record/EquipList.h"
#include "record/UpsRecordOps.h"
#include "tests/comm/PtyHarness.h"
#include "tests/support/CodecState.h"
#include "tests/support/GridTabKeys.h"
#include "tests/support/TempFolder.h"
#include "ui/BeatTimer.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include <memory>

namespace {

using namespace std::chrono_literals;

template <typename T> T* Child(QWidget* parent, const char* name) {
    T* child = parent->findChild<T*>(QLatin1String(name));
    if (child == nullptr)
        qFatal("no child %s", name);
    return child;
}

QStringList Lines(QPlainTextEdit* memo) {
    const QString text = memo->toPlainText();
    return text.isEmpty() ? QStringList{} : text.split(QLatin1Char('\n'));
}

void Deliver(TFrmCom& frm, const std::string& bytes) {
    frm.Engine().Comm1ReceiveData(reinterpret_cast<const uint8_t*>(bytes.data()),
                                  uint16_t(bytes.size()));
}

} // namespace

class TestTraceWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<TTempFolder> FTemp;
    std::unique_ptr<TPtyPair> FPty;
    std::unique_ptr<TEventLog> FEvents;
    std::unique_ptr<TDataLog> FData;
    std::unique_ptr<TFrmCom> FFrm;

    // The memos with the echoed lines that wait for the next refresh put in.
    QPlainTextEdit* MemoRx() {
        FFrm->TraceView().FlushEcho();
        return Child<QPlainTextEdit>(FFrm.get(), "MemoRx");
    }
    QPlainTextEdit* MemoTx() {
        FFrm->TraceView().FlushEcho();
        return Child<QPlainTextEdit>(FFrm.get(), "MemoTx");
    }

private slots:
    void init() {
        FTemp = std::make_unique<TTempFolder>();
        FPty = std::make_unique<TPtyPair>();
        FEvents = std::make_unique<TEventLog>(FTemp->Path() + "Record/", EventLogFileName,
                                              FTemp->Path() + "Backup/");
        FData = std::make_unique<TDataLog>(FTemp->Path() + "Record/");
        ResetCodecState();
        DbgVal = {};
        DbgCnt = {};
        DebugShow = false;
        UserPara = {};
        UserPara.PortInfo.ComName = FPty->SlavePath();
        UserPara.PortInfo.BaudRate = 9600;
        UserPara.PortInfo.ReadIntervalTimeout = 20;
        UserPara.PortInfo.MaxReSend = 2;
        FFrm = std::make_unique<TFrmCom>(*FEvents, *FData);
        FFrm->findChild<TBeatTimer*>("Timer1")->Stop();
        QVERIFY(FFrm->IsCommOpen());
    }
    void cleanup() {
        FFrm.reset();
        ManualSendMode = 0;
        DebugShow = false;
    }

    // Shown: echoes and refreshes run and "Debug show" mirrors the flag;
    // hidden: they stop and the window is back in Auto.
    void showingAndHiding() {
        QCOMPARE(FFrm->windowTitle(), QString("Trace"));
        QCOMPARE(FFrm->size(), QSize(880, 527));
        auto* edtTx = Child<QLineEdit>(FFrm.get(), "edtTx");
        auto* send = Child<QPushButton>(FFrm.get(), "btnMSend");
        QVERIFY(edtTx->isEnabled());
        QVERIFY(send->isEnabled());
        Deliver(*FFrm, "~20");
        QCOMPARE(MemoRx()->toPlainText(), QString());

        DebugShow = true;
        FFrm->show();
        QVERIFY(FFrm->Engine().TraceVisible);
        QVERIFY(Child<QCheckBox>(FFrm.get(), "chkDbgShow")->isChecked());
        Child<QCheckBox>(FFrm.get(), "chkDbgShow")->click();
        QVERIFY(!DebugShow);
        Child<QRadioButton>(FFrm.get(), "rbManual")->click();
        QCOMPARE(ManualSendMode, uint8_t(255));
        Child<QRadioButton>(FFrm.get(), "rbAuto")->click();
        QCOMPARE(ManualSendMode, uint8_t(0));
        QVERIFY(!edtTx->isEnabled());
        Child<QRadioButton>(FFrm.get(), "rbManual")->click();
        QVERIFY(edtTx->isEnabled());
        QVERIFY(send->isEnabled());

        FFrm->hide();
        QVERIFY(!FFrm->Engine().TraceVisible);
        QCOMPARE(ManualSendMode, uint8_t(0));
        QVERIFY(Child<QRadioButton>(FFrm.get(), "rbAuto")->isChecked());
        QVERIFY(!send->isEnabled());
        FFrm->show();
        QVERIFY(FFrm->Engine().TraceVisible);
    }

    // Hex pairs each followed by a blank, or the characters with 0x7F for
    // the others; the memo is emptied before a line beyond 400.
    void echoFormatsAndLineCap() {
        FFrm->show();
        Deliver(*FFrm, std::string("\x01\x03\xAB", 3));
        QCOMPARE(Lines(MemoRx()), QStringList{"01 03 AB "});
        Child<QCheckBox>(FFrm.get(), "checkbox1")->setChecked(false);
        Deliver(*FFrm, "~20 1A\r");
        QCOMPARE(Lines(MemoRx()).last(), QString("~20") + QChar(0x7F) + "1A");

        MemoRx()->clear();
        for (int i = 0; i < 401; ++i)
            FFrm->TraceView().EchoReceived(reinterpret_cast<const uint8_t*>("7E"), 2);
        QCOMPARE(Lines(MemoRx()).size(), 401);
        Deliver(*FFrm, "31");
        QCOMPARE(Lines(MemoRx()), QStringList{"31"});
    }

    // A line spewing garbage: the chunks echoed between refreshes reach the
    // memo in one append on every third tick, and the line cap ends the
    // batch as it would have ended line by line.
    void echoIsBatchedOnEveryThirdRefresh() {
        FFrm->show();
        auto* memo = Child<QPlainTextEdit>(FFrm.get(), "MemoRx");
        int changes = 0;
        connect(memo->document(), &QTextDocument::contentsChange, this, [&] { ++changes; });
        for (int tick = 1; tick <= 2 * TTraceView::EchoFlushRefreshes; ++tick) {
            const int before = changes;
            for (int i = 0; i < 500; ++i)
                Deliver(*FFrm, std::string("\xFE\x01garbage", 9));
            FFrm->Timer1Timer();
            QCOMPARE(changes > before, tick % TTraceView::EchoFlushRefreshes == 0);
        }
        // 3000 lines one by one: emptied at 402, 803, ... 2808, then 192 more.
        const QStringList lines = Lines(memo);
        QCOMPARE(lines.size(), 3000 % (TTraceView::MemoLineLimit + 1));
        QCOMPARE(lines.first(), QString("FE 01 67 61 72 62 61 67 65 "));
    }

    // Modbus and VEX traffic is binary: activating the window turns both
    // memos to hex.
    void activationShowsModbusAsHex() {
        UserPara.PortInfo.Protocol = 2;
        Child<QCheckBox>(FFrm.get(), "checkbox1")->setChecked(false);
        Child<QCheckBox>(FFrm.get(), "CheckBox2")->setChecked(false);
        FFrm->show();
        FFrm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(FFrm.get()));
        QVERIFY(Child<QCheckBox>(FFrm.get(), "checkbox1")->isChecked());
        QVERIFY(Child<QCheckBox>(FFrm.get(), "CheckBox2")->isChecked());
    }

    // From 20 the grid shows the numbers 20..119 with their values, in
    // decimal or hex; the statistics line and the letters follow the counters.
    void refreshShowsGridAndCounters() {
        FFrm->show();
        auto* grid = Child<QTableWidget>(FFrm.get(), "strGrdDbg");
        QCOMPARE(grid->rowCount(), 101);
        Child<QSpinBox>(FFrm.get(), "medtAddr")->setValue(20);
        CommDebug.ErrCnt[2] = 2;
        CommDebug.ErrCnt[5] = 1;
        FFrm->Timer1Timer(); // builds a request
        FFrm->Timer1Timer(); // sends it
        QCOMPARE(grid->item(0, 0)->text(), QString());
        QCOMPARE(grid->item(1, 0)->text(), QString("20"));
        QCOMPARE(grid->item(100, 0)->text(), QString("119"));
        QVERIFY(grid->item(2, 1)->text() != "0");            // 21: the port is open
        QCOMPARE(grid->item(3, 1)->text(), QString("9600")); // 22
        QCOMPARE(grid->item(81, 1)->text(), QString("1"));   // 100: TxFrames
        QCOMPARE(grid->item(38, 1)->text(), QString("2"));   // 57: wait over, sent
        QCOMPARE(Child<QLabel>(FFrm.get(), "lb_CommInfo")->text(),
                 QString("Send:1;  AcK:0;  AckOK:0;  Rate:0.0"));
        QCOMPARE(Child<QLabel>(FFrm.get(), "lb_CommErr")->text(), QString("C:2; F:1; "));
        QCOMPARE(Child<QLineEdit>(FFrm.get(), "edtReCnt")->text(), QString("1"));
        QCOMPARE(Lines(MemoTx()).size(), 1);

        Child<QCheckBox>(FFrm.get(), "chkHex")->setChecked(true);
        FFrm->Timer1Timer();
        QCOMPARE(grid->item(3, 1)->text(), QString("2580"));
        QCOMPARE(grid->item(1, 1)->text(), QString("0000"));

        // Hidden, the grid is left alone.
        FFrm->hide();
        CommDebug.TxFrames = 77;
        FFrm->Timer1Timer();
        QCOMPARE(grid->item(81, 1)->text(), QString("0001"));
    }

    // Every listed address and every address asked has a row with its
    // figures; the heading carries the bus cycle once there is one.
    void busHealthListsEachAddress() {
        BusHealth.Reset();
        EquipList = {};
        QVERIFY(AppendEquip({0, 9, "UPS 9"}));
        BusHealth.Units[3].Requests = 4;
        BusHealth.Units[3].GoodReplies = 3;
        BusHealth.Units[3].Rejects[5] = 1;
        BusHealth.NoteGoodReply(3, 42, FFrm->Engine().Clock() - 1500);
        FFrm->show();
        FFrm->Timer1Timer();
        auto* table = Child<QTableWidget>(FFrm.get(), "grdBusHealth");
        QCOMPARE(table->rowCount(), 2);
        const QStringList three{"3", "4", "4", "1 (F 1)", "42", "10", "1.5 s"};
        for (int column = 0; column < three.size(); ++column)
            QCOMPARE(table->item(0, column)->text(), three[column]);
        QCOMPARE(table->item(1, 0)->text(), QString("9"));
        QCOMPARE(table->item(1, 5)->text(), QString("-"));
        QCOMPARE(table->item(1, 6)->text(), QString("none"));
        QCOMPARE(Child<QLabel>(FFrm.get(), "lblBusCycle")->text(), QString("Bus health"));
        BusHealth.LastCycleMs = 12400;
        FFrm->Timer1Timer();
        QCOMPARE(Child<QLabel>(FFrm.get(), "lblBusCycle")->text(),
                 QString("Bus health - Bus cycle 12.4 s"));
        BusHealth.Reset();
        EquipList = {};
    }

    // Tab leaves both grids of the window; Ctrl+Tab moves inside the debug grid.
    void gridsLetTabLeave() {
        FFrm->show();
        VerifyTabLeavesGrid(Child<QTableWidget>(FFrm.get(), "grdBusHealth"));
        VerifyTabLeavesGrid(Child<QTableWidget>(FFrm.get(), "strGrdDbg"));
        VerifyCtrlTabMovesInside(Child<QTableWidget>(FFrm.get(), "strGrdDbg"));
    }

    // "Clear" zeroes the statistics and letters but not the grid's counters;
    // a double-click on the grid zeroes those; one on a memo empties it.
    void clearActions() {
        FFrm->show();
        Deliver(*FFrm, "x");
        FFrm->TraceView().EchoSent(reinterpret_cast<const uint8_t*>("7E"), 2);
        CommDebug.TxFrames = 5;
        CommDebug.RxGood = 4;
        CommDebug.ErrCnt[0] = 3;
        CommDebug.ErrCnt[7] = 6;
        DbgCnt[0] = 8;
        DbgVal[11] = 9;
        QTest::mouseClick(Child<QPushButton>(FFrm.get(), "btnClrRx"), Qt::LeftButton);
        QCOMPARE(MemoRx()->toPlainText(), QString());
        QCOMPARE(CommDebug.TxFrames, 0);
        QCOMPARE(CommDebug.RxFrames, 0);
        QCOMPARE(CommDebug.RxGood, 0);
        QCOMPARE(CommDebug.ErrCnt[0], 0);
        QCOMPARE(CommDebug.ErrCnt[7], 6);
        QCOMPARE(Child<QLabel>(FFrm.get(), "lb_CommErr")->text(), QString());
        QCOMPARE(DbgCnt[0], 8);

        auto* grid = Child<QTableWidget>(FFrm.get(), "strGrdDbg");
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton);
        QCOMPARE(DbgCnt[0], 0);
        QCOMPARE(DbgVal[11], 0);

        QCOMPARE(Lines(MemoTx()).size(), 1);
        QTest::mouseDClick(MemoTx()->viewport(), Qt::LeftButton);
        QCOMPARE(MemoTx()->toPlainText(), QString());
        Deliver(*FFrm, "x");
        QTest::mouseDClick(MemoRx()->viewport(), Qt::LeftButton);
        QCOMPARE(MemoRx()->toPlainText(), QString());
    }

    // Manual mode builds no request; "Send" puts the typed frame on the line
    // once and into the send memo, whatever the "ASCII" boxes say.
    void manualSend() {
        FFrm->show();
        Child<QRadioButton>(FFrm.get(), "rbManual")->click();
        for (int i = 0; i < 30; ++i)
            FFrm->Timer1Timer();
        QCOMPARE(CommDebug.TxFrames, 0);
        Child<QCheckBox>(FFrm.get(), "CheckBox2")->setChecked(false);
        Child<QLineEdit>(FFrm.get(), "edtTx")->setText("7e 31 32-33 0D 0a");
        QTest::mouseClick(Child<QPushButton>(FFrm.get(), "btnMSend"), Qt::LeftButton);
        QCOMPARE(FPty->Read(6, 5s), std::string("~123\r\n"));
        QCOMPARE(CommDebug.TxFrames, 1);
        QCOMPARE(Lines(MemoTx()), (QStringList{"~123", ""}));

        // An empty text sends nothing but counts a frame.
        Child<QLineEdit>(FFrm.get(), "edtTx")->clear();
        QTest::mouseClick(Child<QPushButton>(FFrm.get(), "btnMSend"), Qt::LeftButton);
        QCOMPARE(CommDebug.TxFrames, 2);

        // A frame longer than the transmit buffer is refused with a message.
        Child<QLineEdit>(FFrm.get(), "edtTx")->setText(QString("AA").repeated(257));
        QString told;
        QTimer::singleShot(0, this, [&] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                told = box->findChild<QLabel*>("qt_msgbox_label")->text();
                box->close();
            }
        });
        QTest::mouseClick(Child<QPushButton>(FFrm.get(), "btnMSend"), Qt::LeftButton);
        QCOMPARE(told, QString("The frame has 257 bytes; at most 256 can be sent."));
        QCOMPARE(CommDebug.TxFrames, 2);
        QCOMPARE(FPty->Read(1, 200ms), std::string());
    }
};

QTEST_MAIN(TestTraceWindow)
#include "test_tracewindow.moc"
