// The software parameter dialog with its autostart folders and serial device
// folders in a temporary folder: what it shows, and Save's order, including
// the path where the port cannot be opened.

#include "base/ProgramFolder.h"
#include "config/NotifySettings.h"
#include "config/UFrmSoftWarePara.h"
#include "config/UUserParaIni.h"
#include "tests/support/TempFolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class TestFrmSoftwarePara : public QObject {
    Q_OBJECT

    std::unique_ptr<TTempFolder> FTemp;
    std::vector<std::string> FCalls; // hooks and errors, in the order they came
    bool FPortFails = false;

    TAutoStartFolders Folders() const {
        return {FTemp->Path() + "xdg/autostart/", FTemp->Path() + "config/autostart/"};
    }
    std::string EntryPath() const { return Folders().Machine + "pelmora-test.desktop"; }

    std::unique_ptr<TFrmSoftwarePara> MakeDialog() {
        TSoftwareParaHooks hooks;
        hooks.OpenComm = [this] {
            FCalls.push_back("open " + UserPara.PortInfo.ComName);
            if (FPortFails)
                throw std::runtime_error("Error opening serial port");
        };
        hooks.ApplyProtocolLayout = [this] {
            FCalls.push_back("layout " + std::to_string(UserPara.PortInfo.Protocol));
        };
        auto dialog = std::make_unique<TFrmSoftwarePara>(
            std::move(hooks), nullptr, Folders(),
            TSerialRoots{FTemp->Path() + "dev/", FTemp->Path() + "sys/"});
        dialog->ShowError = [this](QWidget*, const QString& text) {
            FCalls.push_back("error " + text.toStdString());
        };
        return dialog;
    }

    template <typename T> static T* Child(QWidget& dialog, const char* name) {
        T* child = dialog.findChild<T*>(name);
        if (child == nullptr)
            qFatal("no %s", name);
        return child;
    }

private slots:
    void init() {
        QCoreApplication::setApplicationName("pelmora-test");
        FTemp = std::make_unique<TTempFolder>();
        SetProgramFolder(FTemp->Path());
        FCalls.clear();
        FPortFails = false;
        UserPara = {};
        UserPara.PortInfo.ComName = "COM12";
        UserPara.PortInfo.BaudRate = 19200;
        UserPara.PortInfo.Protocol = 9;
        UserPara.PortInfo.StopBits = 2;
        NotifyPara = {};
    }

    void showsTheSettingsAndMendsTheProtocolAtOnce() {
        auto dialog = MakeDialog();
        dialog->show();
        QCOMPARE(Child<QComboBox>(*dialog, "cbxComName")->currentText(), QString("COM12"));
        QCOMPARE(Child<QComboBox>(*dialog, "cbxComName")->count(), 256);
        QCOMPARE(Child<QComboBox>(*dialog, "cbxBaudRate")->currentText(), QString("2400"));
        QCOMPARE(Child<QComboBox>(*dialog, "cbxcurProtocol")->currentIndex(), 0);
        QCOMPARE(Child<QComboBox>(*dialog, "cbxcurProtocol")->currentText(),
                 QString("Multimode UPS"));
        QCOMPARE(UserPara.PortInfo.Protocol, uint8_t(0));
        QVERIFY(!Child<QCheckBox>(*dialog, "crbAutoStartup")->isChecked());
        QVERIFY(!Child<QCheckBox>(*dialog, "crbFastPoll")->isChecked());
        QCOMPARE(Child<QCheckBox>(*dialog, "crbFastPoll")->text(), QString("Fast poll"));
        QCOMPARE(dialog->windowTitle(), QString("Software Parameter Setting"));

        Child<QPushButton>(*dialog, "Button4")->click();
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QVERIFY(FCalls.empty());
        QVERIFY2(!FileExists(UserParaPath()), "Cancel writes nothing");
    }

    void chineseTexts() {
        UserPara.Language = 1;
        auto dialog = MakeDialog();
        dialog->show();
        QCOMPARE(dialog->windowTitle(), QString::fromUtf8("软件参数设定"));
        QCOMPARE(Child<QPushButton>(*dialog, "SaveSetBtn")->text(), QString::fromUtf8("保存设置"));
        QCOMPARE(Child<QComboBox>(*dialog, "cbxcurProtocol")->itemText(1),
                 QString::fromUtf8("三相工频UPS"));
        QCOMPARE(Child<QCheckBox>(*dialog, "crbAutoStartup")->text(),
                 QString::fromUtf8("开机自启动"));
        QCOMPARE(Child<QCheckBox>(*dialog, "crbFastPoll")->text(), QString::fromUtf8("快速轮询"));
    }

    void saveReopensThePortAdaptsTheWindowThenWritesTheFile() {
        auto dialog = MakeDialog();
        dialog->show();
        Child<QComboBox>(*dialog, "cbxComName")->setCurrentText("COM3");
        Child<QComboBox>(*dialog, "cbxBaudRate")->setCurrentText("4800");
        Child<QComboBox>(*dialog, "cbxcurProtocol")->setCurrentIndex(2);
        Child<QCheckBox>(*dialog, "crbAutoStartup")->setChecked(true);
        Child<QCheckBox>(*dialog, "crbFastPoll")->setChecked(true);
        Child<QPushButton>(*dialog, "SaveSetBtn")->click();

        QCOMPARE(FCalls, (std::vector<std::string>{"open COM3", "layout 2"}));
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QVERIFY(FileExists(EntryPath()));
        const std::string ini = ReadBytes(UserParaPath());
        QVERIFY(ini.find("ComName=COM3\n") != std::string::npos);
        QVERIFY(ini.find("BaudRate=4800\n") != std::string::npos);
        QVERIFY(ini.find("Protocol=2\n") != std::string::npos);
        QVERIFY(ini.find("AutoStart=1\n") != std::string::npos);
        QVERIFY(ini.find("StopBits=2\n") != std::string::npos);
        QVERIFY(ini.find("FastPoll=1\n") != std::string::npos);

        // Opened again: the boxes show the entry and fast poll; unticked,
        // Save removes the entry and turns fast poll off.
        auto again = MakeDialog();
        again->show();
        QVERIFY(Child<QCheckBox>(*again, "crbAutoStartup")->isChecked());
        QVERIFY(Child<QCheckBox>(*again, "crbFastPoll")->isChecked());
        Child<QCheckBox>(*again, "crbFastPoll")->setChecked(false);
        Child<QCheckBox>(*again, "crbAutoStartup")->setChecked(false);
        Child<QPushButton>(*again, "SaveSetBtn")->click();
        QVERIFY(!FileExists(EntryPath()));
        QVERIFY(ReadBytes(UserParaPath()).find("AutoStart=0\n") != std::string::npos);
        QVERIFY(ReadBytes(UserParaPath()).find("FastPoll=0\n") != std::string::npos);
    }

    // The box shows the setting, not whether an entry happens to exist; a
    // Save for another reason keeps the setting and makes the entry agree.
    void theAutostartBoxShowsTheSettingAndSaveMakesTheEntryAgree() {
        UserPara.PortInfo.AutoStart = 1;
        QVERIFY(!FileExists(EntryPath()));
        auto dialog = MakeDialog();
        dialog->show();
        QVERIFY(Child<QCheckBox>(*dialog, "crbAutoStartup")->isChecked());
        Child<QComboBox>(*dialog, "cbxComName")->setCurrentText("COM3");
        Child<QPushButton>(*dialog, "SaveSetBtn")->click();
        QVERIFY(FileExists(EntryPath()));
        QVERIFY(ReadBytes(UserParaPath()).find("AutoStart=1\n") != std::string::npos);
    }

    // The user can choose another port and save again.
    void aPortThatCannotBeOpenedKeepsTheDialogOpenAndTheFileUnwritten() {
        FPortFails = true;
        auto dialog = MakeDialog();
        dialog->show();
        Child<QComboBox>(*dialog, "cbxcurProtocol")->setCurrentIndex(3);
        Child<QPushButton>(*dialog, "SaveSetBtn")->click();
        QCOMPARE(FCalls,
                 (std::vector<std::string>{"open COM12", "error Error opening serial port"}));
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QVERIFY(!FileExists(UserParaPath()));
        QCOMPARE(UserPara.PortInfo.Protocol, uint8_t(3)); // the choices are in memory

        FPortFails = false;
        FCalls.clear();
        Child<QComboBox>(*dialog, "cbxComName")->setCurrentText("COM4");
        Child<QPushButton>(*dialog, "SaveSetBtn")->click();
        QCOMPARE(FCalls, (std::vector<std::string>{"open COM4", "layout 3"}));
        QVERIFY(!dialog->isVisible());
        QVERIFY(FileExists(UserParaPath()));
    }

    void anUnwritableSettingsFileKeepsTheDialogOpen() {
        WriteBytes(FTemp->Path() + "blocked", "");
        SetProgramFolder(FTemp->Path() + "blocked/");
        auto dialog = MakeDialog();
        dialog->show();
        Child<QPushButton>(*dialog, "SaveSetBtn")->click();
        QCOMPARE(FCalls.size(), std::size_t(3));
        QCOMPARE(FCalls[2], "error Unable to write to " + UserParaPath());
        QVERIFY(dialog->isVisible());
    }

    // A port given as a device path stays the selected entry.
    void notificationsAreSavedWithTheRestAndABadCommandIsRefused();

    void aDevicePathPortIsKept() {
        UserPara.PortInfo.ComName = "/dev/serial/by-id/usb-gone";
        auto dialog = MakeDialog();
        dialog->show();
        QCOMPARE(Child<QComboBox>(*dialog, "cbxComName")->currentText(),
                 QString("/dev/serial/by-id/usb-gone"));
        Child<QPushButton>(*dialog, "SaveSetBtn")->click();
        QCOMPARE(UserPara.PortInfo.ComName, std::string("/dev/serial/by-id/usb-gone"));
    }
};

// The notifications part: shown from the settings in use, written as
// [Notify] in the same save, other keys of the section kept; a command that
// cannot run is named and nothing changes.
void TestFrmSoftwarePara::notificationsAreSavedWithTheRestAndABadCommandIsRefused() {
    WriteBytes(UserParaPath(), "[Notify]\nSound=bell.wav\n");
    NotifyPara.GatherSeconds = 7;
    auto dialog = MakeDialog();
    dialog->show();
    QCOMPARE(Child<QSpinBox>(*dialog, "edtGather")->value(), 7);
    QVERIFY(Child<QCheckBox>(*dialog, "crbDesktop")->isChecked());
    QVERIFY(!Child<QCheckBox>(*dialog, "crbCloseToTray")->isChecked());

    const std::string script = FTemp->Path() + "notify.sh";
    WriteBytes(script, "#!/bin/sh\n"); // not executable yet
    Child<QLineEdit>(*dialog, "edtCommand")->setText(QString::fromStdString(script));
    Child<QCheckBox>(*dialog, "crbBypass")->setChecked(false);
    Child<QCheckBox>(*dialog, "crbCloseToTray")->setChecked(true);
    Child<QPushButton>(*dialog, "SaveSetBtn")->click();
    QCOMPARE(FCalls, (std::vector<std::string>{"error The event command cannot be run: " + script +
                                               " is not executable"}));
    QVERIFY(dialog->isVisible());
    QVERIFY(NotifyPara.Command.empty());

    std::filesystem::permissions(script, std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    Child<QPushButton>(*dialog, "SaveSetBtn")->click();
    QVERIFY(!dialog->isVisible());
    QCOMPARE(NotifyPara.Command, script);
    QVERIFY(!NotifyPara.Bypass);
    QVERIFY(NotifyPara.CloseToTray);
    const TNotifySettings stored = ReadNotifySettings(UserParaPath());
    QVERIFY(stored == NotifyPara);
    QVERIFY(ReadBytes(UserParaPath()).find("Sound=bell.wav\n") != std::string::npos);
}

QTEST_MAIN(TestFrmSoftwarePara)
#include "test_frmsoftwarepara.moc"
