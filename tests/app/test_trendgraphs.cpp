#include "app/TrendGraphs.h"
#include "ui/LineGraph.h"

#include <QTest>

#include <memory>

namespace {
// Input voltages 200 + n, 210 + n, 220 + n; output 100 more.
TUpsInfoRec Reading(int n) {
    TUpsInfoRec rec;
    rec.InputVoltA = 200 + n;
    rec.InputVoltB = 210 + n;
    rec.InputVoltC = 220 + n;
    rec.OutputVoltA = 300 + n;
    rec.OutputVoltB = 310 + n;
    rec.OutputVoltC = 320 + n;
    return rec;
}
} // namespace

class TestTrendGraphs : public QObject {
    Q_OBJECT

    QTime FNow{10, 0, 0};
    std::unique_ptr<TTrendGraphs> FGraphs;

    // One view refresh, 0.66 s after the previous one.
    void Refresh(const TUpsInfoRec& rec) {
        FNow = FNow.addMSecs(660);
        FGraphs->AddInputVolts(rec);
        FGraphs->AddOutputVolts(rec);
    }
    void Refreshes(int count) {
        for (int i = 0; i < count; ++i)
            Refresh(Reading(i));
    }
    const TLineGraph& Graph(int g) const {
        return g == 0 ? FGraphs->InputGraph() : FGraphs->OutputGraph();
    }

private slots:
    void init() {
        FNow = QTime(10, 0, 0);
        FGraphs = std::make_unique<TTrendGraphs>(nullptr, [this] { return FNow; });
    }
    void cleanup() { FGraphs.reset(); }

    void SeriesAndTitles() {
        for (int g = 0; g < 2; ++g) {
            QCOMPARE(Graph(g).SeriesCount(), 3);
            QCOMPARE(Graph(g).SeriesName(0), "A");
            QCOMPARE(Graph(g).SeriesName(1), "B");
            QCOMPARE(Graph(g).SeriesName(2), "C");
            QCOMPARE(Graph(g).SeriesColour(0).name(), QColor(220, 30, 30).name());
            QVERIFY(Graph(g).SeriesColour(1).green() > 150); // green
            QVERIFY(Graph(g).SeriesColour(2).blue() > 200);  // blue
        }
        // Built with the Chinese texts, then as the language says.
        QCOMPARE(Graph(0).Title(), QString::fromUtf8("输入电压(V)"));
        QCOMPARE(Graph(1).Title(), QString::fromUtf8("输出电压(V)"));
        FGraphs->ApplyLanguage(0);
        QCOMPARE(Graph(0).Title(), "Input Voltage(V)");
        QCOMPARE(Graph(1).property("title").toString(), "Output Voltage(V)");
        FGraphs->ApplyLanguage(1);
        QCOMPARE(Graph(1).Title(), QString::fromUtf8("输出电压(V)"));
    }

    void PointsCarryVoltsIndexAndTime() {
        Refreshes(3);
        for (int g = 0; g < 2; ++g)
            for (int s = 0; s < 3; ++s) {
                QCOMPARE(Graph(g).PointCount(s), 3);
                for (int i = 0; i < 3; ++i) {
                    const TLineGraph::TPoint& p = Graph(g).PointAt(s, i);
                    QCOMPARE(p.X, double(i));
                    QCOMPARE(p.Y, 100.0 * g + 200 + 10 * s + i);
                }
            }
        QCOMPARE(Graph(0).PointAt(0, 0).Label, "10:00:00");
        QCOMPARE(Graph(1).PointAt(2, 2).Label, "10:00:01");
    }

    void ClearsAtTheHundredTwentiethPoint() {
        Refreshes(119);
        for (int g = 0; g < 2; ++g)
            for (int s = 0; s < 3; ++s) {
                QCOMPARE(Graph(g).PointCount(s), 119);
                QCOMPARE(Graph(g).PointAt(s, 118).X, 118.0);
            }
        Refresh(Reading(119));
        for (int g = 0; g < 2; ++g)
            for (int s = 0; s < 3; ++s)
                QCOMPARE(Graph(g).PointCount(s), 0);
        Refresh(Reading(500));
        for (int g = 0; g < 2; ++g)
            for (int s = 0; s < 3; ++s) {
                QCOMPARE(Graph(g).PointCount(s), 1);
                QCOMPARE(Graph(g).PointAt(s, 0).X, 0.0);
                QCOMPARE(Graph(g).PointAt(s, 0).Y, 100.0 * g + 700 + 10 * s);
            }
    }

    // The graphs clear on their own rhythm: feeding graph 1 alone leaves graph 2.
    void EachGraphClearsByItsOwnCount() {
        for (int i = 0; i < 119; ++i)
            FGraphs->AddInputVolts(Reading(i));
        Refresh(Reading(0));
        QCOMPARE(Graph(0).PointCount(0), 0);
        QCOMPARE(Graph(1).PointCount(0), 1);
    }

    void AnotherDeviceContinuesTheTrace() {
        Refreshes(5);
        TUpsInfoRec silent; // a device that does not communicate: 0 V
        Refresh(silent);
        QCOMPARE(Graph(0).PointCount(0), 6);
        QCOMPARE(Graph(0).PointAt(0, 4).Y, 204.0);
        QCOMPARE(Graph(0).PointAt(0, 5).Y, 0.0);
        QCOMPARE(Graph(0).PointAt(0, 5).X, 5.0);
    }

    // A new selection starts fresh traces under the new device's name, so
    // its first point is never joined to the last device's trace.
    void AnotherSelectionStartsAFreshTrace() {
        FGraphs->ShowDevice(1, "UPS 1");
        QCOMPARE(FGraphs->DeviceCaption(), QString::fromUtf8("UPS 1  (地址 1)"));
        Refreshes(5);
        FGraphs->ShowDevice(1, "UPS 1"); // the same device at the next refresh
        Refresh(Reading(9));
        QCOMPARE(Graph(1).PointCount(0), 6);
        FGraphs->ShowDevice(2, "UPS 2");
        Refresh(Reading(50));
        for (int g = 0; g < 2; ++g) {
            QCOMPARE(Graph(g).PointCount(0), 1);
            QCOMPARE(Graph(g).PointAt(2, 0).X, 0.0);
        }
        FGraphs->ApplyLanguage(0);
        QCOMPARE(FGraphs->DeviceCaption(), QString("UPS 2  (Address 2)"));
        FGraphs->ShowDevice(0, "");
        QCOMPARE(FGraphs->DeviceCaption(), QString());
    }

    // The voltage axis follows the device's voltage class, so a 120 V unit's
    // trace is inside the graph; a 220 V unit keeps 180 to 300 V.
    void VoltageAxisFollowsTheClass() {
        for (int g = 0; g < 2; ++g) {
            QCOMPARE(Graph(g).YMinimum(), 180.0);
            QCOMPARE(Graph(g).YMaximum(), 300.0);
        }
        FGraphs->ShowDevice(2, "UPS 2");
        TUpsInfoRec low;
        low.Address = 2;
        low.InputVoltA = low.InputVoltB = low.InputVoltC = 120.3;
        low.OutputVoltA = low.OutputVoltB = low.OutputVoltC = 119.8;
        Refresh(low);
        for (int g = 0; g < 2; ++g) {
            const double y = Graph(g).PointAt(0, 0).Y;
            QVERIFY(Graph(g).YMinimum() < y && y < Graph(g).YMaximum());
            QVERIFY(Graph(g).YMaximum() < 180);
        }
        low.InputVoltA = low.InputVoltB = low.InputVoltC = 0; // mains fail: same axis
        Refresh(low);
        QVERIFY(Graph(0).YMaximum() < 180);
        FGraphs->ShowDevice(3, "UPS 3");
        TUpsInfoRec high = Reading(20);
        high.Address = 3;
        Refresh(high);
        for (int g = 0; g < 2; ++g) {
            QCOMPARE(Graph(g).YMinimum(), 180.0);
            QCOMPARE(Graph(g).YMaximum(), 300.0);
        }
    }

    void LanguageChangeKeepsThePoints() {
        Refreshes(4);
        FGraphs->ApplyLanguage(0);
        QCOMPARE(Graph(0).PointCount(1), 4);
        QCOMPARE(Graph(1).PointCount(2), 4);
    }

    void PaintsAnyReading() {
        FGraphs->resize(683, 560);
        FGraphs->show();
        QVERIFY(QTest::qWaitForWindowExposed(FGraphs.get()));
        TUpsInfoRec odd = Reading(0);
        odd.InputVoltA = std::numeric_limits<double>::quiet_NaN();
        odd.InputVoltB = std::numeric_limits<double>::infinity();
        odd.InputVoltC = -1e308;
        Refresh(odd);
        Refreshes(3);
        const QImage image = FGraphs->grab().toImage();
        QVERIFY(!image.isNull());
    }
};

QTEST_MAIN(TestTrendGraphs)
#include "test_trendgraphs.moc"
