#pragma once
// The property dialog: shows the name and address of the device selected
// in the tree and lets the user rename it; the address cannot be changed.
// Modal; made for one use of the main window's property button.

#include "devices/EquipForm.h"
#include "ui/TellUser.h"

#include <QDialog>

#include <functional>
#include <string_view>

class QLineEdit;

class TFrmProperty : public QDialog {
    Q_OBJECT
public:
    using TRename = std::function<void(int treeIndex, std::string_view name)>;

    // The device node's absolute tree index and the device's list position
    // (0 when the node names no device: the fields stay empty); `rename`
    // renames the device of that node, rebuilds the tree and saves the list.
    TFrmProperty(int treeIndex, int listPos, TRename rename, QWidget* parent = nullptr);

    TTellUser Tell = MessageBoxTell();

public slots:
    void btnOKClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    int FTreeIndex;
    TRename FRename;
    QLineEdit* edtAddress = nullptr;
    TEquipForm FForm;
};
