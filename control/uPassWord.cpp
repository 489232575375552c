#include "control/uPassWord.h"

#include "ui/DialogKeys.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr QSize GateSize(342, 234);
constexpr int MaxEntryLength = 10;
constexpr TTextPair TxtCaption{"输入密码", "Input Password"};
constexpr TTextPair TxtCancel{"取消", "Cancle"};
constexpr TTextPair MsgInvalid{"密码无效", "Password is invalid."};
constexpr TTextPair TxtEntry{"密码", "Password"};
} // namespace

TfrmPSW::TfrmPSW(QWidget* parent) : QDialog(parent) {
    setObjectName("frmPSW");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setFixedSize(GateSize);
    Tell = MessageBoxTell();
    edtPSW = new QLineEdit(this);
    edtPSW->setObjectName("edtPSW");
    edtPSW->setMaxLength(MaxEntryLength);
    edtPSW->setEchoMode(QLineEdit::Password);
    edtPSW->installEventFilter(this);
    btnOK = new QPushButton(this);
    btnOK->setObjectName("btnOK");
    btnCancle = new QPushButton(this);
    btnCancle->setObjectName("btnCancle");
    connect(btnOK, &QPushButton::clicked, this, &TfrmPSW::btnOKClick);
    connect(btnCancle, &QPushButton::clicked, this, &TfrmPSW::btnCancleClick);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancle);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 30, 40, 30);
    layout->addStretch(1);
    layout->addWidget(edtPSW);
    layout->addStretch(1);
    layout->addLayout(buttons);
    SetDialogKeys(this, {edtPSW, btnOK, btnCancle}, btnOK);
}

void TfrmPSW::showEvent(QShowEvent* event) {
    setWindowTitle(Unit != 0 ? TitleForUnit(TxtCaption, Unit) : CurrentText(TxtCaption));
    btnOK->setText(CurrentText(OkButtonText));
    btnCancle->setText(CurrentText(TxtCancel));
    // The entry has no label of its own to be heard by.
    edtPSW->setAccessibleName(CurrentText(TxtEntry));
    QDialog::showEvent(event);
}

// Enter in the entry moves to OK; a second Enter then presses it.
bool TfrmPSW::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edtPSW && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            btnOK->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmPSW::btnOKClick() {
    const TPswOutcome outcome = FCheck.Press(edtPSW->text().toStdString());
    if (outcome == TPswOutcome::Accepted) {
        accept();
        return;
    }
    Tell(this, CurrentText(MsgInvalid));
    if (outcome == TPswOutcome::GiveUp)
        reject();
}

void TfrmPSW::btnCancleClick() {
    reject();
}
