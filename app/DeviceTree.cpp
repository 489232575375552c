#include "app/DeviceTree.h"

#include "base/LangText.h"
#include "comm/BusHealthText.h"

#include "record/UpsInfoRec.h"
#include "status/StatusCodes.h"
#include "status/StatusTexts.h"

#include <QEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QPainter>
#include <QPixmap>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QToolTip>
#include <QTreeWidget>

#include <algorithm>
#include <array>
#include <utility>

namespace {

QPixmap Lamp(QColor body, QColor rim) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QRadialGradient glow(QPointF(6, 6), 8);
    glow.setColorAt(0, body.lighter(160));
    glow.setColorAt(1, body);
    painter.setPen(QPen(rim, 1));
    painter.setBrush(glow);
    painter.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    return pixmap;
}

QPixmap TextPage() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QColor(90, 90, 90));
    painter.setBrush(Qt::white);
    painter.drawRect(3, 1, 10, 14);
    painter.setPen(QColor(40, 80, 160));
    for (int y = 4; y <= 12; y += 2)
        painter.drawLine(5, y, y == 12 ? 8 : 11, y);
    return pixmap;
}

QString Suffixed(const QString& name, const std::string& text) {
    return name + QStringLiteral("  (") + QString::fromStdString(text) + QLatin1Char(')');
}

// Every change of a node's data repaints its row, so only what changed is
// set. Qt cannot tell that a new QIcon equals the old one, but the pictures
// are shared, so the same picture has the same cache key.
void SetNode(QTreeWidgetItem* node, TNodePicture picture, const QString& caption) {
    const QIcon icon = TDeviceTree::NodePicture(picture);
    if (node->icon(0).cacheKey() != icon.cacheKey())
        node->setIcon(0, icon);
    if (node->text(0) != caption)
        node->setText(0, caption);
}

QString DeviceTip(const QString& caption, uint8_t address, uint8_t language) {
    return caption + u'\n' + QString::fromUtf8(PickText(AddressText, language)) + u' ' +
           QString::number(address) + u'\n' +
           QString::fromStdString(UnitHealthText(BusHealth.Units[address], SteadyMs(), language));
}

} // namespace

TDeviceTree::TDeviceTree(QTreeWidget* view, TDeviceTreeHooks hooks, QObject* parent)
    : QObject(parent), FTree(view), FHooks(std::move(hooks)) {
    FTree->setColumnCount(1);
    FTree->setHeaderHidden(true);
    FTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FTree->setIconSize(QSize(16, 16));
    // Long captions scroll sideways instead of being cut off.
    FTree->header()->setStretchLastSection(false);
    FTree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    FTree->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    FTree->viewport()->installEventFilter(this);
    connect(FTree, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { NodeClicked(item); });
    connect(FTree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { CurrentNodeChanged(item); });
}

QString TDeviceTree::NodeTip(QTreeWidgetItem* node) const {
    if (node == nullptr || node->parent() != nullptr)
        return {};
    const int pos = FTree->indexOfTopLevelItem(node) + 1;
    if (pos < 1 || pos > EquipList.Count)
        return {};
    return DeviceTip(node->text(0), EquipList.At(pos).Address, FLanguage);
}

bool TDeviceTree::eventFilter(QObject* watched, QEvent* event) {
    // The tip is made when asked for: its figures (the time since the last
    // good reply) change at every refresh, and a tip kept in the node would
    // repaint every row of the tree each time.
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        QTreeWidgetItem* node = FTree->itemAt(help->pos());
        const QString tip = NodeTip(node);
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, FTree->viewport(),
                               FTree->visualItemRect(node));
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress)
        FMousePressed = true;
    else if (event->type() == QEvent::MouseButtonRelease)
        FMousePressed = false;
    return QObject::eventFilter(watched, event);
}

// A press moves the current node too; the click that follows chooses then.
void TDeviceTree::CurrentNodeChanged(QTreeWidgetItem* item) {
    if (item != nullptr && !FRebuilding && !FMousePressed)
        NodeClicked(item);
}

QIcon TDeviceTree::NodePicture(TNodePicture picture) {
    static const std::array<QIcon, 4> pictures{
        // Out: a pale grey lamp with a dark rim, which nobody takes for a
        // healthy green one at a glance.
        QIcon(Lamp(QColor(215, 215, 215), QColor(110, 110, 110))),
        QIcon(Lamp(QColor(0, 210, 0), QColor(0, 110, 0))),
        QIcon(Lamp(QColor(220, 0, 0), QColor(120, 0, 0))),
        QIcon(TextPage()),
    };
    return pictures[std::size_t(picture)];
}

void TDeviceTree::SetLanguage(uint8_t language, const QStringList& childCaptions) {
    FLanguage = language;
    FChildCaptions = childCaptions.mid(0, FChildCount);
    RebuildTree();
}

QTreeWidgetItem* TDeviceTree::NewDeviceNode(int pos) const {
    auto* node = new QTreeWidgetItem;
    const TEquipItem& entry = EquipList.At(pos);
    const QString name = QString::fromStdString(ShownEquipName(entry.Name));
    SetNode(node, PicNotCommunicating, name);
    for (const QString& caption : FChildCaptions)
        SetNode(new QTreeWidgetItem(node), PicPage, caption);
    return node;
}

void TDeviceTree::RebuildTree() {
    const QScopedValueRollback rebuilding(FRebuilding, true);
    FTree->clear();
    QList<QTreeWidgetItem*> nodes;
    for (int pos = 1; pos <= EquipList.Count; ++pos) {
        nodes << NewDeviceNode(pos);
        // Only the low 8 bits fit; the file keeps them, look-ups never use them.
        EquipList.At(pos).TreeIndex = uint8_t(DeviceNodeIndex(pos));
    }
    FTree->addTopLevelItems(nodes);
    FTree->expandAll();
    ApplySelection();
}

void TDeviceTree::ApplySelection() {
    if (EquipList.Count == 0) {
        FSelPos = 0;
        FSelDevAddr = 0;
        FidxSelNode = -1;
        return;
    }
    FSelPos = std::clamp<int32_t>(FSelPos, 1, EquipList.Count);
    FSelDevAddr = EquipList.At(FSelPos).Address;
    FidxSelNode = DeviceNodeIndex(FSelPos);
    FTree->setCurrentItem(FTree->topLevelItem(FSelPos - 1));
}

void TDeviceTree::AddEquip(const TEquipItem& item) {
    if (!AppendEquip(item))
        return;
    RebuildTree();
    SaveTreeFile();
}

void TDeviceTree::DeleteEquip() {
    DeleteEquipAddress(FSelDevAddr);
    RebuildTree();
    SaveTreeFile();
}

void TDeviceTree::RenameEquip(int treeIndex, std::string_view name) {
    RenameEquipAt(DevicePosOfNode(treeIndex), name);
    RebuildTree();
    SaveTreeFile();
}

void TDeviceTree::RefreshNode(int pos) {
    if (pos < 1 || pos > EquipList.Count)
        return;
    const TEquipItem& entry = EquipList.At(pos);
    QTreeWidgetItem* node = FTree->topLevelItem(pos - 1);
    // A device at address 0 keeps the plain name the tree build gave it.
    if (entry.Address == 0 || entry.Address > MaxEquipAddress || node == nullptr)
        return;
    TUpsInfoRec& rec = UpsTable[entry.Address];
    const QString name = QString::fromStdString(ShownEquipName(entry.Name));
    const auto set = [&](TNodePicture picture, const QString& caption) {
        SetNode(node, picture, caption);
    };
    if (!FHooks.IsCommOpen()) {
        set(PicNotCommunicating, Suffixed(name, StateText(StateCommLost, FLanguage)));
        FHooks.ClearMeasurements(rec);
        return;
    }
    switch (rec.CommState) {
    case CommCommunicating: {
        const bool alarm = rec.AlarmCount > 0 || rec.UpsState == StateMaintBypass;
        set(alarm ? PicAlarm : PicCommunicating,
            rec.UpsState >= 0 ? Suffixed(name, StateText(rec.UpsState, FLanguage)) : name);
        break;
    }
    case CommError:
        set(PicAlarm, Suffixed(name, EventText(EventCommError, FLanguage)));
        break;
    case CommLost:
        set(PicNotCommunicating, Suffixed(name, EventText(EventCommLost, FLanguage)));
        FHooks.ClearMeasurements(rec);
        break;
    default:
        break;
    }
}

int TDeviceTree::AbsoluteIndex(QTreeWidgetItem* item) const {
    QTreeWidgetItem* parent = item->parent();
    if (parent == nullptr)
        return DeviceNodeIndex(FTree->indexOfTopLevelItem(item) + 1);
    return DeviceNodeIndex(FTree->indexOfTopLevelItem(parent) + 1) + 1 + parent->indexOfChild(item);
}

int TDeviceTree::SelectedNodeIndex() const {
    QTreeWidgetItem* item = FTree->currentItem();
    return item != nullptr && item->isSelected() ? AbsoluteIndex(item) : -1;
}

int TDeviceTree::SelectedDeviceNode() const {
    const int index = SelectedNodeIndex();
    return index < 0 ? -1 : index - index % (FChildCount + 1);
}

int TDeviceTree::DevicePosOfNode(int treeIndex) const {
    if (treeIndex < 0 || treeIndex % (FChildCount + 1) != 0)
        return 0;
    const int pos = treeIndex / (FChildCount + 1) + 1;
    return pos <= EquipList.Count ? pos : 0;
}

bool TDeviceTree::ChooseDevice(uint8_t address) {
    for (int pos = 1; pos <= EquipList.Count; ++pos) {
        if (EquipList.At(pos).Address != address)
            continue;
        QTreeWidgetItem* node = FTree->topLevelItem(pos - 1);
        {
            // The choice is made here, once, whether or not the node was current.
            const QSignalBlocker quiet(FTree);
            FTree->setCurrentItem(node);
        }
        NodeClicked(node);
        return true;
    }
    return false;
}

void TDeviceTree::NodeClicked(QTreeWidgetItem* item) {
    FidxSelNode = AbsoluteIndex(item);
    QTreeWidgetItem* parent = item->parent();
    QTreeWidgetItem* device = parent != nullptr ? parent : item;
    FSelPos = FTree->indexOfTopLevelItem(device) + 1;
    FSelDevAddr = FSelPos >= 1 && FSelPos <= EquipList.Count ? EquipList.At(FSelPos).Address : 0;
    // The child's place decides the page, so a device named like a page
    // node still shows its real-time view.
    emit PageSelected(parent != nullptr && parent->indexOfChild(item) == 1 ? 1 : 0);
}
