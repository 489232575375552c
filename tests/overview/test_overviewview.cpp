// The overview page over the real records: tiles follow the units, the
// filter and order controls rearrange them, Enter and a double-click choose
// a unit, a refresh repaints only what changed, and a screen reader hears
// each tile in the current language.

#include "comm/BusHealth.h"
#include "overview/OverviewModel.h"
#include "overview/OverviewView.h"
#include "record/EquipList.h"
#include "record/UpsInfoRec.h"
#include "status/StatusCodes.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QListView>
#include <QSignalSpy>
#include <QTest>

namespace {

void SetUnit(uint8_t address, uint8_t commState, int32_t state, uint8_t alarms = 0) {
    TUpsInfoRec& rec = UpsTable[address];
    rec = {};
    rec.Address = address;
    rec.CommState = commState;
    rec.UpsState = state;
    rec.AlarmCount = alarms;
    rec.DataValid = 1;
    rec.LoadPctA = 40;
    rec.BattCapacity = 100;
    rec.InputVoltA = 220;
    rec.OutputVoltA = 220;
}

QList<int> ShownAddresses(TOverviewView& view) {
    QList<int> out;
    for (int row = 0; row < view.Model().rowCount(); ++row)
        out << view.Model().TileAt(row).Address;
    return out;
}

} // namespace

class TestOverviewView : public QObject {
    Q_OBJECT

    template <typename T> static T* Child(QWidget* parent, const char* name) {
        T* child = parent->findChild<T*>(name);
        if (child == nullptr)
            qFatal("no child %s", name);
        return child;
    }

private slots:
    void init() {
        EquipList = TEquipList{};
        BusHealth.Reset();
        for (const auto& [address, name] :
             {std::pair{5, "UPS five"}, {2, "UPS two"}, {9, "UPS nine"}})
            QVERIFY(AppendEquip({0, uint8_t(address), name}));
        SetUnit(5, CommCommunicating, StateOnline);
        SetUnit(2, CommCommunicating, StateBattery);
        SetUnit(9, CommLost, StateOnline);
    }

    void filterAndOrderRearrangeTheTiles() {
        TOverviewView view;
        view.Refresh(0);
        QCOMPARE(ShownAddresses(view), (QList<int>{2, 5, 9}));
        Child<QComboBox>(&view, "cbOrder")->setCurrentIndex(1); // by name
        QCOMPARE(ShownAddresses(view), (QList<int>{5, 9, 2}));
        auto* order = Child<QComboBox>(&view, "cbOrder");
        order->setCurrentIndex(2); // by state, worst first
        QCOMPARE(ShownAddresses(view), (QList<int>{9, 2, 5}));
        Child<QCheckBox>(&view, "chkAttention")->setChecked(true);
        QCOMPARE(ShownAddresses(view), (QList<int>{9, 2}));
        // A unit that recovers leaves the filtered view at the next refresh.
        SetUnit(2, CommCommunicating, StateOnline);
        view.Refresh(1000);
        QCOMPARE(ShownAddresses(view), (QList<int>{9}));
    }

    void enterAndDoubleClickChooseTheUnit() {
        TOverviewView view;
        view.resize(800, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.Refresh(0);
        QSignalSpy chosen(&view, &TOverviewView::UnitChosen);
        auto* tiles = Child<QListView>(&view, "lvTiles");
        tiles->setFocus();
        tiles->setCurrentIndex(view.Model().index(0));
        QTest::keyClick(tiles, Qt::Key_Return);
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.takeFirst().at(0).value<uint8_t>(), uint8_t(2));
        // The view lays its tiles out once the events have run.
        QTRY_VERIFY(tiles->visualRect(view.Model().index(2)).isValid());
        const QRect third = tiles->visualRect(view.Model().index(2));
        // A double-click is a click followed by the second press.
        QTest::mouseClick(tiles->viewport(), Qt::LeftButton, {}, third.center());
        QTest::mouseDClick(tiles->viewport(), Qt::LeftButton, {}, third.center());
        QVERIFY(!chosen.isEmpty());
        QCOMPARE(chosen.last().at(0).value<uint8_t>(), uint8_t(9));
    }

    // Between refreshes only the tiles whose texts changed are announced,
    // so an idle overview repaints nothing.
    void aRefreshAnnouncesOnlyChangedTiles() {
        BusHealth.Units[2].LastGoodAt = 0;
        TOverviewView view;
        view.Refresh(0);
        QSignalSpy changed(&view.Model(), &QAbstractItemModel::dataChanged);
        QSignalSpy reset(&view.Model(), &QAbstractItemModel::modelReset);
        view.Refresh(9000); // the last reply is still under ten seconds old
        QCOMPARE(changed.count(), 0);
        UpsTable[5].LoadPctA = 55;
        view.Refresh(9600);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().at(0).toModelIndex().row(), 1);
        view.Refresh(10600); // unit 2's last reply is ten seconds old now
        QCOMPARE(changed.count(), 2);
        QCOMPARE(changed.last().at(0).toModelIndex().row(), 0);
        QCOMPARE(view.Model().TextsAt(0).Since, QString("Last reply 10 s"));
        QCOMPARE(reset.count(), 0);
        // A unit added to the list rebuilds the rows.
        QVERIFY(AppendEquip({0, 11, "UPS eleven"}));
        view.Refresh(9700);
        QCOMPARE(reset.count(), 1);
        QCOMPARE(view.Model().rowCount(), 4);
    }

    void screenReaderHearsEachTile() {
        TOverviewView view;
        view.resize(800, 400);
        view.show();
        view.Refresh(0);
        auto* tiles = Child<QListView>(&view, "lvTiles");
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(tiles);
        QVERIFY(list != nullptr);
        QCOMPARE(list->text(QAccessible::Name), QString("Overview"));
        auto tileName = [list](int row) {
            for (int i = 0; i < list->childCount(); ++i) {
                QAccessibleInterface* child = list->child(i);
                if (child->role() == QAccessible::ListItem && i == row)
                    return child->text(QAccessible::Name);
            }
            return QString();
        };
        QCOMPARE(tileName(0), QString("UPS two, address 2, On battery"));
        view.ApplyLanguage(1);
        QCOMPARE(list->text(QAccessible::Name), QString("总览"));
        QCOMPARE(tileName(2), QString("UPS nine，地址 9，通讯中断"));
        QCOMPARE(view.Model().TextsAt(2).Figures.first(), QString("负载 --"));
        QCOMPARE(view.Model().TextsAt(0).Figures.at(2), QString("输入 220.0 V"));
    }
};

QTEST_MAIN(TestOverviewView)
#include "test_overviewview.moc"
