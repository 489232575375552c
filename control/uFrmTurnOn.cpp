#include "control/uFrmTurnOn.h"

#include "control/ControlCommand.h"
#include "control/ControlPrompt.h"
#include "ui/DialogKeys.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr TTextPair TxtCaption{"用户控制", "Remote Control"};
constexpr TTextPair TxtPanel{"遥控", "Turn  On/Off  UPS"};
constexpr TTextPair TxtOn{"开机", "On"};
constexpr TTextPair TxtOff{"关机", "Off"};
constexpr TTextPair MsgOffQuestion{"%1 将停止向负载供电。\n确定关机吗？",
                                   "%1 will stop supplying its load.\nTurn it off?"};
constexpr uint16_t SwitchCommandValue = 1;
} // namespace

TfrmTrunOn::TfrmTrunOn(TControlContext context, QWidget* parent)
    : QDialog(parent), FContext(std::move(context)) {
    setObjectName("frmTrunOn");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    pnl1 = new QLabel(this);
    pnl1->setObjectName("pnl1");
    pnl1->setAlignment(Qt::AlignCenter);
    pnl1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    pnl1->setMinimumHeight(36);
    QFont big = pnl1->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    pnl1->setFont(big);
    rg1 = new QGroupBox(this);
    rg1->setObjectName("rg1");
    FOn = new QRadioButton(rg1);
    FOn->setObjectName("rbOn");
    FOff = new QRadioButton(rg1);
    FOff->setObjectName("rbOff");
    FItems = new QButtonGroup(this);
    FItems->addButton(FOn, 0);
    FItems->addButton(FOff, 1);
    auto* items = new QHBoxLayout(rg1);
    items->addWidget(FOn);
    items->addWidget(FOff);
    btnSure = new QPushButton(this);
    btnSure->setObjectName("btnSure");
    connect(btnSure, &QPushButton::clicked, this, &TfrmTrunOn::btnSureClick);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(12);
    layout->addWidget(pnl1);
    layout->addWidget(rg1);
    layout->addWidget(btnSure, 0, Qt::AlignHCenter);
    setMinimumWidth(280);
    SetDialogKeys(this, {FOn, FOff, btnSure}, btnSure);
    FormActivate(); // the captions are there before the first activation
    adjustSize();
    if (const QScreen* desktop = screen())
        move(desktop->availableGeometry().center() - rect().center());
}

void TfrmTrunOn::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow()) {
            FWasActive = true;
            FormActivate();
        } else if (FWasActive) {
            FormDeactivate();
        }
    }
    QDialog::changeEvent(event);
}

void TfrmTrunOn::FormActivate() {
    const uint8_t unit = FContext.SelDevAddr();
    setWindowTitle(TitleForUnit(TxtCaption, unit));
    pnl1->setText(CurrentText(TxtPanel) + '\n' + UnitCaption(unit));
    FOn->setText(CurrentText(TxtOn));
    FOff->setText(CurrentText(TxtOff));
    btnSure->setText(CurrentText(OkButtonText));
}

void TfrmTrunOn::FormDeactivate() {
    reject();
}

void TfrmTrunOn::btnSureClick() {
    const int item = FItems->checkedId();
    if (item < 0)
        return;
    const uint8_t unit = FContext.SelDevAddr();
    if (item == 1 && !Confirm(this, CurrentText(MsgOffQuestion).arg(UnitCaption(unit))))
        return;
    QueueControlCommand(unit, item == 0 ? RegSwitchOn : RegSwitchOff, SwitchCommandValue);
}
