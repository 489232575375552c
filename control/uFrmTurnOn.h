#pragma once
// The remote on/off dialog: switches the selected UPS on or off by queuing a
// write of the switch-on or switch-off register. It names the unit in its
// title and panel, and "Off" asks first: the unit's load loses power. It
// closes as soon as another window becomes active.

#include "control/ControlContext.h"
#include "control/ControlPrompt.h"

#include <QDialog>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

class TfrmTrunOn : public QDialog {
    Q_OBJECT
public:
    explicit TfrmTrunOn(TControlContext context, QWidget* parent = nullptr);

    // Asked before "Off" is sent; a test puts its own answer in.
    TConfirmUser Confirm = MessageBoxConfirm();

public slots:
    void btnSureClick();
    void FormActivate();
    void FormDeactivate();

protected:
    void changeEvent(QEvent* event) override;

private:
    TControlContext FContext;
    bool FWasActive = false; // a deactivation closes only what was active
    QLabel* pnl1 = nullptr;
    QGroupBox* rg1 = nullptr;
    QButtonGroup* FItems = nullptr;
    QRadioButton* FOn = nullptr;
    QRadioButton* FOff = nullptr;
    QPushButton* btnSure = nullptr;
};
