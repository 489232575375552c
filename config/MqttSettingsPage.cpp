#include "config/MqttSettingsPage.h"

#include "config/CurrentText.h"

#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {
constexpr TTextPair TxtMqtt{"MQTT 发布", "MQTT publishing"};
constexpr TTextPair TxtHost{"服务器(空=关闭)", "Broker host (empty = off)"};
constexpr TTextPair TxtPort{"端口", "Port"};
constexpr TTextPair TxtClientId{"客户端标识", "Client id"};
constexpr TTextPair TxtUser{"用户名", "User"};
constexpr TTextPair TxtPasswordFile{"密码文件", "Password file"};
constexpr TTextPair TxtTopicPrefix{"主题前缀", "Topic prefix"};
constexpr TTextPair TxtTls{"使用 TLS", "Use TLS"};
constexpr TTextPair TxtCaFile{"CA 证书文件", "CA file"};
constexpr TTextPair TxtInterval{"完整状态间隔(秒)", "Full state every (s)"};
constexpr TTextPair TxtTest{"测试连接", "Test connection"};
constexpr TTextPair TxtTesting{"正在连接…", "Connecting…"};
constexpr TTextPair TxtConnected{"已连接到 %1", "Connected to %1"};
constexpr TTextPair TxtRefused{"%1 拒绝了连接:%2", "%1 refused the connection: %2"};
constexpr TTextPair TxtCannotConnect{"无法连接到 %1:%2", "Cannot connect to %1: %2"};
constexpr TTextPair TxtNoAnswer{"%1 在 %2 秒内没有应答", "No answer from %1 within %2 s"};
// The reason names what cannot be used (a file, a setting).
constexpr TTextPair TxtUnusable{"设置无法使用:%1", "%1"};
constexpr TTextPair TxtRandomId{"(随机)", "(random)"};
constexpr TTextPair TxtSystemCa{"(系统证书)", "(the system's certificates)"};

QLineEdit* LineEdit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}
} // namespace

QString MqttTestAnswerText(const TMqttTestAnswer& answer) {
    const QString server = QString::fromStdString(answer.Server);
    const QString reason = QString::fromStdString(answer.Reason);
    switch (answer.Kind) {
    case TMqttTestAnswer::TKind::Connected:
        return CurrentText(TxtConnected).arg(server);
    case TMqttTestAnswer::TKind::Refused:
        return CurrentText(TxtRefused).arg(server, reason);
    case TMqttTestAnswer::TKind::CannotConnect:
        return CurrentText(TxtCannotConnect).arg(server, reason);
    case TMqttTestAnswer::TKind::NoAnswer:
        return CurrentText(TxtNoAnswer).arg(server).arg(answer.TimeoutS);
    case TMqttTestAnswer::TKind::Unusable:
        break;
    }
    return CurrentText(TxtUnusable).arg(reason);
}

TMqttSettingsPage::TMqttSettingsPage(TMqttConnectionTest test, QWidget* parent)
    : QGroupBox(parent), FTest(std::move(test)) {
    setObjectName("grpMqtt");
    auto* form = new QFormLayout(this);
    const auto row = [&](QLabel*& label, QWidget* field) {
        label = new QLabel(this);
        label->setBuddy(field);
        form->addRow(label, field);
    };
    edtHost = LineEdit(this, "edtMqttHost");
    row(lblHost, edtHost);
    spnPort = new QSpinBox(this);
    spnPort->setObjectName("spnMqttPort");
    spnPort->setRange(1, 65535);
    row(lblPort, spnPort);
    edtClientId = LineEdit(this, "edtMqttClientId");
    row(lblClientId, edtClientId);
    edtUser = LineEdit(this, "edtMqttUser");
    row(lblUser, edtUser);
    edtPasswordFile = LineEdit(this, "edtMqttPasswordFile");
    row(lblPasswordFile, edtPasswordFile);
    edtTopicPrefix = LineEdit(this, "edtMqttTopicPrefix");
    edtTopicPrefix->setPlaceholderText(QString::fromStdString(DefaultTopicPrefix()));
    row(lblTopicPrefix, edtTopicPrefix);
    chkTls = new QCheckBox(this);
    chkTls->setObjectName("chkMqttTls");
    form->addRow(chkTls);
    edtCaFile = LineEdit(this, "edtMqttCaFile");
    row(lblCaFile, edtCaFile);
    spnInterval = new QSpinBox(this);
    spnInterval->setObjectName("spnMqttInterval");
    spnInterval->setRange(MqttMinIntervalS, 24 * 3600);
    row(lblInterval, spnInterval);
    btnTest = new QPushButton(this);
    btnTest->setObjectName("btnMqttTest");
    btnTest->setVisible(bool(FTest));
    lblTestResult = new QLabel(this);
    lblTestResult->setObjectName("lblMqttTestResult");
    lblTestResult->setWordWrap(true);
    lblTestResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // The answer gets a row of its own: a broker's reason can be long.
    form->addRow(btnTest);
    form->addRow(lblTestResult);
    connect(btnTest, &QPushButton::clicked, this, &TMqttSettingsPage::TestClick);
    connect(chkTls, &QCheckBox::toggled, this, &TMqttSettingsPage::ShowTlsChoice);
}

void TMqttSettingsPage::SetCaptions() {
    setTitle(CurrentText(TxtMqtt));
    lblHost->setText(CurrentText(TxtHost));
    lblPort->setText(CurrentText(TxtPort));
    lblClientId->setText(CurrentText(TxtClientId));
    edtClientId->setPlaceholderText(CurrentText(TxtRandomId));
    lblUser->setText(CurrentText(TxtUser));
    lblPasswordFile->setText(CurrentText(TxtPasswordFile));
    lblTopicPrefix->setText(CurrentText(TxtTopicPrefix));
    chkTls->setText(CurrentText(TxtTls));
    lblCaFile->setText(CurrentText(TxtCaFile));
    edtCaFile->setPlaceholderText(CurrentText(TxtSystemCa));
    lblInterval->setText(CurrentText(TxtInterval));
    btnTest->setText(CurrentText(TxtTest));
}

void TMqttSettingsPage::Show(const TMqttSettings& s) {
    edtHost->setText(QString::fromStdString(s.Host));
    spnPort->setValue(s.Port);
    edtClientId->setText(QString::fromStdString(s.ClientId));
    edtUser->setText(QString::fromStdString(s.User));
    edtPasswordFile->setText(QString::fromStdString(s.PasswordFile));
    edtTopicPrefix->setText(QString::fromStdString(s.TopicPrefix));
    chkTls->setChecked(s.Tls);
    edtCaFile->setText(QString::fromStdString(s.CaFile));
    spnInterval->setValue(s.IntervalS);
    lblTestResult->clear();
    ShowTlsChoice();
}

TMqttSettings TMqttSettingsPage::Settings() const {
    TMqttSettings s;
    s.Host = edtHost->text().trimmed().toStdString();
    s.Port = uint16_t(spnPort->value());
    s.ClientId = edtClientId->text().trimmed().toStdString();
    s.User = edtUser->text().toStdString();
    s.PasswordFile = edtPasswordFile->text().trimmed().toStdString();
    s.TopicPrefix = edtTopicPrefix->text().trimmed().toStdString();
    s.Tls = chkTls->isChecked();
    s.CaFile = edtCaFile->text().trimmed().toStdString();
    s.IntervalS = spnInterval->value();
    return s;
}

void TMqttSettingsPage::ShowTlsChoice() {
    edtCaFile->setEnabled(chkTls->isChecked());
}

// The test waits a few seconds at most; the result stays beside the button.
void TMqttSettingsPage::TestClick() {
    const TMqttSettings settings = Settings();
    if (settings.Host.empty()) {
        lblTestResult->setText(CurrentText(TxtHost));
        return;
    }
    lblTestResult->setText(CurrentText(TxtTesting));
    btnTest->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    lblTestResult->repaint();
    const TMqttTestAnswer answer = FTest(settings);
    QApplication::restoreOverrideCursor();
    btnTest->setEnabled(true);
    lblTestResult->setText(MqttTestAnswerText(answer));
    window()->adjustSize();
}
