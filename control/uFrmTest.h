#pragma once
// The battery test dialog: starts a battery self-test of the selected UPS for
// the time typed (seconds) or cancels a running one, by queuing a write of
// the test register. With a protocol other than Modbus or VEX nothing is
// queued. It names the unit in its title and text, and a test asks first.
// It stays open after queuing; Escape and the close box send nothing.

#include "control/ControlContext.h"
#include "control/ControlPrompt.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TFrmTest : public QDialog {
    Q_OBJECT
public:
    explicit TFrmTest(TControlContext context, QWidget* parent = nullptr);

    TTellUser Tell = MessageBoxTell();
    // Asked before a test is started; a test puts its own answer in.
    TConfirmUser Confirm = MessageBoxConfirm();

public slots:
    void Button1Click(); // battery test
    void Button2Click(); // cancel test

protected:
    void showEvent(QShowEvent* event) override;

private:
    static bool ProtocolHasTest();
    void QueueCommand(uint16_t value);

    TControlContext FContext;
    QLabel* lblUnit = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
};
