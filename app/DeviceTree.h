#pragma once
// The device tree of the main window's left panel. Every device of EquipList
// gets a node with two page children ("Real-time Info" and "Graph"); a lamp
// picture and a suffix in the caption show how the device communicates. A
// click, or a move with the keyboard, chooses the device whose record the
// right area shows, and its page: what is highlighted is what is shown and
// what Delete removes. A caption too wide for the panel scrolls, and its tool
// tip shows it whole with the address.
//
// Device k of the list (counting from 0) has the absolute node index 3k, its
// children 3k+1 and 3k+2. Nodes are tied to devices by list position: the
// 8-bit TreeIndex kept in the file cannot hold indexes above 255.

#include "record/EquipList.h"

#include <QIcon>
#include <QObject>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <string_view>

class QTreeWidget;
class QTreeWidgetItem;
struct TUpsInfoRec;

// The node pictures, 16 by 16 pixels.
enum TNodePicture : int {
    PicNotCommunicating = 0, // grey lamp: port closed, lost, or not yet refreshed
    PicCommunicating = 1,    // bright green lamp
    PicAlarm = 2,            // red lamp: alarm, maintenance bypass, or communication error
    PicPage = 3,             // page of text: a child (page) node
};

// What the tree uses of the rest of the program when it refreshes its nodes.
// Both must be set.
struct TDeviceTreeHooks {
    std::function<bool()> IsCommOpen;                    // the poll engine's port state
    std::function<void(TUpsInfoRec&)> ClearMeasurements; // empties a silent device's values
};

class TDeviceTree : public QObject {
    Q_OBJECT
public:
    static constexpr int32_t FChildCount = 2; // page nodes under every device node

    // Works on `view`, which the main window lays out and owns. The tree is
    // built by the first SetLanguage.
    TDeviceTree(QTreeWidget* view, TDeviceTreeHooks hooks, QObject* parent = nullptr);

    // The language of the node suffixes (1 Chinese, else English) and the
    // captions of the FChildCount page nodes in that language, then
    // RebuildTree. The selected device stays selected.
    void SetLanguage(uint8_t language, const QStringList& childCaptions);

    // Builds every node afresh from EquipList (plain names, picture 0), sets
    // each entry's TreeIndex, and selects the device at the remembered list
    // position, clamped to the list (the first device at start).
    void RebuildTree();

    // The list operations of the Append, Delete and Property commands; each
    // rebuilds the tree and saves the list. SaveTreeFile's std::runtime_error
    // passes through to the caller, with the change kept in memory.
    // AddEquip ignores the item when the list already holds 252 devices.
    void AddEquip(const TEquipItem& item);
    // Removes every device with the selected address.
    void DeleteEquip();
    // Renames the device whose node has this absolute index (see
    // SelectedDeviceNode); only the rebuild and save happen when none has.
    void RenameEquip(int treeIndex, std::string_view name);

    // Caption suffix and picture of the device at list position pos from its
    // record; the view refresh calls it for pos = 1..Count.
    void RefreshNode(int pos);

    // Selects the first listed device with this address and shows its
    // real-time page, as a click on its node does; false when none has it.
    bool ChooseDevice(uint8_t address);

    // The selection made by the last click or keyboard move (or kept by the
    // last rebuild).
    [[nodiscard]] uint8_t GetSelDevAddr() const { return FSelDevAddr; } // 0 when none
    [[nodiscard]] int32_t GetSelPos() const { return FSelPos; }         // 0 when none
    [[nodiscard]] int32_t GetIdxSelNode() const { return FidxSelNode; } // -1 when none

    // The node highlighted in the widget (the Delete and Property commands
    // act only when there is one): its absolute index, and that of its device
    // node; -1 when none.
    [[nodiscard]] int SelectedNodeIndex() const;
    [[nodiscard]] int SelectedDeviceNode() const;

    // List position (1..Count) of the device whose node has this absolute
    // index; 0 when it is no device node.
    [[nodiscard]] int DevicePosOfNode(int treeIndex) const;
    // Absolute index of the node of the device at list position pos.
    [[nodiscard]] static int DeviceNodeIndex(int pos) { return (pos - 1) * (FChildCount + 1); }

    [[nodiscard]] static QIcon NodePicture(TNodePicture picture);

    // A device node's tool tip, made when the pointer rests on it: the whole
    // caption (state included), the address and how the unit has answered on
    // the bus. Empty for a page node.
    [[nodiscard]] QString NodeTip(QTreeWidgetItem* node) const;

signals:
    // A click or a keyboard move chose a page of the right area: 0 real-time
    // view, 1 graphs. Sent at every click, also when that page is shown.
    void PageSelected(int page);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void NodeClicked(QTreeWidgetItem* item);
    void CurrentNodeChanged(QTreeWidgetItem* item);
    [[nodiscard]] int AbsoluteIndex(QTreeWidgetItem* item) const;
    [[nodiscard]] QTreeWidgetItem* NewDeviceNode(int pos) const;
    void ApplySelection();

    QTreeWidget* FTree;
    TDeviceTreeHooks FHooks;
    uint8_t FLanguage = 0;
    int32_t FidxSelNode = -1;
    int32_t FSelPos = 0;
    uint8_t FSelDevAddr = 0;
    QStringList FChildCaptions;
    bool FRebuilding = false;   // the rebuild sets the current node itself
    bool FMousePressed = false; // the click that follows the press chooses
};
