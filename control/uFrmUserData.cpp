#include "control/uFrmUserData.h"

#include "base/SharedFlags.h"
#include "config/UUserParaIni.h"
#include "control/ControlPrompt.h"
#include "control/UserSetFields.h"
#include "control/uFrmDataSet.h"
#include "control/uPassWord.h"
#include "protocol/uKModbus.h"
#include "ui/DialogKeys.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int Timer1Interval = 1000; // ms
constexpr TTextPair TxtCaption{"用户设置量", "User Set"};
constexpr TTextPair TxtSet{"设置", "Set"};
constexpr TTextPair TxtBatterySet{"电池设置", "Battery Set"};

const TUpsInfoRec& RecordOf(uint8_t address) {
    return UpsTable[address < UpsTableSize ? address : 0];
}
} // namespace

TFrmUserSet::TFrmUserSet(TControlContext context, QWidget* parent)
    : QDialog(parent), FContext(std::move(context)) {
    setObjectName("FrmUserSet");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    btnSet = new QPushButton(this);
    btnSet->setObjectName("btnSet");
    connect(btnSet, &QPushButton::clicked, this, &TFrmUserSet::btnSetClick);
    FFields.resize(UserSetFields().size());
    GroupBox1 = BuildGroup("GroupBox1", int(TUserSetGroup::Device));
    GroupBox2 = BuildGroup("GroupBox2", int(TUserSetGroup::Battery));
    grpOutput = BuildGroup("grpOutput", int(TUserSetGroup::Operation));
    grpOutput->setParent(GroupBox1);
    GroupBox1->layout()->addWidget(grpOutput);
    grpOutput->hide();
    // Nothing inside the groups can be edited.
    GroupBox1->setEnabled(false);
    GroupBox2->setEnabled(false);

    auto* groups = new QHBoxLayout;
    groups->addWidget(GroupBox1, 1, Qt::AlignTop);
    groups->addWidget(GroupBox2, 1, Qt::AlignTop);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnSet);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addLayout(buttons);
    SetDialogKeys(this, {btnSet}, btnSet);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(Timer1Interval);
    connect(Timer1, &QTimer::timeout, this, &TFrmUserSet::Timer1Timer);

    ClearValues();
    for (std::size_t i = 0; i < FFields.size(); ++i) {
        if (QLatin1String(UserSetFields()[i].LabelName) == QLatin1String(HiddenUserSetLabel)) {
            FFields[i].Label->hide();
            FFields[i].Edit->hide();
        }
    }
    SetCaptions();
}

// One group with the label and field of every row that belongs to it.
QGroupBox* TFrmUserSet::BuildGroup(const char* name, int group) {
    auto* box = new QGroupBox(this);
    box->setObjectName(name);
    auto* form = new QFormLayout(box);
    form->setLabelAlignment(Qt::AlignRight);
    const auto fields = UserSetFields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (int(fields[i].Group) != group)
            continue;
        auto* label = new QLabel(box);
        label->setObjectName(fields[i].LabelName);
        auto* edit = new QLineEdit(box);
        edit->setObjectName(fields[i].EditName);
        edit->setReadOnly(true);
        edit->setFixedWidth(90);
        form->addRow(label, edit);
        label->setBuddy(edit);
        FFields[i] = {label, edit};
    }
    return box;
}

void TFrmUserSet::SetCaptions() {
    setWindowTitle(CurrentText(TxtCaption));
    btnSet->setText(CurrentText(TxtSet));
    GroupBox2->setTitle(CurrentText(TxtBatterySet));
    const auto fields = UserSetFields();
    for (std::size_t i = 0; i < fields.size(); ++i)
        FFields[i].Label->setText(CurrentText(fields[i].Caption));
}

void TFrmUserSet::showEvent(QShowEvent* event) {
    SetCaptions();
    // Up to date at once, not a second later.
    Timer1Timer();
    QDialog::showEvent(event);
}

void TFrmUserSet::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
    QDialog::changeEvent(event);
}

void TFrmUserSet::FormActivate() {
    Timer1->start();
    // "Set" is offered at once, not a second after the window became active.
    Timer1Timer();
}

void TFrmUserSet::closeEvent(QCloseEvent* event) {
    Timer1->stop();
    QDialog::closeEvent(event);
}

void TFrmUserSet::hideEvent(QHideEvent* event) {
    Timer1->stop();
    QDialog::hideEvent(event);
}

void TFrmUserSet::Timer1Timer() {
    DbgVal[DbgUserSetTimerInterval] = Timer1->interval();
    ++DbgVal[DbgUserSetTicks];
    SetCaptions();
    FSelAddr = FContext.SelDevAddr();
    if (FContext.IsCommOpen() && RecordOf(FSelAddr).CommState == CommCommunicating) {
        ShowValues();
        btnSet->setEnabled(isActiveWindow());
    } else {
        ClearValues();
        btnSet->setEnabled(false);
    }
}

void TFrmUserSet::ShowValues() {
    const TUpsInfoRec& device = RecordOf(FSelAddr);
    const auto fields = UserSetFields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string text = fields[i].Show(device, UserPara.Language);
        FFields[i].Edit->setText(QString::fromUtf8(text.c_str()));
    }
    grpOutput->setVisible(ModelName == FiveStepModel);
}

void TFrmUserSet::ClearValues() {
    for (const TFieldWidgets& field : FFields)
        field.Edit->clear();
}

void TFrmUserSet::btnSetClick() {
    RunBehindPasswordGate<TFrmDataSet>(FContext, this);
}
