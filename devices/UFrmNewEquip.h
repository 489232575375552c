#pragma once
// The add dialog: the user types a name and picks one of the bus addresses
// no listed device has; the device is appended to the device list. Modal;
// made for one use of the main window's add button.

#include "devices/EquipForm.h"
#include "ui/TellUser.h"
#include "record/EquipList.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLineEdit;

class TFrmNewEquip : public QDialog {
    Q_OBJECT
public:
    // `addEquip` appends the device, rebuilds the tree and saves the list.
    explicit TFrmNewEquip(std::function<void(const TEquipItem&)> addEquip,
                          QWidget* parent = nullptr);

    TTellUser Tell = MessageBoxTell();

public slots:
    void btnOKClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::function<void(const TEquipItem&)> FAddEquip;
    QComboBox* cbAddress = nullptr;
    TEquipForm FForm;
};
