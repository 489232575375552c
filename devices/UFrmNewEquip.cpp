#include "devices/UFrmNewEquip.h"

#include "config/CurrentText.h"
#include "devices/EquipCheck.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {
const TTextPair CaptionText = {"添加要监控的设备", "Append Equipment"};
const TTextPair OkText = {"添加", "Append"};
const TTextPair NameEmptyText = {"设备名不能为空", "Equipment Name is empty !"};
} // namespace

TFrmNewEquip::TFrmNewEquip(std::function<void(const TEquipItem&)> addEquip, QWidget* parent)
    : QDialog(parent), FAddEquip(std::move(addEquip)), cbAddress(new QComboBox(this)),
      FForm(this, cbAddress) {
    setObjectName("FrmNewEquip");
    cbAddress->setObjectName("cbAddress");
    cbAddress->setEditable(false);
    // A list of up to 252 addresses scrolls instead of filling the screen.
    cbAddress->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    cbAddress->setMaxVisibleItems(16);
    connect(FForm.btnOK, &QPushButton::clicked, this, &TFrmNewEquip::btnOKClick);
}

void TFrmNewEquip::showEvent(QShowEvent* event) {
    setWindowTitle(CurrentText(CaptionText));
    FForm.ApplyLanguage(OkText);
    cbAddress->clear();
    for (uint8_t address : FreeAddresses())
        cbAddress->addItem(QString::number(address), int(address));
    cbAddress->setCurrentIndex(-1);
    QDialog::showEvent(event);
}

void TFrmNewEquip::btnOKClick() {
    const std::string name = FForm.edtName->text().toStdString();
    const uint8_t address =
        cbAddress->currentIndex() < 0 ? 0 : uint8_t(cbAddress->currentData().toInt());
    const TEquipCheck check = CheckNewEquip(name, address);
    if (check != TEquipCheck::Ok) {
        if (Tell)
            Tell(this, EquipCheckMessage(check, NameEmptyText));
        return;
    }
    try {
        if (FAddEquip)
            FAddEquip({0, address, name});
    } catch (const std::exception& e) {
        // The device is in the list and the tree; only the file is behind.
        if (Tell)
            Tell(this, QString::fromUtf8(e.what()));
    }
    accept();
}
