// The control windows on the offscreen platform: the password gate, the
// parameter dialog, the battery test and on/off dialogs and the user setting
// window, filling the real command queue from the real device records.

#include "base/SharedFlags.h"
#include "config/UUserParaIni.h"
#include "control/uFrmDataSet.h"
#include "control/uFrmTest.h"
#include "control/uFrmTurnOn.h"
#include "control/uFrmUserData.h"
#include "control/uPassWord.h"
#include "protocol/uKModbus.h"
#include "record/EquipList.h"
#include "record/UpsRecordOps.h"
#include "tests/support/ModalDriver.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <memory>

namespace {
constexpr uint8_t Selected = 5;
} // namespace

class TestControlWindows : public QObject {
    Q_OBJECT

    QStringList FTold;
    bool FPortOpen = true;

    TControlContext Context() {
        return {[] { return Selected; }, [this] { return FPortOpen; }};
    }
    // Answers the confirmations in turn and keeps their texts.
    QStringList FAsked;
    QList<bool> FAnswers;
    TConfirmUser Answers(QList<bool> answers) {
        FAnswers = std::move(answers);
        return [this](QWidget*, const QString& text) {
            FAsked << text;
            return !FAnswers.isEmpty() && FAnswers.takeFirst();
        };
    }
    TTellUser Recorder() {
        return [this](QWidget*, const QString& text) { FTold << text; };
    }
    template <typename T> static T* Child(QWidget& window, const char* name) {
        T* child = window.findChild<T*>(name);
        if (child == nullptr)
            qFatal("no %s", name);
        return child;
    }
    static QStringList Items(QComboBox* box) {
        QStringList out;
        for (int i = 0; i < box->count(); ++i)
            out << box->itemText(i);
        return out;
    }
    // The radio button of a group by its text.
    static QRadioButton* Radio(QWidget& window, const char* group, const QString& text) {
        for (auto* button : Child<QGroupBox>(window, group)->findChildren<QRadioButton*>()) {
            if (button->text() == text)
                return button;
        }
        qFatal("no %s", qPrintable(text));
    }
    static TUpsInfoRec& Device() { return UpsTable[Selected]; }

private slots:
    void init() {
        InitTable();
        Device().CommState = CommCommunicating;
        CommandQueue = {};
        CommandValue = 0;
        ParamWrite = {};
        ModelName.clear();
        UserPara = {};
        UserPara.PortInfo.Protocol = 2;
        FTold.clear();
        FAsked.clear();
        FPortOpen = true;
        EquipList = {};
        QVERIFY(AppendEquip({0, Selected, "UPS 5"}));
    }

    // --- Password gate

    void gateGivesUpAtTheThirdRefusal() {
        TfrmPSW gate;
        gate.Tell = Recorder();
        gate.show();
        QCOMPARE(gate.size(), QSize(342, 234));
        QCOMPARE(gate.windowTitle(), QString("Input Password"));
        QCOMPARE(Child<QPushButton>(gate, "btnCancle")->text(), QString("Cancle"));
        auto* entry = Child<QLineEdit>(gate, "edtPSW");
        QCOMPARE(entry->maxLength(), 10);
        for (int press = 1; press <= 3; ++press) {
            entry->setText(QString("wrong%1").arg(press));
            Child<QPushButton>(gate, "btnOK")->click();
            QCOMPARE(FTold.size(), press);
            QCOMPARE(gate.isVisible(), press < 3);
        }
        QCOMPARE(FTold.last(), QString("Password is invalid."));
        QCOMPARE(gate.result(), int(QDialog::Rejected));
        QCOMPARE(ModelName, std::string("wrong3"));
    }

    void gateEnterMovesToOkThenAccepts() {
        UserPara.Language = 1;
        TfrmPSW gate;
        gate.Tell = Recorder();
        gate.show();
        QVERIFY(QTest::qWaitForWindowActive(&gate));
        auto* entry = Child<QLineEdit>(gate, "edtPSW");
        entry->setFocus();
        QTest::keyClicks(entry, " VEX610RT");
        QTest::keyClick(entry, Qt::Key_Return);
        QVERIFY(gate.isVisible());
        QCOMPARE(QApplication::focusWidget(), Child<QPushButton>(gate, "btnOK"));
        QTest::keyClick(Child<QPushButton>(gate, "btnOK"), Qt::Key_Return);
        QCOMPARE(gate.result(), int(QDialog::Accepted));
        QCOMPARE(ModelName, std::string("VEX610RT"));
        QVERIFY(FTold.isEmpty());
    }

    void gateCancelKeepsTheModelName() {
        ModelName = "typed before";
        UserPara.Language = 1;
        TfrmPSW gate;
        gate.Tell = Recorder();
        gate.show();
        Child<QLineEdit>(gate, "edtPSW")->setText("QRT5100");
        Child<QPushButton>(gate, "btnCancle")->click();
        QCOMPARE(gate.result(), int(QDialog::Rejected));
        QCOMPARE(ModelName, std::string("typed before"));
        gate.show();
        Child<QLineEdit>(gate, "edtPSW")->clear();
        Child<QPushButton>(gate, "btnOK")->click();
        QCOMPARE(FTold, QStringList{QString::fromUtf8("密码无效")});
    }

    // --- Parameter dialog

    void parameterListFollowsTheModelAndLanguage() {
        {
            TFrmDataSet dialog(Context());
            dialog.show();
            QCOMPARE(Child<QListWidget>(dialog, "ListBox1")->count(), 19);
            QCOMPARE(Child<QListWidget>(dialog, "ListBox1")->item(15)->text(),
                     QString("Staus Control"));
            QVERIFY(!Child<QGroupBox>(dialog, "grpSetting")->isVisible());
        }
        ModelName = "VEX610RT";
        UserPara.Language = 1;
        TFrmDataSet dialog(Context());
        dialog.show();
        QCOMPARE(Child<QListWidget>(dialog, "ListBox1")->count(), 20);
        QCOMPARE(Child<QListWidget>(dialog, "ListBox1")->item(19)->text(),
                 QString::fromUtf8("操作模式"));
        QCOMPARE(dialog.windowTitle(), QString::fromUtf8("数据设置"));
    }

    // Until an item is chosen there is no value, also when the list takes the focus.
    void theListTakingTheFocusChoosesNothing() {
        TFrmDataSet dialog(Context());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        Child<QListWidget>(dialog, "ListBox1")->setFocus();
        QCOMPARE(dialog.SelItem(), -1);
        QVERIFY(!Child<QGroupBox>(dialog, "grpSetting")->isVisible());
        QTest::keyClick(Child<QListWidget>(dialog, "ListBox1"), Qt::Key_Down);
        QVERIFY(Child<QGroupBox>(dialog, "grpSetting")->isVisible());
    }

    void aDeviceNotCommunicatingShowsNoValue() {
        Device().CommState = CommError;
        TFrmDataSet dialog(Context());
        dialog.show();
        Child<QListWidget>(dialog, "ListBox1")->setCurrentRow(0);
        QCOMPARE(dialog.SelItem(), 0);
        QVERIFY(!Child<QGroupBox>(dialog, "grpSetting")->isVisible());
    }

    void aListItemOffersTheAllowedValuesAndQueuesTheChoice() {
        Device().SysVoltLevel = 230;
        Device().BypassVoltUpper = 22; // between two entries
        TFrmDataSet dialog(Context());
        dialog.Tell = Recorder();
        dialog.show();
        Child<QListWidget>(dialog, "ListBox1")->setCurrentRow(4);
        auto* list = Child<QComboBox>(dialog, "ComboBox1");
        QVERIFY(list->isVisible());
        QVERIFY(!Child<QLineEdit>(dialog, "Edit1")->isVisible());
        QCOMPARE(Items(list), (QStringList{"10%", "15%", "20%"}));
        QCOMPARE(list->currentIndex(), -1);
        QCOMPARE(dialog.SelRegister(), uint16_t(40012));

        Child<QPushButton>(dialog, "btnSetTo")->click();
        QCOMPARE(FTold, QStringList{"[Bypass Volt Upper Limit] value is invalid"});
        QCOMPARE(CommandQueue[0].Pending, uint8_t(0));

        list->setCurrentIndex(2);
        Child<QPushButton>(dialog, "btnSetTo")->click();
        QCOMPARE(CommandQueue[0].Pending, uint8_t(255));
        QCOMPARE(CommandQueue[0].Slave, Selected);
        QCOMPARE(CommandQueue[0].Register, 40012);
        QCOMPARE(ParamWrite.BypassVoltUpper, uint8_t(20));
        QCOMPARE(ParamWrite.SysVoltLevel, uint8_t(230));
    }

    void aClosedPortQueuesNothing() {
        FPortOpen = false;
        UserPara.Language = 1;
        TFrmDataSet dialog(Context());
        dialog.Tell = Recorder();
        dialog.show();
        Child<QListWidget>(dialog, "ListBox1")->setCurrentRow(2);
        Child<QComboBox>(dialog, "ComboBox1")->setCurrentIndex(1);
        Child<QPushButton>(dialog, "btnSetTo")->click();
        QCOMPARE(FTold, QStringList{QString::fromUtf8("串口已关闭")});
        QCOMPARE(CommandQueue[0].Pending, uint8_t(0));
    }

    void anEntryIsFilteredCheckedAndRewritten() {
        Device().BattCapacityAh = 100;
        Device().BattGroups = 2;
        Device().MaxChargeCur = 12;
        TFrmDataSet dialog(Context());
        dialog.Tell = Recorder();
        dialog.show();
        Child<QListWidget>(dialog, "ListBox1")->setCurrentRow(13);
        auto* entry = Child<QLineEdit>(dialog, "Edit1");
        QVERIFY(entry->isVisible());
        QCOMPARE(entry->text(), QString("12"));
        entry->clear();
        QTest::keyClicks(entry, "9");
        QTest::keyClick(entry, Qt::Key_A, Qt::ControlModifier); // select all still works
        QTest::keyClicks(entry, "5a1-");
        QCOMPARE(entry->text(), QString("51"));
        Child<QPushButton>(dialog, "btnSetTo")->click();
        QCOMPARE(FTold, QStringList{"[Max Charge current] value is invalid"});
        QCOMPARE(entry->text(), QString("50"));
        QCOMPARE(CommandQueue[0].Pending, uint8_t(0));
        Child<QPushButton>(dialog, "btnSetTo")->click();
        QCOMPARE(CommandQueue[0].Register, 40023);
        QCOMPARE(ParamWrite.MaxChargeCur, uint16_t(50));
    }

    void theShownValueIsTakenWhenTheItemIsSelectedAgain() {
        Device().EodVolt = 175;
        TFrmDataSet dialog(Context());
        dialog.show();
        auto* items = Child<QListWidget>(dialog, "ListBox1");
        items->setCurrentRow(11);
        QCOMPARE(Child<QLineEdit>(dialog, "Edit1")->text(), QString("1.75"));
        Device().EodVolt = 180;
        QCOMPARE(Child<QLineEdit>(dialog, "Edit1")->text(), QString("1.75"));
        QTest::mouseClick(items->viewport(), Qt::LeftButton, {},
                          items->visualItemRect(items->item(11)).center());
        QCOMPARE(Child<QLineEdit>(dialog, "Edit1")->text(), QString("1.80"));
    }

    // A value with more digits than the register holds: the field shows what
    // was written.
    void anAcceptedEntryShowsTheValueWritten() {
        Device().EodVolt = 175;
        TFrmDataSet dialog(Context());
        dialog.Tell = Recorder();
        dialog.show();
        Child<QListWidget>(dialog, "ListBox1")->setCurrentRow(11);
        auto* entry = Child<QLineEdit>(dialog, "Edit1");
        entry->setText("1.755");
        Child<QPushButton>(dialog, "btnSetTo")->click();
        QCOMPARE(FTold, QStringList{});
        QCOMPARE(CommandQueue[0].Pending, uint8_t(255));
        QCOMPARE(entry->text(), QString("1.75"));
    }

    void theSwitchesWriteOnlyTheirBits() {
        Device().StatusControl = 0x2F0F;
        TFrmDataSet dialog(Context());
        dialog.show();
        Child<QListWidget>(dialog, "ListBox1")->setCurrentRow(15);
        QVERIFY(Child<QGroupBox>(dialog, "RadioGroup4")->isVisible());
        QVERIFY(!Child<QComboBox>(dialog, "ComboBox1")->isVisible());
        QVERIFY(Radio(dialog, "RadioGroup4", "Enable")->isChecked());
        QVERIFY(Radio(dialog, "RadioGroup5", "Disable")->isChecked());
        Radio(dialog, "RadioGroup4", "Disable")->setChecked(true);
        Radio(dialog, "RadioGroup5", "Enable")->setChecked(true);
        Child<QPushButton>(dialog, "btnSetTo")->click();
        QCOMPARE(ParamWrite.StatusControl, uint16_t(0x1000));
        QCOMPARE(CommandQueue[0].Register, 40027);
    }

    void theLockedModelQueuesTheUnlockFirst() {
        ModelName = "LNM7100";
        TFrmDataSet dialog(Context());
        dialog.show();
        Child<QListWidget>(dialog, "ListBox1")->setCurrentRow(0);
        Child<QComboBox>(dialog, "ComboBox1")->setCurrentIndex(1);
        Child<QPushButton>(dialog, "btnSetTo")->click();
        QCOMPARE(CommandQueue[0].Register, 50000);
        QCOMPARE(CommandQueue[1].Register, 40004);
        QCOMPARE(CommandQueue[1].Pending, uint8_t(255));
        QCOMPARE(ParamWrite.WorkMode, 1);
    }

    // --- Battery test and on/off

    void batteryTestQueuesTheTimeTyped() {
        TFrmTest dialog(Context());
        dialog.Tell = Recorder();
        dialog.Confirm = Answers({false, true, true});
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QString("Battery Test - UPS 5 (address 5)"));
        QCOMPARE(Child<QLabel>(dialog, "lblUnit")->text(), QString("Unit: UPS 5 (address 5)"));
        auto* entry = Child<QLineEdit>(dialog, "Edit1");
        QCOMPARE(entry->text(), QString("60"));
        Child<QPushButton>(dialog, "Button1")->click();
        QCOMPARE(CommandQueue[1].Pending, uint8_t(0)); // answered No: nothing sent
        QCOMPARE(FAsked, QStringList{"UPS 5 (address 5) will supply its load from the battery "
                                     "for 60 s.\nStart the battery test?"});
        Child<QPushButton>(dialog, "Button1")->click();
        QCOMPARE(CommandQueue[1].Register, 20003);
        QCOMPARE(CommandQueue[1].Slave, Selected);
        QCOMPARE(CommandValue, uint16_t(60));
        QVERIFY(dialog.isVisible());

        Child<QPushButton>(dialog, "Button2")->click();
        QCOMPARE(CommandValue, uint16_t(0));

        entry->clear();
        QTest::keyClicks(entry, "7.0x0000");
        QCOMPARE(entry->text(), QString("700000"));
        Child<QPushButton>(dialog, "Button1")->click();
        QCOMPARE(CommandValue, uint16_t(700000 & 0xFFFF));

        entry->clear();
        Child<QPushButton>(dialog, "Button1")->click();
        QCOMPARE(FTold, QStringList{"[Battery Test Time] value is invalid"});
    }

    void batteryTestNeedsModbusOrVex() {
        UserPara.PortInfo.Protocol = 1;
        UserPara.Language = 1;
        TFrmTest dialog(Context());
        dialog.show();
        QCOMPARE(Child<QLabel>(dialog, "Label1")->text(), QString::fromUtf8("自检时间（秒）"));
        Child<QPushButton>(dialog, "Button1")->click();
        QCOMPARE(CommandQueue[1].Pending, uint8_t(0));
    }

    // Escape closes either window and sends nothing.
    void escapeClosesWithoutACommand() {
        TFrmTest test(Context());
        test.show();
        QTest::keyClick(&test, Qt::Key_Escape);
        QVERIFY(!test.isVisible());
        TfrmTrunOn onOff(Context());
        onOff.show();
        Radio(onOff, "rg1", "Off")->setChecked(true);
        QTest::keyClick(&onOff, Qt::Key_Escape);
        QVERIFY(!onOff.isVisible());
        QCOMPARE(CommandQueue[1].Pending, uint8_t(0));
    }

    void controlWindowsNameTheUnitInChinese() {
        UserPara.Language = 1;
        TFrmTest test(Context());
        test.show();
        QCOMPARE(test.windowTitle(), QString::fromUtf8("电池自检 - UPS 5（地址 5）"));
        TfrmTrunOn onOff(Context());
        onOff.Confirm = Answers({false});
        onOff.show();
        QCOMPARE(onOff.windowTitle(), QString::fromUtf8("用户控制 - UPS 5（地址 5）"));
        Radio(onOff, "rg1", QString::fromUtf8("关机"))->setChecked(true);
        Child<QPushButton>(onOff, "btnSure")->click();
        QCOMPARE(FAsked, QStringList{QString::fromUtf8("UPS 5（地址 5） 将停止向负载供电。\n"
                                                       "确定关机吗？")});
    }

    void onOffQueuesTheChosenSwitch() {
        TfrmTrunOn dialog(Context());
        dialog.Confirm = Answers({false, true});
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QString("Remote Control - UPS 5 (address 5)"));
        QCOMPARE(Child<QLabel>(dialog, "pnl1")->text(),
                 QString("Turn  On/Off  UPS\nUPS 5 (address 5)"));
        Child<QPushButton>(dialog, "btnSure")->click();
        QCOMPARE(CommandQueue[1].Pending, uint8_t(0));
        Radio(dialog, "rg1", "Off")->setChecked(true);
        Child<QPushButton>(dialog, "btnSure")->click();
        QCOMPARE(CommandQueue[1].Pending, uint8_t(0)); // Off answered No: nothing sent
        QCOMPARE(FAsked, QStringList{"UPS 5 (address 5) will stop supplying its load.\n"
                                     "Turn it off?"});
        Child<QPushButton>(dialog, "btnSure")->click();
        QCOMPARE(CommandQueue[1].Register, 20002);
        QCOMPARE(CommandValue, uint16_t(1));
        Radio(dialog, "rg1", "On")->setChecked(true);
        Child<QPushButton>(dialog, "btnSure")->click();
        QCOMPARE(CommandQueue[1].Register, 20001);
    }

    void onOffClosesWhenAnotherWindowIsActivated() {
        QWidget other;
        other.show();
        TfrmTrunOn dialog(Context());
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QVERIFY(!dialog.isVisible());
    }

    // --- User setting window

    void userSetShowsTheRecordEverySecond() {
        Device().BypassVoltLower = -20;
        Device().InvVoltAdjust = 25;
        Device().StatusControl = 0x1000;
        TFrmUserSet window(Context());
        QVERIFY(!Child<QLabel>(window, "lbPreAlarm")->isVisibleTo(&window));
        window.show();
        QCOMPARE(Child<QLineEdit>(window, "edtBpsVMin")->text(), QString("-20%"));
        QCOMPARE(Child<QLineEdit>(window, "edtOutputVFine")->text(), QString("2.5%"));
        QCOMPARE(Child<QLineEdit>(window, "edtBuzzer")->text(), QString("disable"));
        QVERIFY(!Child<QGroupBox>(window, "grpOutput")->isVisible());

        const int ticks = DbgVal[DbgUserSetTicks];
        Device().BypassVoltLower = -30;
        ModelName = "VEX610RT";
        window.Timer1Timer();
        QCOMPARE(DbgVal[DbgUserSetTicks], ticks + 1);
        QCOMPARE(DbgVal[DbgUserSetTimerInterval], 1000);
        QCOMPARE(Child<QLineEdit>(window, "edtBpsVMin")->text(), QString("-30%"));
        QVERIFY(Child<QGroupBox>(window, "grpOutput")->isVisible());

        FPortOpen = false;
        window.Timer1Timer();
        QCOMPARE(Child<QLineEdit>(window, "edtBpsVMin")->text(), QString());
        QVERIFY(!Child<QPushButton>(window, "btnSet")->isEnabled());
    }

    void userSetEnablesSetOnlyWhileInFront() {
        TFrmUserSet window(Context());
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.Timer1Timer();
        QVERIFY(Child<QPushButton>(window, "btnSet")->isEnabled());
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        window.Timer1Timer();
        QVERIFY(!Child<QPushButton>(window, "btnSet")->isEnabled());
        QVERIFY(!Child<QLineEdit>(window, "edtSysID")->text().isEmpty());

        Device().CommState = CommLost;
        window.Timer1Timer();
        QVERIFY(Child<QLineEdit>(window, "edtSysID")->text().isEmpty());
    }

    void userSetCaptionsInChinese() {
        UserPara.Language = 1;
        TFrmUserSet window(Context());
        window.show();
        QCOMPARE(window.windowTitle(), QString::fromUtf8("用户设置量"));
        QCOMPARE(Child<QGroupBox>(window, "GroupBox2")->title(), QString::fromUtf8("电池设置"));
        QCOMPARE(Child<QLabel>(window, "Label10")->text(), QString::fromUtf8("旁路电压下限"));
    }

    // "Set" goes through the gate to a parameter dialog made for the model typed.
    void setLeadsThroughTheGateToTheParameterDialog() {
        TFrmUserSet window(Context());
        window.show();
        TModalDriver modals;
        int items = 0;
        QString gateTitle;
        modals.Then([&gateTitle](QWidget* gate) {
            gateTitle = gate->windowTitle();
            gate->findChild<QLineEdit*>("edtPSW")->setText("VEX610RT");
            gate->findChild<QPushButton*>("btnOK")->click();
        });
        modals.Then([&items](QWidget* dialog) {
            items = dialog->findChild<QListWidget*>("ListBox1")->count();
            qobject_cast<QDialog*>(dialog)->reject();
        });
        window.btnSetClick();
        QCOMPARE(items, 20);
        QCOMPARE(gateTitle, QString("Input Password - UPS 5 (address 5)"));
        QVERIFY(modals.AllHandled());

        // A cancelled gate opens nothing.
        modals.Then([](QWidget* gate) { qobject_cast<QDialog*>(gate)->reject(); });
        window.btnSetClick();
        QCOMPARE(modals.Handled(), 3);
    }
};

QTEST_MAIN(TestControlWindows)
#include "test_control_windows.moc"
