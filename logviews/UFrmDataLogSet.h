#pragma once
// The data log setting dialog: logging on or off and the sampling interval in
// seconds (10..300). OK sets RecInterval (seconds x 10, 0 when off), writes
// it to the settings file at once, so reopening the port, which reads the
// file again, keeps it; and restarts the sampling countdown, so the next poll
// tick samples.

#include "logviews/LogPrompts.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;

class TFrmDataLogSet : public QDialog {
    Q_OBJECT
public:
    TFrmDataLogSet(std::function<void()> restartSampling, QWidget* parent = nullptr);

    // Tells when the settings file cannot be written; a test puts its own.
    TLogPrompts Prompts = DialogLogPrompts();

    [[nodiscard]] QCheckBox& Switch() { return *cbRecord; }
    [[nodiscard]] QSpinBox& IntervalBox() { return *seInterval; }

public slots:
    void btnOKClick();

private:
    void ApplyLanguage();
    void SwitchClick(bool ticked);

    std::function<void()> FRestartSampling;
    QCheckBox* cbRecord;
    QGroupBox* gbInterval;
    QLabel* lblInterval;
    QSpinBox* seInterval;
    QLabel* lblUnit;
    QPushButton* btnOK;
    QPushButton* btnCancel;
};
