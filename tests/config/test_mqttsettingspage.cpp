// The MQTT page of the software parameter dialog: it shows [Mqtt], Save
// writes it (and only when changed, so an untouched file keeps no new
// section), a change restarts publishing, and "Test connection" hands the
// shown settings to the program's test and shows its answer.

#include "base/ProgramFolder.h"
#include "config/IniFile.h"
#include "config/UFrmSoftWarePara.h"
#include "config/UUserParaIni.h"
#include "tests/support/TempFolder.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <memory>

class TestMqttSettingsPage : public QObject {
    Q_OBJECT

    std::unique_ptr<TTempFolder> FTemp;
    int FChanges = 0;
    std::vector<TMqttSettings> FTested;

    std::unique_ptr<TFrmSoftwarePara> MakeDialog(bool withTest = true) {
        TSoftwareParaHooks hooks;
        hooks.MqttChanged = [this] { ++FChanges; };
        if (withTest)
            hooks.TestMqtt = [this](const TMqttSettings& s) {
                FTested.push_back(s);
                return TMqttTestAnswer{
                    TMqttTestAnswer::TKind::Connected, s.Host + ":" + std::to_string(s.Port), {}};
            };
        auto dialog = std::make_unique<TFrmSoftwarePara>(
            std::move(hooks), nullptr,
            TAutoStartFolders{FTemp->Path() + "xdg/", FTemp->Path() + "home/"},
            TSerialRoots{FTemp->Path() + "dev/", FTemp->Path() + "sys/"});
        dialog->ShowError = [](QWidget*, const QString& text) { qWarning() << text; };
        return dialog;
    }
    template <typename T> static T* Child(QWidget& dialog, const char* name) {
        T* child = dialog.findChild<T*>(name);
        if (child == nullptr)
            qFatal("no %s", name);
        return child;
    }
    std::string Ini() const { return ReadBytes(UserParaPath()); }

private slots:
    void init() {
        FTemp = std::make_unique<TTempFolder>();
        SetProgramFolder(FTemp->Path());
        FChanges = 0;
        FTested.clear();
        UserPara = {};
        UserPara.PortInfo.ComName = "COM1";
    }

    void showsAndSavesTheSection() {
        WriteBytes(UserParaPath(), "[Mqtt]\nHost=broker.lan\nPort=8883\nTls=1\nInterval=30\n");
        auto dialog = MakeDialog();
        dialog->show();
        QCOMPARE(Child<QLineEdit>(*dialog, "edtMqttHost")->text(), QString("broker.lan"));
        QCOMPARE(Child<QSpinBox>(*dialog, "spnMqttPort")->value(), 8883);
        QVERIFY(Child<QCheckBox>(*dialog, "chkMqttTls")->isChecked());
        QVERIFY(Child<QLineEdit>(*dialog, "edtMqttCaFile")->isEnabled());
        QCOMPARE(Child<QSpinBox>(*dialog, "spnMqttInterval")->value(), 30);

        Child<QLineEdit>(*dialog, "edtMqttUser")->setText("ups");
        Child<QLineEdit>(*dialog, "edtMqttPasswordFile")->setText("/etc/pelmora/pass");
        QTest::mouseClick(Child<QPushButton>(*dialog, "SaveSetBtn"), Qt::LeftButton);
        QCOMPARE(FChanges, 1);
        TIniFile ini;
        QCOMPARE(ini.Load(UserParaPath()), TIniFile::TLoadResult::Read);
        const TMqttSettings saved = LoadMqttSettings(ini);
        QCOMPARE(saved.Host, std::string("broker.lan"));
        QCOMPARE(saved.User, std::string("ups"));
        QCOMPARE(saved.PasswordFile, std::string("/etc/pelmora/pass"));
        QCOMPARE(saved.Port, uint16_t(8883));
    }

    void anUntouchedPageWritesNothingAndRestartsNothing() {
        auto dialog = MakeDialog();
        dialog->show();
        QCOMPARE(Child<QLineEdit>(*dialog, "edtMqttHost")->text(), QString());
        QTest::mouseClick(Child<QPushButton>(*dialog, "SaveSetBtn"), Qt::LeftButton);
        QCOMPARE(FChanges, 0);
        QVERIFY(Ini().find("[Mqtt]") == std::string::npos);
    }

    void testConnectionTriesWhatIsShown() {
        auto dialog = MakeDialog();
        dialog->show();
        auto* test = Child<QPushButton>(*dialog, "btnMqttTest");
        QVERIFY(test->isVisible());
        QTest::mouseClick(test, Qt::LeftButton);
        QVERIFY(FTested.empty()); // no host: nothing to try
        Child<QLineEdit>(*dialog, "edtMqttHost")->setText(" 127.0.0.1 ");
        Child<QSpinBox>(*dialog, "spnMqttPort")->setValue(1884);
        QTest::mouseClick(test, Qt::LeftButton);
        QCOMPARE(FTested.size(), std::size_t(1));
        QCOMPARE(FTested[0].Host, std::string("127.0.0.1"));
        QCOMPARE(Child<QLabel>(*dialog, "lblMqttTestResult")->text(),
                 QString("Connected to 127.0.0.1:1884"));
        QVERIFY2(!FileExists(UserParaPath()), "a test saves nothing");

        // The answer reads in the window's language, with the reason as given.
        UserPara.Language = 1;
        auto chinese = MakeDialog();
        chinese->show();
        Child<QLineEdit>(*chinese, "edtMqttHost")->setText("127.0.0.1");
        Child<QSpinBox>(*chinese, "spnMqttPort")->setValue(1884);
        QTest::mouseClick(Child<QPushButton>(*chinese, "btnMqttTest"), Qt::LeftButton);
        QCOMPARE(Child<QLabel>(*chinese, "lblMqttTestResult")->text(),
                 QString::fromUtf8("已连接到 127.0.0.1:1884"));

        auto without = MakeDialog(false);
        without->show();
        QVERIFY(!Child<QPushButton>(*without, "btnMqttTest")->isVisible());
    }

    void everyAnswerReadsInBothLanguages_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("chinese");
        using K = TMqttTestAnswer::TKind;
        QTest::newRow("connected")
            << int(K::Connected) << "Connected to h:1" << QString::fromUtf8("已连接到 h:1");
        QTest::newRow("refused") << int(K::Refused) << "h:1 refused the connection: why"
                                 << QString::fromUtf8("h:1 拒绝了连接:why");
        QTest::newRow("cannot connect") << int(K::CannotConnect) << "Cannot connect to h:1: why"
                                        << QString::fromUtf8("无法连接到 h:1:why");
        QTest::newRow("no answer") << int(K::NoAnswer) << "No answer from h:1 within 5 s"
                                   << QString::fromUtf8("h:1 在 5 秒内没有应答");
        QTest::newRow("unusable") << int(K::Unusable) << "why"
                                  << QString::fromUtf8("设置无法使用:why");
    }
    void everyAnswerReadsInBothLanguages() {
        QFETCH(int, kind);
        QFETCH(QString, english);
        QFETCH(QString, chinese);
        const TMqttTestAnswer answer{TMqttTestAnswer::TKind(kind), "h:1", "why", 5};
        UserPara.Language = 0;
        QCOMPARE(MqttTestAnswerText(answer), english);
        UserPara.Language = 1;
        QCOMPARE(MqttTestAnswerText(answer), chinese);
    }
};

QTEST_MAIN(TestMqttSettingsPage)
#include "test_mqttsettingspage.moc"
