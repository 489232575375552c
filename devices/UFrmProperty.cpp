#include "devices/UFrmProperty.h"

#include "config/CurrentText.h"
#include "devices/EquipCheck.h"
#include "record/EquipList.h"

#include <QLineEdit>
#include <QPushButton>

namespace {
const TTextPair CaptionText = {"设备属性", "Equipment Property"};
const TTextPair NameEmptyText = {"设备名不能为空", "Equipment name is empty !"};
} // namespace

TFrmProperty::TFrmProperty(int treeIndex, int listPos, TRename rename, QWidget* parent)
    : QDialog(parent), FTreeIndex(treeIndex), FRename(std::move(rename)),
      edtAddress(new QLineEdit(this)), FForm(this, edtAddress) {
    setObjectName("FrmProperty");
    edtAddress->setObjectName("edtAddress");
    edtAddress->setEnabled(false);
    if (listPos >= 1 && listPos <= EquipList.Count) {
        const TEquipItem& item = EquipList.At(listPos);
        FForm.edtName->setText(QString::fromStdString(ShownEquipName(item.Name)));
        edtAddress->setText(QString::number(item.Address));
    }
    connect(FForm.btnOK, &QPushButton::clicked, this, &TFrmProperty::btnOKClick);
}

void TFrmProperty::showEvent(QShowEvent* event) {
    setWindowTitle(CurrentText(CaptionText));
    FForm.ApplyLanguage(OkButtonText);
    QDialog::showEvent(event);
}

void TFrmProperty::btnOKClick() {
    const std::string name = FForm.edtName->text().toStdString();
    const TEquipCheck check = CheckEquipName(name);
    if (check != TEquipCheck::Ok) {
        if (Tell)
            Tell(this, EquipCheckMessage(check, NameEmptyText));
        return;
    }
    try {
        if (FRename)
            FRename(FTreeIndex, name);
    } catch (const std::exception& e) {
        // The new name is in the list and the tree; only the file is behind.
        if (Tell)
            Tell(this, QString::fromUtf8(e.what()));
    }
    accept();
}
