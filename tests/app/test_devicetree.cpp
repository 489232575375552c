#include "app/DeviceTree.h"
#include "base/ProgramFolder.h"
#include "comm/BusHealth.h"
#include "record/EquipList.h"
#include "record/UpsInfoRec.h"
#include "tests/support/TempFolder.h"

#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include <memory>
#include <stdexcept>
#include <vector>

namespace {

const QStringList EnglishChildren{"Real-time Info", "Graph"};
const QStringList ChineseChildren{QString::fromUtf8("实时信息"), QString::fromUtf8("曲线图")};

std::string RecordBytes(uint8_t treeIndex, uint8_t address, const std::string& name) {
    return std::string{char(treeIndex), char(address)} + name +
           std::string(EquipNameSize - name.size(), '\x0D');
}

} // namespace

class TestDeviceTree : public QObject {
    Q_OBJECT

    std::unique_ptr<TTempFolder> FTemp;
    std::unique_ptr<QTreeWidget> FView;
    std::unique_ptr<TDeviceTree> FTree;
    bool FCommOpen = true;
    std::vector<int> FCleared; // addresses whose measurements were cleared

    // A list of devices with these addresses, named "UPS<address>", loaded
    // from the file as at start, then built in English.
    void Start(const std::vector<int>& addresses) {
        std::string bytes;
        for (int a : addresses)
            bytes += RecordBytes(0, uint8_t(a), "UPS" + std::to_string(a));
        WriteBytes(TreeFilePath(), bytes);
        QVERIFY(LoadTreeFile());
        FTree->SetLanguage(0, EnglishChildren);
    }

    // The same list put straight into memory: the file no longer gives
    // address 0 or an address twice, but the tree still copes with them.
    void StartInMemory(const std::vector<int>& addresses) {
        EquipList = TEquipList{};
        for (int a : addresses)
            EquipList.Items[EquipList.Count++] = {0, uint8_t(a), "UPS" + std::to_string(a)};
        FTree->SetLanguage(0, EnglishChildren);
    }

    QTreeWidgetItem* Node(int pos, int child = -1) {
        QTreeWidgetItem* device = FView->topLevelItem(pos - 1);
        return child < 0 ? device : device->child(child);
    }

    void Click(QTreeWidgetItem* item) {
        FView->scrollToItem(item);
        QTest::mouseClick(FView->viewport(), Qt::LeftButton, {},
                          FView->visualItemRect(item).center());
    }

    static bool HasPicture(const QTreeWidgetItem* item, TNodePicture picture) {
        return item->icon(0).cacheKey() == TDeviceTree::NodePicture(picture).cacheKey();
    }

private slots:
    void init() {
        FTemp = std::make_unique<TTempFolder>();
        SetProgramFolder(FTemp->Path());
        std::filesystem::create_directory(RecordPath());
        EquipList = TEquipList{};
        UpsTable = TUpsTable{};
        FCommOpen = true;
        FCleared.clear();
        FView = std::make_unique<QTreeWidget>();
        FView->resize(180, 400);
        FTree = std::make_unique<TDeviceTree>(
            FView.get(), TDeviceTreeHooks{[this] { return FCommOpen; },
                                          [this](TUpsInfoRec& rec) {
                                              FCleared.push_back(int(&rec - UpsTable.data()));
                                          }});
        FView->show();
        QVERIFY(QTest::qWaitForWindowExposed(FView.get()));
    }

    void cleanup() {
        FTree.reset();
        FView.reset();
        FTemp.reset();
    }

    void buildGivesEveryDeviceTwoPageNodesAndSelectsTheFirst() {
        Start({1, 2}); // an 84-byte file
        QCOMPARE(FView->topLevelItemCount(), 2);
        for (int pos = 1; pos <= 2; ++pos) {
            QCOMPARE(Node(pos)->text(0), QString("UPS%1").arg(pos));
            QVERIFY(HasPicture(Node(pos), PicNotCommunicating));
            QCOMPARE(Node(pos)->childCount(), 2);
            QCOMPARE(Node(pos, 0)->text(0), QString("Real-time Info"));
            QCOMPARE(Node(pos, 1)->text(0), QString("Graph"));
            QVERIFY(HasPicture(Node(pos, 1), PicPage));
            QCOMPARE(int(EquipList.At(pos).TreeIndex), TDeviceTree::DeviceNodeIndex(pos));
        }
        QCOMPARE(FTree->GetSelPos(), 1);
        QCOMPARE(int(FTree->GetSelDevAddr()), 1);
        QCOMPARE(FTree->GetIdxSelNode(), 0);
        QCOMPARE(FTree->SelectedNodeIndex(), 0);
    }

    void emptyListSelectsNothing() {
        Start({});
        QCOMPARE(FView->topLevelItemCount(), 0);
        QCOMPARE(FTree->GetSelPos(), 0);
        QCOMPARE(int(FTree->GetSelDevAddr()), 0);
        QCOMPARE(FTree->GetIdxSelNode(), -1);
        QCOMPARE(FTree->SelectedNodeIndex(), -1);
        QCOMPARE(FTree->SelectedDeviceNode(), -1);
    }

    void languageChangeKeepsTheSelectedDevice() {
        Start({11, 22, 33});
        Click(Node(2, 1));
        FTree->SetLanguage(1, ChineseChildren);
        QCOMPARE(Node(3, 0)->text(0), QString::fromUtf8("实时信息"));
        QCOMPARE(Node(3, 1)->text(0), QString::fromUtf8("曲线图"));
        QCOMPARE(FTree->GetSelPos(), 2);
        QCOMPARE(int(FTree->GetSelDevAddr()), 22);
        QCOMPARE(FTree->GetIdxSelNode(), 3); // back on the device node
        QCOMPARE(FTree->SelectedNodeIndex(), 3);
    }

    void clickChoosesDeviceAndPage_data() {
        QTest::addColumn<int>("pos");
        QTest::addColumn<int>("child");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("idxSelNode");
        QTest::newRow("Graph of the third device") << 3 << 1 << 1 << 8;
        QTest::newRow("Real-time Info of the first") << 1 << 0 << 0 << 1;
        QTest::newRow("device node of the second") << 2 << -1 << 0 << 3;
        QTest::newRow("device named Graph") << 4 << -1 << 0 << 9;
    }
    void clickChoosesDeviceAndPage() {
        QFETCH(int, pos);
        QFETCH(int, child);
        QFETCH(int, page);
        QFETCH(int, idxSelNode);
        Start({11, 22, 33});
        FTree->AddEquip({0, 44, "Graph"});
        QSignalSpy pages(FTree.get(), &TDeviceTree::PageSelected);
        Click(Node(pos, child));
        QCOMPARE(pages.count(), 1);
        QCOMPARE(pages.at(0).at(0).toInt(), page);
        QCOMPARE(FTree->GetSelPos(), pos);
        QCOMPARE(int(FTree->GetSelDevAddr()), 11 * pos);
        QCOMPARE(FTree->GetIdxSelNode(), idxSelNode);
        QCOMPARE(FTree->SelectedDeviceNode(), TDeviceTree::DeviceNodeIndex(pos));
        // The page is chosen afresh at every click.
        Click(Node(pos, child));
        QCOMPARE(pages.count(), 2);
    }

    // What is highlighted is what is shown and what Delete removes.
    void keyboardMovesSelectAsAClickDoes() {
        Start({11, 22, 33});
        Click(Node(1));
        QSignalSpy pages(FTree.get(), &TDeviceTree::PageSelected);
        QTest::keyClick(FView.get(), Qt::Key_Down);
        QTest::keyClick(FView.get(), Qt::Key_Down);
        QCOMPARE(FTree->SelectedNodeIndex(), 2);
        QCOMPARE(FTree->GetIdxSelNode(), 2);
        QCOMPARE(int(FTree->GetSelDevAddr()), 11);
        QCOMPARE(pages.count(), 2);
        QCOMPARE(pages.last().at(0).toInt(), 1); // the graph page of UPS11
        QTest::keyClick(FView.get(), Qt::Key_Down);
        QCOMPARE(FTree->GetSelPos(), 2);
        QCOMPARE(int(FTree->GetSelDevAddr()), 22);
        QCOMPARE(pages.last().at(0).toInt(), 0);

        FTree->DeleteEquip();
        QCOMPARE(EquipList.Count, 2);
        QCOMPARE(int(EquipList.At(1).Address), 11);
        QCOMPARE(int(EquipList.At(2).Address), 33);
    }

    // A rebuild (language change, list edit) keeps the page the user chose.
    void rebuildChoosesNoPage() {
        Start({11, 22});
        QSignalSpy pages(FTree.get(), &TDeviceTree::PageSelected);
        FTree->SetLanguage(1, ChineseChildren);
        FTree->AddEquip({0, 33, "UPS33"});
        QCOMPARE(pages.count(), 0);
    }

    // A caption wider than the panel scrolls; its tool tip tells it whole,
    // with the unit's figures on the bus.
    void longCaptionScrollsAndItsTipShowsStateAddressAndBusHealth() {
        Start({7});
        BusHealth.Reset();
        TUnitHealth& health = BusHealth.Units[7];
        health.Requests = 12;
        health.GoodReplies = 10;
        health.Rejects[2] = 1;
        health.Rejects[RejectOther] = 1;
        health.LastReplyMs = 85;
        health.ReplyMsSum = 900;
        FTree->RenameEquip(0, std::string(40, 'W'));
        UpsTable[7].CommState = CommCommunicating;
        UpsTable[7].UpsState = 4;
        FTree->RefreshNode(1);
        const QString caption = Node(1)->text(0);
        QVERIFY(caption.endsWith(QStringLiteral("(Online)")));
        QCOMPARE(FTree->NodeTip(Node(1)), caption + QStringLiteral("\nAddress 7\n"
                                                                   "Requests 12, Good replies 10\n"
                                                                   "Rejected 2 (C 1, other 1)\n"
                                                                   "Reply time 85 ms, mean 90 ms\n"
                                                                   "Since last good reply none"));
        BusHealth.Reset();
        QTRY_VERIFY(FView->header()->sectionSize(0) >
                    FView->fontMetrics().horizontalAdvance(caption));
        QVERIFY(FView->horizontalScrollBar()->maximum() > 0);
    }

    void deleteRemovesEveryDeviceWithTheSelectedAddress() {
        StartInMemory({5, 6, 5, 7});
        Click(Node(3, 1));
        QCOMPARE(int(FTree->GetSelDevAddr()), 5);
        FTree->DeleteEquip();
        QCOMPARE(FView->topLevelItemCount(), 2);
        QCOMPARE(Node(1)->text(0), QString("UPS6"));
        QCOMPARE(Node(2)->text(0), QString("UPS7"));
        QCOMPARE(ReadBytes(TreeFilePath()), RecordBytes(0, 6, "UPS6") + RecordBytes(3, 7, "UPS7"));
        // Position 3 no longer exists: the new last device is selected.
        QCOMPARE(FTree->GetSelPos(), 2);
        QCOMPARE(int(FTree->GetSelDevAddr()), 7);
        QCOMPARE(FTree->SelectedNodeIndex(), 3);
    }

    void deleteKeepsTheSelectedListPosition() {
        Start({1, 2, 3, 4});
        Click(Node(2));
        FTree->DeleteEquip();
        QCOMPARE(FTree->GetSelPos(), 2);
        QCOMPARE(int(FTree->GetSelDevAddr()), 3);
    }

    void addEquipSavesAndStopsAt252() {
        Start({1});
        FTree->AddEquip({200, 9, "UPS9"});
        QCOMPARE(FView->topLevelItemCount(), 2);
        QCOMPARE(ReadBytes(TreeFilePath()), RecordBytes(0, 1, "UPS1") + RecordBytes(3, 9, "UPS9"));
        for (int i = EquipList.Count; i < MaxEquipCount; ++i)
            QVERIFY(AppendEquip({0, 1, "x"}));
        const std::string saved = ReadBytes(TreeFilePath());
        FTree->AddEquip({0, 2, "one too many"});
        QCOMPARE(int(EquipList.Count), 252);
        QCOMPARE(ReadBytes(TreeFilePath()), saved); // nothing at all happened
    }

    void saveFailureReachesTheCallerWithTheChangeKept() {
        Start({1});
        std::filesystem::remove_all(RecordPath());
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, FTree->AddEquip({0, 2, "UPS2"}));
        QCOMPARE(int(EquipList.Count), 2);
        QCOMPARE(FView->topLevelItemCount(), 2);
    }

    void refreshNode_data() {
        QTest::addColumn<bool>("commOpen");
        QTest::addColumn<int>("commState");
        QTest::addColumn<int>("upsState");
        QTest::addColumn<int>("alarmCount");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("picture");
        QTest::addColumn<bool>("cleared");
        QTest::newRow("port closed")
            << false << 0 << 4 << 0 << 0 << "UPS7  (Communication lost)" << 0 << true;
        QTest::newRow("port closed, Chinese")
            << false << 0 << 4 << 0 << 1 << QString::fromUtf8("UPS7  (通讯中断)") << 0 << true;
        QTest::newRow("no state yet") << true << 0 << -1 << 0 << 0 << "UPS7" << 1 << false;
        QTest::newRow("online") << true << 0 << 4 << 0 << 0 << "UPS7  (Online)" << 1 << false;
        QTest::newRow("online with alarm")
            << true << 0 << 4 << 2 << 0 << "UPS7  (Online)" << 2 << false;
        QTest::newRow("maintenance bypass")
            << true << 0 << 10 << 0 << 0 << "UPS7  (Maintain Bypass Status)" << 2 << false;
        QTest::newRow("communication error")
            << true << 1 << 4 << 0 << 0 << "UPS7  (Communication Error)" << 2 << false;
        QTest::newRow("communication error, Chinese")
            << true << 1 << 4 << 0 << 1 << QString::fromUtf8("UPS7  (通讯异常)") << 2 << false;
        QTest::newRow("communication lost")
            << true << 2 << 4 << 0 << 0 << "UPS7  (Communication lost)" << 0 << true;
        QTest::newRow("unknown state: unchanged")
            << true << 7 << 4 << 0 << 0 << "UPS7" << 0 << false;
    }
    void refreshNode() {
        QFETCH(bool, commOpen);
        QFETCH(int, commState);
        QFETCH(int, upsState);
        QFETCH(int, alarmCount);
        QFETCH(int, language);
        QFETCH(QString, caption);
        QFETCH(int, picture);
        QFETCH(bool, cleared);
        Start({3, 7});
        FTree->SetLanguage(uint8_t(language), language == 1 ? ChineseChildren : EnglishChildren);
        FCommOpen = commOpen;
        TUpsInfoRec& rec = UpsTable[7];
        rec.CommState = uint8_t(commState);
        rec.UpsState = upsState;
        rec.AlarmCount = uint8_t(alarmCount);
        FTree->RefreshNode(2);
        QCOMPARE(Node(2)->text(0), caption);
        QVERIFY(HasPicture(Node(2), TNodePicture(picture)));
        QCOMPARE(FCleared, cleared ? std::vector<int>{7} : std::vector<int>{});
        QCOMPARE(Node(1)->text(0), QString("UPS3")); // other nodes untouched
    }

    // A refresh that finds nothing new changes no row, so nothing is
    // repainted, even while a unit's figures on the bus move on; a new state
    // changes that unit's row only.
    void refreshChangesOnlyTheRowsThatChanged() {
        Start({3, 7});
        BusHealth.Reset();
        for (const uint8_t address : {uint8_t(3), uint8_t(7)}) {
            UpsTable[address].CommState = CommCommunicating;
            UpsTable[address].UpsState = 4;
        }
        const auto refreshAll = [this] {
            for (int pos = 1; pos <= EquipList.Count; ++pos)
                FTree->RefreshNode(pos);
        };
        refreshAll();
        QSignalSpy changed(FView->model(), &QAbstractItemModel::dataChanged);
        for (int refresh = 0; refresh < 3; ++refresh) {
            ++BusHealth.Units[7].Requests;
            ++BusHealth.Units[7].GoodReplies;
            BusHealth.Units[7].LastReplyMs = 80 + refresh;
            refreshAll();
        }
        QCOMPARE(changed.count(), 0);
        QVERIFY(FTree->NodeTip(Node(2)).contains("Requests 3, Good replies 3"));
        UpsTable[7].AlarmCount = 1;
        refreshAll();
        QCOMPARE(changed.count(), 1); // the lamp of unit 7
        QCOMPARE(changed.first().first().value<QModelIndex>().row(), 1);
        QVERIFY(FTree->NodeTip(Node(2, 1)).isEmpty());
        BusHealth.Reset();
    }

    // A silent unit's lamp has no colour at all: never taken for a healthy one.
    void notCommunicatingLampIsGrey() {
        const QImage out = TDeviceTree::NodePicture(PicNotCommunicating).pixmap(16, 16).toImage();
        const QImage healthy = TDeviceTree::NodePicture(PicCommunicating).pixmap(16, 16).toImage();
        for (const QPoint at : {QPoint(8, 8), QPoint(5, 5), QPoint(11, 11)}) {
            const QColor c = out.pixelColor(at);
            QVERIFY2(c.saturation() < 10, qPrintable(c.name()));
            QVERIFY(healthy.pixelColor(at).saturation() > 100);
        }
    }

    void refreshSkipsAddressZeroAndPositionsOutsideTheList() {
        StartInMemory({0, 5});
        FCommOpen = false;
        for (int pos : {-1, 0, 1, 3, 300})
            FTree->RefreshNode(pos);
        QCOMPARE(Node(1)->text(0), QString("UPS0"));
        QVERIFY(HasPicture(Node(1), PicNotCommunicating));
        QCOMPARE(Node(2)->text(0), QString("UPS5"));
        QVERIFY(FCleared.empty());
    }

    // Beyond the 86th device the stored 8-bit TreeIndex wraps; the 90th
    // device must still be renamed, refreshed and selected in its own node.
    void deviceBeyondTheEightySixthKeepsItsOwnNode() {
        std::vector<int> addresses;
        for (int a = 1; a <= 100; ++a)
            addresses.push_back(a);
        Start(addresses);
        const int node90 = TDeviceTree::DeviceNodeIndex(90);
        QCOMPARE(node90, 267);
        QCOMPARE(int(EquipList.At(90).TreeIndex), 267 & 0xFF);
        QCOMPARE(FTree->DevicePosOfNode(node90), 90);

        FTree->RenameEquip(node90, "Renamed");
        UpsTable[90].CommState = CommCommunicating;
        UpsTable[90].UpsState = 4;
        for (int pos = 1; pos <= EquipList.Count; ++pos)
            FTree->RefreshNode(pos);

        for (int pos = 1; pos <= 100; ++pos) {
            const QString expected = pos == 90 ? QString("Renamed  (Online)")
                                               : QString("UPS%1  (Communication lost)").arg(pos);
            QCOMPARE(Node(pos)->text(0), expected);
        }
        QVERIFY(HasPicture(Node(90), PicCommunicating));
        const std::string file = ReadBytes(TreeFilePath());
        QCOMPARE(file.size(), std::size_t(100 * 42));
        QCOMPARE(file.substr(89 * 42, 42), RecordBytes(267 & 0xFF, 90, "Renamed"));

        QSignalSpy pages(FTree.get(), &TDeviceTree::PageSelected);
        Click(Node(90, 1));
        QCOMPARE(FTree->GetSelPos(), 90);
        QCOMPARE(int(FTree->GetSelDevAddr()), 90);
        QCOMPARE(FTree->GetIdxSelNode(), 269);
        QCOMPARE(FTree->SelectedDeviceNode(), node90);
        QCOMPARE(pages.at(0).at(0).toInt(), 1);
    }

    void renameOfNoDeviceNodeOnlyRebuildsAndSaves() {
        Start({1, 2});
        std::filesystem::remove(TreeFilePath());
        FTree->RenameEquip(4, "child node"); // a page node, not a device
        FTree->RenameEquip(6, "past the end");
        QCOMPARE(Node(1)->text(0), QString("UPS1"));
        QCOMPARE(Node(2)->text(0), QString("UPS2"));
        QCOMPARE(ReadBytes(TreeFilePath()), RecordBytes(0, 1, "UPS1") + RecordBytes(3, 2, "UPS2"));
    }
};

QTEST_MAIN(TestDeviceTree)
#include "test_devicetree.moc"
