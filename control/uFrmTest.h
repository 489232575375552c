#pragma once
// The battery test dialog: starts a battery self-test of the selected UPS for
// the time typed (seconds) or cancels a running one, by queuing a write of
// the test register. With a protocol other than Modbus or VEX nothing is
// queued. It stays open after queuing.

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

public slots:
    void Button1Click(); // battery test
    void Button2Click(); // cancel test

protected:
    void showEvent(QShowEvent* event) override;

private:
    void QueueCommand(uint16_t value);

    TControlContext FContext;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
};
