#include "devices/UFrmAbout.h"

#include "base/LangText.h"
#include "base/VersionInfo.h"
#include "config/CurrentText.h"

#include <QFont>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {
const TTextPair CaptionText = {"关于", "About"};
const TTextPair ProductText = {"PC监控软件", "PC Monitor Software"};
const TTextPair VersionText = {"版本", "Version"};
} // namespace

TFrmAbout::TFrmAbout(TTraceDoor trace, QWidget* parent)
    : QDialog(parent), FTrace(std::move(trace)) {
    setObjectName("FrmAbout");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    lblProduct = new QLabel(this);
    lblProduct->setObjectName("lblProduct");
    QFont font = lblProduct->font();
    font.setPointSizeF(font.pointSizeF() * 1.25);
    font.setBold(true);
    lblProduct->setFont(font);
    lblProduct->setAlignment(Qt::AlignCenter);
    lblProduct->installEventFilter(this);
    lblCount = new QLabel(this);
    lblCount->setObjectName("lblCount");
    lblCount->setAlignment(Qt::AlignRight | Qt::AlignBottom);
    lblCount->hide();
    btnOK = new QPushButton(this);
    btnOK->setObjectName("btnOK");
    // Every key belongs to the box itself: the door listens to all of them.
    btnOK->setFocusPolicy(Qt::NoFocus);
    setFocusPolicy(Qt::StrongFocus);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(24, 24, 8, 4);
    layout->setRowStretch(0, 1);
    layout->addWidget(lblProduct, 1, 0, 1, 3);
    layout->setRowStretch(2, 1);
    layout->addWidget(btnOK, 3, 1);
    layout->addWidget(lblCount, 3, 2);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(2, 1);
    resize(420, 180);
}

QString TFrmAbout::ProductLine() {
    return CurrentText(ProductText) + ' ' + CurrentText(VersionText) + ' ' +
           QString::fromStdString(GetVersionString("FileVersion"));
}

void TFrmAbout::showEvent(QShowEvent* event) {
    setWindowTitle(CurrentText(CaptionText));
    lblProduct->setText(ProductLine());
    btnOK->setText(CurrentText(OkButtonText));
    QDialog::showEvent(event);
    setFocus();
}

void TFrmAbout::keyPressEvent(QKeyEvent* event) {
    event->accept();
    const QString text = event->text();
    char key = 0;
    if (event->key() == Qt::Key_Escape)
        key = 27;
    else if (text.size() == 1 && text[0].unicode() < 0x80)
        key = char(text[0].unicode());
    else if (text.isEmpty())
        return; // a modifier or a function key types no character
    switch (FDoor.KeyPressed(key)) {
    case TAboutDoor::TAction::CloseBox:
        reject();
        break;
    case TAboutDoor::TAction::HideTrace:
        if (FTrace.Hide)
            FTrace.Hide();
        break;
    case TAboutDoor::TAction::OpenTrace:
        OpenTrace();
        break;
    case TAboutDoor::TAction::None:
        break;
    }
}

bool TFrmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lblProduct && event->type() == QEvent::MouseButtonDblClick) {
        lblProductDblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmAbout::lblProductDblClick() {
    const TAboutDoor::TAction action = FDoor.DoubleClicked();
    lblCount->setText(QString::number(FDoor.DoubleClicks()));
    lblCount->setVisible(FDoor.DoubleClicks() >= 1);
    if (action == TAboutDoor::TAction::OpenTrace)
        OpenTrace();
}

void TFrmAbout::OpenTrace() {
    FDoor.Reset();
    if (FTrace.Show)
        FTrace.Show();
    reject();
}

void TFrmAbout::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    if (isActiveWindow()) {
        FWasActive = true;
        lblCount->clear();
    } else if (FWasActive && isVisible()) {
        // Another window took the focus: the box goes, as a menu would.
        QTimer::singleShot(0, this, &QDialog::reject);
    }
}

void TFrmAbout::done(int result) {
    FDoor.Reset();
    QDialog::done(result);
}
