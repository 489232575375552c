#pragma once
// The MQTT part of the software parameter dialog: the [Mqtt] settings and a
// "Test connection" button. The test itself is handed in by the program
// (config/ knows no MQTT client); without one the button is hidden.

#include "config/MqttSettings.h"

#include <QGroupBox>

#include <functional>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// Connects with the settings once and says how it went.
using TMqttConnectionTest = std::function<TMqttTestAnswer(const TMqttSettings&)>;

// The answer in a line for the user, in the current language.
[[nodiscard]] QString MqttTestAnswerText(const TMqttTestAnswer& answer);

class TMqttSettingsPage : public QGroupBox {
    Q_OBJECT
public:
    explicit TMqttSettingsPage(TMqttConnectionTest test, QWidget* parent = nullptr);

    void SetCaptions();
    void Show(const TMqttSettings& settings);
    [[nodiscard]] TMqttSettings Settings() const;

private:
    void TestClick();
    void ShowTlsChoice();

    TMqttConnectionTest FTest;
    QLabel* lblHost = nullptr;
    QLineEdit* edtHost = nullptr;
    QLabel* lblPort = nullptr;
    QSpinBox* spnPort = nullptr;
    QLabel* lblClientId = nullptr;
    QLineEdit* edtClientId = nullptr;
    QLabel* lblUser = nullptr;
    QLineEdit* edtUser = nullptr;
    QLabel* lblPasswordFile = nullptr;
    QLineEdit* edtPasswordFile = nullptr;
    QLabel* lblTopicPrefix = nullptr;
    QLineEdit* edtTopicPrefix = nullptr;
    QCheckBox* chkTls = nullptr;
    QLabel* lblCaFile = nullptr;
    QLineEdit* edtCaFile = nullptr;
    QLabel* lblInterval = nullptr;
    QSpinBox* spnInterval = nullptr;
    QPushButton* btnTest = nullptr;
    QLabel* lblTestResult = nullptr;
};
