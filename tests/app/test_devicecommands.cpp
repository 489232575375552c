// The main window's device commands open their windows: the property
// dialog on a page node renames its device, Append adds one, Search runs
// its window and the About box opens the trace window it was given.

#include "app/DeviceCommands.h"
#include "app/DeviceTree.h"
#include "app/UFrmMain.h"
#include "base/ProgramFolder.h"
#include "config/UUserParaIni.h"
#include "devices/UFrmAbout.h"
#include "devices/UFrmNewEquip.h"
#include "devices/UFrmProperty.h"
#include "devices/uFrmEquipSearch.h"
#include "protocol/EngineState.h"
#include "record/EquipList.h"
#include "tests/support/TempFolder.h"
#include "ui/BeatTimer.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <memory>

namespace {

// Runs `act` on the modal window the next command opens, then closes it.
template <typename TDialog>
bool OnModal(const std::function<void(TDialog&)>& act, const std::function<void()>& command) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        seen = true;
        act(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    command();
    return seen;
}

} // namespace

class TestDeviceCommands : public QObject {
    Q_OBJECT

    std::unique_ptr<TTempFolder> FTemp;
    std::unique_ptr<TFrmMain> FWin;

    template <typename T> T* Child(QObject* parent, const char* name) {
        T* child = parent->findChild<T*>(QLatin1String(name));
        if (child == nullptr)
            qFatal("no child %s", name);
        return child;
    }

private slots:
    void init() {
        FTemp = std::make_unique<TTempFolder>();
        SetProgramFolder(FTemp->Path());
        UserPara = {};
        EquipList = {};
        FWin = std::make_unique<TFrmMain>();
        FWin->findChild<TBeatTimer*>("Timer1")->Stop();
        FWin->DeviceTree().AddEquip({0, 4, "UPS4"});
        FWin->DeviceTree().AddEquip({0, 9, "UPS9"});
        FWin->show();
    }
    void cleanup() {
        FWin.reset();
        SearchMode = 0;
    }

    // The "Graph" page node of the second device stands for that device.
    void propertyOnAPageNodeRenamesItsDevice() {
        auto* tree = Child<QTreeWidget>(FWin.get(), "TreeView1");
        tree->setCurrentItem(tree->topLevelItem(1)->child(1));
        QCOMPARE(FWin->DeviceTree().SelectedNodeIndex(), 5);
        QString shown;
        const bool opened = OnModal<TFrmProperty>(
            [&](TFrmProperty& d) {
                auto* name = Child<QLineEdit>(&d, "edtName");
                shown = name->text() + "@" + Child<QLineEdit>(&d, "edtAddress")->text();
                name->setText("Hall B");
                QTest::mouseClick(Child<QPushButton>(&d, "btnOK"), Qt::LeftButton);
            },
            [&] {
                QTest::mouseClick(Child<QPushButton>(FWin.get(), "btnProperty"), Qt::LeftButton);
            });
        QVERIFY(opened);
        QCOMPARE(shown, QString("UPS9@9"));
        QCOMPARE(EquipList.At(2).Name, std::string("Hall B"));
        QCOMPARE(EquipList.At(1).Name, std::string("UPS4"));
        QCOMPARE(tree->topLevelItem(1)->text(0), QString("Hall B"));
        QCOMPARE(ReadBytes(TreeFilePath()).substr(EquipRecordSize + 2, 6), std::string("Hall B"));

        // Without a selected node the button does nothing.
        tree->clearSelection();
        tree->setCurrentItem(nullptr);
        QVERIFY(!OnModal<TFrmProperty>(
            [](TFrmProperty&) {},
            [&] {
                QTest::mouseClick(Child<QPushButton>(FWin.get(), "btnProperty"), Qt::LeftButton);
            }));
    }

    void appendAddsToTheTreeAndTheFile() {
        const bool opened = OnModal<TFrmNewEquip>(
            [&](TFrmNewEquip& d) {
                Child<QLineEdit>(&d, "edtName")->setText("New");
                Child<QComboBox>(&d, "cbAddress")->setCurrentText("5");
                QTest::mouseClick(Child<QPushButton>(&d, "btnOK"), Qt::LeftButton);
            },
            [&] {
                QTest::mouseClick(Child<QPushButton>(FWin.get(), "btnAppend"), Qt::LeftButton);
            });
        QVERIFY(opened);
        QCOMPARE(EquipList.Count, uint8_t(3));
        QCOMPARE(EquipList.At(3).Address, uint8_t(5));
        QCOMPARE(Child<QTreeWidget>(FWin.get(), "TreeView1")->topLevelItemCount(), 3);
        QCOMPARE(ReadBytes(TreeFilePath()).size(), std::size_t(3 * EquipRecordSize));
    }

    void searchOpensItsWindow() {
        QVERIFY(OnModal<TFrmEquipSearch>(
            [&](TFrmEquipSearch& d) { QCOMPARE(d.Search().Found().size(), std::size_t(0)); },
            [&] {
                QTest::mouseClick(Child<QPushButton>(FWin.get(), "btnSearch"), Qt::LeftButton);
            }));
    }

    // The menu entry and the tool button both open the About box, which
    // opens the trace window it was handed.
    void aboutOpensTheTraceWindow() {
        int shown = 0;
        FWin->DeviceCommands().SetTraceDoor({[&] { ++shown; }, [] {}});
        for (const char* name : {"mni501", "ToolButton6"}) {
            QVERIFY(OnModal<TFrmAbout>([](TFrmAbout& box) { QTest::keyClicks(&box, "40517293"); },
                                       [&] { Child<QAction>(FWin.get(), name)->trigger(); }));
        }
        QCOMPARE(shown, 2);
    }
};

QTEST_MAIN(TestDeviceCommands)
#include "test_devicecommands.moc"
