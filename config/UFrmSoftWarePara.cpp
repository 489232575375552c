#include "config/UFrmSoftWarePara.h"

#include "config/CurrentText.h"
#include "config/IniFile.h"
#include "config/NotifySettingsPage.h"
#include "config/SoftwareParaChoices.h"
#include "config/UUserParaIni.h"
#include "ui/DialogKeys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>

namespace {
constexpr TTextPair TxtCaption{"软件参数设定", "Software Parameter Setting"};
constexpr TTextPair TxtComName{"通讯串口", "COM"};
constexpr TTextPair TxtBaudRate{"波特率", "Baud Rate"};
constexpr TTextPair TxtProtocol{"通讯协议:", "Protocol:"};
constexpr TTextPair TxtAutoStart{"开机自启动", "Automatic Run Program At Windows Startup"};
constexpr TTextPair TxtFastPoll{"快速轮询", "Fast poll"};
constexpr TTextPair TxtSave{"保存设置", "Save Setting"};

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}
} // namespace

TFrmSoftwarePara::TFrmSoftwarePara(TSoftwareParaHooks hooks, QWidget* parent,
                                   TAutoStartFolders autoStartFolders, TSerialRoots serialRoots)
    : QDialog(parent), FHooks(std::move(hooks)), FAutoStartFolders(std::move(autoStartFolders)),
      FSerialRoots(std::move(serialRoots)) {
    setObjectName("FrmSoftWarePara");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    ShowError = [](QWidget* owner, const QString& text) {
        QMessageBox::critical(owner, QCoreApplication::applicationName(), text);
    };

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    lblComName = new QLabel(this);
    cbxComName = new QComboBox(this);
    cbxComName->setObjectName("cbxComName");
    cbxComName->setMaxVisibleItems(16);
    lblBaudRate = new QLabel(this);
    cbxBaudRate = new QComboBox(this);
    cbxBaudRate->setObjectName("cbxBaudRate");
    for (const char* baud : BaudRateTexts)
        cbxBaudRate->addItem(QString::fromLatin1(baud));
    lblProtocol = new QLabel(this);
    cbxcurProtocol = new QComboBox(this);
    cbxcurProtocol->setObjectName("cbxcurProtocol");
    for (int i = 0; i < ProtocolCount; ++i)
        cbxcurProtocol->addItem(QString());
    grid->addWidget(lblComName, 0, 0);
    grid->addWidget(cbxComName, 0, 1);
    grid->addWidget(lblBaudRate, 1, 0);
    grid->addWidget(cbxBaudRate, 1, 1);
    grid->addWidget(lblProtocol, 2, 0);
    grid->addWidget(cbxcurProtocol, 2, 1);
    grid->setColumnStretch(1, 1);
    crbAutoStartup = new QCheckBox(this);
    crbAutoStartup->setObjectName("crbAutoStartup");
    crbFastPoll = new QCheckBox(this);
    crbFastPoll->setObjectName("crbFastPoll");
    FNotifyPage = new TNotifySettingsPage(this);

    SaveSetBtn = new QPushButton(this);
    SaveSetBtn->setObjectName("SaveSetBtn");
    Button4 = new QPushButton(this);
    Button4->setObjectName("Button4");
    connect(SaveSetBtn, &QPushButton::clicked, this, &TFrmSoftwarePara::SaveSetBtnClick);
    connect(Button4, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(SaveSetBtn);
    buttons->addWidget(Button4);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addWidget(crbAutoStartup);
    layout->addWidget(crbFastPoll);
    FMqttPage = new TMqttSettingsPage(FHooks.TestMqtt, this);
    layout->addWidget(FMqttPage);
    layout->addWidget(FNotifyPage);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    setMinimumWidth(380);
    lblComName->setBuddy(cbxComName);
    lblBaudRate->setBuddy(cbxBaudRate);
    lblProtocol->setBuddy(cbxcurProtocol);
    std::vector<QWidget*> order{cbxComName, cbxBaudRate, cbxcurProtocol, crbAutoStartup,
                                crbFastPoll};
    for (const QWidget* part :
         {static_cast<QWidget*>(FMqttPage), static_cast<QWidget*>(FNotifyPage)})
        for (QWidget* control : TabControlsOf(part))
            order.push_back(control);
    order.push_back(SaveSetBtn);
    order.push_back(Button4);
    SetDialogKeys(this, order, SaveSetBtn);
}

void TFrmSoftwarePara::showEvent(QShowEvent* event) {
    SetCaptions();
    ShowSettings();
    QDialog::showEvent(event);
}

void TFrmSoftwarePara::SetCaptions() {
    setWindowTitle(CurrentText(TxtCaption));
    lblComName->setText(CurrentText(TxtComName));
    lblBaudRate->setText(CurrentText(TxtBaudRate));
    lblProtocol->setText(CurrentText(TxtProtocol));
    for (int i = 0; i < ProtocolCount; ++i)
        cbxcurProtocol->setItemText(i, CurrentText(ProtocolTexts[i]));
    crbAutoStartup->setText(CurrentText(TxtAutoStart));
    crbFastPoll->setText(CurrentText(TxtFastPoll));
    SaveSetBtn->setText(CurrentText(TxtSave));
    Button4->setText(CurrentText(CancelButtonText));
    FMqttPage->SetCaptions();
    FNotifyPage->SetCaptions();
}

// The port list is made afresh at each showing, so that an adapter plugged in
// since shows up.
void TFrmSoftwarePara::ShowSettings() {
    TPortInfo& info = UserPara.PortInfo;
    const std::vector<std::string> ports = SerialPortList(info.ComName, FSerialRoots);
    cbxComName->clear();
    for (const std::string& port : ports)
        cbxComName->addItem(Q(port));
    const TSoftwareParaChoices choices = ChoicesOnShow(info, ports);
    cbxComName->setCurrentIndex(choices.PortIndex);
    cbxBaudRate->setCurrentIndex(choices.BaudIndex);
    cbxcurProtocol->setCurrentIndex(choices.ProtocolIndex);
    // The box shows the setting; Save makes the desktop's entry agree with it.
    crbAutoStartup->setChecked(info.AutoStart);
    crbFastPoll->setChecked(info.FastPoll);
    FMqttPage->Show(ReadMqttSettings(UserParaPath()));
    FNotifyPage->Show(NotifyPara);
}

TAutoStartEntry TFrmSoftwarePara::AutoStartEntry() const {
    return {FAutoStartFolders, QCoreApplication::applicationName().toStdString(),
            QCoreApplication::applicationFilePath().toStdString()};
}

void TFrmSoftwarePara::SaveSetBtnClick() {
    // Told before anything changes, so the path can be put right at once.
    if (const QString error = FNotifyPage->CommandError(); !error.isEmpty()) {
        ShowError(this, error);
        return;
    }
    TPortInfo& info = UserPara.PortInfo;
    TakeChoices(info, cbxComName->currentText().toStdString(),
                cbxBaudRate->currentText().toStdString(), cbxcurProtocol->currentIndex(),
                crbAutoStartup->isChecked());
    info.FastPoll = crbFastPoll->isChecked();
    try {
        AutoStartEntry().Apply(info.AutoStart);
    } catch (const std::exception& e) {
        // The port and the settings are still worth saving; the box will
        // show the truth when the dialog is next opened.
        ShowError(this, QString::fromUtf8(e.what()));
    }
    try {
        if (FHooks.OpenComm)
            FHooks.OpenComm();
    } catch (const std::exception& e) {
        ShowError(this, QString::fromUtf8(e.what()));
        return;
    }
    if (FHooks.ApplyProtocolLayout)
        FHooks.ApplyProtocolLayout();
    const TMqttSettings mqtt = FMqttPage->Settings();
    const bool mqttChanged = mqtt != ReadMqttSettings(UserParaPath());
    NotifyPara = FNotifyPage->Taken(NotifyPara);
    try {
        SaveUserPara([&](TIniFile& ini) {
            StoreNotifySettings(NotifyPara, ini);
            // The MQTT section is written only when changed: a file of a
            // user who never set up MQTT stays as it was.
            if (mqttChanged)
                StoreMqttSettings(ini, mqtt);
        });
    } catch (const std::exception& e) {
        ShowError(this, QString::fromUtf8(e.what()));
        return;
    }
    if (mqttChanged && FHooks.MqttChanged)
        FHooks.MqttChanged();
    accept();
}
