// The main window's settings and control commands: user setting, software
// parameters (menu and tool bar), battery test and remote on/off behind the
// password gate. Autostart folders and the program folder are temporary.

#include "app/UFrmMain.h"
#include "base/ProgramFolder.h"
#include "comm/PortControl.h"
#include "config/UFrmSoftWarePara.h"
#include "config/UUserParaIni.h"
#include "control/uFrmTest.h"
#include "control/uFrmTurnOn.h"
#include "control/uFrmUserData.h"
#include "control/uPassWord.h"
#include "record/EquipList.h"
#include "record/UpsInfoRec.h"
#include "tests/support/AutoStartFolders.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TempFolder.h"
#include "ui/BeatTimer.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

#include <memory>

namespace {
// The port as the poll engine window offers it; opening always succeeds.
struct TOpenablePort : TPortControl {
    int Opens = 0;
    bool IsCommOpen() const override { return Opens > 0; }
    void OpenComm() override { ++Opens; }
    void CloseComm() override {}
    void StopForExit() override {}
};

constexpr uint8_t Unit = 5;
} // namespace

class TestFrmMainControl : public QObject {
    Q_OBJECT

    std::unique_ptr<TTempFolder> FTemp;
    std::unique_ptr<TFrmMain> FWin;
    TOpenablePort FPort;
    QStringList FTold;
    QList<QMessageBox::Icon> FIcons;

    TFrmMain& Create() {
        FWin = std::make_unique<TFrmMain>();
        FWin->findChild<TBeatTimer*>("Timer1")->Stop();
        FWin->Prompts.Tell = [this](QWidget*, QMessageBox::Icon icon, const QString& text) {
            FTold << text;
            FIcons << icon;
        };
        FWin->SetPortControl(&FPort);
        return *FWin;
    }
    QAction* Action(const char* name) {
        auto* action = FWin->findChild<QAction*>(name);
        if (action == nullptr)
            qFatal("no %s", name);
        return action;
    }
    // A gate handler that types the model and presses OK.
    static TModalDriver::THandler TypeModel(const char* model) {
        return [model](QWidget* gate) {
            QVERIFY(qobject_cast<TfrmPSW*>(gate));
            gate->findChild<QLineEdit*>("edtPSW")->setText(model);
            gate->findChild<QPushButton*>("btnOK")->click();
        };
    }

private slots:
    void init() {
        FTemp = std::make_unique<TTempFolder>();
        SetProgramFolder(FTemp->Path());
        PointAutoStartFoldersAt(FTemp->Path());
        EquipList = {};
        TEquipItem item;
        item.Address = Unit;
        item.Name = "UPS 5";
        const TEquipRecord record = EncodeEquipRecord(item);
        std::filesystem::create_directories(FTemp->Path() + "Record");
        WriteBytes(FTemp->Path() + "Record/TreeNode.dat",
                   std::string(reinterpret_cast<const char*>(record.data()), record.size()));
        WriteBytes(FTemp->Path() + "UserParaIni.ini", "[CommPort]\nProtocol=2\n");
        FPort = {};
        FTold.clear();
        FIcons.clear();
    }
    void cleanup() { FWin.reset(); }

    void userSetRefusesADeviceNotCommunicating() {
        TFrmMain& w = Create();
        QCOMPARE(w.GetSelDevAddr(), Unit);
        Action("mni101")->trigger();
        QCOMPARE(FTold, QStringList{"The device is not communication!"});
        QCOMPARE(FIcons.last(), QMessageBox::Warning); // nothing to confirm
        QVERIFY(w.findChild<TFrmUserSet*>() == nullptr);

        Action("mni401")->trigger(); // Chinese
        Action("mni101")->trigger();
        QCOMPARE(FTold.last(), QString::fromUtf8("该设备未联机!"));
    }

    void userSetShowsOneWindowForTheSelectedDevice() {
        TFrmMain& w = Create();
        UpsTable[Unit].CommState = CommCommunicating;
        UpsTable[Unit].ParallelId = 9;
        FPort.OpenComm();
        Action("mni101")->trigger();
        auto* window = w.findChild<TFrmUserSet*>();
        QVERIFY(window != nullptr);
        QVERIFY(window->isVisible());
        QVERIFY(!window->isModal());
        QCOMPARE(window->findChild<QLineEdit*>("edtSysID")->text(), QString("9"));
        window->close();
        Action("mni101")->trigger();
        QCOMPARE(w.findChildren<TFrmUserSet*>().size(), qsizetype(1));
        QVERIFY(window->isVisible());
        QVERIFY(FTold.isEmpty());
    }

    // Save from the main window reopens the port and adapts the window at once.
    void softwareParametersFromMenuAndToolBar() {
        TFrmMain& w = Create();
        QCOMPARE(w.findChild<QLabel*>("lblProtocol")->text(), QString("2"));
        TModalDriver modals;
        modals.Then([](QWidget* dialog) {
            QVERIFY(qobject_cast<TFrmSoftwarePara*>(dialog));
            dialog->findChild<QComboBox*>("cbxcurProtocol")->setCurrentIndex(1);
            dialog->findChild<QPushButton*>("SaveSetBtn")->click();
        });
        Action("mni102")->trigger();
        QVERIFY(modals.AllHandled());
        QCOMPARE(FPort.Opens, 1);
        QCOMPARE(w.findChild<QLabel*>("lblProtocol")->text(), QString("1"));
        QVERIFY(ReadBytes(UserParaPath()).find("Protocol=1") != std::string::npos);

        modals.Then([](QWidget* dialog) {
            QVERIFY(qobject_cast<TFrmSoftwarePara*>(dialog));
            qobject_cast<QDialog*>(dialog)->reject();
        });
        w.findChild<QToolBar*>("ToolBar1")->findChild<QAction*>("ToolButton1")->trigger();
        QCOMPARE(modals.Handled(), 2);
        QCOMPARE(FPort.Opens, 1);
    }

    void batteryTestAndOnOffOpenOnlyAfterTheGate() {
        Create();
        TModalDriver modals;
        bool testShown = false;
        bool onOffShown = false;
        modals.Then(TypeModel("VEX610"));
        modals.Then([&](QWidget* dialog) {
            testShown = qobject_cast<TFrmTest*>(dialog) != nullptr;
            qobject_cast<QDialog*>(dialog)->reject();
        });
        Action("mni301")->trigger();
        QVERIFY(testShown);

        modals.Then(TypeModel("QRT5100"));
        modals.Then([&](QWidget* dialog) {
            onOffShown = qobject_cast<TfrmTrunOn*>(dialog) != nullptr;
            qobject_cast<QDialog*>(dialog)->reject();
        });
        Action("mniTurnOn")->trigger();
        QVERIFY(onOffShown);

        // A cancelled gate: nothing behind it opens.
        modals.Then([](QWidget* gate) { qobject_cast<QDialog*>(gate)->reject(); });
        Action("mni301")->trigger();
        QCOMPARE(modals.Handled(), 5);
        QVERIFY(modals.AllHandled());
    }
};

QTEST_MAIN(TestFrmMainControl)
#include "test_frmmain_control.moc"
