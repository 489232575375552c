// The dialogs as a keyboard user and a screen reader meet them: focus starts
// in the first input, Tab walks the controls in the order they are seen,
// Escape closes with nothing done, and every control has a name in both
// languages. One table row per dialog.

#include "base/ProgramFolder.h"
#include "base/SharedFlags.h"
#include "config/UFrmSoftWarePara.h"
#include "config/UUserParaIni.h"
#include "control/uFrmDataSet.h"
#include "control/uFrmTest.h"
#include "control/uFrmTurnOn.h"
#include "control/uFrmUserData.h"
#include "control/uPassWord.h"
#include "devices/UFrmAbout.h"
#include "devices/UFrmNewEquip.h"
#include "devices/UFrmProperty.h"
#include "devices/uFrmEquipSearch.h"
#include "logviews/UFrmDataLogSet.h"
#include "logviews/UFrmDelDataRec.h"
#include "protocol/uKModbus.h"
#include "record/EquipList.h"
#include "record/UpsRecordOps.h"
#include "tests/support/TempFolder.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QMessageBox>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <memory>
#include <vector>

namespace {
constexpr uint8_t Selected = 5;

// What a dialog may have done; Escape must leave all of it as it was.
struct TEffects {
    int Calls = 0; // callbacks into the main window: add, rename, reopen, restart, ...
};

struct TDialogCase {
    const char* Name;
    std::function<std::unique_ptr<QDialog>(TEffects&, const std::string& folder)> Make;
    // The focusable controls in visual order; the first holds the focus at
    // the start. Empty for a dialog that keeps the focus on itself.
    QStringList Order;
    // Run after the dialog is shown, before the order is walked.
    std::function<void(QDialog&)> Prepare = {};
};

TControlContext Context() {
    return {[] { return Selected; }, [] { return true; }};
}

QString FocusName() {
    QWidget* focus = QApplication::focusWidget();
    return focus == nullptr ? QString("(none)") : focus->objectName();
}

template <typename T> T* Child(QWidget& dialog, const char* name) {
    T* child = dialog.findChild<T*>(name);
    if (child == nullptr)
        qFatal("no %s", name);
    return child;
}

const std::vector<TDialogCase>& Dialogs() {
    static const std::vector<TDialogCase> cases = {
        {"add device",
         [](TEffects& e, const std::string&) {
             return std::make_unique<TFrmNewEquip>([&e](const TEquipItem&) { ++e.Calls; });
         },
         {"edtName", "cbAddress", "btnOK", "btnCancel"}},
        {"device property",
         [](TEffects& e, const std::string&) {
             return std::make_unique<TFrmProperty>(0, 1,
                                                   [&e](int, std::string_view) { ++e.Calls; });
         },
         {"edtName", "btnOK", "btnCancel"}}, // the address cannot be changed
        {"search",
         [](TEffects& e, const std::string&) {
             return std::make_unique<TFrmEquipSearch>([&e] { ++e.Calls; });
         },
         {"seFrom", "seTo", "btnSearch", "lbSearched", "btnSelOne", "btnSelAll", "sgAppend",
          "btnClear", "btnAppend", "lbExisted"}},
        {"about",
         [](TEffects& e, const std::string&) {
             return std::make_unique<TFrmAbout>(
                 TTraceDoor{[&e] { ++e.Calls; }, [&e] { ++e.Calls; }});
         },
         {}},
        {"software parameters",
         [](TEffects& e, const std::string& folder) {
             TSoftwareParaHooks hooks{[&e] { ++e.Calls; }, [&e] { ++e.Calls; }};
             return std::make_unique<TFrmSoftwarePara>(
                 std::move(hooks), nullptr,
                 TAutoStartFolders{folder + "xdg/autostart/", folder + "config/autostart/"},
                 TSerialRoots{folder + "dev/", folder + "sys/"});
         },
         {"cbxComName", "cbxBaudRate", "cbxcurProtocol", "crbAutoStartup", "crbFastPoll",
          // The MQTT part (the CA file and the test wait for TLS and a host),
          "edtMqttHost", "spnMqttPort", "edtMqttClientId", "edtMqttUser", "edtMqttPasswordFile",
          "edtMqttTopicPrefix", "chkMqttTls", "spnMqttInterval",
          // then the notifications part.
          "crbDesktop", "edtGather", "crbOnBattery", "crbBatteryLow", "crbFault", "crbOverload",
          "crbBypass", "crbCommLost", "crbPortLost", "edtCommand", "edtTimeLimit", "crbCloseToTray",
          "SaveSetBtn", "Button4"}},
        {"data log setting",
         [](TEffects& e, const std::string&) {
             return std::make_unique<TFrmDataLogSet>([&e] { ++e.Calls; });
         },
         {"cbRecord", "seInterval", "btnOK", "btnCancel"},
         [](QDialog& d) { Child<QCheckBox>(d, "cbRecord")->setChecked(true); }},
        {"delete records",
         [](TEffects&, const std::string& folder) {
             auto dialog = std::make_unique<TFrmDelDataRec>(folder);
             dialog->Prompts.Ask = [](QWidget*, const QString&, const QString&) { return true; };
             return dialog;
         },
         {"lbMonths", "btnDelete"}},
        {"password",
         [](TEffects&, const std::string&) { return std::make_unique<TfrmPSW>(); },
         {"edtPSW", "btnOK", "btnCancle"}},
        {"battery test",
         [](TEffects&, const std::string&) { return std::make_unique<TFrmTest>(Context()); },
         {"Edit1", "Button1", "Button2"}},
        {"on/off",
         [](TEffects&, const std::string&) { return std::make_unique<TfrmTrunOn>(Context()); },
         {"rbOn", "btnSure"}}, // the arrows move between On and Off
        {"user set",
         [](TEffects&, const std::string&) { return std::make_unique<TFrmUserSet>(Context()); },
         {"btnSet"}},
        {"parameter, an entry",
         [](TEffects&, const std::string&) { return std::make_unique<TFrmDataSet>(Context()); },
         {"ListBox1", "Edit1", "btnSetTo"},
         [](QDialog& d) { Child<QListWidget>(d, "ListBox1")->setCurrentRow(8); }},
        {"parameter, a list",
         [](TEffects&, const std::string&) { return std::make_unique<TFrmDataSet>(Context()); },
         {"ListBox1", "ComboBox1", "btnSetTo"},
         [](QDialog& d) { Child<QListWidget>(d, "ListBox1")->setCurrentRow(0); }},
        {"parameter, the switches",
         [](TEffects&, const std::string&) { return std::make_unique<TFrmDataSet>(Context()); },
         {"ListBox1", "RadioGroup4Enable", "RadioGroup5Enable", "btnSetTo"},
         [](QDialog& d) { Child<QListWidget>(d, "ListBox1")->setCurrentRow(15); }},
    };
    return cases;
}

// Controls a screen reader lands on: those that take the focus, less the
// parts of a control that the control itself names (the entry of a spin
// box, the scroll bars of a list).
bool IsNamedControl(QWidget* widget, QWidget* dialog) {
    if (widget->focusPolicy() == Qt::NoFocus || !widget->isVisibleTo(dialog))
        return false;
    if (qobject_cast<QScrollBar*>(widget))
        return false;
    QWidget* parent = widget->parentWidget();
    return !qobject_cast<QAbstractSpinBox*>(parent) && !qobject_cast<QComboBox*>(parent);
}

} // namespace

class TestDialogManners : public QObject {
    Q_OBJECT

    std::unique_ptr<TTempFolder> FTemp;
    TEffects FEffects;

    const TDialogCase& Case() {
        QFETCH(int, row);
        return Dialogs()[std::size_t(row)];
    }
    std::unique_ptr<QDialog> Show(const TDialogCase& c) {
        std::unique_ptr<QDialog> dialog = c.Make(FEffects, FTemp->Path());
        dialog->show();
        if (!QTest::qWaitForWindowActive(dialog.get()))
            qFatal("%s did not become active", c.Name);
        if (c.Prepare)
            c.Prepare(*dialog);
        return dialog;
    }
    static void Rows() {
        QTest::addColumn<int>("row");
        for (std::size_t i = 0; i < Dialogs().size(); ++i)
            QTest::newRow(Dialogs()[i].Name) << int(i);
    }

private slots:
    void init() {
        FTemp = std::make_unique<TTempFolder>();
        SetProgramFolder(FTemp->Path());
        FEffects = {};
        InitTable();
        UpsTable[Selected].CommState = CommCommunicating;
        CommandQueue = {};
        ModelName.clear();
        UserPara = {};
        UserPara.PortInfo.Protocol = 2;
        EquipList = {};
        QVERIFY(AppendEquip({0, Selected, "UPS 5"}));
        WriteBytes(FTemp->Path() + "DataLog_2026_11.dat", std::string(64, '\0'));
    }
    void cleanup() { FTemp.reset(); }

    void focusStartsInTheFirstInputAndTabFollowsTheOrder_data() { Rows(); }
    void focusStartsInTheFirstInputAndTabFollowsTheOrder() {
        const TDialogCase& c = Case();
        std::unique_ptr<QDialog> dialog = Show(c);
        if (c.Order.isEmpty()) {
            QCOMPARE(QApplication::focusWidget(), dialog.get());
            return;
        }
        QStringList walked;
        for (int i = 0; i < c.Order.size() && QApplication::focusWidget(); ++i) {
            walked << FocusName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(walked, c.Order);
        // Round the ring and back to the start.
        QCOMPARE(FocusName(), c.Order.front());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(FocusName(), c.Order.back());
    }

    // Something typed into the first input, then Escape: the dialog is gone
    // and nothing reached the unit, the settings, the device list or a file.
    void escapeClosesWithNothingDone_data() { Rows(); }
    void escapeClosesWithNothingDone() {
        const TDialogCase& c = Case();
        const std::string ini = UserParaPath();
        std::unique_ptr<QDialog> dialog = Show(c);
        QTest::keyClicks(QApplication::focusWidget(), "7");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QCOMPARE(FEffects.Calls, 0);
        QCOMPARE(EquipList.Count, 1);
        QCOMPARE(std::string(EquipList.At(1).Name), std::string("UPS 5"));
        for (const TCommandSlot& slot : CommandQueue)
            QCOMPARE(slot.Pending, uint8_t(0));
        QVERIFY(ModelName.empty());
        QVERIFY(UserPara.PortInfo.Protocol == 2);
        QVERIFY(!FileExists(ini));
        QVERIFY(FileExists(FTemp->Path() + "DataLog_2026_11.dat"));
    }

    // Every control a screen reader can land on is heard by a name, in
    // Chinese and in English.
    void everyControlHasANameInBothLanguages_data() { Rows(); }
    void everyControlHasANameInBothLanguages() {
        const TDialogCase& c = Case();
        for (const uint8_t language : {uint8_t(1), uint8_t(0)}) {
            UserPara.Language = language;
            std::unique_ptr<QDialog> dialog = Show(c);
            QStringList unnamed;
            for (QWidget* widget : dialog->findChildren<QWidget*>()) {
                if (!IsNamedControl(widget, dialog.get()))
                    continue;
                QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(widget);
                if (reader == nullptr || reader->text(QAccessible::Name).trimmed().isEmpty())
                    unnamed << widget->metaObject()->className() + QString(' ') +
                                   widget->objectName();
            }
            QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(", ")));
            QVERIFY(!QAccessible::queryAccessibleInterface(dialog.get())
                         ->text(QAccessible::Name)
                         .isEmpty());
        }
    }

    // A refused entry is a warning with OK, not a question.
    void wrongPasswordIsAWarningWithOk() {
        TfrmPSW gate;
        gate.show();
        QVERIFY(QTest::qWaitForWindowActive(&gate));
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        QTimer::singleShot(0, &gate, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            icon = box->icon();
            buttons = box->standardButtons();
            box->accept();
        });
        QTest::keyClicks(&gate, "VEX999");
        gate.btnOKClick();
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
};

QTEST_MAIN(TestDialogManners)
#include "test_dialogmanners.moc"
