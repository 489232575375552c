#include "devices/EquipForm.h"

#include "config/CurrentText.h"
#include "ui/DialogKeys.h"

#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const TTextPair NameLabelText = {"设备名:", "Equipment Name:"};
const TTextPair AddressLabelText = {"设备地址:", "Equipment Address:"};
const TTextPair AddressEmptyText = {"设备地址不能为空", "Equipment Address is empty !"};
const TTextPair NameTooLongText = {"设备名过长", "Equipment name is too long !"};
const TTextPair ListFullText = {"设备列表已满(最多252台设备),无法再添加!",
                                "The device list is full (at most 252 devices) !"};
} // namespace

QString EquipCheckMessage(TEquipCheck check, const TTextPair& nameEmpty) {
    switch (check) {
    case TEquipCheck::NameEmpty:
        return CurrentText(nameEmpty);
    case TEquipCheck::AddressEmpty:
        return CurrentText(AddressEmptyText);
    case TEquipCheck::NameTooLong:
        return CurrentText(NameTooLongText);
    case TEquipCheck::ListFull:
        return CurrentText(ListFullText);
    case TEquipCheck::Ok:
        break;
    }
    return {};
}

TEquipForm::TEquipForm(QDialog* dialog, QWidget* address) : Address(address) {
    dialog->setWindowFlags(dialog->windowFlags() & ~Qt::WindowContextHelpButtonHint);
    lblName = new QLabel(dialog);
    edtName = new QLineEdit(dialog);
    edtName->setObjectName("edtName");
    lblAddress = new QLabel(dialog);
    btnOK = new QPushButton(dialog);
    btnOK->setObjectName("btnOK");
    btnCancel = new QPushButton(dialog);
    btnCancel->setObjectName("btnCancel");
    QObject::connect(btnCancel, &QPushButton::clicked, dialog, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QGridLayout(dialog);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->setVerticalSpacing(10);
    layout->addWidget(lblName, 0, 0);
    layout->addWidget(edtName, 0, 1);
    layout->addWidget(lblAddress, 1, 0);
    layout->addWidget(address, 1, 1);
    layout->setRowMinimumHeight(2, 8);
    layout->addLayout(buttons, 3, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    dialog->resize(340, dialog->sizeHint().height());
    lblName->setBuddy(edtName);
    lblAddress->setBuddy(address);
    SetDialogKeys(dialog, {edtName, address, btnOK, btnCancel}, btnOK);
}

void TEquipForm::ApplyLanguage(const TTextPair& ok) {
    lblName->setText(CurrentText(NameLabelText));
    lblAddress->setText(CurrentText(AddressLabelText));
    btnOK->setText(CurrentText(ok));
    btnCancel->setText(CurrentText(CancelButtonText));
}
