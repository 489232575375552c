#pragma once
// The notifications part of the software parameter dialog: desktop
// notifications and which events they show, the gather window, the event
// command with its time limit, and closing to the tray.

#include "config/NotifySettings.h"

#include <QGroupBox>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

class TNotifySettingsPage : public QGroupBox {
    Q_OBJECT
public:
    explicit TNotifySettingsPage(QWidget* parent = nullptr);

    void SetCaptions();
    void Show(const TNotifySettings& settings);
    // The settings as shown; keys the page does not show keep their values
    // from `base`.
    [[nodiscard]] TNotifySettings Taken(const TNotifySettings& base) const;
    // The user's message when the command cannot be run; empty when it can
    // or there is none.
    [[nodiscard]] QString CommandError() const;

private:
    QCheckBox* crbDesktop = nullptr;
    QLabel* lblGather = nullptr;
    QSpinBox* edtGather = nullptr;
    std::array<QCheckBox*, NotifyEventChoices.size()> FEventBoxes{};
    QLabel* lblCommand = nullptr;
    QLineEdit* edtCommand = nullptr;
    QLabel* lblTimeLimit = nullptr;
    QSpinBox* edtTimeLimit = nullptr;
    QCheckBox* crbCloseToTray = nullptr;
};
