// The bus search end to end: the real poll engine window with the real
// protocol objects, the real search window and pelmora-sim on a
// pseudo-terminal, once per protocol. Units answer at 3, 7, 12 and 20; a
// search over 1-16 must probe each of 1..16 exactly once and find exactly
// 3, 7 and 12, which Append then puts into the device list and its file.
//
// The engine runs on its own 100 ms timer here, as in the program: one
// address per 1.3 s, so a run takes some 21 s.

#include "base/ProgramFolder.h"
#include "comm/UFrmCom.h"
#include "config/UUserParaIni.h"
#include "devices/uFrmEquipSearch.h"
#include "logging/UDataLogClass.h"
#include "logging/uEventLogClass.h"
#include "protocol/EngineState.h"
#include "record/EquipList.h"
#include "record/UpsRecordOps.h"
#include "tests/e2e/ChildProcess.h"
#include "tests/e2e/SimTraffic.h"
#include "tests/support/TempFolder.h"

#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <filesystem>
#include <memory>
#include <thread>

namespace {

constexpr int SearchTimeoutMs = 60000;

template <typename T> T* Child(QWidget* parent, const char* name) {
    T* child = parent->findChild<T*>(QLatin1String(name));
    if (child == nullptr)
        qFatal("no child %s", name);
    return child;
}

QStringList Items(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

} // namespace

class TestE2eSearch : public QObject {
    Q_OBJECT

private slots:
    void searchFindsTheSimulatedUnits_data() {
        QTest::addColumn<int>("protocol");
        QTest::newRow("Modular") << 0;
        QTest::newRow("ThreePhase") << 1;
        QTest::newRow("Modbus") << 2;
        QTest::newRow("Vex") << 3;
    }

    void searchFindsTheSimulatedUnits() {
        QFETCH(int, protocol);
        TTempFolder folder;
        const std::string link = folder.Path() + "ttyUPS";
        TChildProcess sim({.Program = PELMORA_SIM_PATH,
                           .Args = {"--protocol", std::to_string(protocol), "--units", "3,7,12,20",
                                    "--link", link},
                           .StderrPath = folder.Path() + "sim.log"});
        for (int i = 0; i < 100 && !std::filesystem::is_symlink(link); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        QVERIFY2(std::filesystem::is_symlink(link), ReadBytes(folder.Path() + "sim.log").c_str());

        SetProgramFolder(folder.Path());
        std::filesystem::create_directories(RecordPath());
        UserPara = {};
        UserPara.PortInfo.ComName = link;
        UserPara.PortInfo.BaudRate = 9600;
        UserPara.PortInfo.ReadIntervalTimeout = 50;
        UserPara.PortInfo.MaxReSend = 2;
        UserPara.PortInfo.Protocol = uint8_t(protocol);
        EquipList = {};
        InitTable();
        TEventLog events(RecordPath(), EventLogFileName, BackupPath());
        TDataLog data(RecordPath());
        TFrmCom engine(events, data);
        QVERIFY(engine.IsCommOpen());

        TFrmEquipSearch search(nullptr);
        search.Tell = [](QWidget*, const QString& text) { QFAIL(qPrintable(text)); };
        search.show();
        QCOMPARE(Child<QSpinBox>(&search, "seFrom")->value(), 1);
        QCOMPARE(Child<QSpinBox>(&search, "seTo")->value(), 16);
        QTest::mouseClick(Child<QPushButton>(&search, "btnSearch"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!search.Search().Searching(), SearchTimeoutMs);
        QVERIFY(search.Search().Completed());
        QCOMPARE(Items(Child<QListWidget>(&search, "lbSearched")), (QStringList{"3", "7", "12"}));

        // What the simulator heard during the search: each address once.
        std::vector<int> probed;
        for (const TSimFrame& frame : ParseSimTraffic(ReadBytes(folder.Path() + "sim.log")))
            if (!frame.Reply)
                probed.push_back(frame.Address);
        probed.resize(std::min<std::size_t>(probed.size(), 16));
        std::vector<int> expected;
        for (int a = 1; a <= 16; ++a)
            expected.push_back(a);
        QCOMPARE(probed, expected);

        QTest::mouseClick(Child<QPushButton>(&search, "btnSelAll"), Qt::LeftButton);
        QTest::mouseClick(Child<QPushButton>(&search, "btnAppend"), Qt::LeftButton);
        QCOMPARE(EquipList.Count, uint8_t(3));
        QCOMPARE(EquipList.At(3).Address, uint8_t(12));
        QCOMPARE(EquipList.At(3).Name, std::string("12"));
        QCOMPARE(ReadBytes(TreeFilePath()).size(), std::size_t(3 * EquipRecordSize));
        search.accept();
    }
};

QTEST_MAIN(TestE2eSearch)
#include "test_e2e_search.moc"
