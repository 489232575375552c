#include "app/RealTimeView.h"
#include "ui/ViewNumbers.h"
#include "base/LangText.h"
#include "status/StatusCodes.h"
#include "ui/AngularGauge.h"
#include "ui/FlowPipe.h"
#include "ui/InstrumentColours.h"
#include "ui/LedBar.h"

#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>

namespace {
constexpr int NoAnimation = -1;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

// A communicating device in the given state.
TUpsInfoRec Device(int32_t state = 4) {
    TUpsInfoRec rec;
    rec.Address = 1;
    rec.CommState = CommCommunicating;
    rec.UpsState = state;
    return rec;
}

int AnimationIndex(std::optional<TDiagramMode> mode) {
    return mode ? int(*mode) : NoAnimation;
}

QString Zh(const char* text) {
    return QString::fromUtf8(text);
}

// Counts the paint events of the widgets it watches.
class TPaintCounter : public QObject {
public:
    void Watch(QWidget* widget) {
        widget->installEventFilter(this);
        FCounts[widget] = 0;
    }
    int Count(const QWidget* widget) const { return FCounts.value(widget); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++FCounts[static_cast<QWidget*>(watched)];
        return false;
    }

private:
    QHash<const QWidget*, int> FCounts;
};

// Collects what the paint events of one widget cover.
class TPaintedArea : public QObject {
public:
    explicit TPaintedArea(QWidget* widget) { widget->installEventFilter(this); }
    const QRegion& Area() const { return FArea; }
    void Clear() { FArea = {}; }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            FArea += static_cast<QPaintEvent*>(event)->region();
        return false;
    }

private:
    QRegion FArea;
};

int AreaOf(const QRegion& region) {
    int area = 0;
    for (const QRect& rect : region)
        area += rect.width() * rect.height();
    return area;
}
} // namespace

class TestRealTimeView : public QObject {
    Q_OBJECT

    std::unique_ptr<TRealTimeView> FView;

    template <typename T = QLabel> T* Child(const char* name) {
        auto* child = FView->findChild<T*>(QLatin1String(name));
        if (child == nullptr)
            qFatal("no child %s", name);
        return child;
    }
    QString Text(const char* name) { return Child(name)->text(); }
    bool Shown(const char* name) { return !Child<QWidget>(name)->isHidden(); }

    // One view refresh, in the main window's order.
    void Refresh(const TUpsInfoRec& rec, uint8_t protocol = 0) {
        FView->ShowInputSide(rec);
        FView->ShowOutputSide(rec);
        FView->ShowStates(rec, protocol);
        FView->ShowAlarms(rec);
        FView->ShowChargeFlow(rec, protocol);
    }

private slots:
    void init() {
        FillLangText(0);
        FView = std::make_unique<TRealTimeView>();
        FView->HideSwitchRows();
        FView->ApplyLanguage(0);
        FView->ApplyProtocolLayout(0);
    }
    void cleanup() { FView.reset(); }

    void FixedTextFormats_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one decimal") << 228.44 << 1 << "228.4";
        QTest::newRow("rounds up") << 229.96 << 1 << "230.0";
        QTest::newRow("zero") << 0.0 << 1 << "0.0";
        QTest::newRow("no decimals") << 45.5 << 0 << "46";
        QTest::newRow("five significant digits") << 12345.67 << 1 << "12346.0";
        QTest::newRow("negative zero loses its sign") << -0.04 << 1 << "0.0";
        QTest::newRow("negative") << -12.34 << 1 << "-12.3";
        QTest::newRow("six digits: exponent form") << 123456.7 << 1 << "1.2346E+5";
        QTest::newRow("rounds into six digits") << 99999.7 << 0 << "1.0000E+5";
        QTest::newRow("not a number") << NaN << 1 << "NAN";
        QTest::newRow("infinite") << -Inf << 1 << "-INF";
    }
    void FixedTextFormats() {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(QString, expected);
        QCOMPARE(FixedText(value, decimals), expected);
    }

    void ShowsMeasurements_data() {
        QTest::addColumn<double>("volts");
        QTest::addColumn<double>("load");
        QTest::addColumn<QString>("voltText");
        QTest::addColumn<QString>("loadText");
        QTest::addColumn<double>("needle");
        QTest::newRow("normal") << 228.44 << 45.5 << "228.4 V"
                                << "46 %" << 228.44;
        QTest::newRow("zero") << 0.0 << 0.0 << "0.0 V"
                              << "0 %" << 0.0;
        // Beyond the dial the needle rests at its end, the text still tells.
        QTest::newRow("over the scale") << 350.0 << 160.0 << "350.0 V"
                                        << "160 %" << 300.0;
        QTest::newRow("not a number") << NaN << NaN << "NAN V"
                                      << "NAN %" << 0.0;
    }
    void ShowsMeasurements() {
        QFETCH(double, volts);
        QFETCH(double, load);
        QFETCH(QString, voltText);
        QFETCH(QString, loadText);
        QFETCH(double, needle);
        TUpsInfoRec rec = Device();
        rec.InputVoltA = rec.InputVoltB = rec.InputVoltC = volts;
        rec.OutputVoltA = rec.OutputVoltB = rec.OutputVoltC = volts;
        rec.LoadPctA = rec.LoadPctB = rec.LoadPctC = load;
        Refresh(rec);
        for (const char* gauge :
             {"gagInputA", "gagInputB", "gagInputC", "gagOutputA", "gagOutputB", "gagOutputC"}) {
            QCOMPARE(Child<TAngularGauge>(gauge)->ValueText(), voltText);
            QCOMPARE(Child<TAngularGauge>(gauge)->NeedleValue(), needle);
        }
        for (const char* text : {"txtLoadA", "txtLoadB", "txtLoadC"})
            QCOMPARE(Text(text), loadText);
    }

    // The dials are drawn for the unit's voltage class: a healthy 120 V unit
    // reads in the green band, a 220 V unit keeps the 0-300 V dial.
    void DialsFollowTheVoltageClass_data() {
        using namespace InstrumentColours;
        QTest::addColumn<int>("level");
        QTest::addColumn<double>("volts");
        QTest::addColumn<double>("dialMaximum");
        QTest::addColumn<QColor>("band");
        QTest::newRow("no reading yet") << 0 << 0.0 << 300.0 << SectionLow;
        QTest::newRow("230 V measured") << 0 << 230.0 << 300.0 << SectionNormal;
        QTest::newRow("230 V unit at 265 V") << 230 << 265.0 << 300.0 << SectionHigh;
        QTest::newRow("230 V unit with mains at 120 V") << 230 << 120.0 << 300.0 << SectionLow;
        QTest::newRow("120 V level reported") << 120 << 120.0 << 160.0 << SectionNormal;
        QTest::newRow("120 V measured") << 0 << 120.0 << 160.0 << SectionNormal;
        QTest::newRow("120 V unit at 150 V") << 120 << 150.0 << 160.0 << SectionHigh;
        QTest::newRow("120 V unit at 80 V") << 120 << 80.0 << 160.0 << SectionLow;
    }
    void DialsFollowTheVoltageClass() {
        QFETCH(int, level);
        QFETCH(double, volts);
        QFETCH(double, dialMaximum);
        QFETCH(QColor, band);
        TUpsInfoRec rec = Device();
        rec.SysVoltLevel = uint8_t(level);
        rec.InputVoltA = rec.InputVoltB = rec.InputVoltC = volts;
        rec.OutputVoltA = rec.OutputVoltB = rec.OutputVoltC = volts;
        Refresh(rec);
        for (const char* gauge :
             {"gagInputA", "gagInputB", "gagInputC", "gagOutputA", "gagOutputB", "gagOutputC"}) {
            QCOMPARE(Child<TAngularGauge>(gauge)->Maximum(), dialMaximum);
            QCOMPARE(Child<TAngularGauge>(gauge)->SectionColourAt(volts), band);
        }
    }

    void ShowsEachValueInItsPlace() {
        TUpsInfoRec rec = Device();
        rec.InputVoltA = 221.04;
        rec.InputVoltB = 222.06;
        rec.InputVoltC = 223;
        rec.OutputVoltC = 219.96;
        rec.LoadPctB = 101.2;
        rec.OutputFreq = 49.96;
        rec.DcInputVolt = 432.54;
        rec.BattSupportTime = 35;
        rec.BattCapacity = 87;
        Refresh(rec);
        QCOMPARE(Child<TAngularGauge>("gagInputA")->ValueText(), "221.0 V");
        QCOMPARE(Child<TAngularGauge>("gagInputB")->ValueText(), "222.1 V");
        QCOMPARE(Child<TAngularGauge>("gagInputC")->ValueText(), "223.0 V");
        QCOMPARE(Child<TAngularGauge>("gagOutputC")->ValueText(), "220.0 V");
        QCOMPARE(Child<TAngularGauge>("gagOutputC")->Value(), 219.96);
        QCOMPARE(Child<TLedBar>("barLoadB")->Value(), 101.2);
        QCOMPARE(Child<TLedBar>("barLoadB")->LitSegments(), 20);
        QCOMPARE(Text("txtLoadB"), "101 %");
        QCOMPARE(Text("txtOutputFreq"), "50.0"); // no unit in the text
        QCOMPARE(Text("txtDcInputVolt"), "432.5");
        QCOMPARE(Text("txtSupportTime"), "35");
        QCOMPARE(Text("txtBattCapacity"), "87");
    }

    void StateAnimationAndText_data() {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("animation");
        QTest::addColumn<QString>("text");
        QTest::newRow("online") << 4 << int(TDiagramMode::Online) << "Online";
        QTest::newRow("bypass") << 3 << int(TDiagramMode::Bypass) << "Bypass Status";
        QTest::newRow("battery") << 5 << int(TDiagramMode::Battery) << "Battery Status";
        QTest::newRow("self-test") << 6 << int(TDiagramMode::Test) << "Battery Self-Test";
        QTest::newRow("economy") << 8 << int(TDiagramMode::Economy) << "ECO Status";
        QTest::newRow("fault") << 11 << int(TDiagramMode::Fault) << "Fault Status";
        QTest::newRow("standby") << 1 << int(TDiagramMode::Standby) << "Standby Status";
        QTest::newRow("maintenance bypass")
            << 10 << int(TDiagramMode::Standby) << "Maintain Bypass Status";
        QTest::newRow("EPO") << 9 << int(TDiagramMode::Standby) << "EPO Status";
        QTest::newRow("no text") << 42 << int(TDiagramMode::Standby) << "";
        QTest::newRow("no state") << -1 << NoAnimation << "Communication lost";
    }
    void StateAnimationAndText() {
        QFETCH(int, state);
        QFETCH(int, animation);
        QFETCH(QString, text);
        FView->ShowStates(Device(state), 0);
        QCOMPARE(AnimationIndex(FView->ShownAnimation()), animation);
        QCOMPARE(Text("stComStatus"), text);
        int shown = 0;
        for (int m = 0; m < DiagramModeCount; ++m)
            shown += FView->Animation(TDiagramMode(m)).isHidden() ? 0 : 1;
        QCOMPARE(shown, animation == NoAnimation ? 0 : 1);
    }

    void SameAnimationKeepsRunning() {
        FView->ShowStates(Device(4), 0);
        auto& online = *Child<TSingleLineDiagram>("aniOnline");
        online.Step();
        online.Step();
        FView->ShowStates(Device(4), 0);
        QCOMPARE(online.Frame(), 2);
        FView->ShowStates(Device(5), 0);
        FView->ShowStates(Device(4), 0);
        QCOMPARE(online.Frame(), 0); // shown anew: from the first frame
    }

    void FrameCounts() {
        const int expected[DiagramModeCount] = {1, 9, 9, 9, 9, 9, 5};
        for (int m = 0; m < DiagramModeCount; ++m) {
            TSingleLineDiagram diagram{TDiagramMode(m)};
            QCOMPARE(diagram.FrameCount(), expected[m]);
            for (int i = 0; i < expected[m]; ++i)
                diagram.Step();
            QCOMPARE(diagram.Frame(), 0); // a full cycle comes back to the start
        }
    }

    void SupplyTexts_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("inputSupply");
        QTest::addColumn<int>("upsSupply");
        QTest::addColumn<int>("workMode");
        QTest::addColumn<QString>("inputText");
        QTest::addColumn<QString>("upsText");
        QTest::newRow("none") << 0 << 0 << 0 << 0 << "No Supply"
                              << "No Supply";
        QTest::newRow("mains, inverter") << 0 << 1 << 1 << 0 << "Mains Supply"
                                         << "Inverter Supply";
        QTest::newRow("battery, bypass") << 0 << 2 << 2 << 0 << "Battery Supply"
                                         << "Bypass Supply";
        QTest::newRow("ECO work mode") << 0 << 1 << 2 << 1 << "Mains Supply"
                                       << "ECO";
        QTest::newRow("parallel work mode") << 0 << 1 << 2 << 4 << "Mains Supply"
                                            << "Bypass Supply";
        QTest::newRow("unknown values keep the texts") << 0 << 7 << 3 << 0 << "Mains Supply"
                                                       << "Inverter Supply";
        QTest::newRow("Chinese") << 1 << 1 << 2 << 0 << Zh("市电供电") << Zh("旁路供电");
        QTest::newRow("Chinese ECO") << 1 << 0 << 2 << 1 << Zh("均不供电") << "ECO";
    }
    void SupplyTexts() {
        QFETCH(int, language);
        QFETCH(int, inputSupply);
        QFETCH(int, upsSupply);
        QFETCH(int, workMode);
        QFETCH(QString, inputText);
        QFETCH(QString, upsText);
        TUpsInfoRec rec = Device();
        rec.InputSupply = 1;
        rec.UpsSupply = 1;
        FView->ShowStates(rec, 0); // earlier texts for the rows with unknown values
        FillLangText(uint8_t(language));
        rec.InputSupply = uint8_t(inputSupply);
        rec.UpsSupply = uint8_t(upsSupply);
        rec.WorkMode = workMode;
        FView->ShowStates(rec, 0);
        QCOMPARE(Text("txtInputSupply"), inputText);
        QCOMPARE(Text("txtUpsSupply"), upsText);
    }

    void CodeLabels_data() {
        QTest::addColumn<int>("protocol");
        QTest::addColumn<QStringList>("labels"); // CMM state, INV state, CMM alarm, INV alarm, sys
        QTest::addColumn<int>("groupWidth");
        const QStringList pairs = {"0123-ABCD", "00F0-1200", "4000-0002", "0000-FFFF"};
        QTest::newRow("modular") << 0 << pairs + QStringList{"5A5A", "0003"} << 222;
        QTest::newRow("three-phase") << 1 << pairs + QStringList{"", ""} << 170;
        QTest::newRow("Modbus") << 2 << pairs + QStringList{"5A5A", "0003"} << 222;
        QTest::newRow("VEX") << 3 << pairs + QStringList{"", ""} << 170;
    }
    void CodeLabels() {
        QFETCH(int, protocol);
        QFETCH(QStringList, labels);
        QFETCH(int, groupWidth);
        TUpsInfoRec rec = Device();
        rec.StatusWord = {0x0123, 0xABCD, 0x4000, 0x0002, 0x00F0,
                          0x1200, 0x0000, 0xFFFF, 0x5A5A, 0x0003};
        FView->ShowStates(rec, uint8_t(protocol));
        QCOMPARE(Text("lblCMMState"), labels[0]);
        QCOMPARE(Text("lblINVState"), labels[1]);
        QCOMPARE(Text("lblCMMAlarm"), labels[2]);
        QCOMPARE(Text("lblINVAlarm"), labels[3]);
        QCOMPARE(Text("lbSysState"), labels[4]);
        QCOMPARE(Text("lbSysAlarm"), labels[5]);
        QCOMPARE(Child<QWidget>("grpCode")->width(), groupWidth);
        // The third column lies outside the narrow group.
        QVERIFY(Child("lbSysState")->geometry().left() >= 170);
    }

    void DebugLabel() {
        TUpsInfoRec rec = Device(5);
        rec.DevState = 3;
        FView->ShowStates(rec, 0);
        QCOMPARE(Text("lblUpsState"), "3(5)");
        QVERIFY(!Shown("lblUpsState"));
        FView->SetDebugVisible(true);
        QVERIFY(Shown("lblUpsState"));
    }

    void AlarmLines_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("none") << 0 << QList<int>{} << QStringList{};
        QTest::newRow("in order") << 0 << QList<int>{3, 0}
                                  << QStringList{"Rectifier over current", "Rectifier fault"};
        QTest::newRow("codes without text add no line")
            << 0 << QList<int>{70, 1, 999} << QStringList{"Rectifier over temperature"};
        QTest::newRow("Chinese") << 1 << QList<int>{70, 0}
                                 << QStringList{Zh("机型错误"), Zh("整流器故障")};
    }
    void AlarmLines() {
        QFETCH(int, language);
        QFETCH(QList<int>, codes);
        QFETCH(QStringList, lines);
        FView->ApplyLanguage(uint8_t(language));
        TUpsInfoRec rec = Device();
        rec.AlarmCodes[0] = 5; // a stale entry beyond the count is not shown
        rec.AlarmCount = 0;
        for (int code : codes)
            rec.AlarmCodes[rec.AlarmCount++] = code;
        FView->ShowAlarms(rec);
        QCOMPARE(FView->AlarmLines(), lines);
        QCOMPARE(Child<QPlainTextEdit>("memAlarm")->toPlainText(), lines.join('\n'));
    }

    // The count is a byte; the list holds 80 codes and no more are read.
    void AlarmCountBeyondTheList() {
        TUpsInfoRec rec = Device();
        rec.AlarmCodes.fill(0);
        rec.AlarmCount = 200;
        FView->ShowAlarms(rec);
        QCOMPARE(FView->AlarmLines().size(), MaxAlarmCodes);
    }

    void ChargeFlow_data() {
        QTest::addColumn<int>("commState");
        QTest::addColumn<int>("protocol");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("word0");
        QTest::addColumn<int>("word3");
        QTest::addColumn<double>("charge");
        QTest::addColumn<double>("discharge");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("flowing");
        QTest::addColumn<bool>("reversed");
        QTest::addColumn<int>("interval");
        // A fresh pipe is normal, 500 ms, stopped; rows that stop it early keep that.
        QTest::newRow("charging 30.7")
            << 0 << 0 << 4 << 0 << 0 << 30.7 << 0.0 << true << true << false << 380;
        QTest::newRow("charging 200 is capped")
            << 0 << 2 << 4 << 0 << 0 << 200.0 << 0.0 << true << true << false << 20;
        QTest::newRow("charging 0.5")
            << 0 << 3 << 4 << 0 << 0 << 0.5 << 0.0 << true << true << false << 500;
        QTest::newRow("no charge current")
            << 0 << 0 << 4 << 0 << 0 << 0.0 << 9.0 << true << false << false << 500;
        QTest::newRow("discharging 25")
            << 0 << 0 << 5 << 0x0100 << 0 << 3.0 << 25.0 << true << true << true << 60;
        QTest::newRow("discharging 0.5")
            << 0 << 0 << 5 << 0x0100 << 0 << 0.0 << 0.5 << true << true << true << 500;
        QTest::newRow("discharging 7.9")
            << 0 << 0 << 5 << 0x0100 << 0 << 0.0 << 7.9 << true << true << true << 346;
        QTest::newRow("discharging, no current")
            << 0 << 0 << 5 << 0x0100 << 0 << 30.0 << 0.0 << true << false << true << 500;
        QTest::newRow("not a number")
            << 0 << 0 << 4 << 0 << 0 << NaN << 0.0 << true << false << false << 500;
        QTest::newRow("stop bit 13")
            << 0 << 0 << 4 << 0 << 0x2000 << 30.7 << 0.0 << true << false << false << 500;
        QTest::newRow("stop bit 14")
            << 0 << 0 << 5 << 0x0100 << 0x4000 << 0.0 << 25.0 << true << false << false << 500;
        QTest::newRow("EPO") << 0 << 0 << 9 << 0 << 0 << 30.7 << 0.0 << true << false << false
                             << 500;
        QTest::newRow("fault") << 0 << 0 << 11 << 0 << 0 << 30.7 << 0.0 << true << false << false
                               << 500;
        QTest::newRow("communication error")
            << 1 << 0 << 4 << 0 << 0 << 30.7 << 0.0 << false << false << false << 500;
        QTest::newRow("three-phase")
            << 0 << 1 << 4 << 0 << 0 << 30.7 << 0.0 << false << false << false << 500;
        QTest::newRow("unknown protocol")
            << 0 << 4 << 4 << 0 << 0 << 30.7 << 0.0 << false << false << false << 500;
    }
    void ChargeFlow() {
        QFETCH(int, commState);
        QFETCH(int, protocol);
        QFETCH(int, state);
        QFETCH(int, word0);
        QFETCH(int, word3);
        QFETCH(double, charge);
        QFETCH(double, discharge);
        QFETCH(bool, visible);
        QFETCH(bool, flowing);
        QFETCH(bool, reversed);
        QFETCH(int, interval);
        TUpsInfoRec rec = Device(state);
        rec.CommState = uint8_t(commState);
        rec.StatusWord[0] = uint16_t(word0);
        rec.StatusWord[3] = uint16_t(word3);
        rec.ChargeCur = charge;
        rec.DischargeCur = discharge;
        FView->ShowChargeFlow(rec, uint8_t(protocol));
        const TFlowPipe& pipe = FView->ChargePipe();
        QCOMPARE(!pipe.isHidden(), visible);
        QCOMPARE(pipe.IsFlowing(), flowing);
        QCOMPARE(pipe.IsReversed(), reversed);
        QCOMPARE(pipe.Interval(), interval);
    }

    void EffectiveStateChangesThePicture() {
        QCOMPARE(int(FView->LastState()), 0);
        FView->ShowChargeFlow(Device(4), 0);
        QCOMPARE(int(FView->LastState()), 4);
        QCOMPARE(AnimationIndex(FView->ShownAnimation()), int(TDiagramMode::Online));
        QCOMPARE(Text("stComStatus"), "Online");
        // Unchanged effective state: the picture and text are left alone.
        FView->ShowStates(Device(5), 0);
        FView->ShowChargeFlow(Device(4), 0);
        QCOMPARE(AnimationIndex(FView->ShownAnimation()), int(TDiagramMode::Battery));
        QCOMPARE(Text("stComStatus"), "Battery Status");
        // -1 as an 8-bit value is 255, which has no picture of its own.
        FView->ShowChargeFlow(Device(-1), 0);
        QCOMPARE(int(FView->LastState()), 255);
        QCOMPARE(AnimationIndex(FView->ShownAnimation()), int(TDiagramMode::Standby));
        QCOMPARE(Text("stComStatus"), "");
    }

    // A device that stops answering: its record is cleared each refresh.
    void LostDeviceShowsStandbyOnceThenNothing() {
        TUpsInfoRec rec = Device(4);
        rec.InputVoltA = 230;
        rec.AlarmCodes[0] = 0;
        rec.AlarmCount = 1;
        Refresh(rec);
        QCOMPARE(AnimationIndex(FView->ShownAnimation()), int(TDiagramMode::Online));
        rec.CommState = CommLost;
        TRealTimeView::ClearMeasurements(rec);
        Refresh(rec);
        QCOMPARE(AnimationIndex(FView->ShownAnimation()), int(TDiagramMode::Standby));
        QCOMPARE(Text("stComStatus"), "Communication lost");
        QCOMPARE(Child<TAngularGauge>("gagInputA")->ValueText(), "0.0 V");
        QCOMPARE(FView->AlarmLines(), QStringList{});
        QVERIFY(FView->ChargePipe().isHidden());
        Refresh(rec);
        QCOMPARE(AnimationIndex(FView->ShownAnimation()), NoAnimation);
        QCOMPARE(Text("stComStatus"), "Communication lost");
    }

    void ClearMeasurements() {
        TUpsInfoRec rec = Device(4);
        rec.SendCount = 7;
        rec.InputVoltA = rec.OutputVoltC = rec.LoadPctB = rec.OutputFreq = rec.DcInputVolt = 1;
        rec.BattCapacity = 80;
        rec.BattSupportTime = 30;
        rec.ChargeCur = 3;
        rec.DischargeCur = 4;
        rec.BattTestFlag = 1;
        rec.DataValid = 1;
        rec.WorkMode = 1;
        rec.StatusWord.fill(0xFFFF);
        rec.DevState = rec.Spare1 = rec.Spare4 = 9;
        rec.LoggedState = 4;
        rec.AlarmCodes.fill(7);
        rec.AlarmCount = 80;
        rec.UpsSupply = rec.InputSupply = rec.InputSwitch = rec.MaintBypassSwitch = 1;
        rec.BypassSwitch = rec.OutputSwitch = 1;
        TRealTimeView::ClearMeasurements(rec);
        QCOMPARE(rec.UpsState, -1);
        QCOMPARE(rec.InputVoltA + rec.OutputVoltC + rec.LoadPctB + rec.OutputFreq + rec.DcInputVolt,
                 0.0);
        QCOMPARE(rec.BattCapacity, 0);
        QCOMPARE(int(rec.BattSupportTime), 0);
        QVERIFY(rec.StatusWord == (std::array<uint16_t, 10>{}));
        QCOMPARE(rec.DevState + rec.Spare1 + rec.Spare4, 0);
        QCOMPARE(rec.LoggedState, -1); // no state logged yet: the return logs its first state
        QCOMPARE(int(rec.AlarmCount), 0);
        QCOMPARE(rec.AlarmCodes[64], 0);
        QCOMPARE(rec.AlarmCodes[65], 7); // only the first 65 entries
        QCOMPARE(rec.UpsSupply + rec.InputSupply + rec.InputSwitch + rec.MaintBypassSwitch +
                     rec.BypassSwitch + rec.OutputSwitch,
                 0);
        // Kept as they were.
        QCOMPARE(rec.ChargeCur, 3.0);
        QCOMPARE(rec.DischargeCur, 4.0);
        QCOMPARE(int(rec.BattTestFlag), 1);
        QCOMPARE(int(rec.DataValid), 1);
        QCOMPARE(rec.WorkMode, 1);
        QCOMPARE(rec.SendCount, 7);
        QCOMPARE(int(rec.CommState), 0);
    }

    void ProtocolLayout_data() {
        QTest::addColumn<int>("protocol");
        QTest::addColumn<bool>("capacity");
        QTest::addColumn<bool>("supportTime");
        QTest::addColumn<bool>("sketchMap");
        QTest::newRow("modular") << 0 << true << true << true;
        QTest::newRow("three-phase") << 1 << false << true << false;
        QTest::newRow("Modbus") << 2 << true << true << true;
        QTest::newRow("VEX") << 3 << true << true << true;
        // Nothing changes: what HideSwitchRows and the last layout left.
        QTest::newRow("unknown") << 9 << true << false << true;
    }
    void ProtocolLayout() {
        QFETCH(int, protocol);
        QFETCH(bool, capacity);
        QFETCH(bool, supportTime);
        QFETCH(bool, sketchMap);
        TRealTimeView view; // as at main window creation
        view.HideSwitchRows();
        view.ShowInnerPage(1);
        view.ApplyProtocolLayout(uint8_t(protocol));
        auto shown = [&](const char* name) {
            return !view.findChild<QWidget*>(QLatin1String(name))->isHidden();
        };
        QCOMPARE(shown("pnlBattCapacity"), capacity);
        QCOMPARE(shown("pnlSupportTime"), supportTime);
        QCOMPARE(view.IsSketchMapReachable(), sketchMap);
        QCOMPARE(view.CurrentInnerPage(), sketchMap ? 1 : 0);
        view.ShowInnerPage(1);
        QCOMPARE(view.CurrentInnerPage(), sketchMap ? 1 : 0);
    }

    void ThreePhaseThenModularRestoresTheTabs() {
        FView->ApplyProtocolLayout(1);
        FView->ApplyProtocolLayout(0);
        QVERIFY(FView->IsSketchMapReachable());
        QVERIFY(Shown("pnlBattCapacity"));
    }

    void SwitchRows() {
        TRealTimeView fresh;
        QVERIFY(fresh.findChild<QLabel*>("lblInputSwitch")->isHidden());
        QVERIFY(!fresh.findChild<QLabel*>("lblBypassSwitch")->isHidden());
        QVERIFY(!fresh.findChild<QWidget*>("pnlSupportTime")->isHidden());
        for (const char* row :
             {"lblInputSwitch", "lblBypassSwitch", "lblOutputSwitch", "lblMaintBypassSwitch"})
            QVERIFY(!Shown(row));
        QVERIFY(Shown("lblInputSupply"));
        QVERIFY(Shown("lblUpsSupply"));
    }

    void LanguageSwitch() {
        TRealTimeView fresh; // built with the Chinese texts
        auto* tabs = fresh.findChild<QTabWidget*>("pgInner");
        QCOMPARE(tabs->tabText(1), Zh("示意图"));
        QCOMPARE(fresh.findChild<QLabel*>("lblInputA")->text(), Zh("输入A相电压"));
        fresh.ApplyLanguage(0);
        QCOMPARE(tabs->tabText(0), "Data");
        QCOMPARE(tabs->tabText(1), "Sketch Map");
        QCOMPARE(fresh.findChild<QLabel*>("lblOutputC")->text(), "Output C Phase V");
        QCOMPARE(fresh.findChild<QLabel*>("lblLoadTitle")->text(), "Load percent");
        QCOMPARE(fresh.findChild<QLabel*>("lblOutputFreqTitle")->text(), "Output Frequence");
        QCOMPARE(fresh.findChild<QLabel*>("lblMaintBypassSwitch")->text(),
                 "Manu-Bypass Switch Status:");
        auto* group = fresh.findChild<QGroupBox*>("grpSwitch");
        QCOMPARE(group->title(), "Switch Status");
        QCOMPARE(group->toolTip(), "ON express switch is closed,OFF express switch is open");
        fresh.ApplyLanguage(7); // anything but 1 is English
        QCOMPARE(fresh.findChild<QGroupBox*>("grpAlarm")->title(), "Alarm");
        fresh.ApplyLanguage(1);
        QCOMPARE(tabs->tabText(0), Zh("数据"));
        QCOMPARE(fresh.findChild<QLabel*>("lblUpsSupply")->text(), Zh("UPS供电状态:"));
        QCOMPARE(group->toolTip(), Zh("ON为闭合,OFF为断开"));
    }

    void StateTextFollowsTheLanguageAtTheNextRefresh() {
        Refresh(Device(4));
        QCOMPARE(Text("stComStatus"), "Online");
        FView->ApplyLanguage(1);
        QCOMPARE(Text("stComStatus"), "Online");
        Refresh(Device(4));
        QCOMPARE(Text("stComStatus"), Zh("市电状态"));
    }

    // Timers run only while their picture is on screen.
    void HiddenAnimationsStop() {
        FView->resize(683, 560);
        FView->show();
        QVERIFY(QTest::qWaitForWindowExposed(FView.get()));
        TUpsInfoRec rec = Device(4);
        rec.ChargeCur = 30.7;
        Refresh(rec);
        const TSingleLineDiagram& online = FView->Animation(TDiagramMode::Online);
        const TFlowPipe& pipe = FView->ChargePipe();
        QVERIFY(!online.IsRunning()); // on the "Sketch Map" page, not shown yet
        QVERIFY(!pipe.IsTimerRunning());
        FView->ShowInnerPage(1);
        QVERIFY(online.IsRunning());
        QVERIFY(pipe.IsTimerRunning());
        QVERIFY(!FView->Animation(TDiagramMode::Standby).IsRunning()); // one frame only
        Refresh(Device(11));
        QVERIFY(!online.IsRunning());
        QVERIFY(FView->Animation(TDiagramMode::Fault).IsRunning());
        QVERIFY(!pipe.IsTimerRunning()); // fault: flow stopped
        Refresh(rec);
        QVERIFY(online.IsRunning());
        FView->ShowInnerPage(0);
        QVERIFY(!online.IsRunning());
        QVERIFY(!pipe.IsTimerRunning());
        FView->ShowInnerPage(1);
        QVERIFY(online.IsRunning());
        FView->hide();
        QVERIFY(!online.IsRunning());
        QVERIFY(!pipe.IsTimerRunning());
    }

    // A minimised window's children still count as visible; nothing may run.
    void MinimisedWindowRunsNothing() {
        FView->resize(683, 560);
        FView->show();
        QVERIFY(QTest::qWaitForWindowExposed(FView.get()));
        FView->ShowInnerPage(1);
        TUpsInfoRec rec = Device(4);
        rec.ChargeCur = 30.7;
        Refresh(rec);
        const TSingleLineDiagram& online = FView->Animation(TDiagramMode::Online);
        const TSingleLineDiagram& battery = FView->Animation(TDiagramMode::Battery);
        const TFlowPipe& pipe = FView->ChargePipe();
        QVERIFY(online.IsRunning());
        FView->showMinimized();
        QTRY_VERIFY(!online.IsRunning());
        QVERIFY(!pipe.IsTimerRunning());
        // Refreshes go on while minimised: a new picture and a new flow wait.
        TUpsInfoRec onBattery = Device(5);
        onBattery.StatusWord[0] = 0x0100;
        onBattery.DischargeCur = 25;
        Refresh(onBattery);
        QVERIFY(!battery.IsRunning());
        QVERIFY(pipe.IsFlowing());
        QVERIFY(!pipe.IsTimerRunning());
        FView->showNormal();
        QTRY_VERIFY(battery.IsRunning());
        QVERIFY(pipe.IsTimerRunning());
        QCOMPARE(pipe.Interval(), 60);
    }

    // A step of the pipe or of a picture repaints that control, never the page.
    void AnimationsRepaintOnlyThemselves() {
        FView->resize(683, 560);
        FView->show();
        FView->ShowInnerPage(1);
        QVERIFY(QTest::qWaitForWindowExposed(FView.get()));
        TUpsInfoRec rec = Device(1); // standby: a still picture
        rec.ChargeCur = 30.7;
        Refresh(rec);
        auto& pipe = *Child<TFlowPipe>("PipCharge");
        auto& standby = *Child<TSingleLineDiagram>("aniStandby");
        // Let the refresh's own repaints (and the layout passes they start) finish.
        for (int round = 0; round < 10; ++round)
            QCoreApplication::processEvents();
        TPaintCounter paints;
        for (QWidget* w : {static_cast<QWidget*>(FView.get()), Child<QWidget>("tsSketchMap"),
                           Child<QWidget>("pnlAnimation"), Child<QWidget>("grpCode"),
                           Child<QWidget>("stComStatus"), static_cast<QWidget*>(&pipe),
                           static_cast<QWidget*>(&standby)})
            paints.Watch(w);
        pipe.Step();
        QCoreApplication::processEvents();
        QVERIFY(paints.Count(&pipe) >= 1);
        QCOMPARE(paints.Count(&standby), 0);
        QCOMPARE(paints.Count(Child<QWidget>("pnlAnimation")), 0);
        QCOMPARE(paints.Count(Child<QWidget>("tsSketchMap")), 0);
        QCOMPARE(paints.Count(FView.get()), 0);
        standby.update(); // as a frame step does
        QCoreApplication::processEvents();

        QVERIFY(paints.Count(&standby) >= 1);
        QCOMPARE(paints.Count(Child<QWidget>("grpCode")), 0);
        QCOMPARE(paints.Count(Child<QWidget>("stComStatus")), 0);
        QCOMPARE(paints.Count(FView.get()), 0);
    }

    // Going from a unit whose pipe flows to one in EPO: the stopped pipe is
    // drawn dim at once, not when something else happens to repaint it.
    void PipeRepaintsWhenTheFlowStartsOrStops() {
        TFlowPipe pipe(Qt::Vertical);
        pipe.resize(16, 60);
        pipe.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pipe));
        for (bool flowing : {true, false}) {
            for (int round = 0; round < 10; ++round)
                QCoreApplication::processEvents();
            TPaintCounter paints;
            paints.Watch(&pipe);
            pipe.SetFlowing(flowing);
            QCoreApplication::processEvents();
            QVERIFY2(paints.Count(&pipe) >= 1, flowing ? "start" : "stop");
        }
    }

    // Communicating again but no state read yet: nothing to draw a flow for.
    void NoPipeWithoutAState() {
        FView->ShowInnerPage(1);
        TUpsInfoRec rec = Device(4);
        rec.ChargeCur = 30.7;
        Refresh(rec);
        QVERIFY(!Child<TFlowPipe>("PipCharge")->isHidden());
        rec.UpsState = StateNone;
        Refresh(rec);
        QVERIFY(Child<TFlowPipe>("PipCharge")->isHidden());
    }

    // A frame step repaints only where marks move. Every pixel that changes
    // from one frame to the next must lie there, or old marks stay on screen.
    void FrameStepsRepaintAllThatChanges() {
        for (int m = 0; m < DiagramModeCount; ++m) {
            TSingleLineDiagram picture{TDiagramMode(m)};
            picture.show();
            QVERIFY(QTest::qWaitForWindowExposed(&picture));
            for (int round = 0; round < 10; ++round)
                QCoreApplication::processEvents(); // the first full paint
            TPaintedArea painted(&picture);
            QRegion moving;
            if (picture.FrameCount() > 1) {
                picture.Step();
                QTRY_VERIFY(!painted.Area().isEmpty());
                moving = painted.Area();
                QVERIFY(AreaOf(moving) < picture.width() * picture.height() / 2);
            }
            // The picture's own timer may step in between; what changes over
            // two steps must lie in the same place.
            QImage previous = picture.grab().toImage();
            for (int frame = 0; frame < picture.FrameCount(); ++frame) {
                picture.Step();
                const QImage next = picture.grab().toImage();
                for (int y = 0; y < next.height(); ++y)
                    for (int x = 0; x < next.width(); ++x)
                        if (next.pixel(x, y) != previous.pixel(x, y) &&
                            !moving.contains(QPoint(x, y)))
                            QFAIL(qPrintable(QStringLiteral("mode %1 frame %2: (%3, %4) changed")
                                                 .arg(m)
                                                 .arg(frame)
                                                 .arg(x)
                                                 .arg(y)));
                previous = next;
            }
        }
    }

    // The pipe keeps the pictures it has drawn at each offset: after a change
    // of look it must show the new look, as a pipe made with that look does.
    void PipeShowsEveryChangeOfLook() {
        struct TLook {
            bool Flowing = true, Reversed = false;
            QColor Surround = Qt::black;
            QSize Size{16, 60};
        };
        const auto apply = [](TFlowPipe& pipe, const TLook& look) {
            pipe.resize(look.Size);
            pipe.SetFlowing(look.Flowing);
            pipe.SetReversed(look.Reversed);
            pipe.SetSurround(look.Surround);
        };
        const auto drawnAfresh = [&](const TLook& look, int offset) {
            TFlowPipe pipe(Qt::Vertical);
            apply(pipe, look);
            while (pipe.Offset() != offset)
                pipe.Step();
            return pipe.grab().toImage();
        };
        TLook look;
        TFlowPipe pipe(Qt::Vertical);
        apply(pipe, look);
        const std::vector<std::pair<const char*, std::function<void()>>> changes = {
            {"stops", [&] { look.Flowing = false; }},
            {"flows again", [&] { look.Flowing = true; }},
            {"turns", [&] { look.Reversed = true; }},
            {"new surround", [&] { look.Surround = Qt::darkBlue; }},
            {"new size", [&] { look.Size = {20, 80}; }},
        };
        for (const auto& [what, change] : changes) {
            for (int step = 0; step < 6; ++step) { // every offset drawn in the old look
                pipe.Step();
                (void)pipe.grab();
            }
            change();
            apply(pipe, look);
            QVERIFY2(pipe.grab().toImage() == drawnAfresh(look, pipe.Offset()), what);
        }
    }

    void PipeStepsTheWayItFlows() {
        TFlowPipe pipe(Qt::Vertical);
        pipe.Step();
        const int forward = pipe.Offset();
        QVERIFY(forward > 0);
        pipe.SetReversed(true);
        QCOMPARE(pipe.Offset(), forward); // turning keeps the marks where they are
        pipe.SetInterval(60);
        pipe.SetFlowing(true);
        QVERIFY(!pipe.IsTimerRunning()); // never shown
        pipe.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pipe)); // runs once on the screen
        QVERIFY(pipe.IsTimerRunning());
        QCOMPARE(pipe.Interval(), 60);
    }
};

QTEST_MAIN(TestRealTimeView)
#include "test_realtimeview.moc"
