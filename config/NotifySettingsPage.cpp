#include "config/NotifySettingsPage.h"

#include "config/CurrentText.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
constexpr TTextPair TxtGroup{"报警通知", "Notifications"};
constexpr TTextPair TxtDesktop{"桌面通知", "Desktop notifications"};
constexpr TTextPair TxtGather{"合并时间 (秒):", "Gather (s):"};
constexpr TTextPair TxtCommand{"事件命令:", "Event command:"};
constexpr TTextPair TxtTimeLimit{"时限 (秒):", "Time limit (s):"};
constexpr TTextPair TxtCloseToTray{"关闭或最小化时隐藏到托盘", "Close or minimise to the tray"};
constexpr TTextPair TxtCommandError{"事件命令无法运行: ", "The event command cannot be run: "};

} // namespace

TNotifySettingsPage::TNotifySettingsPage(QWidget* parent) : QGroupBox(parent) {
    setObjectName("grpNotify");
    crbDesktop = new QCheckBox(this);
    crbDesktop->setObjectName("crbDesktop");
    lblGather = new QLabel(this);
    edtGather = new QSpinBox(this);
    edtGather->setObjectName("edtGather");
    edtGather->setRange(0, MaxGatherSeconds);
    lblGather->setBuddy(edtGather);
    auto* events = new QGridLayout;
    for (std::size_t i = 0; i < NotifyEventChoices.size(); ++i) {
        FEventBoxes[i] = new QCheckBox(this);
        FEventBoxes[i]->setObjectName(QStringLiteral("crb") + NotifyEventChoices[i].Key);
        events->addWidget(FEventBoxes[i], static_cast<int>(i / 2), static_cast<int>(i % 2));
    }
    connect(crbDesktop, &QCheckBox::toggled, this, [this](bool on) {
        for (QCheckBox* box : FEventBoxes)
            box->setEnabled(on);
        edtGather->setEnabled(on);
    });
    lblCommand = new QLabel(this);
    edtCommand = new QLineEdit(this);
    edtCommand->setObjectName("edtCommand");
    lblCommand->setBuddy(edtCommand);
    lblTimeLimit = new QLabel(this);
    edtTimeLimit = new QSpinBox(this);
    edtTimeLimit->setObjectName("edtTimeLimit");
    edtTimeLimit->setRange(1, MaxCommandTimeLimit);
    lblTimeLimit->setBuddy(edtTimeLimit);
    crbCloseToTray = new QCheckBox(this);
    crbCloseToTray->setObjectName("crbCloseToTray");

    auto* top = new QHBoxLayout;
    top->addWidget(crbDesktop);
    top->addStretch(1);
    top->addWidget(lblGather);
    top->addWidget(edtGather);
    auto* command = new QGridLayout;
    command->addWidget(lblCommand, 0, 0);
    command->addWidget(edtCommand, 0, 1);
    command->addWidget(lblTimeLimit, 1, 0);
    command->addWidget(edtTimeLimit, 1, 1, Qt::AlignLeft);
    command->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(events);
    layout->addLayout(command);
    layout->addWidget(crbCloseToTray);
}

void TNotifySettingsPage::SetCaptions() {
    setTitle(CurrentText(TxtGroup));
    crbDesktop->setText(CurrentText(TxtDesktop));
    lblGather->setText(CurrentText(TxtGather));
    for (std::size_t i = 0; i < NotifyEventChoices.size(); ++i)
        FEventBoxes[i]->setText(CurrentText(NotifyEventChoices[i].Caption));
    lblCommand->setText(CurrentText(TxtCommand));
    lblTimeLimit->setText(CurrentText(TxtTimeLimit));
    crbCloseToTray->setText(CurrentText(TxtCloseToTray));
}

void TNotifySettingsPage::Show(const TNotifySettings& settings) {
    crbDesktop->setChecked(settings.Desktop);
    edtGather->setValue(settings.GatherSeconds);
    for (std::size_t i = 0; i < NotifyEventChoices.size(); ++i)
        FEventBoxes[i]->setChecked(settings.*NotifyEventChoices[i].Flag);
    edtCommand->setText(QString::fromStdString(settings.Command));
    edtTimeLimit->setValue(settings.CommandTimeLimit);
    crbCloseToTray->setChecked(settings.CloseToTray);
}

TNotifySettings TNotifySettingsPage::Taken(const TNotifySettings& base) const {
    TNotifySettings settings = base;
    settings.Desktop = crbDesktop->isChecked();
    settings.GatherSeconds = edtGather->value();
    for (std::size_t i = 0; i < NotifyEventChoices.size(); ++i)
        settings.*NotifyEventChoices[i].Flag = FEventBoxes[i]->isChecked();
    settings.Command = edtCommand->text().trimmed().toStdString();
    settings.CommandTimeLimit = edtTimeLimit->value();
    settings.CloseToTray = crbCloseToTray->isChecked();
    return settings;
}

QString TNotifySettingsPage::CommandError() const {
    const std::string command = edtCommand->text().trimmed().toStdString();
    if (command.empty())
        return {};
    const std::string problem = CommandProblem(command);
    if (problem.empty())
        return {};
    return CurrentText(TxtCommandError) + QString::fromStdString(command + " " + problem);
}
