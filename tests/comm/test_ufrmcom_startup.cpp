// The start-up path of the poll engine's window when the port cannot be
// opened: the port error, then the software parameter dialog, in which the
// user mends the port; the engine then runs on the port chosen.

#include "base/LangText.h"
#include "base/ProgramFolder.h"
#include "comm/UFrmCom.h"
#include "config/UFrmSoftWarePara.h"
#include "config/UUserParaIni.h"
#include "logging/UDataLogClass.h"
#include "logging/uEventLogClass.h"
#include "record/EquipList.h"
#include "record/UpsRecordOps.h"
#include "tests/comm/PtyHarness.h"
#include "tests/support/AutoStartFolders.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TempFolder.h"

#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <memory>

class TestFrmComStartup : public QObject {
    Q_OBJECT

    std::unique_ptr<TTempFolder> FTemp;
    std::unique_ptr<TPtyPair> FPty;
    std::unique_ptr<TEventLog> FEvents;
    std::unique_ptr<TDataLog> FData;
    QStringList FSeen; // what came up, in order

    // The port error box: noted and confirmed.
    TModalDriver::THandler ConfirmPortError() {
        return [this](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box != nullptr);
            FSeen << box->text();
            box->accept();
        };
    }

private slots:
    void init() {
        FTemp = std::make_unique<TTempFolder>();
        SetProgramFolder(FTemp->Path());
        PointAutoStartFoldersAt(FTemp->Path());
        FPty = std::make_unique<TPtyPair>();
        FEvents = std::make_unique<TEventLog>(FTemp->Path() + "Record/", EventLogFileName,
                                              FTemp->Path() + "Backup/");
        FData = std::make_unique<TDataLog>(FTemp->Path() + "Record/");
        InitTable();
        EquipList = {};
        UserPara = {};
        UserPara.PortInfo.ComName = FTemp->Path() + "no-such-port";
        UserPara.PortInfo.BaudRate = 9600;
        UserPara.PortInfo.ReadIntervalTimeout = 20;
        UserPara.PortInfo.MaxReSend = 2;
        FillLangText(0);
        FSeen.clear();
    }

    void aWrongPortIsMendedInTheDialog() {
        TModalDriver modals;
        modals.Then(ConfirmPortError());
        const QString pty = QString::fromStdString(FPty->SlavePath());
        modals.Then([&](QWidget* modal) {
            QVERIFY(qobject_cast<TFrmSoftwarePara*>(modal));
            auto* ports = modal->findChild<QComboBox*>("cbxComName");
            FSeen << ports->currentText();
            ports->addItem(pty); // as an adapter that shows up in the list
            ports->setCurrentText(pty);
            modal->findChild<QComboBox*>("cbxcurProtocol")->setCurrentIndex(2);
            modal->findChild<QPushButton*>("SaveSetBtn")->click();
        });
        int layouts = 0;
        TFrmCom frm(*FEvents, *FData, nullptr, [&layouts] { ++layouts; });
        QVERIFY(modals.AllHandled());
        QCOMPARE(FSeen.size(), 2);
        QVERIFY(FSeen[0].endsWith(QString::fromStdString(LangText.PortError)));
        QCOMPARE(FSeen[1], QString::fromStdString(FTemp->Path() + "no-such-port"));
        QVERIFY(frm.IsCommOpen());
        QCOMPARE(layouts, 1);
        const std::string ini = ReadBytes(UserParaPath());
        QVERIFY(ini.find("ComName=" + FPty->SlavePath() + "\n") != std::string::npos);
        QVERIFY(ini.find("Protocol=2\n") != std::string::npos);
    }

    void cancelledTheMonitorRunsWithThePortClosed() {
        TModalDriver modals;
        modals.Then(ConfirmPortError());
        modals.Then([](QWidget* modal) {
            QVERIFY(qobject_cast<TFrmSoftwarePara*>(modal));
            modal->findChild<QPushButton*>("Button4")->click();
        });
        int layouts = 0;
        TFrmCom frm(*FEvents, *FData, nullptr, [&layouts] { ++layouts; });
        QVERIFY(modals.AllHandled());
        QVERIFY(!frm.IsCommOpen());
        QCOMPARE(layouts, 0);
        QVERIFY(!FileExists(UserParaPath()));
    }

    // The box names the port and why it could not be opened, in the system's
    // words (and in Chinese for the usual reasons); an agent or another
    // monitor holding the line is named as such.
    void thePortErrorNamesThePortAndTheReason_data() {
        QTest::addColumn<int>("situation");
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>("lines");
        const QString missing = QString::fromLocal8Bit(std::strerror(ENOENT));
        const QString noTerminal = QString::fromLocal8Bit(std::strerror(ENOTTY));
        QTest::newRow("no such device") << 0 << 0 << QStringList{"Reason: " + missing};
        QTest::newRow("no such device, Chinese")
            << 0 << 1 << QStringList{"原因:没有这个设备 (" + missing + ")"};
        QTest::newRow("not a terminal") << 1 << 0 << QStringList{"Reason: " + noTerminal};
        QTest::newRow("not a terminal, Chinese")
            << 1 << 1 << QStringList{"原因:不是串口设备 (" + noTerminal + ")"};
        QTest::newRow("held") << 2 << 0 << QStringList{};
        QTest::newRow("held, Chinese") << 2 << 1 << QStringList{};
    }

    void thePortErrorNamesThePortAndTheReason() {
        QFETCH(int, situation);
        QFETCH(int, language);
        QFETCH(QStringList, lines);
        UserPara.Language = uint8_t(language);
        FillLangText(uint8_t(language));
        const std::string port = situation == 0   ? FTemp->Path() + "no-such-port"
                                 : situation == 1 ? FTemp->Path() + "plain-file"
                                                  : FPty->SlavePath();
        WriteBytes(FTemp->Path() + "plain-file", "");
        UserPara.PortInfo.ComName = port;
        TQueueSink sink;
        TComm holder(sink); // the other program's port
        if (situation == 2) {
            holder.SetCommName(port);
            holder.OpenPort();
        }
        TModalDriver modals;
        modals.Then(ConfirmPortError());
        modals.Then([](QWidget* modal) {
            QVERIFY(qobject_cast<TFrmSoftwarePara*>(modal));
            modal->findChild<QPushButton*>("Button4")->click();
        });
        TFrmCom frm(*FEvents, *FData, nullptr, {});
        QVERIFY(modals.AllHandled());
        QVERIFY(!frm.IsCommOpen());
        const QString advice =
            QString::fromStdString(situation == 2 ? LangText.PortBusy : LangText.PortError);
        QStringList expected{(language == 1 ? "串口:" : "Serial port: ") +
                             QString::fromStdString(port)};
        expected << lines << advice;
        QCOMPARE(FSeen, QStringList{expected.join('\n')});
        QVERIFY(LangText.PortBusy != LangText.PortError);
    }
};

QTEST_MAIN(TestFrmComStartup)
#include "test_ufrmcom_startup.moc"
