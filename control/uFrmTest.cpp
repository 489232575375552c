#include "control/uFrmTest.h"

#include "config/UUserParaIni.h"
#include "control/ControlCommand.h"
#include "ui/DialogKeys.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr TTextPair TxtCaption{"电池自检", "Battery Test"};
constexpr TTextPair TxtTime{"自检时间（秒）", "Test Time(Sec)"};
constexpr TTextPair TxtTest{"电池自检", "Battery Test"};
constexpr TTextPair TxtCancel{"取消自检", "Cancel Test"};
constexpr TTextPair TxtUnit{"对象：%1", "Unit: %1"};
constexpr TTextPair MsgTestQuestion{
    "%1 将以电池为负载供电 %2 秒。\n确定开始电池自检吗？",
    "%1 will supply its load from the battery for %2 s.\nStart the battery test?"};
constexpr TTextPair MsgNoTime{"[自检时间]数值无效", "[Battery Test Time] value is invalid"};
} // namespace

TFrmTest::TFrmTest(TControlContext context, QWidget* parent)
    : QDialog(parent), FContext(std::move(context)) {
    setObjectName("FrmTest");
    setWindowFlags((windowFlags() & ~Qt::WindowContextHelpButtonHint) |
                   Qt::MSWindowsFixedSizeDialogHint);
    lblUnit = new QLabel(this);
    lblUnit->setObjectName("lblUnit");
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Edit1 = new QLineEdit(QStringLiteral("60"), this);
    Edit1->setObjectName("Edit1");
    Edit1->installEventFilter(new TNumberKeyFilter(false, Edit1));
    Button1 = new QPushButton(this);
    Button1->setObjectName("Button1");
    Button2 = new QPushButton(this);
    Button2->setObjectName("Button2");
    connect(Button1, &QPushButton::clicked, this, &TFrmTest::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TFrmTest::Button2Click);

    auto* entry = new QHBoxLayout;
    entry->addWidget(Label1);
    entry->addWidget(Edit1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(16);
    layout->addWidget(lblUnit);
    layout->addLayout(entry);
    layout->addLayout(buttons);
    setMinimumWidth(300);
    Label1->setBuddy(Edit1);
    SetDialogKeys(this, {Edit1, Button1, Button2}, Button1);
}

void TFrmTest::showEvent(QShowEvent* event) {
    setWindowTitle(TitleForUnit(TxtCaption, FContext.SelDevAddr()));
    lblUnit->setText(CurrentText(TxtUnit).arg(UnitCaption(FContext.SelDevAddr())));
    Label1->setText(CurrentText(TxtTime));
    Button1->setText(CurrentText(TxtTest));
    Button2->setText(CurrentText(TxtCancel));
    QDialog::showEvent(event);
}

void TFrmTest::Button1Click() {
    const auto seconds = BatteryTestSeconds(Edit1->text().toStdString());
    if (!seconds) {
        Tell(this, CurrentText(MsgNoTime));
        return;
    }
    if (!ProtocolHasTest())
        return; // nothing would be sent: nothing to ask
    const QString question =
        CurrentText(MsgTestQuestion).arg(UnitCaption(FContext.SelDevAddr())).arg(*seconds);
    if (!Confirm(this, question))
        return;
    QueueCommand(*seconds);
}

bool TFrmTest::ProtocolHasTest() {
    const uint8_t protocol = UserPara.PortInfo.Protocol;
    return protocol == 2 || protocol == 3;
}

void TFrmTest::Button2Click() {
    QueueCommand(0);
}

void TFrmTest::QueueCommand(uint16_t value) {
    if (!ProtocolHasTest())
        return;
    QueueControlCommand(FContext.SelDevAddr(), RegBatteryTest, value);
}
