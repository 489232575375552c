#include "control/uFrmDataSet.h"

#include "config/UUserParaIni.h"
#include "control/ParamQueue.h"
#include "control/ParamValidation.h"
#include "protocol/uKModbus.h"
#include "ui/DialogKeys.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr TTextPair TxtCaption{"数据设置", "Data Set"};
constexpr TTextPair TxtName{"项目名称", "Name"};
constexpr TTextPair TxtValue{"数值", "Value"};
constexpr TTextPair TxtBuzzer{"蜂鸣器", "Buzzer"};
constexpr TTextPair TxtBoost{"均充", "Boost Charge"};
constexpr TTextPair TxtSet{"设置", "Set"};
constexpr TTextPair TxtSwitch[2] = {{SwitchTexts[0].Zh, "Enable"}, {SwitchTexts[1].Zh, "Disable"}};
constexpr TTextPair MsgPortOff{"串口已关闭", "Serial Port Off"};
constexpr int ValueGroupHeight = 110;
constexpr int SwitchGroupHeight = 240;
constexpr int ValueColumnWidth = 260;

const TUpsInfoRec& RecordOf(uint8_t address) {
    return UpsTable[address < UpsTableSize ? address : 0];
}

// A radio group with "Enable" and "Disable" side by side; the captions come
// with the dialog's other texts.
QGroupBox* SwitchGroup(QWidget* parent, const char* name, QRadioButton* (&items)[2]) {
    auto* group = new QGroupBox(parent);
    group->setObjectName(name);
    auto* row = new QHBoxLayout(group);
    const char* suffixes[] = {"Enable", "Disable"};
    for (int i = 0; i < 2; ++i) {
        items[i] = new QRadioButton(group);
        items[i]->setObjectName(QLatin1String(name) + QLatin1String(suffixes[i]));
        row->addWidget(items[i]);
    }
    return group;
}
} // namespace

TFrmDataSet::TFrmDataSet(TControlContext context, QWidget* parent)
    : QDialog(parent), FContext(std::move(context)) {
    setObjectName("FrmDataSet");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setMinimumWidth(250);
    // A click, also on the item already selected, or a choice by keyboard;
    // the list taking the focus selects nothing.
    connect(ListBox1, &QListWidget::itemClicked, this, &TFrmDataSet::ListBox1Click);
    connect(ListBox1, &QListWidget::itemSelectionChanged, this, &TFrmDataSet::ListBox1Click);

    grpSetting = new QGroupBox(this);
    grpSetting->setObjectName("grpSetting");
    lb_Value = new QLabel(grpSetting);
    lb_Value->setObjectName("lb_Value");
    Edit1 = new QLineEdit(grpSetting);
    Edit1->setObjectName("Edit1");
    Edit1->installEventFilter(new TNumberKeyFilter(true, Edit1));
    ComboBox1 = new QComboBox(grpSetting);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->setMinimumWidth(110);
    btnSetTo = new QPushButton(grpSetting);
    btnSetTo->setObjectName("btnSetTo");
    connect(btnSetTo, &QPushButton::clicked, this, &TFrmDataSet::btnSetToClick);
    RadioGroup4 = SwitchGroup(grpSetting, "RadioGroup4", FBuzzer);
    RadioGroup5 = SwitchGroup(grpSetting, "RadioGroup5", FBoost);

    auto* valueRow = new QHBoxLayout;
    valueRow->addWidget(lb_Value);
    valueRow->addWidget(Edit1, 1);
    valueRow->addWidget(ComboBox1, 1);
    auto* setting = new QVBoxLayout(grpSetting);
    setting->addLayout(valueRow);
    setting->addWidget(RadioGroup4);
    setting->addWidget(RadioGroup5);
    setting->addWidget(btnSetTo, 0, Qt::AlignRight);

    // The value column keeps its width while the value group is hidden.
    auto* column = new QWidget(this);
    column->setFixedWidth(ValueColumnWidth);
    auto* right = new QVBoxLayout(column);
    right->setContentsMargins(0, 0, 0, 0);
    right->addSpacing(Label1->sizeHint().height());
    right->addWidget(grpSetting);
    right->addStretch(1);
    auto* left = new QVBoxLayout;
    left->addWidget(Label1);
    left->addWidget(ListBox1, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addWidget(column);
    resize(560, 440);
    setFixedSize(size());
    Label1->setBuddy(ListBox1);
    SetDialogKeys(
        this, {ListBox1, Edit1, ComboBox1, FBuzzer[0], FBuzzer[1], FBoost[0], FBoost[1], btnSetTo},
        btnSetTo);

    // Creation: no value until an item is chosen; the list for the model named.
    ShowEditor(TEditorKind::None);
    for (int i = 0; i < ParamItemCountFor(ModelName); ++i)
        ListBox1->addItem(QString());
    if (const QScreen* desktop = screen())
        move(desktop->availableGeometry().center() - rect().center());
}

void TFrmDataSet::showEvent(QShowEvent* event) {
    SetCaptions();
    QDialog::showEvent(event);
}

void TFrmDataSet::SetCaptions() {
    setWindowTitle(CurrentText(TxtCaption));
    Label1->setText(CurrentText(TxtName));
    lb_Value->setText(CurrentText(TxtValue));
    RadioGroup4->setTitle(CurrentText(TxtBuzzer));
    RadioGroup5->setTitle(CurrentText(TxtBoost));
    btnSetTo->setText(CurrentText(TxtSet));
    for (int i = 0; i < 2; ++i) {
        FBuzzer[i]->setText(CurrentText(TxtSwitch[i]));
        FBoost[i]->setText(CurrentText(TxtSwitch[i]));
    }
    // The item list and the value controls are heard by their labels; entry
    // and list share one.
    ListBox1->setAccessibleName(Label1->text());
    Edit1->setAccessibleName(lb_Value->text());
    ComboBox1->setAccessibleName(lb_Value->text());
    for (int i = 0; i < ListBox1->count(); ++i)
        ListBox1->item(i)->setText(CurrentText(ParamItemAt(i).Name));
}

void TFrmDataSet::ShowEditor(TEditorKind kind) {
    lb_Value->setVisible(true);
    grpSetting->setFixedHeight(ValueGroupHeight);
    RadioGroup4->setVisible(false);
    RadioGroup5->setVisible(false);
    grpSetting->setVisible(kind != TEditorKind::None);
    ComboBox1->setVisible(kind == TEditorKind::List);
    Edit1->setVisible(kind == TEditorKind::Entry);
    if (kind == TEditorKind::Switches) {
        lb_Value->setVisible(false);
        grpSetting->setFixedHeight(SwitchGroupHeight);
        RadioGroup4->setVisible(true);
        RadioGroup5->setVisible(true);
    }
    if (ComboBox1->isVisibleTo(this))
        ComboBox1->clear();
    if (Edit1->isVisibleTo(this))
        Edit1->clear();
}

void TFrmDataSet::ListBox1Click() {
    SetCaptions();
    FSelItem = ListBox1->currentRow();
    ShowItem();
}

void TFrmDataSet::ShowItem() {
    FShownAddr = FContext.SelDevAddr();
    const TUpsInfoRec& device = RecordOf(FShownAddr);
    if (device.CommState != CommCommunicating || FSelItem < 0) {
        ShowEditor(TEditorKind::None);
        return;
    }
    FShown = device;
    ParamWrite = ParamsOfRecord(FShown);
    const TParamItem& item = ParamItemAt(FSelItem);
    FSelRegister = uint16_t(item.Register);
    ShowEditor(item.Editor);
    switch (item.Editor) {
    case TEditorKind::List:
        FChoices = ValueChoices(FSelItem, ModelName, FShown, UserPara.Language);
        for (const TValueChoice& choice : FChoices)
            ComboBox1->addItem(QString::fromUtf8(choice.Text));
        ComboBox1->setCurrentIndex(MatchingChoice(FSelItem, ModelName, FShown));
        break;
    case TEditorKind::Entry:
        Edit1->setText(QString::fromStdString(EntryText(FSelItem, FShown)));
        break;
    case TEditorKind::Switches:
        FBuzzer[(FShown.StatusControl & BuzzerDisableBit) ? 1 : 0]->setChecked(true);
        FBoost[(FShown.StatusControl & BoostDisableBit) ? 1 : 0]->setChecked(true);
        break;
    case TEditorKind::None:
        break;
    }
}

void TFrmDataSet::btnSetToClick() {
    if (!FContext.IsCommOpen()) {
        Tell(this, CurrentText(MsgPortOff));
        return;
    }
    if (!ValidateItem())
        return;
    QueueItem();
}

bool TFrmDataSet::ValidateItem() {
    TParamInput input;
    input.Entry = Edit1->text().toStdString();
    input.Choice = ComboBox1->currentIndex();
    if (input.Choice >= 0 && input.Choice < int(FChoices.size()))
        input.ChoiceValue = FChoices[std::size_t(input.Choice)].Value;
    input.BuzzerDisable = FBuzzer[1]->isChecked();
    input.BoostDisable = FBoost[1]->isChecked();
    const TParamCheck check = ::ValidateItem(FSelItem, input, ModelName, FShown);
    if (check.Ok) {
        FSetValue = check.Value;
        if (Edit1->isVisible())
            Edit1->setText(QString::fromStdString(EntryValueText(FSelItem, check.Value)));
        return true;
    }
    if (check.Message)
        Tell(this, CurrentText(*check.Message));
    if (check.Rewritten)
        Edit1->setText(QString::fromStdString(*check.Rewritten));
    if (Edit1->isVisible())
        Edit1->setFocus();
    else
        ComboBox1->setFocus();
    return false;
}

void TFrmDataSet::QueueItem() {
    QueueParamWrite(FSelRegister, FSetValue, FShown, FShownAddr, UserPara.PortInfo.Protocol,
                    ModelName);
}
