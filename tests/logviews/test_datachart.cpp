// The data viewer's chart on the offscreen platform, over a real month file:
// opened from the viewer with the chosen unit and column, the limit of eight
// units, zoom and pan by wheel, drag and keys, the pointer's readout in the
// grid's decimals, the PNG file, and the axis texts across a change of
// daylight saving time.

#include "base/ProgramFolder.h"
#include "config/UUserParaIni.h"
#include "logging/TimeStamp.h"
#include "logging/UDataLogClass.h"
#include "logviews/DataChart.h"
#include "logviews/LogGrid.h"
#include "logviews/UFrmDataChart.h"
#include "logviews/UFrmDataLog.h"
#include "logviews/UFrmProgress.h"
#include "tests/support/TempFolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>

namespace {
constexpr int Units = 9;

// Every unit at 10-minute steps through December 2008; unit 5 reads one
// 251.46 V at 12-17 10:00 and was not logged on 12-20.
void WriteMonth() {
    TDataLog log(RecordPath());
    for (int d = 1; d <= 31; ++d)
        for (int m = 0; m < 1440; m += 10)
            for (uint8_t a = 1; a <= Units; ++a) {
                if (a == 5 && d == 20)
                    continue;
                TUpsInfoRec ups;
                ups.InputVoltA = a == 5 && d == 17 && m == 600 ? 251.46 : 220 + a * 0.25;
                ups.LoadPctA = 40.4;
                QVERIFY(log.Append(
                    MakeDataRec(ups, a, EncodeTimeStamp({2008, 12, d, m / 60, m % 60, 0, 0}))));
            }
}

// The x of a time on the chart.
int XOf(TDataChart& chart, double t) {
    const QRect plot = chart.PlotRect();
    return plot.left() +
           int((t - chart.ViewStart()) / (chart.ViewEnd() - chart.ViewStart()) * plot.width());
}
} // namespace

class TestDataChart : public QObject {
    Q_OBJECT
    std::unique_ptr<TTempFolder> Folder;
    std::unique_ptr<TfrmProgress> Progress;
    QStringList Told;

    // The viewer over December 2008 (optionally one address), its chart
    // window handed to look.
    void WithChart(int address, int gridCol, const std::function<void(TFrmDataChart&)>& look) {
        TFrmDataLog viewer(*Progress, nullptr);
        viewer.Prompts.Tell = [this](QWidget*, const QString& text) { Told << text; };
        viewer.show();
        viewer.findChild<QSpinBox*>("seYear")->setValue(2008);
        viewer.findChild<QSpinBox*>("seMonth")->setValue(12);
        viewer.findChild<QCheckBox*>("cbAddress")->setChecked(address != 0);
        viewer.findChild<QSpinBox*>("seAddress")->setValue(std::max(address, 1));
        viewer.btnSearchClick();
        viewer.Grid().setCurrentIndex(viewer.Grid().model()->index(0, gridCol));
        bool shown = false;
        viewer.RunChart = [&](TFrmDataChart& chart) {
            shown = true;
            chart.resize(1100, 600);
            chart.show();
            QVERIFY(QTest::qWaitForWindowExposed(&chart));
            look(chart);
        };
        viewer.findChild<QPushButton*>("btnChart")->click();
        QVERIFY(shown);
    }

private slots:
    void initTestCase() {
        Folder = std::make_unique<TTempFolder>();
        SetProgramFolder(Folder->Path());
        std::filesystem::create_directories(RecordPath());
        WriteMonth();
        Progress = std::make_unique<TfrmProgress>();
    }
    void init() {
        UserPara = TUserPara{};
        Told.clear();
    }
    void cleanupTestCase() {
        Progress.reset();
        Folder.reset();
    }

    void opensWithTheChosenUnitAndColumn() {
        WithChart(5, 2, [](TFrmDataChart& chart) {
            QCOMPARE(chart.ChosenUnits(), std::vector<uint8_t>{5});
            QCOMPARE(chart.Column(), 2);
            QCOMPARE(chart.findChild<QListWidget*>("lbUnits")->count(), 1);
            // The whole loaded month is in view.
            QCOMPARE(chart.Chart().ViewStart(), EncodeTimeStamp({2008, 12, 1, 0, 0, 0, 0}));
            QCOMPARE(chart.Chart().ViewEnd(), EncodeTimeStamp({2008, 12, 31, 23, 50, 0, 0}));
        });
        // Without an address: every unit listed, the first ticked, and the
        // grid's column taken when it is a measured one.
        WithChart(0, 8, [](TFrmDataChart& chart) {
            QCOMPARE(chart.findChild<QListWidget*>("lbUnits")->count(), Units);
            QCOMPARE(chart.ChosenUnits(), std::vector<uint8_t>{1});
            QCOMPARE(chart.Column(), 8);
        });
        WithChart(0, 0, [](TFrmDataChart& chart) { QCOMPARE(chart.Column(), 2); });
    }

    void atMostEightUnits() {
        WithChart(0, 2, [](TFrmDataChart& chart) {
            auto* list = chart.findChild<QListWidget*>("lbUnits");
            // Ticked from the last up, the current row left on the first.
            list->setCurrentRow(0);
            for (int i = Units - 1; i > 0; --i)
                list->item(i)->setCheckState(Qt::Checked);
            QCOMPARE(chart.ChosenUnits().size(), std::size_t(TDataChart::MaxSeries));
            QCOMPARE(list->item(1)->checkState(), Qt::Unchecked);
            QCOMPARE(list->item(0)->checkState(), Qt::Checked);
            QCOMPARE(chart.findChild<QLabel*>("lblNote")->text(), "At most 8 units at a time.");
        });
    }

    void pointerShowsTimeAndTheGridsValue() {
        WithChart(5, 2, [](TFrmDataChart& chart) {
            TDataChart& c = chart.Chart();
            const double spike = EncodeTimeStamp({2008, 12, 17, 10, 0, 0, 0});
            c.ShowTimes(spike - 0.5, 1);
            const QString text = c.PointerText(XOf(c, spike));
            QVERIFY2(text.contains("10:00:00") && text.endsWith("Address 5: 251.5"),
                     qPrintable(text));
            // The day the unit was not logged reads as no value.
            const double pause = EncodeTimeStamp({2008, 12, 20, 12, 0, 0, 0});
            c.ShowTimes(pause - 2, 4);
            QVERIFY(c.PointerText(XOf(c, pause)).endsWith("Address 5: -"));
            QCOMPARE(c.PointerText(c.PlotRect().left() - 5), QString());
        });
        // Loads keep no decimals, as in the grid.
        WithChart(5, 8, [](TFrmDataChart& chart) {
            TDataChart& c = chart.Chart();
            QVERIFY(c.PointerText(XOf(c, c.ViewStart() + 1)).endsWith("Address 5: 40"));
        });
    }

    void wheelDragAndKeysMoveTheTimeAxis() {
        WithChart(5, 2, [](TFrmDataChart& chart) {
            TDataChart& c = chart.Chart();
            const double month = c.ViewEnd() - c.ViewStart();
            chart.ShowSpan(1);
            QCOMPARE(c.ViewEnd() - c.ViewStart(), 7.0);
            chart.ShowSpan(0);
            QCOMPARE(c.ViewEnd() - c.ViewStart(), 1.0);
            // A wheel step in keeps the time under the pointer where it is.
            const QPoint at = c.PlotRect().center();
            const double under = c.ViewStart() + (c.ViewEnd() - c.ViewStart()) *
                                                     (at.x() - c.PlotRect().left()) /
                                                     c.PlotRect().width();
            auto* span = chart.findChild<QComboBox*>("cbSpan");
            QCOMPARE(span->currentIndex(), 0);
            QWheelEvent wheel(at, c.mapToGlobal(at), {}, QPoint(0, 120), Qt::NoButton, {},
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(&c, &wheel);
            QVERIFY(std::fabs(c.ViewEnd() - c.ViewStart() - 0.8) < 1e-9);
            QCOMPARE(span->currentIndex(), -1); // no longer a day
            const double share = (under - c.ViewStart()) / (c.ViewEnd() - c.ViewStart());
            QVERIFY(std::fabs(share - (at.x() - c.PlotRect().left()) /
                                          double(c.PlotRect().width())) < 1e-6);
            // A drag to the left shows later times.
            const double before = c.ViewStart();
            QTest::mousePress(&c, Qt::LeftButton, {}, at);
            QTest::mouseMove(&c, at - QPoint(200, 0));
            QTest::mouseRelease(&c, Qt::LeftButton, {}, at - QPoint(200, 0));
            QVERIFY(c.ViewStart() > before);
            const double dragged = c.ViewStart();
            c.setFocus();
            QTest::keyClick(&c, Qt::Key_Left);
            QVERIFY(c.ViewStart() < dragged);
            QTest::keyClick(&c, Qt::Key_Minus);
            QVERIFY(c.ViewEnd() - c.ViewStart() > 0.8);
            QTest::keyClick(&c, Qt::Key_Home);
            QCOMPARE(c.ViewEnd() - c.ViewStart(), month);
            QCOMPARE(span->currentIndex(), 2);
            // Never past the month, however far it is panned.
            c.Pan(100);
            QCOMPARE(c.ViewEnd(), EncodeTimeStamp({2008, 12, 31, 23, 50, 0, 0}));
        });
    }

    void savesThePng() {
        WithChart(0, 2, [this](TFrmDataChart& chart) {
            const QString path = QString::fromStdString(RecordPath()) + "month";
            chart.AskPngPath = [&](QWidget*) { return path; };
            chart.Prompts.Tell = [this](QWidget*, const QString& text) { Told << text; };
            chart.btnSavePngClick();
            QImage image(path + ".png");
            QCOMPARE(image.size(), chart.Chart().size());
            QVERIFY(Told.isEmpty());
            // A folder that is not there is told, not passed over.
            chart.AskPngPath = [&](QWidget*) { return path + "/missing/chart.png"; };
            chart.btnSavePngClick();
            QCOMPARE(Told, QStringList{"Cannot write the file " + path + "/missing/chart.png."});
        });
    }

    void axisTextsAcrossAChangeOfDaylightSavingTime() {
        // 2026-03-29 02:30 does not exist in Berlin; a stamp logged as that
        // wall time (a clock set by hand, another zone) is shown as logged.
        setenv("TZ", "Europe/Berlin", 1);
        tzset();
        const QLocale german(QLocale::German, QLocale::Germany);
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        const double skipped = EncodeTimeStamp({2026, 3, 29, 2, 30, 0, 0});
        QCOMPARE(TimeAxisLabel(skipped, 1.0 / 48, german),
                 german.toString(QTime(2, 30), QLocale::ShortFormat));
        QCOMPARE(PointerTimeText(skipped, german), "29.03.26 02:30:00");
        QCOMPARE(PointerTimeText(skipped, english), "3/29/26 02:30:00");
        // Midnight ticks carry the date; day ticks only the date.
        const double day = EncodeTimeStamp({2026, 10, 25, 0, 0, 0, 0});
        QCOMPARE(TimeAxisLabel(day, 1.0 / 24, german), "25.10.26\n00:00");
        QCOMPARE(TimeAxisLabel(day, 1, english), "10/25/26");
        unsetenv("TZ");
        tzset();
    }

    void chineseTexts() {
        UserPara.Language = 1;
        WithChart(5, 2, [](TFrmDataChart& chart) {
            QCOMPARE(chart.windowTitle(), QString::fromUtf8("数据曲线图"));
            QCOMPARE(chart.findChild<QComboBox*>("cbColumn")->currentText(),
                     QString::fromUtf8("输入A相电压(V)"));
            QVERIFY(chart.Chart().accessibleName().startsWith(QString::fromUtf8("数据曲线")));
            QVERIFY(chart.Chart().accessibleName().endsWith(QString::fromUtf8("地址 5")));
        });
    }
};

QTEST_MAIN(TestDataChart)
#include "test_datachart.moc"
