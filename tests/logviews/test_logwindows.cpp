// The log windows on the offscreen platform, over real files in a temporary
// program folder: the event viewer (filters, numbering, sort by header clicks,
// refresh on new events, export, clear), the data viewer (filters, sort,
// export, reload after a deletion), the setting and deletion dialogs and the
// progress window. The refresh timer is driven by calling its slot.

#include "base/ProgramFolder.h"
#include "base/SharedFlags.h"
#include "config/UUserParaIni.h"
#include "logging/TimeStamp.h"
#include "logging/UDataLogClass.h"
#include "logging/uEventLogClass.h"
#include "logviews/GridModel.h"
#include "logviews/LogGrid.h"
#include "logviews/LogTexts.h"
#include "logviews/UFrmDataLog.h"
#include "logviews/UFrmDataLogSet.h"
#include "logviews/UFrmDelDataRec.h"
#include "logviews/UFrmEventLog.h"
#include "logviews/UFrmProgress.h"
#include "tests/support/GridTabKeys.h"
#include "tests/support/TempFolder.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include <filesystem>
#include <memory>

namespace {
TEventRec Event(int y, int m, int d, uint8_t address, uint8_t kind, int32_t code,
                uint8_t flag = 255) {
    TEventRec rec;
    rec.Time = EncodeTimeStamp({y, m, d, 12, 0, 0, 0});
    rec.Address = address;
    rec.Kind = kind;
    rec.Code = code;
    rec.AlarmFlag = flag;
    return rec;
}

TDataRec Sample(int d, int hour, uint8_t address, double volt) {
    TUpsInfoRec ups;
    ups.InputVoltA = volt;
    ups.BattCapacity = address == 5 ? 0 : 90;
    return MakeDataRec(ups, address, EncodeTimeStamp({2008, 12, d, hour, 0, 0, 0}));
}

QStringList Column(QAbstractItemModel* model, int col, int rows) {
    QStringList cells;
    for (int r = 0; r < rows; ++r)
        cells << model->data(model->index(r, col), Qt::DisplayRole).toString();
    return cells;
}

// A left click in the middle of a header cell.
void ClickHeader(TLogGrid& grid, int col, Qt::MouseButton button = Qt::LeftButton) {
    QHeaderView* header = grid.horizontalHeader();
    const int x = header->sectionViewportPosition(col) + header->sectionSize(col) / 2;
    QTest::mouseClick(header->viewport(), button, {}, QPoint(x, header->height() / 2));
}

QStringList CsvLines(const std::string& path) {
    return QString::fromLatin1(QByteArray::fromStdString(ReadBytes(path))).split("\r\n");
}
} // namespace

class TestLogWindows : public QObject {
    Q_OBJECT

    std::unique_ptr<TTempFolder> Folder;
    std::unique_ptr<TEventLog> Store;
    std::unique_ptr<TfrmProgress> Progress;

    // Answers of the injected prompts.
    TLogPrompts Prompts(bool yes, const QString& saveName = {},
                        TCsvEncoding encoding = TCsvEncoding::Gbk) {
        TLogPrompts p;
        p.Ask = [this, yes](QWidget*, const QString& text, const QString&) {
            Asked << text;
            return yes;
        };
        p.SaveName = [saveName, encoding](QWidget*) { return TCsvTarget{saveName, encoding}; };
        p.Tell = [this](QWidget*, const QString& text) { Told << text; };
        p.Inform = [this](QWidget*, const QString& text) { Informed << text; };
        return p;
    }
    QStringList Asked, Told, Informed;

    void AppendEvents(const std::vector<TEventRec>& recs) {
        for (const TEventRec& r : recs)
            QVERIFY(Store->Append(r));
    }
    void AppendSamples(const std::vector<TDataRec>& recs) {
        TDataLog log(RecordPath());
        for (const TDataRec& r : recs)
            QVERIFY(log.Append(r));
    }
    // The event viewer shown, set to a time mode and searched.
    std::unique_ptr<TFrmEventLog> EventViewer(int timeMode, int year = 2008, int month = 12,
                                              int day = 1) {
        auto frm = std::make_unique<TFrmEventLog>(*Store, *Progress);
        frm->Prompts = Prompts(false);
        frm->show();
        frm->findChild<QSpinBox*>("seYear")->setValue(year);
        frm->findChild<QSpinBox*>("seMonth")->setValue(month);
        frm->findChild<QSpinBox*>("seDay")->setValue(day);
        frm->findChild<QGroupBox*>("rgTimeType")
            ->findChildren<QRadioButton*>()
            .at(timeMode)
            ->click();
        frm->btnSearchClick();
        return frm;
    }
    std::unique_ptr<TFrmDataLog> DataViewer(int day, int address) {
        auto frm = std::make_unique<TFrmDataLog>(*Progress, nullptr);
        frm->Prompts = Prompts(false);
        frm->show();
        frm->findChild<QSpinBox*>("seYear")->setValue(2008);
        frm->findChild<QSpinBox*>("seMonth")->setValue(12);
        if (day > 0) {
            frm->findChild<QGroupBox*>("rgSearchType")
                ->findChildren<QRadioButton*>()
                .at(1)
                ->click();
            frm->findChild<QSpinBox*>("seDay")->setValue(day);
        }
        if (address > 0) {
            frm->findChild<QCheckBox*>("cbAddress")->setChecked(true);
            frm->findChild<QSpinBox*>("seAddress")->setValue(address);
        }
        frm->btnSearchClick();
        return frm;
    }

private slots:
    void init() {
        Folder = std::make_unique<TTempFolder>();
        SetProgramFolder(Folder->Path());
        std::filesystem::create_directories(RecordPath());
        UserPara = TUserPara{};
        DebugShow = false;
        Store = std::make_unique<TEventLog>(RecordPath(), EventLogFileName, BackupPath());
        Progress = std::make_unique<TfrmProgress>();
        Asked.clear();
        Told.clear();
        Informed.clear();
    }
    void cleanup() {
        Progress.reset();
        Store.reset();
        Folder.reset();
    }

    void eventViewerFiltersAndNumbers() {
        AppendEvents({Event(2008, 11, 30, 0, 0, 20), Event(2008, 12, 1, 5, 1, 5),
                      Event(2008, 12, 5, 3, 2, 21, 1), Event(2008, 12, 5, 5, 2, 21, 0),
                      Event(2009, 1, 2, 0, 0, 21)});
        auto frm = EventViewer(2);
        QAbstractItemModel* model = frm->Grid().model();
        QCOMPARE(Column(model, 0, 3), (QStringList{"2", "3", "4"}));
        QCOMPARE(Column(model, 3, 3), (QStringList{"Recover from: Battery under voltage",
                                                   "Battery under voltage", "Battery Status"}));
        // Address 5: its two events, program events excluded.
        frm->findChild<QCheckBox*>("cbAddress")->setChecked(true);
        frm->findChild<QSpinBox*>("seAddress")->setValue(5);
        frm->btnSearchClick();
        QCOMPARE(model->rowCount(), 2);
        QCOMPARE(Column(model, 0, 2), (QStringList{"2", "4"}));
        // All times, no address: every record, newest first.
        frm->findChild<QCheckBox*>("cbAddress")->setChecked(false);
        frm->findChild<QGroupBox*>("rgTimeType")->findChildren<QRadioButton*>().at(0)->click();
        QVERIFY(!frm->findChild<QSpinBox*>("seYear")->isEnabled());
        frm->btnSearchClick();
        QCOMPARE(Column(model, 0, 5), (QStringList{"1", "2", "3", "4", "5"}));
        QCOMPARE(model->data(model->index(0, 2)).toString(), QString()); // address 0
    }

    void eventViewerEmptyLogShowsTwoBlankRows() {
        auto frm = EventViewer(0);
        QCOMPARE(frm->Grid().model()->rowCount(), 2);
        QVERIFY(FileExists(Store->FullPath())); // made by the count
    }

    void eventViewerHeaderClicksToggleTheSort() {
        for (int i = 0; i < 12; ++i)
            AppendEvents({Event(2008, 12, 1 + i, uint8_t(12 - i), 0, 22)});
        auto frm = EventViewer(0);
        QAbstractItemModel* model = frm->Grid().model();
        ClickHeader(frm->Grid(), 1);
        QCOMPARE(int(frm->SortCol()), 1);
        QCOMPARE(int(frm->SortDir()), 0);
        QCOMPARE(model->data(model->index(0, 1)).toString(), QString("2008-12-01 12:00:00"));
        ClickHeader(frm->Grid(), 1);
        QCOMPARE(int(frm->SortDir()), 1);
        QCOMPARE(model->data(model->index(0, 1)).toString(), QString("2008-12-12 12:00:00"));
        // Another column keeps the direction; addresses by value (12 above 9).
        ClickHeader(frm->Grid(), 2, Qt::MiddleButton);
        QCOMPARE(int(frm->SortCol()), 2);
        QCOMPARE(Column(model, 2, 3), (QStringList{"12", "11", "10"}));
        // A right click and a click on a data row change nothing.
        ClickHeader(frm->Grid(), 0, Qt::RightButton);
        QTest::mouseClick(frm->Grid().viewport(), Qt::LeftButton, {}, QPoint(10, 5));
        QCOMPARE(int(frm->SortCol()), 2);
        QCOMPARE(int(frm->SortDir()), 1);
        QCOMPARE(frm->Grid().horizontalHeader()->sortIndicatorSection(), 2);
        // The debug flag shows the sort state.
        DebugShow = true;
        frm->btnRefreshClick();
        auto* debug = frm->findChild<QLabel*>("lblSortDebug");
        QVERIFY(debug->isVisible());
        QCOMPARE(debug->text(), QString("FSortCol:2    FSortDir: DEC"));
    }

    void eventViewerReloadsOnChangedOnly() {
        AppendEvents({Event(2008, 12, 1, 1, 0, 22), Event(2008, 12, 2, 2, 0, 22)});
        auto frm = EventViewer(0);
        ClickHeader(frm->Grid(), 0); // index descending: oldest on top
        QCOMPARE(int(frm->SortDir()), 1);
        Store->Changed = 0;
        frm->Timer1Timer();
        QCOMPARE(frm->Grid().model()->data(frm->Grid().model()->index(0, 0)).toString(),
                 QString("2"));
        // A new event: the next tick reloads, ascending again, row 1 selected.
        AppendEvents({Event(2008, 12, 3, 3, 0, 22)});
        frm->Timer1Timer();
        QCOMPARE(Store->Changed, uint8_t(0));
        QCOMPARE(int(frm->SortDir()), 0);
        QAbstractItemModel* model = frm->Grid().model();
        QCOMPARE(Column(model, 0, 3), (QStringList{"1", "2", "3"}));
        QCOMPARE(model->data(model->index(0, 2)).toString(), QString("3"));
        QCOMPARE(frm->Grid().currentIndex().row(), 0);
        // Hidden, it still consumes the flag and reloads.
        frm->hide();
        AppendEvents({Event(2008, 12, 4, 4, 0, 22)});
        frm->Timer1Timer();
        QCOMPARE(model->rowCount(), 4);
    }

    void eventViewerClearAsksFirst() {
        AppendEvents({Event(2008, 12, 1, 1, 0, 22)});
        auto frm = EventViewer(0);
        frm->Prompts = Prompts(false);
        frm->btnClearClick();
        QCOMPARE(Asked, QStringList{"Are you sure Delete all records ? "});
        QCOMPARE(Store->RecordCount(), 1);
        QCOMPARE(frm->Table().FilledRows(), 1);
        frm->Prompts = Prompts(true);
        frm->btnClearClick();
        QCOMPARE(Store->RecordCount(), 0);
        QCOMPARE(frm->Table().FilledRows(), 0);
        QCOMPARE(frm->Grid().model()->rowCount(), 2);
        QCOMPARE(ReadBytes(BackupPath() + "EventLog1.dat").size(), std::size_t(48));
    }

    void eventViewerExportsAsShown() {
        UserPara.Language = 1;
        AppendEvents({Event(2008, 12, 1, 0, 0, 20), Event(2008, 12, 2, 3, 2, 21, 1)});
        auto frm = EventViewer(0);
        frm->Prompts = Prompts(false, QString::fromStdString(Folder->Path() + "events"));
        frm->btnExportClick();
        const QStringList lines = CsvLines(Folder->Path() + "events.csv");
        // Header in GBK, two rows, no blank row needed, and the last CR LF.
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0].toLatin1(), QByteArray("\xD0\xF2\xBA\xC5,\xCA\xB1\xBC\xE4,"
                                                 "\xC9\xE8\xB1\xB8\xB5\xD8\xD6\xB7,"
                                                 "\xCA\xC2\xBC\xFE,"));
        QVERIFY(lines[1].startsWith("1,2008-12-02 12:00:00,3,"));
        QVERIFY(lines[2].startsWith("2,2008-12-01 12:00:00,,"));
        QCOMPARE(lines[3], QString());
        QVERIFY(Told.isEmpty());
        // The user hears how many rows went where; no blank row was needed.
        const QString path = QString::fromStdString(Folder->Path() + "events.csv");
        QCOMPARE(Informed, QStringList{"已汇出 2 行记录到 " + path + " (GBK 编码)。"});

        // The same rows in UTF-8: the byte order mark, then the texts as shown.
        frm->Prompts = Prompts(false, path, TCsvEncoding::Utf8Bom);
        frm->btnExportClick();
        const QByteArray utf8 = QByteArray::fromStdString(ReadBytes(path.toStdString()));
        QVERIFY(utf8.startsWith("\xEF\xBB\xBF" + QString("序号,时间,设备地址,事件,\r\n").toUtf8()));
        QCOMPARE(Informed.last(), "已汇出 2 行记录到 " + path + " (UTF-8 编码)。");
    }

    void dataViewerFiltersSortsAndExports() {
        AppendSamples({Sample(5, 10, 3, 220.14), Sample(5, 11, 5, 9.5), Sample(4, 10, 3, 221.0),
                       Sample(5, 12, 3, 50.0)});
        auto frm = DataViewer(5, 3);
        QAbstractItemModel* model = frm->Grid().model();
        QCOMPARE(model->rowCount(), 19);
        QCOMPARE(frm->Table().FilledRows(), 2);
        QCOMPARE(Column(model, 2, 2), (QStringList{"220.1", "50.0"}));
        // Month mode: all four; the voltage sorts by value.
        frm->findChild<QCheckBox*>("cbAddress")->setChecked(false);
        frm->findChild<QGroupBox*>("rgSearchType")->findChildren<QRadioButton*>().at(0)->click();
        QVERIFY(!frm->findChild<QSpinBox*>("seDay")->isEnabled());
        frm->btnSearchClick();
        ClickHeader(frm->Grid(), 2);
        QCOMPARE(Column(model, 2, 4), (QStringList{"9.5", "50.0", "220.1", "221.0"}));
        ClickHeader(frm->Grid(), 1);
        ClickHeader(frm->Grid(), 1);
        QCOMPARE(int(frm->SortDir()), 1);
        QCOMPARE(Column(model, 1, 4), (QStringList{"5", "3", "3", "3"}));
        QCOMPARE(Column(model, 13, 1), QStringList{""}); // capacity 0
        // Export in the shown order: header, 4 rows, 15 blank ones.
        frm->Prompts = Prompts(false, QString::fromStdString(Folder->Path() + "month.csv"));
        frm->btnExportClick();
        const QStringList lines = CsvLines(Folder->Path() + "month.csv");
        QCOMPARE(lines.size(), 21);
        QVERIFY(lines[1].startsWith("2008-12-05 11:00:00,5,9.5,"));
        QVERIFY(lines[1].endsWith(",,,"));
        QCOMPARE(lines[19], QString(15, ','));
        QCOMPARE(Informed,
                 QStringList{"4 row(s) and the grid's 15 blank row(s) exported to " +
                             QString::fromStdString(Folder->Path()) + "month.csv (GBK)."});
    }

    // A restore or a second copy of the program truncates the month under an
    // open viewer: reading the gone rows must not end the process, the grid
    // drops them, and the user is asked whether to read the month again.
    void dataViewerMonthShrinksUnderIt_data() {
        QTest::addColumn<bool>("duringExport");
        QTest::newRow("shown") << false;
        QTest::newRow("exporting") << true;
    }
    void dataViewerMonthShrinksUnderIt() {
        QFETCH(bool, duringExport);
        UserPara.Language = 0;
        std::vector<TDataRec> samples;
        for (int i = 0; i < 400; ++i) // a dozen pages
            samples.push_back(Sample(1 + i % 28, i % 24, uint8_t(1 + i % 9), 200.0 + i));
        AppendSamples(samples);
        const std::string month = RecordPath() + "DataLog2008_12.dat";
        auto frm = DataViewer(0, 0);
        QCOMPARE(frm->Table().FilledRows(), 400);
        const std::filesystem::path csv = Folder->Path() + "shrunk.csv";
        if (duringExport) {
            // The name is asked for with the rows already chosen: the file
            // shrinks before any of them is written.
            frm->Prompts = Prompts(true, QString::fromStdString(csv.string()));
            auto saveName = frm->Prompts.SaveName;
            frm->Prompts.SaveName = [&](QWidget* parent) {
                std::filesystem::resize_file(month, 10 * 128);
                return saveName(parent);
            };
            frm->btnExportClick();
            QVERIFY(std::filesystem::exists(csv));
            // What was written is not what the grid showed: no word of a done export.
            QVERIFY(Informed.isEmpty());
        } else {
            std::filesystem::resize_file(month, 10 * 128);
            QAbstractItemModel* model = frm->Grid().model();
            // Rows past the end and a repaint read gone pages.
            (void)model->data(model->index(399, 2)).toString();
            frm->Grid().scrollToBottom();
            (void)frm->Grid().grab();
            QVERIFY(frm->Table().FileChanged());
            frm->Prompts = Prompts(true);
            frm->CheckMonthFile();
        }
        QCOMPARE(Asked, QStringList{QString::fromUtf8(PickText(
                            duringExport ? MonthChangedInExportText : MonthChangedText, 0))});
        // Reloaded on Yes: what is left of the month.
        QCOMPARE(frm->Table().FilledRows(), 10);
        QVERIFY(!frm->Table().FileChanged());
        frm->CheckMonthFile();
        QCOMPARE(Asked.size(), 1);
    }

    void dataViewerMissingMonthAndDeletion() {
        AppendSamples({Sample(5, 10, 3, 220.0)});
        auto frm = DataViewer(0, 0);
        QCOMPARE(frm->Table().FilledRows(), 1);
        TFrmDelDataRec del(RecordPath());
        del.Prompts = Prompts(true);
        connect(&del, &TFrmDelDataRec::MonthDeleted, frm.get(), &TFrmDataLog::btnSearchClick);
        del.show();
        QListWidget& list = del.MonthList();
        QCOMPARE(list.count(), 1);
        // Nothing selected: the question, then nothing.
        del.btnDeleteClick();
        QCOMPARE(Asked.size(), 1);
        QVERIFY(FileExists(RecordPath() + "DataLog2008_12.dat"));
        list.setCurrentRow(0);
        del.btnDeleteClick();
        QVERIFY(!FileExists(RecordPath() + "DataLog2008_12.dat"));
        QCOMPARE(list.count(), 0);
        QCOMPARE(frm->Table().FilledRows(), 0);
        QCOMPARE(frm->Grid().model()->rowCount(), 19);
    }

    void dataLogSettingDialog_data() {
        QTest::addColumn<int>("recInterval");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("typed"); // typed into the box before OK; empty: nothing
        QTest::addColumn<int>("toggles");   // clicks on the switch before OK
        QTest::addColumn<int>("stored");
        QTest::newRow("600 opens at 60 s") << 600 << true << 60 << "" << 0 << 600;
        QTest::newRow("50 opens at 10 s") << 50 << true << 10 << "" << 0 << 100;
        QTest::newRow("off opens at 60 s") << 0 << false << 60 << "" << 0 << 0;
        QTest::newRow("off, ticked") << 0 << false << 60 << "" << 1 << 600;
        QTest::newRow("unticked") << 600 << true << 60 << "" << 1 << 0;
        QTest::newRow("typed 500") << 600 << true << 60 << "500" << 0 << 3000;
        QTest::newRow("typed 5") << 600 << true << 60 << "5" << 0 << 100;
        QTest::newRow("typed text") << 600 << true << 60 << "abc" << 0 << 100;
    }
    void dataLogSettingDialog() {
        QFETCH(int, recInterval);
        QFETCH(bool, ticked);
        QFETCH(int, seconds);
        QFETCH(QString, typed);
        QFETCH(int, toggles);
        QFETCH(int, stored);
        UserPara.RecInterval = recInterval;
        int restarts = 0;
        TFrmDataLogSet dialog([&restarts] { ++restarts; });
        dialog.show();
        QCOMPARE(dialog.Switch().isChecked(), ticked);
        QCOMPARE(dialog.IntervalBox().value(), seconds);
        QCOMPARE(dialog.IntervalBox().isEnabled(), ticked);
        for (int i = 0; i < toggles; ++i)
            dialog.Switch().click();
        if (!typed.isEmpty()) {
            QLineEdit* edit = dialog.IntervalBox().findChild<QLineEdit*>();
            edit->selectAll();
            QTest::keyClicks(edit, typed);
        }
        dialog.findChild<QPushButton*>("btnOK")->click();
        QCOMPARE(UserPara.RecInterval, stored);
        QCOMPARE(restarts, 1);
        // Stored at once: the port's reopening reads the file again.
        UserPara.RecInterval = -1;
        LoadUserPara();
        QCOMPARE(UserPara.RecInterval, stored);
        // Cancel changes nothing.
        TFrmDataLogSet again([&restarts] { ++restarts; });
        again.findChild<QPushButton*>("btnCancel")->click();
        QCOMPARE(UserPara.RecInterval, stored);
        QCOMPARE(restarts, 1);
    }

    void gridFollowsTheLocaleButTheCsvKeepsThePoint() {
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        AppendSamples({Sample(5, 10, 3, 220.14)});
        auto frm = DataViewer(0, 0);
        QLocale::setDefault(before);
        QAbstractItemModel* model = frm->Grid().model();
        QCOMPARE(model->data(model->index(0, 2)).toString(), QString("220,1"));
        QCOMPARE(model->data(model->index(0, 0)).toString(), QString("2008-12-05 10:00:00"));
        frm->Prompts = Prompts(false, QString::fromStdString(Folder->Path() + "de"));
        frm->btnExportClick();
        QVERIFY(CsvLines(Folder->Path() + "de.csv")[1].startsWith("2008-12-05 10:00:00,3,220.1,"));
    }

    void progressWindowClampsAndSpeaksTheLanguage() {
        UserPara.Language = 1;
        Progress->SetProgress(25, 20);
        QCOMPARE(Progress->findChild<QLabel*>("lblNumber")->text(), QString("20"));
        QCOMPARE(Progress->findChild<QLabel*>("lblCaption")->text(),
                 QString::fromUtf8("正在汇出......"));
        UserPara.Language = 0;
        Progress->SetProgress(3, 20);
        QCOMPARE(Progress->findChild<QLabel*>("lblCaption")->text(), QString("Remitting......"));
        QCOMPARE(Progress->findChild<QLabel*>("lblNumber")->text(), QString("3"));
    }

    // A keyboard user is never caught in a grid: Tab goes on to the next
    // control, Ctrl+Tab moves inside.
    void gridsLetTabLeave() {
        AppendEvents({Event(2008, 12, 1, 0, 0, 20)});
        AppendSamples({Sample(5, 10, 3, 220.0)});
        auto events = EventViewer(0);
        auto data = DataViewer(0, 0);
        for (QWidget* window : std::initializer_list<QWidget*>{events.get(), data.get()}) {
            auto* grid = window->findChild<TLogGrid*>();
            VerifyTabLeavesGrid(grid);
            VerifyCtrlTabMovesInside(grid);
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(window->metaObject()->className()));
        }
    }

    void windowsSpeakBothLanguages() {
        for (uint8_t language : {uint8_t(0), uint8_t(1)}) {
            UserPara.Language = language;
            const bool zh = language == 1;
            TFrmEventLog events(*Store, *Progress);
            events.show();
            QCOMPARE(events.windowTitle(), zh ? QString::fromUtf8("事件日志") : "Event Log");
            QCOMPARE(events.findChild<QPushButton*>("btnClear")->text(),
                     zh ? QString::fromUtf8("清空数据库") : "Clear Database");
            TFrmDataLog data(*Progress, nullptr);
            data.show();
            QCOMPARE(data.windowTitle(), zh ? QString::fromUtf8("数据日志") : "Data Log");
            QCOMPARE(data.Grid().model()->headerData(14, Qt::Horizontal).toString(),
                     zh ? QString::fromUtf8("电池后备时间(分)") : "BattSuppTime(min)");
            TFrmDelDataRec del(RecordPath());
            del.show();
            QCOMPARE(del.windowTitle(), zh ? QString::fromUtf8("删除月记录") : "Delete Data Log");
            TFrmDataLogSet set(nullptr);
            QCOMPARE(set.windowTitle(),
                     zh ? QString::fromUtf8("数据日志设定") : "Data Log Setting");
        }
    }
};

QTEST_MAIN(TestLogWindows)
#include "test_logwindows.moc"
