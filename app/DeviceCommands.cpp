#include "app/DeviceCommands.h"

#include "app/DeviceTree.h"
#include "devices/UFrmNewEquip.h"
#include "devices/UFrmProperty.h"
#include "devices/uFrmEquipSearch.h"

#include <QAction>
#include <QMainWindow>
#include <QPushButton>

TDeviceCommands::TDeviceCommands(QMainWindow* window, TDeviceTree& tree)
    : QObject(window), FWindow(window), FTree(tree) {
    const auto button = [window](const char* name) {
        return window->findChild<QPushButton*>(QLatin1String(name));
    };
    const auto action = [window](const char* name) {
        return window->findChild<QAction*>(QLatin1String(name));
    };
    connect(button("btnSearch"), &QPushButton::clicked, this, &TDeviceCommands::btnSearchClick);
    connect(button("btnAppend"), &QPushButton::clicked, this, &TDeviceCommands::btnAppendClick);
    connect(button("btnProperty"), &QPushButton::clicked, this, &TDeviceCommands::btnPropertyClick);
    connect(action("mni501"), &QAction::triggered, this, &TDeviceCommands::mni501Click);
    connect(action("ToolButton6"), &QAction::triggered, this, &TDeviceCommands::mni501Click);
}

void TDeviceCommands::btnSearchClick() {
    TFrmEquipSearch dialog([this] { FTree.RebuildTree(); }, FWindow);
    dialog.exec();
}

void TDeviceCommands::btnAppendClick() {
    TFrmNewEquip dialog([this](const TEquipItem& item) { FTree.AddEquip(item); }, FWindow);
    dialog.exec();
}

void TDeviceCommands::btnPropertyClick() {
    if (FTree.SelectedNodeIndex() < 0)
        return;
    // A page node stands for its device.
    const int node = FTree.SelectedDeviceNode();
    TFrmProperty dialog(
        node, FTree.DevicePosOfNode(node),
        [this](int treeIndex, std::string_view name) { FTree.RenameEquip(treeIndex, name); },
        FWindow);
    dialog.exec();
}

void TDeviceCommands::mni501Click() {
    TFrmAbout box(FTraceDoor, FWindow);
    box.exec();
}
