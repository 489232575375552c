// The device windows on the offscreen platform: the search window driven as
// the poll engine drives it, the add and property dialogs and the About box,
// in both languages. Messages are recorded instead of shown.

#include "base/ProgramFolder.h"
#include "comm/SearchHooks.h"
#include "config/UUserParaIni.h"
#include "devices/UFrmAbout.h"
#include "devices/UFrmNewEquip.h"
#include "devices/UFrmProperty.h"
#include "devices/uFrmEquipSearch.h"
#include "protocol/EngineState.h"
#include "record/EquipList.h"
#include "tests/support/TempFolder.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include <filesystem>
#include <memory>

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QStringList Items(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

void SetList(const std::vector<int>& addresses) {
    EquipList = TEquipList{};
    for (int address : addresses)
        (void)AppendEquip({0, uint8_t(address), "UPS" + std::to_string(address)});
}

template <typename T> T* Child(QWidget* parent, const char* name) {
    T* child = parent->findChild<T*>(QLatin1String(name));
    if (child == nullptr)
        qFatal("no child %s", name);
    return child;
}

} // namespace

class TestDeviceWindows : public QObject {
    Q_OBJECT

    std::unique_ptr<TTempFolder> FTemp;
    QStringList FTold;

    TTellUser Recorder() {
        return [this](QWidget*, const QString& text) { FTold << text; };
    }

    // Runs the search as the poll engine would: one address per request
    // cycle until the window ends it; `answer` says which addresses reply.
    static void RunSearch(const TFrmEquipSearch& w, const std::vector<int>& answering) {
        for (int guard = 0; SearchMode != 0 && guard < 300; ++guard) {
            const uint8_t address = SearchHooks.NextSearchAddress();
            if (SearchMode == 0)
                break;
            for (int a : answering)
                if (a == address)
                    SearchHooks.DeviceFound(address);
        }
        QCOMPARE(w.Search().Searching(), false);
    }

private slots:
    void init() {
        FTemp = std::make_unique<TTempFolder>();
        SetProgramFolder(FTemp->Path());
        std::filesystem::create_directories(RecordPath());
        UserPara = {};
        SearchMode = 0;
        SearchHooks = {};
        EquipList = {};
        FTold.clear();
    }
    void cleanup() {
        SearchMode = 0;
        SearchHooks = {};
    }

    void searchWindowFollowsTheSearch_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("stop");
        QTest::addColumn<QString>("completed");
        QTest::addColumn<QString>("addrHeader");
        QTest::addColumn<QString>("stopFirst");
        QTest::newRow("English") << 0 << "Search Equipment"
                                 << "Search"
                                 << "Stop"
                                 << "Search Completed !"
                                 << "Addr"
                                 << "Please stop search before close this forms !";
        QTest::newRow("Chinese") << 1 << U("设备搜索") << U("搜索") << U("停止") << U("搜索完毕!")
                                 << U("地址") << U("请先停止搜索再关闭窗口!");
    }

    // From 5 to 5 probes one address; the button, progress bar and completion
    // text follow the search, and the window cannot close while it runs.
    void searchWindowFollowsTheSearch() {
        QFETCH(int, language);
        QFETCH(QString, caption);
        QFETCH(QString, search);
        QFETCH(QString, stop);
        QFETCH(QString, completed);
        QFETCH(QString, addrHeader);
        QFETCH(QString, stopFirst);
        UserPara.Language = uint8_t(language);
        SetList({9, 2});
        TFrmEquipSearch w(nullptr);
        w.Tell = Recorder();
        w.show();
        QCOMPARE(w.windowTitle(), caption);
        QCOMPARE(Items(Child<QListWidget>(&w, "lbExisted")), (QStringList{"9", "2"}));
        auto* from = Child<QSpinBox>(&w, "seFrom");
        auto* to = Child<QSpinBox>(&w, "seTo");
        QCOMPARE(from->value(), 1);
        QCOMPARE(to->value(), 16);
        QCOMPARE(from->maximum(), 16);
        QCOMPARE(to->maximum(), 252);
        QCOMPARE(Child<QTableWidget>(&w, "sgAppend")->horizontalHeaderItem(0)->text(), addrHeader);
        QCOMPARE(Child<QTableWidget>(&w, "sgAppend")->rowCount(), 1);

        to->setValue(5);
        QCOMPARE(from->maximum(), 5);
        from->setValue(5);
        QCOMPARE(to->minimum(), 5);
        to->setValue(3); // below From: held at From
        QCOMPARE(to->value(), 5);

        auto* button = Child<QPushButton>(&w, "btnSearch");
        auto* progress = Child<QProgressBar>(&w, "ProgressBar1");
        auto* finish = Child<QLabel>(&w, "lblFinish");
        QCOMPARE(button->text(), search);
        QVERIFY(!progress->isVisible());
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(SearchMode, uint8_t(255));
        QCOMPARE(button->text(), stop);
        QVERIFY(progress->isVisible());
        QVERIFY(!finish->isVisible());

        w.reject(); // Esc or the close button
        QVERIFY(w.isVisible());
        QCOMPARE(FTold, QStringList{stopFirst});

        QCOMPARE(SearchHooks.NextSearchAddress(), uint8_t(5));
        QCOMPARE(progress->value(), 5);
        SearchHooks.DeviceFound(5);
        SearchHooks.DeviceFound(5);
        (void)SearchHooks.NextSearchAddress();
        QCOMPARE(SearchMode, uint8_t(0));
        QCOMPARE(button->text(), search);
        QVERIFY(!progress->isVisible());
        QVERIFY(finish->isVisible());
        QCOMPARE(finish->text(), completed);
        QCOMPARE(Items(Child<QListWidget>(&w, "lbSearched")), QStringList{"5"});

        w.reject();
        QVERIFY(!w.isVisible());
        QCOMPARE(FTold.size(), 1);
    }

    // Stop keeps what was found and shows no completion; the window's end
    // ends any search and leaves the engine without a search window.
    void stopKeepsTheFoundListAndTheEndUnhooks() {
        auto w = std::make_unique<TFrmEquipSearch>(nullptr);
        w->show();
        QTest::mouseClick(Child<QPushButton>(w.get(), "btnSearch"), Qt::LeftButton);
        (void)SearchHooks.NextSearchAddress();
        SearchHooks.DeviceFound(1);
        QTest::mouseClick(Child<QPushButton>(w.get(), "btnSearch"), Qt::LeftButton);
        QCOMPARE(SearchMode, uint8_t(0));
        QCOMPARE(Items(Child<QListWidget>(w.get(), "lbSearched")), QStringList{"1"});
        QCOMPARE(Child<QLabel>(w.get(), "lblFinish")->text().trimmed(), QString());

        QTest::mouseClick(Child<QPushButton>(w.get(), "btnSearch"), Qt::LeftButton);
        QCOMPARE(SearchMode, uint8_t(255));
        w.reset();
        QCOMPARE(SearchMode, uint8_t(0));
        QVERIFY(!SearchHooks.NextSearchAddress);
        QVERIFY(!SearchHooks.DeviceFound);
    }

    // Found 3, 7, 9 with 7 listed: the pick rules and their messages, then
    // Append with names into the list, the tree and TreeNode.dat.
    void pickAndAppend() {
        SetList({7});
        int rebuilds = 0;
        TFrmEquipSearch w([&] { ++rebuilds; });
        w.Tell = Recorder();
        w.show();
        QTest::mouseClick(Child<QPushButton>(&w, "btnSearch"), Qt::LeftButton);
        RunSearch(w, {9, 7, 3});
        auto* found = Child<QListWidget>(&w, "lbSearched");
        QCOMPARE(Items(found), (QStringList{"3", "7", "9"}));
        QCOMPARE(found->currentRow(), 0);
        auto* grid = Child<QTableWidget>(&w, "sgAppend");
        auto* one = Child<QPushButton>(&w, "btnSelOne");
        auto* append = Child<QPushButton>(&w, "btnAppend");

        QTest::mouseClick(append, Qt::LeftButton);
        QCOMPARE(FTold.takeLast(), QString("There are no equipment that can be appended"));

        found->setCurrentRow(1);
        QTest::mouseClick(one, Qt::LeftButton);
        QCOMPARE(FTold.takeLast(), QString("This address is already exists !"));
        QCOMPARE(grid->rowCount(), 1);
        found->setCurrentRow(2);
        QTest::mouseClick(one, Qt::LeftButton);
        QTest::mouseClick(one, Qt::LeftButton);
        QCOMPARE(FTold.takeLast(),
                 QString("You had appended this address to the list,not to append again"));
        QCOMPARE(grid->rowCount(), 2);
        QCOMPARE(grid->item(0, 0)->text(), QString("9"));
        QCOMPARE(grid->item(0, 1)->text(), QString("9"));
        QVERIFY(!(grid->item(0, 0)->flags() & Qt::ItemIsEditable));

        QTest::mouseClick(Child<QPushButton>(&w, "btnSelAll"), Qt::LeftButton);
        QCOMPARE(grid->rowCount(), 3);
        QCOMPARE(grid->item(0, 0)->text(), QString("3"));
        QCOMPARE(grid->item(1, 0)->text(), QString("9"));

        grid->item(1, 1)->setText(QString());
        QTest::mouseClick(append, Qt::LeftButton);
        QCOMPARE(FTold.takeLast(), QString("Please set Equipment name for every Equipment in the "
                                           "list before append !"));
        QCOMPARE(EquipList.Count, uint8_t(1));

        grid->item(0, 1)->setText(U("一号机房"));
        grid->item(1, 1)->setText("UPS nine");
        QTest::mouseClick(append, Qt::LeftButton);
        QVERIFY(FTold.isEmpty());
        QCOMPARE(rebuilds, 1);
        QCOMPARE(grid->rowCount(), 1);
        QCOMPARE(Items(Child<QListWidget>(&w, "lbExisted")), (QStringList{"3", "7", "9"}));
        QCOMPARE(EquipList.Count, uint8_t(3));
        QCOMPARE(QString::fromStdString(EquipList.At(2).Name), U("一号机房"));
        const std::string file = ReadBytes(TreeFilePath());
        QCOMPARE(file.size(), std::size_t(3 * EquipRecordSize));
        // 一号机房 in GBK, then the CR fill.
        QCOMPARE(file.substr(EquipRecordSize + 1, 10),
                 std::string("\x03\xD2\xBB\xBA\xC5\xBB\xFA\xB7\xBF\x0D"));
        QCOMPARE(file.substr(2 * EquipRecordSize + 1, 9), std::string("\x09UPS nine"));

        QTest::mouseClick(Child<QPushButton>(&w, "btnSelAll"), Qt::LeftButton);
        QCOMPARE(grid->rowCount(), 1); // every found address is listed now
        QTest::mouseClick(Child<QPushButton>(&w, "btnClear"), Qt::LeftButton);
        QCOMPARE(grid->rowCount(), 1);
    }

    void addDialog_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("messages"); // no name, no address, too long
        QTest::newRow("English") << 0 << "Append Equipment"
                                 << QStringList{"Equipment Name is empty !",
                                                "Equipment Address is empty !",
                                                "Equipment name is too long !"};
        QTest::newRow("Chinese") << 1 << U("添加要监控的设备")
                                 << QStringList{U("设备名不能为空"), U("设备地址不能为空"),
                                                U("设备名过长")};
    }

    // Devices at 1 and 3: 2, 4, 5 ... 252 are offered, none chosen; the
    // checks run in their order; 20 Chinese characters fit, 21 do not.
    void addDialog() {
        QFETCH(int, language);
        QFETCH(QString, caption);
        QFETCH(QStringList, messages);
        UserPara.Language = uint8_t(language);
        SetList({1, 3});
        std::vector<TEquipItem> added;
        TFrmNewEquip d([&](const TEquipItem& item) { added.push_back(item); });
        d.Tell = Recorder();
        d.show();
        QCOMPARE(d.windowTitle(), caption);
        auto* box = Child<QComboBox>(&d, "cbAddress");
        QCOMPARE(box->count(), 250);
        QCOMPARE(box->itemText(0), QString("2"));
        QCOMPARE(box->itemText(1), QString("4"));
        QCOMPARE(box->itemText(249), QString("252"));
        QCOMPARE(box->currentIndex(), -1);
        auto* name = Child<QLineEdit>(&d, "edtName");
        auto* ok = Child<QPushButton>(&d, "btnOK");

        QTest::mouseClick(ok, Qt::LeftButton);
        name->setText("UPS");
        QTest::mouseClick(ok, Qt::LeftButton);
        box->setCurrentIndex(1);
        name->setText(QString(U("机")).repeated(21));
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(FTold, messages);
        QVERIFY(d.isVisible());
        QVERIFY(added.empty());

        name->setText(QString(U("机")).repeated(20));
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(added.size(), std::size_t(1));
        QCOMPARE(added[0].Address, uint8_t(4));
        QCOMPARE(EquipNameLength(added[0].Name), std::size_t(40));
    }

    // Shows the name up to the first CR and the address it cannot change;
    // renames through the node index it was given.
    void propertyDialog() {
        UserPara.Language = 0;
        SetList({4, 12});
        EquipList.At(2).Name = "UPS1" + std::string(36, '\x0D');
        int renamedNode = -1;
        std::string renamedTo;
        TFrmProperty d(3, 2, [&](int node, std::string_view name) {
            renamedNode = node;
            renamedTo = name;
        });
        d.Tell = Recorder();
        d.show();
        QCOMPARE(d.windowTitle(), QString("Equipment Property"));
        auto* name = Child<QLineEdit>(&d, "edtName");
        auto* address = Child<QLineEdit>(&d, "edtAddress");
        QCOMPARE(name->text(), QString("UPS1"));
        QCOMPARE(address->text(), QString("12"));
        QVERIFY(!address->isEnabled());
        auto* ok = Child<QPushButton>(&d, "btnOK");
        name->clear();
        QTest::mouseClick(ok, Qt::LeftButton);
        name->setText(QString(41, 'x'));
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(FTold, (QStringList{"Equipment name is empty !", "Equipment name is too long !"}));
        QCOMPARE(renamedNode, -1);
        name->setText("   ");
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(renamedNode, 3);
        QCOMPARE(renamedTo, std::string("   "));
        QVERIFY(!d.isVisible());

        TFrmProperty none(6, 0, nullptr);
        none.show();
        QCOMPARE(Child<QLineEdit>(&none, "edtName")->text(), QString());
        QCOMPARE(Child<QLineEdit>(&none, "edtAddress")->text(), QString());
    }

    void aboutBox_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("product");
        QTest::newRow("English") << 0 << "PC Monitor Software Version " PELMORA_VERSION;
        QTest::newRow("Chinese") << 1 << U("PC监控软件 版本 " PELMORA_VERSION);
    }

    // The product line with the version; the code typed at once opens the
    // trace window and closes the box, a digit before it does not until a
    // letter (which hides the trace window) empties the buffer.
    void aboutBox() {
        QFETCH(int, language);
        QFETCH(QString, product);
        UserPara.Language = uint8_t(language);
        int shown = 0, hidden = 0;
        const TTraceDoor door{[&] { ++shown; }, [&] { ++hidden; }};
        TFrmAbout box(door);
        box.show();
        QCOMPARE(Child<QLabel>(&box, "lblProduct")->text(), product);
        QCOMPARE(box.windowTitle(), language == 1 ? U("关于") : QString("About"));
        QTest::keyClicks(&box, "1"
                               "40517293");
        QCOMPARE(shown, 0);
        QTest::keyClicks(&box, "x");
        QCOMPARE(hidden, 1);
        QVERIFY(box.isVisible());
        QTest::keyClicks(&box, "40517293");
        QCOMPARE(shown, 1);
        QVERIFY(!box.isVisible());

        TFrmAbout again(door);
        again.show();
        QTest::keyClick(&again, Qt::Key_Escape);
        QVERIFY(!again.isVisible());
        QCOMPARE(shown, 1);
    }

    void aboutBoxDoubleClicks() {
        int shown = 0;
        TFrmAbout box(TTraceDoor{[&] { ++shown; }, nullptr});
        box.show();
        auto* product = Child<QLabel>(&box, "lblProduct");
        auto* count = Child<QLabel>(&box, "lblCount");
        QVERIFY(!count->isVisible());
        for (int i = 1; i <= 3; ++i) {
            QTest::mouseDClick(product, Qt::LeftButton);
            QCOMPARE(count->text(), QString::number(i));
            QVERIFY(count->isVisible());
        }
        QCOMPARE(shown, 0);
        QVERIFY(box.isVisible());
        QTest::mouseDClick(product, Qt::LeftButton);
        QCOMPARE(shown, 1);
        QVERIFY(!box.isVisible());
    }

    // Another window taking the focus closes the box.
    void aboutBoxClosesOnDeactivation() {
        TFrmAbout box(TTraceDoor{});
        box.show();
        box.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QTRY_VERIFY(!box.isVisible());
    }
};

QTEST_MAIN(TestDeviceWindows)
#include "test_devicewindows.moc"
