#pragma once
// The software parameter dialog: serial port, baud rate, protocol and start
// with the desktop session. Save takes the choices into the settings, updates
// the autostart entry, reopens the port, adapts the main window to the
// protocol and writes the settings file, in that order; a port that cannot be
// opened shows its error and leaves the dialog open, the file unwritten, so
// that the user can choose another port and save again.

#include "config/AutoStartEntry.h"
#include "config/MqttSettingsPage.h"
#include "config/SerialPortList.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class TNotifySettingsPage;

struct TSoftwareParaHooks {
    // Reopens the port from the settings; throws std::exception whose what()
    // is the message for the user.
    std::function<void()> OpenComm;
    // Adapts the main window to the Protocol setting; may be empty.
    std::function<void()> ApplyProtocolLayout;
    // Tries the MQTT settings shown; may be empty (no "Test connection").
    TMqttConnectionTest TestMqtt = nullptr;
    // Called after a save that changed the [Mqtt] settings; may be empty.
    std::function<void()> MqttChanged = nullptr;
};

class TFrmSoftwarePara : public QDialog {
    Q_OBJECT
public:
    explicit TFrmSoftwarePara(TSoftwareParaHooks hooks, QWidget* parent = nullptr,
                              TAutoStartFolders autoStartFolders = DefaultAutoStartFolders(),
                              TSerialRoots serialRoots = {});

    // How an error reaches the user; a message box unless a test puts its own.
    std::function<void(QWidget* parent, const QString& text)> ShowError;

public slots:
    void SaveSetBtnClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SetCaptions();
    void ShowSettings();
    [[nodiscard]] TAutoStartEntry AutoStartEntry() const;

    TSoftwareParaHooks FHooks;
    TAutoStartFolders FAutoStartFolders;
    TSerialRoots FSerialRoots;

    QLabel* lblComName = nullptr;
    QComboBox* cbxComName = nullptr;
    QLabel* lblBaudRate = nullptr;
    QComboBox* cbxBaudRate = nullptr;
    QLabel* lblProtocol = nullptr;
    QComboBox* cbxcurProtocol = nullptr;
    QCheckBox* crbAutoStartup = nullptr;
    QCheckBox* crbFastPoll = nullptr;
    TNotifySettingsPage* FNotifyPage = nullptr;
    QPushButton* SaveSetBtn = nullptr;
    QPushButton* Button4 = nullptr;
    TMqttSettingsPage* FMqttPage = nullptr;
};
